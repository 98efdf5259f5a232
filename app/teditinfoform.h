// The "Edit Plot Info" dialog: plot texts, colours and the three show flags.
#pragma once

#include "app/orvodialog.h"

class QCheckBox;

class TEditInfoForm : public OrvoDialog {
    Q_OBJECT
public:
    TEditInfoForm(AppState* state, Prompts* prompts, QWidget* parent = nullptr);

    QCheckBox* ShowInfoChk;
    QCheckBox* ShowBackgroundChk;
    QCheckBox* ShowROCChk;
};
