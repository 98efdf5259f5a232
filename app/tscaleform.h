// The "Graph Scale" dialog.
#pragma once

#include "app/orvodialog.h"

class TScaleForm : public OrvoDialog {
    Q_OBJECT
public:
    TScaleForm(AppState* state, Prompts* prompts, QWidget* parent = nullptr);
};
