#include "app/tprtlocform.h"

TPrtLocForm::TPrtLocForm(AppState* state, Prompts* prompts, QWidget* parent)
    : OrvoDialog("TPrtLocForm", QStringLiteral("Output"), state, prompts, parent) {}
