#include "app/orvodialog.h"

#include <QBoxLayout>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

#include "app/windowplacement.h"

OrvoDialog::OrvoDialog(const char* className, const QString& caption, AppState* state, Prompts* prompts,
                       QWidget* parent)
    : QDialog(parent), m_state(state), m_prompts(prompts) {
    setObjectName(QLatin1String(className));
    setWindowTitle(caption);
    setModal(true);
}

void OrvoDialog::addOkCancel(QBoxLayout* layout, QPushButton*& ok, QPushButton*& cancel) {
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName("BitBtn1");
    ok->setDefault(true);
    cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName("BitBtn2");
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void OrvoDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Over the main window, but never past the edge of its screen's available area.
    placeWindow(this, parentWidget());
}

void OrvoDialog::centreOnScreen() {
    placeWindow(this, parentWidget(), true);
}
