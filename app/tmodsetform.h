// The "ModSetForm" dialog.
#pragma once

#include "app/orvodialog.h"

class TModSetForm : public OrvoDialog {
    Q_OBJECT
public:
    TModSetForm(AppState* state, Prompts* prompts, QWidget* parent = nullptr);
};
