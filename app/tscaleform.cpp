#include "app/tscaleform.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/appstate.h"
#include "plot/viewlimits.h"

namespace {

void showTexts(const orvo::ViewLimitTexts& t, QLineEdit* xMin, QLineEdit* xMax, QLineEdit* yMin,
               QLineEdit* yMax) {
    xMin->setText(QString::fromStdString(t.timeMin));
    xMax->setText(QString::fromStdString(t.timeMax));
    yMin->setText(QString::fromStdString(t.altitudeMin));
    yMax->setText(QString::fromStdString(t.altitudeMax));
}

} // namespace

TScaleForm::TScaleForm(AppState* state, Prompts* prompts, QWidget* parent)
    : OrvoDialog("TScaleForm", QStringLiteral("Graph Scale"), state, prompts, parent) {
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    layout->addLayout(grid);
    int row = 0;
    auto edit = [&](const char* labelName, const QString& caption, const char* name, QLabel*& label) {
        label = new QLabel(caption, this);
        label->setObjectName(labelName);
        auto* e = new QLineEdit(this);
        e->setObjectName(name);
        e->setMinimumWidth(120);
        label->setBuddy(e);
        grid->addWidget(label, row, 0);
        grid->addWidget(e, row++, 1);
        return e;
    };
    XMinEdit = edit("XMinLabel", QStringLiteral("Time Min"), "XMinEdit", XMinLabel);
    XMaxEdit = edit("XMaxLabel", QStringLiteral("Time Max"), "XMaxEdit", XMaxLabel);
    YMinEdit = edit("YMinLabel", QStringLiteral("Altitude Min"), "YMinEdit", YMinLabel);
    YMaxEdit = edit("YMaxLabel", QStringLiteral("Altitude Max"), "YMaxEdit", YMaxLabel);

    auto* buttons = new QHBoxLayout;
    AutoBtn = new QPushButton(QStringLiteral("Auto"), this);
    AutoBtn->setObjectName("AutoBtn");
    AutoBtn->setAutoDefault(false);
    OkBtn = new QPushButton(QStringLiteral("OK"), this);
    OkBtn->setObjectName("OkBtn");
    OkBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn->setObjectName("CancelBtn");
    CancelBtn->setAutoDefault(false);
    buttons->addWidget(AutoBtn);
    buttons->addStretch(1);
    buttons->addWidget(OkBtn);
    buttons->addWidget(CancelBtn);
    layout->addLayout(buttons);

    // Tab order: the four edits, then Cancel, OK and Auto.
    setTabOrder(XMinEdit, XMaxEdit);
    setTabOrder(XMaxEdit, YMinEdit);
    setTabOrder(YMinEdit, YMaxEdit);
    setTabOrder(YMaxEdit, CancelBtn);
    setTabOrder(CancelBtn, OkBtn);
    setTabOrder(OkBtn, AutoBtn);

    connect(OkBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(AutoBtn, &QPushButton::clicked, this, &TScaleForm::AutoBtnClick);
}

void TScaleForm::FormShow() {
    showTexts(orvo::viewLimitTexts(m_state->plot.settings), XMinEdit, XMaxEdit, YMinEdit, YMaxEdit);
    XMinEdit->setFocus();
}

void TScaleForm::AutoBtnClick() {
    // The view changes now, not at OK: a later Cancel keeps it.
    showTexts(orvo::autoScaleView(m_state->plot.settings, m_state->plot.home), XMinEdit, XMaxEdit, YMinEdit,
              YMaxEdit);
    if (plotChanged) plotChanged();
}

void TScaleForm::ApplyLimits() {
    orvo::applyViewLimitTexts({XMinEdit->text().toStdString(), XMaxEdit->text().toStdString(),
                               YMinEdit->text().toStdString(), YMaxEdit->text().toStdString()},
                              m_state->plot.settings, m_state->plot.home);
}

void TScaleForm::showEvent(QShowEvent* event) {
    OrvoDialog::showEvent(event);
    centreOnScreen();
}
