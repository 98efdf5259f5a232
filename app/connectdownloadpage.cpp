// The Connect / Download page: port, speed, the module buttons and the InfoText log; and the
// handlers of the connection, Download Info, Download Data and Erase Data.
#include <algorithm>
#include <functional>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDate>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSerialPortInfo>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/configurationpage.h"
#include "app/connectdownloadpage.h"
#include "app/infotextlog.h"
#include "app/moduletransactions.h"
#include "app/prompts.h"
#include "app/recordeddatapage.h"
#include "app/tmainform.h"
#include "data/datafile.h"
#include "desktop/downloadsfolder.h"
#include "link/comm.h"
#include "link/protocol.h"
#include "moduleops/downloadarchive.h"
#include "moduleops/moduleoperations.h"
#include "plot/plotfile.h"

namespace {

// The port box: the ports are scanned again each time its list is opened.
class PortComboBox : public QComboBox {
  public:
    PortComboBox(std::function<void()> rescan, QWidget* parent)
        : QComboBox(parent), m_rescan(std::move(rescan)) {}
    void showPopup() override {
        m_rescan();
        QComboBox::showPopup();
    }

  private:
    std::function<void()> m_rescan;
};

} // namespace

ConnectDownloadPage::ConnectDownloadPage(TMainForm* form, QWidget* body)
    : QObject(form), m_form(form), m_state(&form->state()), m_prompts(&form->prompts()) {
    auto* layout = new QVBoxLayout(body);

    auto* heading = new QLabel(QStringLiteral("System Information"), body);
    QFont hf = heading->font();
    hf.setBold(true);
    heading->setFont(hf);
    layout->addWidget(heading);

    InfoText = new QPlainTextEdit(body);
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
    auto addLabel = [&](const QString& text) { row->addWidget(new QLabel(text, body)); };
    auto addButton = [&](const char* name, const QString& text, const QString& hint) {
        auto* b = new QPushButton(text, body);
        b->setObjectName(name);
        b->setToolTip(hint);
        row->addWidget(b);
        return b;
    };
    addLabel(QStringLiteral("Port"));
    // Opening the list scans the ports again, so an adapter plugged in after start is there.
    CommPortBox = new PortComboBox([this] { fillPortList(); }, body);
    CommPortBox->setObjectName("CommPortBox");
    // Pseudo-terminals and udev links are never listed: a device path can be typed.
    CommPortBox->setEditable(true);
    CommPortBox->setInsertPolicy(QComboBox::NoInsert);
    CommPortBox->setMinimumWidth(200);
    row->addWidget(CommPortBox);
    addLabel(QStringLiteral("Speed"));
    SpeedBox = new QComboBox(body);
    SpeedBox->setObjectName("SpeedBox");
    for (const orvo::LinkSpeed& s : orvo::LinkSpeeds)
        SpeedBox->addItem(QString::fromLatin1(s.text));
    row->addWidget(SpeedBox);
    ConnectBtn = addButton("ConnectBtn", QStringLiteral("Connect"),
                           QStringLiteral("Connect or Disconnect to the Orvo Module"));
    row->addStretch(1);
    layout->addLayout(row);
    row = new QHBoxLayout;
    DLInfoBtn = addButton("DLInfoBtn", QStringLiteral("Download Info"),
                          QStringLiteral("Download module information"));
    DLDataBtn = addButton("DLDataBtn", QStringLiteral("Download Data"),
                          QStringLiteral("Download specified data set."));
    addLabel(QStringLiteral("Set#"));
    SetList = new QComboBox(body);
    SetList->setObjectName("SetList");
    SetList->setPlaceholderText(QStringLiteral("(none)"));
    SetList->setToolTip(QStringLiteral("Select data set to download"));
    SetList->setMinimumWidth(70);
    row->addWidget(SetList);
    EraseDataBtn =
        addButton("EraseDataBtn", QStringLiteral("Erase Data"), QStringLiteral("Erase all module data"));
    row->addStretch(1);
    layout->addLayout(row);
    connectLinkHandlers();
}

void ConnectDownloadPage::infoClear() {
    InfoText->clear();
}

void ConnectDownloadPage::infoLine(const QString& line) {
    InfoText->appendPlainText(line);
    // Appending follows the end only while the view is at the end and laid out; a log written
    // while another page is shown, or after the user scrolled up, would hide its newest line.
    InfoText->moveCursor(QTextCursor::End);
    QScrollBar* bar = InfoText->verticalScrollBar();
    bar->setValue(bar->maximum());
}

QString ConnectDownloadPage::lastLogLine() const {
    const QStringList lines = InfoText->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return lines.isEmpty() ? QString() : lines.last().trimmed();
}

QWidget* ConnectDownloadPage::infoText() const {
    return InfoText;
}

QString ConnectDownloadPage::portName() const {
    return CommPortBox->currentText();
}

