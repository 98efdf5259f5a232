// The "Edit Data Length" dialog.
#pragma once

#include "app/orvodialog.h"

class TDataLenForm : public OrvoDialog {
    Q_OBJECT
public:
    TDataLenForm(AppState* state, Prompts* prompts, QWidget* parent = nullptr);
};
