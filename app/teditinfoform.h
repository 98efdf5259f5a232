// The "Edit Plot Info" dialog: the plot's title, axis labels and three Info lines, its five
// colours with a live preview on the plot, and the show flags. The main window's EditBtn opens
// it; the check boxes also hold the persisted show flags between openings.
#pragma once

#include <array>
#include <functional>

#include "app/orvodialog.h"
#include "data/series.h"

class ColourPanel;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

class TEditInfoForm : public OrvoDialog {
    Q_OBJECT
  public:
    TEditInfoForm(AppState* state, Prompts* prompts, QWidget* parent = nullptr);

    // Called whenever something the plot shows changed while the dialog is open.
    std::function<void()> plotChanged;

    // Before the dialog is shown: the six texts from the plot, the five colours remembered and
    // shown on their panels. The check boxes keep their state.
    void FormShow();
    // After it closed: OK takes the six texts; any other close puts the remembered colours back.
    void FormClose(int result);
    // The check boxes show the plot's show flags (which the boxes change).
    void showFlags();

    QGroupBox* GroupBox1; // "Plot Labels"
    QLineEdit* TitleText;
    QLineEdit* XAxisText;
    QLineEdit* YAxisText;
    QLineEdit* Info1Text;
    QLineEdit* Info2Text;
    QLineEdit* Info3Text;
    QGroupBox* GroupBox2; // "Plot Colors"
    ColourPanel* BGColorPanel;
    ColourPanel* GridColorPanel;
    ColourPanel* ScaleColorPanel;
    ColourPanel* LabelColorPanel;
    ColourPanel* InfoColorPanel;
    QCheckBox* ShowInfoChk;
    QCheckBox* ShowBackgroundChk;
    QCheckBox* ShowLegendChk; // a legend when two or more sets are shown
    QCheckBox* ShowROCChk;    // hidden; its state is the average climb flag
    QPushButton* DataLenBtn;  // hidden
    QPushButton* BitBtn2;     // OK
    QPushButton* BitBtn1;     // Cancel

  public slots:
    void BGColorPanelClick();
    void GridColorPanelClick();
    void ScaleColorPanelClick();
    void LabelColorPanelClick();
    void InfoColorPanelClick();
    void ShowInfoChkClick();
    void ShowBackgroundChkClick();
    void DataLenBtnClick();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    // Offers the colour of one plot item; a confirmed choice goes into the plot and onto the
    // panel at once.
    void chooseColour(ColourPanel* panel, orvo::Colour& item);
    void changed();

    std::array<orvo::Colour, 5> m_remembered{};
};
