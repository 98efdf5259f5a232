// The "Graph Scale" dialog: the four view limits typed as numbers, or fitted to the data by Auto.
// The main window's ScaleBtn opens it; the arithmetic lives in plot/viewlimits.h.
#pragma once

#include <functional>

#include "app/orvodialog.h"

class QLabel;
class QLineEdit;
class QPushButton;

class TScaleForm : public OrvoDialog {
    Q_OBJECT
  public:
    TScaleForm(AppState* state, Prompts* prompts, QWidget* parent = nullptr);

    // Called when Auto has changed the view while the dialog is open, so the plot can repaint.
    std::function<void()> plotChanged;

    // Fills the four edits from the current view (before the dialog is shown).
    void FormShow();
    // OK: every edit that reads as a finite number replaces its limit, the home view follows.
    void ApplyLimits();

    QLabel* XMinLabel;
    QLineEdit* XMinEdit;
    QLabel* XMaxLabel;
    QLineEdit* XMaxEdit;
    QLabel* YMinLabel;
    QLineEdit* YMinEdit;
    QLabel* YMaxLabel;
    QLineEdit* YMaxEdit;
    QPushButton* CancelBtn;
    QPushButton* OkBtn;
    QPushButton* AutoBtn;

  protected:
    void showEvent(QShowEvent* event) override;

  public slots:
    void AutoBtnClick();
};