int ConnectDownloadPage::portIndex() const {
    return m_portsListed ? std::max(0, CommPortBox->currentIndex()) : -1;
}

void ConnectDownloadPage::showSpeed(int index) {
    SpeedBox->setCurrentIndex(index);
}

void ConnectDownloadPage::fillPortList() {
    // A rescan keeps what the box shows: a listed port, a typed path or the simulator.
    const QString shown = m_portsListed ? CommPortBox->currentText() : QString();
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
    if (!m_portsListed) {
        m_portsListed = true;
        selectStartPort();
    } else if (!shown.isEmpty()) {
        selectPort(shown);
    }
}

// Shows port in the box; a typed device path (a pty, a udev link) goes before the trailing
// "Simulator".
void ConnectDownloadPage::selectPort(const QString& port) {
    int i = CommPortBox->findText(port);
    if (i < 0) {
        i = CommPortBox->count() > 0 ? CommPortBox->count() - 1 : 0;
        CommPortBox->insertItem(i, port);
    }
    CommPortBox->setCurrentIndex(i);
}

// The saved port, or the one named on the command line.
void ConnectDownloadPage::selectStartPort() {
    const AppState& s = *m_state;
    if (s.stored.ComPort >= 0 && s.stored.ComPort < CommPortBox->count())
        CommPortBox->setCurrentIndex(s.stored.ComPort);
    else if (CommPortBox->count() > 0)
        CommPortBox->setCurrentIndex(0);
    if (!m_form->requestedPort().isEmpty()) selectPort(m_form->requestedPort());
}

// --- module transactions ---

void ConnectDownloadPage::connectLinkHandlers() {
    connect(ConnectBtn, &QPushButton::clicked, this, &ConnectDownloadPage::ConnectBtnClick);
    connect(SpeedBox, &QComboBox::currentIndexChanged, this, &ConnectDownloadPage::SpeedBoxChange);
    connect(DLInfoBtn, &QPushButton::clicked, this, &ConnectDownloadPage::DLInfoBtnClick);
    connect(DLDataBtn, &QPushButton::clicked, this, &ConnectDownloadPage::DLDataBtnClick);
    connect(EraseDataBtn, &QPushButton::clicked, this, &ConnectDownloadPage::EraseDataBtnClick);
}

bool ConnectDownloadPage::linkConnected(bool showConnectPage) {
    if (m_state->connected) return true;
    m_form->infoClear();
    m_form->infoLine(QStringLiteral("Not Connected"));
    if (showConnectPage) m_form->showConnectPage();
    return false;
}

void ConnectDownloadPage::disconnectPort() {
    m_state->link.CommClose();
    ConnectBtn->setText(QStringLiteral("Connect"));
    m_state->connected = false;
    m_form->showLinkState(QStringLiteral("Not Connected"));
}

void ConnectDownloadPage::ConnectBtnClick() {
    auto busy = m_form->transactions()->begin();
    if (!busy) return;
    if (m_state->connected) {
        disconnectPort();
        return;
    }
    const int speed = orvo::linkSpeedBaud(m_state->speedIndex);
    if (m_state->link.CommOpen(CommPortBox->currentText().toStdString(), speed, 0) != orvo::LinkStatus::Ok) {
        m_prompts->error(m_form, QStringLiteral("Unable to open Serial Port"),
                         QString::fromStdString(m_state->link.CommLastError()));
        return;
    }
    ConnectBtn->setText(QStringLiteral("Disconnect"));
    m_state->connected = true;
    // Not "Connected" yet: the module has not answered. The read that follows says what came of it.
    m_form->showLinkState(QStringLiteral("Port open, waiting for the module..."), true);
    m_form->configurationPage()->ReadConfiguration();
}

void ConnectDownloadPage::SpeedBoxChange(int index) {
    if (index < 0) return;
    if (m_form->transactions()->running()) {
        // The port of a running exchange is not closed under it; the box goes back.
        const QSignalBlocker block(SpeedBox);
        SpeedBox->setCurrentIndex(m_state->speedIndex);
        return;
    }
    m_state->speedIndex = index;
    // The module keeps its speed; the new one applies at the next connect.
    if (m_state->connected) disconnectPort();
}

