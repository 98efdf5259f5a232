#include "app/tsavesel.h"

TSaveSel::TSaveSel(AppState* state, Prompts* prompts, QWidget* parent)
    : OrvoDialog("TSaveSel", QStringLiteral("Save"), state, prompts, parent) {}
