#include "app/tdatalenform.h"

TDataLenForm::TDataLenForm(AppState* state, Prompts* prompts, QWidget* parent)
    : OrvoDialog("TDataLenForm", QStringLiteral("Edit Data Length"), state, prompts, parent) {}
