// The "Output" dialog.
#pragma once

#include "app/orvodialog.h"

class TPrtLocForm : public OrvoDialog {
    Q_OBJECT
  public:
    TPrtLocForm(AppState* state, Prompts* prompts, QWidget* parent = nullptr);
};