void ConnectDownloadPage::DLInfoBtnClick() {
    auto busy = m_form->transactions()->begin();
    if (!busy) return;
    AppState& s = *m_state;
    m_form->infoClear();
    orvo::ModuleIdentity id;
    orvo::SetListing listing;
    std::vector<std::string> lines;
    if (m_form->simulateTarget()) {
        id = orvo::simulatedIdentity();
        s.config.Marker = orvo::ConfigMarker;
        s.config.IntervalTicks = 4;
        s.config.Units = 0;
        lines = orvo::moduleInfoLines(id, 0);
        listing.empty = true; // the simulated module holds no sets
    } else {
        if (!linkConnected(false)) return;
        BlockingWait wait(InfoText);
        InfoTextLog log(m_form);
        const orvo::ModuleSurvey survey = orvo::surveyModule(m_state->link, log);
        id = survey.identity;
        listing = survey.listing;
    }
    const int count = listing.count;
    s.setCount = count;
    s.setListing = listing;
    SetList->clear();
    for (int i = 1; i <= count; ++i)
        SetList->addItem(QString::number(i));
    SetList->addItem(QStringLiteral("All"));
    for (const std::string& line : lines)
        m_form->infoLine(QString::fromStdString(line));
    SetList->setCurrentIndex(0);
    m_form->configurationPage()->showFirmwareVersion(QString::fromStdString(id.softwareVersion));
    m_form->configurationPage()->ShowSamplingInterval();
}

void ConnectDownloadPage::DLDataBtnClick() {
    auto busy = m_form->transactions()->begin();
    if (!busy) return;
    if (!linkConnected(false)) return;
    AppState& s = *m_state;
    int selected = SetList->currentIndex();
    if (selected < 0) {
        m_prompts->message(m_form, Prompts::Icon::Warning, QStringLiteral("Orvo"),
                           QStringLiteral("No data set specified"));
        return;
    }
    selected = std::min(selected, orvo::MaxModuleSets);
    s.selectedSet = selected;
    int first = selected;
    int last = selected;
    if (selected == s.setCount) {
        first = 0;
        last = s.setCount - 1;
    }
    if (first > last) {
        // "All" of a module that listed no sets: nothing is asked of it, and the user is told so.
        m_form->infoLine(s.setListing.listed()
                             ? QStringLiteral("No data sets to download.")
                             : QStringLiteral("No data sets to download: the module did not list "
                                              "its sets. Download Info lists them again."));
        return;
    }
    m_form->progressBar()->setVisible(true);
    const bool replace = m_form->dataPage()->holdsOnlyPlaceholder(); // the untouched start-up set gives way
    for (int i = first; i <= last; ++i) {
        if (!downloadOneSet(i) || m_form->transactions()->stopRequested()) break;
    }
    m_form->progressBar()->setVisible(false);
    if (replace) m_form->dataPage()->replacePlaceholderWithDownload();
}

bool ConnectDownloadPage::downloadOneSet(int index) {
    m_form->progressBar()->setValue(0);
    const auto progress = [this](int, int percent) {
        m_form->progressBar()->setValue(percent);
        // The plot and the progress bar repaint; every control that could start another
        // exchange or touch the data sets is disabled meanwhile.
        QCoreApplication::processEvents();
        return !m_form->transactions()->stopRequested();
    };
    // A module that was slow to list its sets gets as long to begin each one.
    const std::string today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")).toStdString();
    InfoTextLog log(m_form);
    const orvo::SetDownload got = orvo::downloadModuleSet(
        m_state->link, m_state->plot, index, m_state->setListing, m_state->config,
        m_state->setListing.firstWaitMs, today, orvo::downloadsFolder(), log, progress);
    m_form->repaintPlot();
    return got.result == orvo::LinkStatus::Ok;
}

void ConnectDownloadPage::EraseDataBtnClick() {
    auto busy = m_form->transactions()->begin();
    if (!busy) return;
    if (!linkConnected(false)) return;
    // A stray Enter must not erase: No is the default answer.
    if (!m_prompts->confirmDefaultNo(m_form, Prompts::Icon::Question, QStringLiteral("Reset Config Defaults"),
                                     QString::fromLatin1(orvo::EraseQuestionText)))
        return;
    // Listed again right before the erase: it must agree with what "Download Info" listed, and
    // every set must have been downloaded, or a flight nobody saved would be lost.
    BlockingWait wait(InfoText);
    InfoTextLog log(m_form, true);
    const orvo::SetListing& last = m_state->setListing;
    const orvo::ModuleErase erase = orvo::eraseModuleData(
        m_state->link, last, last.firstWaitMs, orvo::downloadsFolder(),
        [&](const orvo::EraseCheck& check) {
            wait.release();
            if (check.safe()) return true;
            QString reasons;
            for (const std::string& reason : check.reasons) {
                m_form->infoLine(QString::fromStdString(reason));
                reasons += QString::fromStdString(reason) + QLatin1Char('\n');
            }
            return m_prompts->confirmDefaultNo(m_form, Prompts::Icon::Warning, QStringLiteral("Erase Data"),
                                               reasons +
                                                   QStringLiteral("\nErase all data sets anyway? What was "
                                                                  "never saved is lost for good."));
        },
        log);
    if (erase.result != orvo::LinkStatus::Ok) return;
    // The set count stays until the next "Download Info"; the list offers nothing to download.
    SetList->clear();
    m_state->setListing = orvo::SetListing{};
}
