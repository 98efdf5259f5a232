#include "app/teditinfoform.h"

#include <QCheckBox>
#include <QVBoxLayout>

TEditInfoForm::TEditInfoForm(AppState* state, Prompts* prompts, QWidget* parent)
    : OrvoDialog("TEditInfoForm", QStringLiteral("Edit Plot Info"), state, prompts, parent) {
    auto* layout = new QVBoxLayout(this);
    ShowInfoChk = new QCheckBox(QStringLiteral("Show Text Info"), this);
    ShowInfoChk->setObjectName("ShowInfoChk");
    ShowInfoChk->setChecked(true);
    ShowBackgroundChk = new QCheckBox(QStringLiteral("Show Background Logo"), this);
    ShowBackgroundChk->setObjectName("ShowBackgroundChk");
    ShowROCChk = new QCheckBox(QStringLiteral("Show Avg Rate of Climb"), this);
    ShowROCChk->setObjectName("ShowROCChk");
    layout->addWidget(ShowInfoChk);
    layout->addWidget(ShowBackgroundChk);
    layout->addWidget(ShowROCChk);
}
