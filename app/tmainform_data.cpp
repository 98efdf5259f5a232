// The Recorded Data page: the plot view, its view buttons and mouse tools, the set buttons.
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/tmainform.h"

void TMainForm::buildDataPage() {
    DataPage = new QWidget;
    DataPage->setObjectName("DataPage");
    PageControl1->addTab(DataPage, QStringLiteral("Recorded Data"));
    auto* layout = new QVBoxLayout(DataPage);
    auto* row = new QHBoxLayout;
    ActiveSetCombo = new QComboBox(DataPage);
    ActiveSetCombo->setObjectName("ActiveSetCombo");
    ActiveSetCombo->setMinimumWidth(140);
    row->addWidget(ActiveSetCombo);
    ShowPointsChk = new QCheckBox(QStringLiteral("Show Points"), DataPage);
    ShowPointsChk->setObjectName("ShowPointsChk");
    ShowPointsChk->setVisible(false);
    row->addWidget(ShowPointsChk);
    row->addStretch(1);
    layout->addLayout(row);
    layout->addStretch(1);
}
