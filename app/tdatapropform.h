// The "Data Properties" dialog: per-set names, colours, styles, notes, shifts, Fix Drift.
#pragma once

#include "app/orvodialog.h"

class QListWidget;

class TDataPropForm : public OrvoDialog {
    Q_OBJECT
public:
    TDataPropForm(AppState* state, Prompts* prompts, QWidget* parent = nullptr);

    QListWidget* SetListBox;
};
