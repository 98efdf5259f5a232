#include "app/tscaleform.h"

TScaleForm::TScaleForm(AppState* state, Prompts* prompts, QWidget* parent)
    : OrvoDialog("TScaleForm", QStringLiteral("Graph Scale"), state, prompts, parent) {}
