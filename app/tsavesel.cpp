#include "app/tsavesel.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TSaveSel::TSaveSel(AppState* state, Prompts* prompts, QWidget* parent)
    : OrvoDialog("TSaveSel", QStringLiteral("Save"), state, prompts, parent) {
    auto* layout = new QVBoxLayout(this);
    Label1 = new QLabel(QStringLiteral("What do you want to save?"), this);
    Label1->setObjectName("Label1");
    layout->addWidget(Label1);

    SaveGrp = new QGroupBox(this);
    SaveGrp->setObjectName("SaveGrp");
    SaveGrpItems = new QButtonGroup(SaveGrp);
    auto* items = new QVBoxLayout(SaveGrp);
    const QString captions[2] = {QStringLiteral("Active Data Set"), QStringLiteral("Plot and All Data Sets")};
    for (int i = 0; i < 2; ++i) {
        auto* radio = new QRadioButton(captions[i], SaveGrp);
        radio->setObjectName(QStringLiteral("SaveGrpItem%1").arg(i));
        SaveGrpItems->addButton(radio, i);
        items->addWidget(radio);
    }
    SaveGrpItems->button(ActiveDataSet)->setChecked(true);
    layout->addWidget(SaveGrp);

    addOkCancel(layout, BitBtn1, BitBtn2);
}

int TSaveSel::itemIndex() const {
    return SaveGrpItems->checkedId();
}

void TSaveSel::setItemIndex(int index) {
    if (QAbstractButton* b = SaveGrpItems->button(index)) b->setChecked(true);
}
