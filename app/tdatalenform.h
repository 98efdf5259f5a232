// The "Edit Data Length" dialog: a number of samples with OK and Cancel. It is one of the
// program's dialogs, created at start-up, but no operation opens it yet.
#pragma once

#include "app/orvodialog.h"

class QLabel;
class QLineEdit;
class QPushButton;

class TDataLenForm : public OrvoDialog {
    Q_OBJECT
  public:
    TDataLenForm(AppState* state, Prompts* prompts, QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QLineEdit* DataLenEdit = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* BitBtn1 = nullptr; // OK
    QPushButton* BitBtn2 = nullptr; // Cancel
};
