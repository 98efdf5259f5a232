#include "app/tmodsetform.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "app/appstate.h"
#include "app/configwidgets.h"

const char* const TModSetForm::MemoryItems[8] = {
    "8192 (24LC64)", "16384 (24LC128)", "24576", "32768 (24LC256)",
    "40960",         "49152",           "57344", "65536 (24LC512)",
};

TModSetForm::TModSetForm(AppState* state, Prompts* prompts, QWidget* parent)
    : OrvoDialog("TModSetForm", QStringLiteral("ModSetForm"), state, prompts, parent) {
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    Label1 = new QLabel(QStringLiteral("Module Version:"), this);
    Label1->setObjectName("Label1");
    ModDisp = new QLabel(QStringLiteral("1"), this);
    ModDisp->setObjectName("ModDisp");
    ModDisp->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ModDisp->setFixedSize(48, 22);
    ModDisp->setStyleSheet(
        QStringLiteral("QLabel { background: black; color: lime; font-weight: bold; padding: 0 3px; }"));
    CSpinButton1 = new SpinButton(this);
    CSpinButton1->setObjectName("CSpinButton1");
    auto* versionRow = new QHBoxLayout;
    versionRow->setSpacing(2);
    versionRow->addWidget(ModDisp);
    versionRow->addWidget(CSpinButton1);
    versionRow->addStretch(1);
    grid->addWidget(Label1, 0, 0);
    grid->addLayout(versionRow, 0, 1);

    Label2 = new QLabel(QStringLiteral("Memory Size:"), this);
    Label2->setObjectName("Label2");
    MemList = new QComboBox(this);
    MemList->setObjectName("MemList");
    // Typed text is accepted; text that names no item stands for memory size 0.
    MemList->setEditable(true);
    MemList->setInsertPolicy(QComboBox::NoInsert);
    for (const char* item : MemoryItems)
        MemList->addItem(QString::fromLatin1(item));
    MemList->setCurrentIndex(-1);
    MemList->setEditText(QStringLiteral("MemList"));
    MemList->setMinimumWidth(160);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(MemList, 1, 1);
    layout->addLayout(grid);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    BitBtn1 = new QPushButton(QStringLiteral("Close"), this);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setDefault(true);
    buttons->addWidget(BitBtn1);
    layout->addLayout(buttons);

    connect(CSpinButton1, &SpinButton::upClicked, this, &TModSetForm::CSpinButton1UpClick);
    connect(CSpinButton1, &SpinButton::downClicked, this, &TModSetForm::CSpinButton1DownClick);
    connect(MemList, &QComboBox::currentIndexChanged, this, &TModSetForm::MemListChange);
    connect(MemList, &QComboBox::editTextChanged, this, &TModSetForm::MemListChange);
    // Closing keeps every change: the edits went into the block as they were made.
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
}

void TModSetForm::CSpinButton1UpClick() {
    std::uint8_t& v = m_state->config.ModuleVersion;
    v = static_cast<std::uint8_t>(v + 1); // 255 wraps to 0
    ModDisp->setText(QString::number(v));
}

void TModSetForm::CSpinButton1DownClick() {
    std::uint8_t& v = m_state->config.ModuleVersion;
    v = static_cast<std::uint8_t>(v - 1); // 0 wraps to 255
    ModDisp->setText(QString::number(v));
}

void TModSetForm::MemListChange() {
    // The text decides, so typing an item's text selects it and anything else means no size.
    const int index =
        MemList->findText(MemList->currentText(), Qt::MatchFixedString | Qt::MatchCaseSensitive);
    m_state->config.MemorySize = static_cast<std::uint8_t>(index + 1);
}

void TModSetForm::showEvent(QShowEvent* event) {
    OrvoDialog::showEvent(event);
    adjustSize();
    centreOnScreen();
}
