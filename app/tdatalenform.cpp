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

    addOkCancel(layout, BitBtn1, BitBtn2);
}
