// The Connect / Download page: port, speed, the module buttons and the InfoText log.
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/tmainform.h"
#include "link/comm.h"

void TMainForm::buildConnectPage() {
    ConnectPage = new QWidget;
    ConnectPage->setObjectName("ConnectPage");
    PageControl1->addTab(ConnectPage, QStringLiteral("Connect / Download"));
    auto* layout = new QVBoxLayout(ConnectPage);

    auto* heading = new QLabel(QStringLiteral("System Information"), ConnectPage);
    QFont hf = heading->font();
    hf.setBold(true);
    heading->setFont(hf);
    layout->addWidget(heading);

    InfoText = new QPlainTextEdit(ConnectPage);
    InfoText->setObjectName("InfoText");
    InfoText->setReadOnly(true);
    QFont mono(QStringLiteral("DejaVu Sans Mono"));
    mono.setStyleHint(QFont::Monospace);
    mono.setFixedPitch(true);
    mono.setBold(true);
    InfoText->setFont(mono);
    QPalette pal = InfoText->palette();
    pal.setColor(QPalette::Text, Qt::blue);
    InfoText->setPalette(pal);
    layout->addWidget(InfoText, 1);

    auto* row = new QHBoxLayout;
    auto addLabel = [&](const QString& text) { row->addWidget(new QLabel(text, ConnectPage)); };
    auto addButton = [&](const char* name, const QString& text, const QString& hint) {
        auto* b = new QPushButton(text, ConnectPage);
        b->setObjectName(name);
        b->setToolTip(hint);
        row->addWidget(b);
        return b;
    };
    addLabel(QStringLiteral("Port"));
    CommPortBox = new QComboBox(ConnectPage);
    CommPortBox->setObjectName("CommPortBox");
    // Pseudo-terminals and udev links are never listed: a device path can be typed.
    CommPortBox->setEditable(true);
    CommPortBox->setInsertPolicy(QComboBox::NoInsert);
    CommPortBox->setMinimumWidth(200);
    row->addWidget(CommPortBox);
    addLabel(QStringLiteral("Speed"));
    SpeedBox = new QComboBox(ConnectPage);
    SpeedBox->setObjectName("SpeedBox");
    for (int rate : SpeedTable) SpeedBox->addItem(QString::number(rate));
    row->addWidget(SpeedBox);
    ConnectBtn = addButton("ConnectBtn", QStringLiteral("Connect"), QStringLiteral("Connect or Disconnect to the Orvo Module"));
    row->addStretch(1);
    layout->addLayout(row);
    row = new QHBoxLayout;
    DLInfoBtn = addButton("DLInfoBtn", QStringLiteral("Download Info"), QStringLiteral("Download module information"));
    DLDataBtn = addButton("DLDataBtn", QStringLiteral("Download Data"), QStringLiteral("Download specified data set."));
    addLabel(QStringLiteral("Set#"));
    SetList = new QComboBox(ConnectPage);
    SetList->setObjectName("SetList");
    SetList->setPlaceholderText(QStringLiteral("(none)"));
    SetList->setToolTip(QStringLiteral("Select data set to download"));
    SetList->setMinimumWidth(70);
    row->addWidget(SetList);
    EraseDataBtn = addButton("EraseDataBtn", QStringLiteral("Erase Data"), QStringLiteral("Erase all module data"));
    row->addStretch(1);
    layout->addLayout(row);
}

void TMainForm::fillPortList() {
    CommPortBox->clear();
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
#ifdef Q_OS_WIN
        CommPortBox->addItem(info.portName());
#else
        CommPortBox->addItem(info.systemLocation());
#endif
    }
    if (CommPortBox->count() == 0) {
        for (int i = 0; i < 8; ++i) {
#ifdef Q_OS_WIN
            CommPortBox->addItem(QStringLiteral("COM%1").arg(i + 1));
#else
            CommPortBox->addItem(QStringLiteral("/dev/ttyS%1").arg(i));
#endif
        }
    }
    // The built-in emulated module, on every platform.
    CommPortBox->addItem(QString::fromLatin1(orvo::SimulatorPortName));
}
