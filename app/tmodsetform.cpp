#include "app/tmodsetform.h"

TModSetForm::TModSetForm(AppState* state, Prompts* prompts, QWidget* parent)
    : OrvoDialog("TModSetForm", QStringLiteral("ModSetForm"), state, prompts, parent) {}
