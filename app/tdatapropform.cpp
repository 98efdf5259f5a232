#include "app/tdatapropform.h"

#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

TDataPropForm::TDataPropForm(AppState* state, Prompts* prompts, QWidget* parent)
    : OrvoDialog("TDataPropForm", QStringLiteral("Data Properties"), state, prompts, parent) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Data Sets"), this));
    SetListBox = new QListWidget(this);
    SetListBox->setObjectName("SetListBox");
    layout->addWidget(SetListBox);
}
