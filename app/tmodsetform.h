// The module setup dialog ("ModSetForm"): a service dialog, opened by a Ctrl-click on the About
// page's logo, that edits the two fields of the in-memory configuration block describing the
// module itself, its version and its memory size. They reach the module with the next
// "Write Config"; there is no cancel.
#pragma once

#include "app/orvodialog.h"

class QComboBox;
class QLabel;
class QPushButton;
class SpinButton;

class TModSetForm : public OrvoDialog {
    Q_OBJECT
  public:
    TModSetForm(AppState* state, Prompts* prompts, QWidget* parent = nullptr);

    // The memory sizes in MemList; item i stands for MemorySize i + 1 (units of 8 KiB).
    static const char* const MemoryItems[8];

    QLabel* Label1 = nullptr;
    QLabel* ModDisp = nullptr;
    SpinButton* CSpinButton1 = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* MemList = nullptr;
    QPushButton* BitBtn1 = nullptr; // Close

  public slots:
    void CSpinButton1UpClick();
    void CSpinButton1DownClick();
    void MemListChange();

  protected:
    void showEvent(QShowEvent* event) override;
};
