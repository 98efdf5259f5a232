// The Recorded Data page's "Scale" and "Plot Properties" buttons and the dialogs they open.
// Every repaint goes through repaintPlot, so the page's cached picture is rendered once per change.
#include <QPushButton>

#include "app/appwindows.h"
#include "app/prompts.h"
#include "app/teditinfoform.h"
#include "app/tmainform.h"
#include "app/tscaleform.h"

void TMainForm::connectPlotDialogHandlers() {
    connect(ScaleBtn, &QPushButton::clicked, this, &TMainForm::ScaleBtnClick);
    connect(EditBtn, &QPushButton::clicked, this, &TMainForm::EditBtnClick);
}

void TMainForm::ScaleBtnClick() {
    if (!m_windows) return;
    TScaleForm* form = m_windows->scaleForm.get();
    if (!form->plotChanged) form->plotChanged = [this] { repaintPlot(); };
    form->FormShow();
    if (m_prompts->execDialog(form) != QDialog::Accepted) return;
    form->ApplyLimits();
    repaintPlot();
}

void TMainForm::EditBtnClick() {
    if (!m_windows) return;
    TEditInfoForm* form = m_windows->editInfoForm.get();
    if (!form->plotChanged) form->plotChanged = [this] { repaintPlot(); };
    form->FormShow();
    form->FormClose(m_prompts->execDialog(form));
    repaintPlot();
}
