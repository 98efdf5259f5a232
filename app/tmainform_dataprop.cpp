// The Recorded Data page's "Data Properties" button and the dialog it opens.
#include <QPushButton>

#include "app/appwindows.h"
#include "app/prompts.h"
#include "app/tdatapropform.h"
#include "app/tmainform.h"

void TMainForm::buildDataPropButton() {
    // The page layout places the button by its object name.
    DataPropBtn = new QPushButton(QStringLiteral("Data Properties"), DataPage);
    DataPropBtn->setObjectName("DataPropBtn");
    DataPropBtn->setToolTip(QStringLiteral("Edit Dataset Properties"));
    connect(DataPropBtn, &QPushButton::clicked, this, &TMainForm::DataPropBtnClick);
}

void TMainForm::DataPropBtnClick() {
    if (!m_windows) return;
    TDataPropForm* form = m_windows->dataPropForm.get();
    if (!form->plotChanged) form->plotChanged = [this] { repaintPlot(); };
    form->FormShow();
    m_prompts->execDialog(form);
    repaintPlot();
}
