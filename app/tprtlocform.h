// The "Output" dialog: the size of a printed or exported plot, the print's distance from the page
// corner and the colour choice. Print and Export show it; its OK puts the values into the plot's
// output settings, refusing a size that cannot be drawn.
#pragma once

#include "app/orvodialog.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TPrtLocForm : public OrvoDialog {
    Q_OBJECT
  public:
    TPrtLocForm(AppState* state, Prompts* prompts, QWidget* parent = nullptr);

    // Print shows the distance boxes, Export greys them out (an image has no margin) and shows
    // the resolution box instead.
    void setDistancesEnabled(bool enabled);
    // Print shows the current size in the boxes, in the shortest form (7 for 7.0).
    void showSize(double width, double height);
    // The colour box shows the print colour choice (which the box changes).
    void showColour();

    QGroupBox* GroupBox1; // "Printed Plot Options"
    QLabel* WidthLabel;
    QLineEdit* WidthEdit;
    QLabel* HeightLabel;
    QLineEdit* HeightEdit;
    QLabel* LeftLabel;
    QLineEdit* LeftEdit;
    QLabel* TopLabel;
    QLineEdit* TopEdit;
    QLabel* ResolutionLabel;
    QLineEdit* ResolutionEdit; // Export only
    QCheckBox* ColorChk;
    // The resolution an export draws at (ResolutionEdit, taken by OK).
    int imagePpi = 100;
    static constexpr int MinImagePpi = 10;
    static constexpr int MaxImagePpi = 2400;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

  public slots:
    void OKBtnClick();
    void CancelBtnClick();
};
