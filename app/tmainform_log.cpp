// The hidden Log Data page: the live altitude strip chart.
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/tmainform.h"

void TMainForm::buildLogPage() {
    LogPage = new QWidget;
    LogPage->setObjectName("LogPage");
    PageControl1->addTab(LogPage, QStringLiteral("Log Data"));
    auto* layout = new QVBoxLayout(LogPage);
    AMaxLabel = new QLabel(LogPage);
    AMaxLabel->setObjectName("AMaxLabel");
    layout->addWidget(AMaxLabel);
    AltBox = new QWidget(LogPage);
    AltBox->setObjectName("AltBox");
    AltBox->setFixedSize(600, 300);
    layout->addWidget(AltBox);
    AMinLabel = new QLabel(LogPage);
    AMinLabel->setObjectName("AMinLabel");
    layout->addWidget(AMinLabel);
    layout->addStretch(1);
}
