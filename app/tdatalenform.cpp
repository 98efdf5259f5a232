#include "app/tdatalenform.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TDataLenForm::TDataLenForm(AppState* state, Prompts* prompts, QWidget* parent)
    : OrvoDialog("TDataLenForm", QStringLiteral("Edit Data Length"), state, prompts, parent) {
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    Label1 = new QLabel(QStringLiteral("Data Length"), this);
    Label1->setObjectName("Label1");
    DataLenEdit = new QLineEdit(this);
    DataLenEdit->setObjectName("DataLenEdit");
    Label2 = new QLabel(QStringLiteral("samples"), this);
    Label2->setObjectName("Label2");
    row->addWidget(Label1);
    row->addWidget(DataLenEdit);
    row->addWidget(Label2);
    layout->addLayout(row);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(QStringLiteral("Cancel"), this);
    BitBtn2->setObjectName("BitBtn2");
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    layout->addLayout(buttons);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}
