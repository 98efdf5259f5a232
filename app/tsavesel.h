// The "Save" dialog.
#pragma once

#include "app/orvodialog.h"

class TSaveSel : public OrvoDialog {
    Q_OBJECT
public:
    TSaveSel(AppState* state, Prompts* prompts, QWidget* parent = nullptr);
};
