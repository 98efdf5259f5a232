// The Configure page: the sampling interval, units, options, altitude triggering and servo controls
// made from the configuration block's field table, Read / Write Config and Reset Defaults, the
// calibration, Reset Module and the firmware update.
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/configfieldcontrols.h"
#include "app/configurationpage.h"
#include "app/configwidgets.h"
#include "app/corepath.h"
#include "app/infotextlog.h"
#include "app/moduletransactions.h"
#include "app/prompts.h"
#include "app/tmainform.h"
#include "config/configfields.h"
#include "config/editnumber.h"
#include "config/interval.h"
#include "data/altitudeunit.h"
#include "firmware/isp.h"
#include "link/configexchange.h"
#include "link/linkstatus.h"
#include "moduleops/moduleoperations.h"

namespace {

constexpr int LeftColumnWidth = 290;

QLabel* makePanel(QWidget* parent, const char* name, const QString& text, int width) {
    auto* p = new QLabel(text, parent);
    p->setObjectName(name);
    p->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    p->setFixedSize(width, 22);
    p->setStyleSheet(
        QStringLiteral("QLabel { background: black; color: lime; font-weight: bold; padding: 0 3px; }"));
    return p;
}

QLineEdit* makeEdit(QWidget* parent, const char* name, const QString& text, int width = 46) {
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(name);
    e->setFixedWidth(width);
    return e;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    return b;
}

QSlider* makeBar(QWidget* parent, const char* name, int min, int max, int position, int tickFrequency) {
    auto* bar = new QSlider(Qt::Horizontal, parent);
    bar->setObjectName(name);
    bar->setRange(min, max);
    bar->setValue(position);
    bar->setTickPosition(QSlider::TicksBelow);
    bar->setTickInterval(tickFrequency);
    return bar;
}

// A radio item's row in its group's grid, with something beside it (an edit and its label).
void besideItem(RadioGroup* group, int item, QWidget* a, QWidget* b) {
    auto* grid = static_cast<QGridLayout*>(group->layout());
    auto* row = new QHBoxLayout;
    row->addWidget(a);
    row->addWidget(b);
    row->addStretch(1);
    grid->addLayout(row, item, 1);
}

} // namespace

ConfigurationPage::ConfigurationPage(TMainForm* form, QWidget* page)
    : QObject(form), m_form(form), m_state(&form->state()), m_prompts(&form->prompts()) {
    auto* columns = new QHBoxLayout(page);
    columns->setContentsMargins(4, 4, 4, 4);
    auto* leftBox = new QWidget(page);
    // Wide enough for the four interval cells with "milliSeconds" under the last, the three
    // block buttons side by side and the firmware check boxes; the Options group takes the rest.
    leftBox->setFixedWidth(LeftColumnWidth);
    auto* left = new QVBoxLayout(leftBox);
    left->setContentsMargins(0, 0, 0, 0);
    columns->addWidget(leftBox);

    // Sampling interval: four read-only panels, each with its spinner and label.
    GroupBox1 = new QGroupBox(QStringLiteral("Sampling Interval"), page);
    GroupBox1->setObjectName("GroupBox1");
    auto* sampling = new QGridLayout(GroupBox1);
    HourPanel = makePanel(GroupBox1, "HourPanel", QStringLiteral("0"), 34);
    MinutePanel = makePanel(GroupBox1, "MinutePanel", QStringLiteral("00"), 34);
    SecondPanel = makePanel(GroupBox1, "SecondPanel", QStringLiteral("00"), 34);
    mSecPanel = makePanel(GroupBox1, "mSecPanel", QStringLiteral("100"), 44);
    HourSpin = new SpinButton(GroupBox1);
    MinSpin = new SpinButton(GroupBox1);
    SecSpin = new SpinButton(GroupBox1);
    mSecSpin = new SpinButton(GroupBox1);
    HourSpin->setObjectName("HourSpin");
    MinSpin->setObjectName("MinSpin");
    SecSpin->setObjectName("SecSpin");
    mSecSpin->setObjectName("mSecSpin");
    QLabel* panels[] = {HourPanel, MinutePanel, SecondPanel, mSecPanel};
    SpinButton* spins[] = {HourSpin, MinSpin, SecSpin, mSecSpin};
    const char* names[] = {"Hours", "Minutes", "Seconds", "milliSeconds"};
    for (int i = 0; i < 4; ++i) {
        auto* cell = new QHBoxLayout;
        cell->setSpacing(1);
        cell->addWidget(panels[i]);
        cell->addWidget(spins[i]);
        sampling->addLayout(cell, 0, i);
        sampling->addWidget(new QLabel(QString::fromLatin1(names[i]), GroupBox1), 1, i, Qt::AlignHCenter);
    }
    Msg1 = new QLabel(QStringLiteral("Total Record Time: 01 hours 08 min 16.00 sec"), GroupBox1);
    Msg1->setObjectName("Msg1");
    Msg1->setWordWrap(true); // the days form is longer than the group is wide
    sampling->addWidget(Msg1, 2, 0, 1, 4);
    left->addWidget(GroupBox1);

    QStringList unitNames;
    for (const orvo::AltitudeUnit& unit : orvo::AltitudeUnits)
        unitNames << QString::fromLatin1(unit.name);
    UnitsGrp = new RadioGroup(QStringLiteral("Altitude Units"), unitNames, 3, page);
    UnitsGrp->setObjectName("UnitsGrp");
    UnitsGrp->setItemIndex(0);
    left->addWidget(UnitsGrp);

    auto* buttons = new QHBoxLayout;
    ReadCfgBtn = makeButton(page, "ReadCfgBtn", QStringLiteral("Read Config"));
    WriteCfgBtn = makeButton(page, "WriteCfgBtn", QStringLiteral("Write Config"));
    BitBtn1 = makeButton(page, "BitBtn1", QStringLiteral("Reset Defaults"));
    buttons->addWidget(ReadCfgBtn);
    buttons->addWidget(WriteCfgBtn);
    buttons->addWidget(BitBtn1);
    left->addLayout(buttons);

    GroupBox3 = new QGroupBox(QStringLiteral("Calibration"), page);
    GroupBox3->setObjectName("GroupBox3");
    auto* cal = new QVBoxLayout(GroupBox3);
    auto* calPrompt =
        new QLabel(QStringLiteral("Enter actual current altitude from known standard:"), GroupBox3);
    calPrompt->setWordWrap(true);
    cal->addWidget(calPrompt);
    auto* calRow = new QHBoxLayout;
    AltCalEdit = makeEdit(GroupBox3, "AltCalEdit", QString(), 70);
    CalBtn = makeButton(GroupBox3, "CalBtn", QStringLiteral("Calibrate"));
    CalUnitsPanel = new QLabel(QString::fromLatin1(orvo::AltitudeUnits[0].name), GroupBox3);
    CalUnitsPanel->setObjectName("CalUnitsPanel");
    calRow->addWidget(AltCalEdit);
    calRow->addWidget(CalUnitsPanel);
    calRow->addWidget(CalBtn);
    calRow->addStretch(1);
    cal->addLayout(calRow);
    left->addWidget(GroupBox3);

    ResetModuleBtn = makeButton(page, "ResetModuleBtn", QStringLiteral("Reset Module"));
    left->addWidget(ResetModuleBtn, 0, Qt::AlignLeft);

    GroupBox4 = new QGroupBox(QStringLiteral("Firmware"), page);
    GroupBox4->setObjectName("GroupBox4");
    auto* fw = new QGridLayout(GroupBox4);
    auto* label5 = new QLabel(QStringLiteral("Firmware Version:"), GroupBox4);
    label5->setObjectName("Label5");
    fw->addWidget(label5, 0, 0);
    FirmwareVersionDisp = new QLabel(GroupBox4);
    FirmwareVersionDisp->setObjectName("FirmwareVersionDisp");
    FirmwareVersionDisp->setFrameShape(QFrame::Panel);
    FirmwareVersionDisp->setFrameShadow(QFrame::Sunken);
    FirmwareVersionDisp->setMinimumWidth(60);
    fw->addWidget(FirmwareVersionDisp, 0, 1);
    UpdateBtn = makeButton(GroupBox4, "UpdateBtn", QStringLiteral("Update Firmware"));
    fw->addWidget(UpdateBtn, 1, 0);
    BlankPartChk = new QCheckBox(QStringLiteral("Part is Blank"), GroupBox4);
    BlankPartChk->setObjectName("BlankPartChk");
    fw->addWidget(BlankPartChk, 1, 1);
    // Manual entry into programming mode; nothing in the program shows it.
    CompatChk = new QCheckBox(QStringLiteral("Update trouble?  Try me."), GroupBox4);
    CompatChk->setObjectName("CompatChk");
    CompatChk->setVisible(false);
    fw->addWidget(CompatChk, 2, 0, 1, 2);
    fw->setColumnStretch(1, 1); // the version display gives way; the captions stay whole
    left->addWidget(GroupBox4);
    left->addStretch(1);

    // Options: the recording choices, in two columns. The left one holds the groups with edits
    // beside their items (and the four altitude edits in a row); the right one the narrow groups.
    GroupBox2 = new QGroupBox(QStringLiteral("Options"), page);
    GroupBox2->setObjectName("GroupBox2");
    columns->addWidget(GroupBox2, 1);
    auto* options = new QHBoxLayout(GroupBox2);
    auto* optLeft = new QVBoxLayout;
    auto* optRight = new QVBoxLayout;
    options->addLayout(optLeft, 1);
    options->addLayout(optRight, 0);

    BlankChk = new QCheckBox(QStringLiteral("Blank display after 30 seconds"), GroupBox2);
    BlankChk->setObjectName("BlankChk");
    BlankChk->setChecked(true);
    TrigChk = new QCheckBox(QStringLiteral("Record External Trigger"), GroupBox2);
    TrigChk->setObjectName("TrigChk");
    RevTrigChk = new QCheckBox(QStringLiteral("Reverse Trigger Direction"), GroupBox2);
    RevTrigChk->setObjectName("RevTrigChk");
    optLeft->addWidget(BlankChk);
    optLeft->addWidget(TrigChk);
    optLeft->addWidget(RevTrigChk);

    AutoStartGrp = new RadioGroup(QStringLiteral("Auto Start Recording"),
                                  {QStringLiteral("Off"), QStringLiteral("After Powerup"),
                                   QStringLiteral("Above Altitude"), QStringLiteral("On first Trigger")},
                                  1, GroupBox2);
    AutoStartGrp->setObjectName("AutoStartGrp");
    AutoStartGrp->setItemIndex(0);
    AutoStartSecEdit = makeEdit(AutoStartGrp, "AutoStartSecEdit", QStringLiteral("10"));
    AboveUnitsPanel = new QLabel(QString::fromLatin1(orvo::AltitudeUnits[0].name), AutoStartGrp);
    AboveUnitsPanel->setObjectName("AboveUnitsPanel");
    AutoStartAltitudeEdit = makeEdit(AutoStartGrp, "AutoStartAltitudeEdit", QStringLiteral("20"));
    besideItem(AutoStartGrp, 1, AutoStartSecEdit, new QLabel(QStringLiteral("Seconds"), AutoStartGrp));
    besideItem(AutoStartGrp, 2, AutoStartAltitudeEdit, AboveUnitsPanel);
    optLeft->addWidget(AutoStartGrp);

    AutoStopGrp = new RadioGroup(
        QStringLiteral("Auto Stop Recording"),
        {QStringLiteral("Off"), QStringLiteral("After Time"), QStringLiteral("Below Altitude")}, 1,
        GroupBox2);
    AutoStopGrp->setObjectName("AutoStopGrp");
    AutoStopGrp->setItemIndex(0);
    AutoStopSecEdit = makeEdit(AutoStopGrp, "AutoStopSecEdit", QStringLiteral("60"));
    BelowUnitsPanel = new QLabel(QString::fromLatin1(orvo::AltitudeUnits[0].name), AutoStopGrp);
    BelowUnitsPanel->setObjectName("BelowUnitsPanel");
    AutoStopAltitudeEdit = makeEdit(AutoStopGrp, "AutoStopAltitudeEdit", QStringLiteral("15"));
    besideItem(AutoStopGrp, 1, AutoStopSecEdit, new QLabel(QStringLiteral("Seconds"), AutoStopGrp));
    besideItem(AutoStopGrp, 2, AutoStopAltitudeEdit, BelowUnitsPanel);
    optLeft->addWidget(AutoStopGrp);

    AutoZeroGrp = new RadioGroup(QStringLiteral("Auto Zero Altitude"),
                                 {QStringLiteral("Off"), QStringLiteral("On First Trigger"),
                                  QStringLiteral("On Powerup"), QStringLiteral("On Start Recording")},
                                 1, GroupBox2);
    AutoZeroGrp->setObjectName("AutoZeroGrp");
    AutoZeroGrp->setItemIndex(0);
    optRight->addWidget(AutoZeroGrp);

    GroupBox7 = new QGroupBox(QStringLiteral("Altitude Triggering"), GroupBox2);
    GroupBox7->setObjectName("GroupBox7");
    auto* alt = new QGridLayout(GroupBox7);
    AltMinEdit = makeEdit(GroupBox7, "AltMinEdit", QString());
    AltMaxEdit = makeEdit(GroupBox7, "AltMaxEdit", QString());
    AltStepEdit = makeEdit(GroupBox7, "AltStepEdit", QString());
    AltBandEdit = makeEdit(GroupBox7, "AltBandEdit", QString());
    alt->setVerticalSpacing(2);
    alt->addWidget(new QLabel(QStringLiteral("Alt Min"), GroupBox7), 0, 0);
    alt->addWidget(AltMinEdit, 1, 0);
    alt->addWidget(new QLabel(QStringLiteral("Alt Max"), GroupBox7), 0, 1);
    alt->addWidget(AltMaxEdit, 1, 1);
    alt->addWidget(new QLabel(QStringLiteral("Alt Step"), GroupBox7), 0, 2);
    alt->addWidget(AltStepEdit, 1, 2);
    alt->addWidget(new QLabel(QStringLiteral("Alt +/-"), GroupBox7), 0, 3);
    alt->addWidget(AltBandEdit, 1, 3);
    optLeft->addWidget(GroupBox7);
    optLeft->addStretch(1);

    GroupBox8 = new QGroupBox(QStringLiteral("Servo Control"), GroupBox2);
    GroupBox8->setObjectName("GroupBox8");
    auto* servo = new QGridLayout(GroupBox8);
    ServoOffBar = makeBar(GroupBox8, "ServoOffBar", 20, 40, 20, 1);
    ServoOnBar = makeBar(GroupBox8, "ServoOnBar", 20, 40, 40, 1);
    ServoHoldBar = makeBar(GroupBox8, "ServoHoldBar", 0, 250, 40, 20);
    HoldTimePanel = new QLabel(QStringLiteral("0"), GroupBox8);
    HoldTimePanel->setObjectName("HoldTimePanel");
    HoldTimePanel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    HoldTimePanel->setMinimumWidth(36);
    servo->addWidget(new QLabel(QStringLiteral("Trigger Off Position"), GroupBox8), 0, 0, 1, 3);
    servo->addWidget(ServoOffBar, 1, 0, 1, 3);
    servo->addWidget(new QLabel(QStringLiteral("Trigger On Position"), GroupBox8), 2, 0, 1, 3);
    servo->addWidget(ServoOnBar, 3, 0, 1, 3);
    servo->addWidget(new QLabel(QStringLiteral("Trigger Hold Time"), GroupBox8), 4, 0, 1, 3);
    servo->addWidget(ServoHoldBar, 5, 0, 1, 3);
    // The hold time in milliseconds reads under its bar: beside the caption it would not fit.
    auto* holdRow = new QHBoxLayout;
    holdRow->addStretch(1);
    holdRow->addWidget(HoldTimePanel);
    holdRow->addWidget(new QLabel(QStringLiteral("milliseconds"), GroupBox8));
    servo->addLayout(holdRow, 6, 0, 1, 3);
    optRight->addWidget(GroupBox8);
    optRight->addStretch(1);

    connectConfigureHandlers();
    connectFirmwareHandlers();
}

void ConfigurationPage::connectConfigureHandlers() {
    connect(HourSpin, &SpinButton::upClicked, this, &ConfigurationPage::HourSpinUpClick);
    connect(HourSpin, &SpinButton::downClicked, this, &ConfigurationPage::HourSpinDownClick);
    connect(MinSpin, &SpinButton::upClicked, this, &ConfigurationPage::MinSpinUpClick);
    connect(MinSpin, &SpinButton::downClicked, this, &ConfigurationPage::MinSpinDownClick);
    connect(SecSpin, &SpinButton::upClicked, this, &ConfigurationPage::SecSpinUpClick);
    connect(SecSpin, &SpinButton::downClicked, this, &ConfigurationPage::SecSpinDownClick);
    connect(mSecSpin, &SpinButton::upClicked, this, &ConfigurationPage::mSecSpinUpClick);
    connect(mSecSpin, &SpinButton::downClicked, this, &ConfigurationPage::mSecSpinDownClick);
    connect(UnitsGrp, &RadioGroup::clicked, this, &ConfigurationPage::UnitsGrpClick);
    connect(ServoHoldBar, &QSlider::valueChanged, this, &ConfigurationPage::ServoHoldBarChange);
    connect(ReadCfgBtn, &QPushButton::clicked, this, &ConfigurationPage::ReadCfgBtnClick);
    connect(WriteCfgBtn, &QPushButton::clicked, this, &ConfigurationPage::WriteCfgBtnClick);
    connect(BitBtn1, &QPushButton::clicked, this, &ConfigurationPage::BitBtn1Click);
}

// --- settings ---

void ConfigurationPage::applyConfigureSettings(const StoredSettings& v) {
    // Values not read keep the designed state of their controls.
    if (v.wasRead(Setting::BlankPart)) BlankPartChk->setChecked(v.BlankPart != 0);
    if (v.wasRead(Setting::RevTrig)) RevTrigChk->setChecked(v.RevTrig != 0);
    if (v.wasRead(Setting::Triggered)) TrigChk->setChecked(v.Triggered != 0);
    if (v.wasRead(Setting::AutoStart)) AutoStartGrp->setItemIndex(v.AutoStart);
    if (v.wasRead(Setting::AutoStartSec)) AutoStartSecEdit->setText(QString::number(v.AutoStartSec));
    if (v.wasRead(Setting::AutoStartAltitude))
        AutoStartAltitudeEdit->setText(QString::number(v.AutoStartAltitude));
    if (v.wasRead(Setting::AutoStop)) AutoStopGrp->setItemIndex(v.AutoStop);
    if (v.wasRead(Setting::AutoStopSec)) AutoStopSecEdit->setText(QString::number(v.AutoStopSec));
    if (v.wasRead(Setting::AutoStopAltitude))
        AutoStopAltitudeEdit->setText(QString::number(v.AutoStopAltitude));
    if (v.wasRead(Setting::AutoZero)) AutoZeroGrp->setItemIndex(v.AutoZero);
}

void ConfigurationPage::collectConfigureSettings(StoredSettings& v) const {
    auto number = [](const QLineEdit* e) { return leadingInteger(e->text().toLatin1().constData()); };
    v.BlankPart = BlankPartChk->isChecked() ? 1 : 0;
    v.RevTrig = RevTrigChk->isChecked() ? 1 : 0;
    v.Triggered = TrigChk->isChecked() ? 1 : 0;
    v.AutoStart = AutoStartGrp->itemIndex();
    v.AutoStartSec = number(AutoStartSecEdit);
    v.AutoStartAltitude = number(AutoStartAltitudeEdit);
    v.AutoStop = AutoStopGrp->itemIndex();
    v.AutoStopSec = number(AutoStopSecEdit);
    v.AutoStopAltitude = number(AutoStopAltitudeEdit);
    v.AutoZero = AutoZeroGrp->itemIndex();
}

// --- sampling interval ---

void ConfigurationPage::ShowSamplingInterval() {
    AppState& s = *m_state;
    orvo::normalizeInterval(s.interval, s.config.IntervalUnit);
    HourPanel->setText(QString::fromStdString(orvo::hoursText(s.interval)));
    MinutePanel->setText(QString::fromStdString(orvo::minutesText(s.interval)));
    SecondPanel->setText(QString::fromStdString(orvo::secondsText(s.interval)));
    mSecPanel->setText(QString::fromStdString(orvo::millisecondsText(s.interval)));
    Msg1->setText(
        QString::fromStdString(orvo::recordTimeText(s.config.MemorySize, s.interval.SamplingInterval)));
}

namespace {
void spin(AppState& s, orvo::IntervalSpin which) {
    // spinInterval normalises as ShowSamplingInterval does; the display follows in the caller.
    orvo::spinInterval(s.interval, which, s.config.IntervalUnit);
}
} // namespace

void ConfigurationPage::HourSpinUpClick() {
    spin(*m_state, orvo::IntervalSpin::HourUp);
    ShowSamplingInterval();
}
void ConfigurationPage::HourSpinDownClick() {
    spin(*m_state, orvo::IntervalSpin::HourDown);
    ShowSamplingInterval();
}
void ConfigurationPage::MinSpinUpClick() {
    spin(*m_state, orvo::IntervalSpin::MinUp);
    ShowSamplingInterval();
}
void ConfigurationPage::MinSpinDownClick() {
    spin(*m_state, orvo::IntervalSpin::MinDown);
    ShowSamplingInterval();
}
void ConfigurationPage::SecSpinUpClick() {
    spin(*m_state, orvo::IntervalSpin::SecUp);
    ShowSamplingInterval();
}
void ConfigurationPage::SecSpinDownClick() {
    spin(*m_state, orvo::IntervalSpin::SecDown);
    ShowSamplingInterval();
}
void ConfigurationPage::mSecSpinUpClick() {
    spin(*m_state, orvo::IntervalSpin::mSecUp);
    ShowSamplingInterval();
}
void ConfigurationPage::mSecSpinDownClick() {
    spin(*m_state, orvo::IntervalSpin::mSecDown);
    ShowSamplingInterval();
}

// --- units and servo ---

void ConfigurationPage::UnitsGrpClick() {
    // The numbers in the altitude edits stay as typed; the module reads them in the new units.
    const QString label =
        QString::fromLatin1(orvo::altitudeUnitRecorded(std::max(0, UnitsGrp->itemIndex())).name);
    AboveUnitsPanel->setText(label);
    BelowUnitsPanel->setText(label);
    CalUnitsPanel->setText(label);
}

void ConfigurationPage::ServoHoldBarChange() {
    HoldTimePanel->setText(QString::number(ServoHoldBar->value() * 20));
}

// --- the three flows ---

bool ConfigurationPage::configureConnected() {
    if (m_state->connected) return true;
    m_form->infoClear();
    m_form->infoLine(QStringLiteral("Not Connected"));
    m_form->showConnectPage();
    return false;
}

// The buttons take the transaction guard; the flows do not, because Connect, Calibrate and Reset
// Module call ReadConfiguration() while they already hold it.
void ConfigurationPage::ReadCfgBtnClick() {
    auto busy = m_form->transactions()->begin();
    if (!busy) return;
    ReadConfiguration();
    m_form->showResultOnStatusBar(QStringLiteral("Read Config"));
}
void ConfigurationPage::WriteCfgBtnClick() {
    auto busy = m_form->transactions()->begin();
    if (!busy) return;
    WriteConfiguration();
    m_form->showResultOnStatusBar(QStringLiteral("Write Config"));
}

void ConfigurationPage::BitBtn1Click() {
    auto busy = m_form->transactions()->begin();
    if (!busy) return;
    ResetConfigDefaults();
}

bool ConfigurationPage::ReadConfiguration() {
    if (!configureConnected()) return false;
    orvo::ConfigBlock received;
    std::string doubt;
    // Whatever is read here may be written back by Write Config: the reads must agree.
    BlockingWait wait(m_form->infoText());
    InfoTextLog log(m_form, true);
    const orvo::ConfigStatus status =
        orvo::readModuleConfiguration(m_state->link, &received, &doubt, true, log);
    wait.release();
    return takeConfigurationRead(status, received, doubt);
}

void ConfigurationPage::commandThenRead(
    const std::function<orvo::CommandAndRead(orvo::ConfigBlock* received, orvo::InfoLog& log)>& command) {
    BlockingWait wait(m_form->infoText());
    InfoTextLog log(m_form, true);
    orvo::ConfigBlock received;
    const orvo::CommandAndRead done = command(&received, log);
    wait.release();
    if (done.command == orvo::LinkStatus::Ok) takeConfigurationRead(done.read, received, done.doubt);
}

bool ConfigurationPage::takeConfigurationRead(orvo::ConfigStatus status, const orvo::ConfigBlock& received,
                                              const std::string& doubt) {
    if (status == orvo::ConfigStatus::NoResponse || status == orvo::ConfigStatus::WriteFailed)
        m_form->showLinkState(QStringLiteral("Port open, module did not answer"));
    else
        m_form->showLinkState(QStringLiteral("Connected"));
    if (status == orvo::ConfigStatus::Doubtful) {
        // A garbled block is neither shown nor kept, and nothing is written until a clean read.
        m_configDoubtful = true;
        m_form->infoLine(QString::fromStdString(orvo::configDoubtText(doubt)) +
                         QStringLiteral("; the previous configuration is kept."));
        m_prompts->error(m_form, QString::fromLatin1(orvo::ConfigReadFailedText),
                         QStringLiteral("The module's answer was garbled. Read Config again."));
        return false;
    }
    if (status != orvo::ConfigStatus::Ok) {
        // The block and the controls keep what they had.
        m_form->infoLine(QStringLiteral("The port is open, but the module did not answer."));
        m_prompts->error(m_form, QString::fromLatin1(orvo::ConfigReadFailedText));
        return false;
    }
    m_configDoubtful = false;
    m_state->config = received;
    showConfigBlock();
    return true;
}

void ConfigurationPage::showConfigBlock() {
    AppState& s = *m_state;
    const orvo::ConfigBlock& c = s.config;
    // A code beyond the three items selects "Meters", and the labels come from the same table.
    const QString label = QString::fromLatin1(orvo::altitudeUnitRecorded(c.Units).name);
    AboveUnitsPanel->setText(label);
    BelowUnitsPanel->setText(label);
    CalUnitsPanel->setText(label);

    s.interval.SamplingInterval = orvo::intervalFromTicks(c.IntervalTicks, c.IntervalUnit);
    orvo::SplitInterval(s.interval, s.interval.SamplingInterval);

    for (const ConfigFieldControl& row : configFieldControls())
        showField(row, c);
    showModuleVersion();
    ShowSamplingInterval(); // applies the cap to the interval just read
    // A bar fires its change only when its position moves; the panel must follow the read value
    // even when the bar already stood there (it starts at 40 with the panel at "0").
    ServoHoldBarChange();
}

void ConfigurationPage::showModuleVersion() {
    BlankChk->setText(m_state->config.ModuleVersion >= 3 ? QStringLiteral("Enable LCD backlight")
                                                         : QStringLiteral("Blank display after 30 seconds"));
}

void ConfigurationPage::showFirmwareVersion(const QString& version) {
    FirmwareVersionDisp->setText(version);
}

void ConfigurationPage::collectConfigBlock() {
    AppState& s = *m_state;
    orvo::ConfigBlock& c = s.config;
    // The interval is re-checked against the unit in use: the unit may have changed since the
    // interval was set (settings restore, module setup), and a tick count that does not fit 16
    // bits must not be sent wrapped.
    ShowSamplingInterval();
    if (auto ticks = orvo::intervalTicks(s.interval.SamplingInterval, c.IntervalUnit)) {
        c.IntervalTicks = *ticks;
    } else {
        // Only a unit of 0 gets here: there is no tick count for it, so the module keeps its own.
        m_form->infoLine(QStringLiteral("Interval unit is 0 ms: the sampling interval is sent unchanged."));
    }
    for (const ConfigFieldControl& row : configFieldControls())
        collectField(row, c);
}

std::vector<ConfigFieldControl> ConfigurationPage::configFieldControls() const {
    auto row = [](const char* name, QWidget* control, const char* caption = "") {
        return ConfigFieldControl{orvo::findConfigField(name), control, caption};
    };
    // In the page's order: Write Config names the first edit out of range.
    return {
        row("Units", UnitsGrp),
        row("BlankDisplay", BlankChk),
        row("Triggered", TrigChk),
        row("RevTrig", RevTrigChk),
        row("AutoStart", AutoStartGrp),
        row("AutoStartSec", AutoStartSecEdit, "Auto Start Recording \"After Powerup\" seconds"),
        row("AutoStartAltitude", AutoStartAltitudeEdit, "Auto Start Recording \"Above Altitude\""),
        row("AutoStop", AutoStopGrp),
        row("AutoStopSec", AutoStopSecEdit, "Auto Stop Recording \"After Time\" seconds"),
        row("AutoStopAltitude", AutoStopAltitudeEdit, "Auto Stop Recording \"Below Altitude\""),
        row("AutoZero", AutoZeroGrp),
        row("AltMin", AltMinEdit, "Alt Min"),
        row("AltMax", AltMaxEdit, "Alt Max"),
        row("AltStep", AltStepEdit, "Alt Step"),
        row("AltBand", AltBandEdit, "Alt +/-"),
        row("ServoOff", ServoOffBar),
        row("ServoOn", ServoOnBar),
        row("ServoHold", ServoHoldBar),
    };
}

void ConfigurationPage::WriteConfiguration() {
    if (!configureConnected()) return;
    if (m_configDoubtful) {
        // The fields without a control (Marker, memory size, module version) would go back as
        // whatever the module's garbled answer left in doubt.
        m_form->infoLine(QStringLiteral("The last configuration read was doubtful: nothing was written. Read "
                                        "Config first."));
        return;
    }
    // A number the module's field cannot hold is refused, not cut to fit.
    for (const ConfigFieldControl& row : configFieldControls()) {
        const std::string problem = fieldEntryProblem(row);
        if (problem.empty()) continue;
        const QString text =
            QString::fromStdString(problem) + QStringLiteral(" Nothing was sent to the module.");
        m_form->infoLine(text);
        m_prompts->error(m_form, text);
        row.control->setFocus();
        return;
    }
    collectConfigBlock();
    InfoTextLog log(m_form);
    orvo::writeModuleConfiguration(m_state->link, m_state->config, log);
}

void ConfigurationPage::ResetConfigDefaults() {
    if (!configureConnected()) return;
    if (!m_prompts->confirm(
            m_form, QStringLiteral("Reset Config Defaults"),
            QStringLiteral("This will reset all configuration values in the device.  Are you sure?")))
        return;
    commandThenRead([this](orvo::ConfigBlock* received, orvo::InfoLog& log) {
        return orvo::restoreModuleDefaults(m_state->link, received, true, log);
    });
}

namespace {

const QString UpdateCaption = QStringLiteral("Orvo Firmware Update");

} // namespace

void ConfigurationPage::connectFirmwareHandlers() {
    connect(ResetModuleBtn, &QPushButton::clicked, this, &ConfigurationPage::ResetModuleBtnClick);
    connect(CalBtn, &QPushButton::clicked, this, &ConfigurationPage::CalBtnClick);
    connect(UpdateBtn, &QPushButton::clicked, this, &ConfigurationPage::UpdateBtnClick);
    connect(CompatChk, &QCheckBox::clicked, this, &ConfigurationPage::CompatChkClick);
}

void ConfigurationPage::CompatChkClick() {
    // Manual entry starts the loader by hand, so the part is not blank; unchecking does not bring
    // back the earlier check.
    if (CompatChk->isChecked()) BlankPartChk->setChecked(false);
    BlankPartChk->setEnabled(!CompatChk->isChecked());
}

void ConfigurationPage::UpdateBtnClick() {
    // Nothing else may touch the port while the module is being programmed: every control that
    // starts a module operation (this button too) stays disabled, and a close waits for the end.
    auto busy = m_form->transactions()->begin();
    if (!busy) return;
    if (m_prompts->message(m_form, Prompts::Icon::Warning, UpdateCaption,
                           QStringLiteral("Warning!  Firmware update can render\n"
                                          "the device non-operational!\n\n"
                                          "Be sure to use the proper firmware file.\n"
                                          "Do not interrupt the download process.\n\n"
                                          "Click OK to proceed with firmware update."),
                           QMessageBox::Ok | QMessageBox::Cancel) != QMessageBox::Ok)
        return;

    // FirmwareOpenDialog: existing files only; a typed name without extension means NAME.hex.
    QString path = m_prompts->openFileName(m_form, QStringLiteral("Select Firmware Update File"), QString(),
                                           QStringLiteral("Firmware Update (*.hex);;All Files (*.*)"));
    if (path.isEmpty()) return;
    if (!QFileInfo::exists(path) && QFileInfo(path).suffix().isEmpty() && QFileInfo::exists(path + ".hex"))
        path += QStringLiteral(".hex");

    // The loader's dialogue needs the port to itself.
    if (m_state->connected) m_form->disconnectPort();

    if (CompatChk->isChecked() &&
        m_prompts->message(m_form, Prompts::Icon::NoIcon, UpdateCaption,
                           QStringLiteral("1) Power off device\n2) Press and hold S2\n3) Power on device\n"
                                          "4) Hold S2 until \"PROG\" is displayed\n5) Click OK"),
                           QMessageBox::Ok | QMessageBox::Cancel) != QMessageBox::Ok)
        return;

    orvo::FirmwareUpdateOptions options;
    options.portName = m_form->portName().toStdString();
    options.linkSpeed = orvo::linkSpeedBaud(m_state->speedIndex);
    options.blankPart = BlankPartChk->isChecked();
    options.manualEntry = CompatChk->isChecked();
    options.recoveryHint = "To finish, check \"Part is Blank\" on the Configure page and click \"Update "
                           "Firmware\" again.";

    orvo::FirmwareUpdateHooks hooks;
    hooks.loaded = [this](int highest) {
        m_form->progressBar()->setValue(0);
        m_form->progressBar()->setMaximum(highest);
        m_form->progressBar()->setVisible(true);
    };
    hooks.progress = [this](int address) { m_form->progressBar()->setValue(address); };
    // The window repaints and answers input between records; the guard keeps other exchanges out.
    hooks.idle = [] { QCoreApplication::processEvents(); };
    hooks.codeSpaceExceeded = [this] {
        m_prompts->error(m_form, QStringLiteral("Hex file exceeds code space"));
    };
    hooks.fileRefused = [this, path](const std::string& why) {
        m_prompts->error(m_form, QStringLiteral("%1 is not a usable firmware file.").arg(path),
                         QString::fromStdString(why) + QStringLiteral(" Nothing was sent to the module."));
    };
    hooks.acceptBadChecksums = [this](int records, int firstLine) {
        return m_prompts->confirmDefaultNo(
            m_form, Prompts::Icon::Warning, UpdateCaption,
            QStringLiteral(
                "%1 record(s) of this firmware file have a wrong checksum (the first on line %2).\n"
                "The file may be damaged, and programming it could leave the module unusable.\n\n"
                "Program it anyway?")
                .arg(records)
                .arg(firstLine));
    };
    hooks.acceptNoData = [this] {
        return m_prompts->confirmDefaultNo(
            m_form, Prompts::Icon::Warning, UpdateCaption,
            QStringLiteral("This firmware file holds no data.\n"
                           "The update would erase the module's firmware and program nothing.\n\n"
                           "Erase the module anyway?"));
    };
    InfoTextLog log(m_form);
    const orvo::LinkStatus result =
        orvo::updateModuleFirmware(m_state->link, orvo::corePath(path), options, log, hooks);

    m_form->progressBar()->setMaximum(100);
    m_form->progressBar()->setVisible(false);
    m_form->showConnectPage();
    // The log on the Connect page has the details; the status bar says how it ended.
    m_form->statusBar()->showMessage(
        QStringLiteral("Update Firmware: %1").arg(QString::fromUtf8(orvo::linkStatusText(result))), 8000);
}

void ConfigurationPage::ResetModuleBtnClick() {
    auto busy = m_form->transactions()->begin();
    if (!busy) return;
    if (!m_form->linkConnected(true)) return;
    if (!m_prompts->confirmDefaultNo(m_form, Prompts::Icon::Question, QStringLiteral("Reset Module"),
                                     QStringLiteral("This will restart the module.  Are you sure?")))
        return;
    commandThenRead([this](orvo::ConfigBlock* received, orvo::InfoLog& log) {
        return orvo::resetModuleAndRead(m_state->link, received, true, log);
    });
    m_form->showResultOnStatusBar(QStringLiteral("Reset Module"));
}

void ConfigurationPage::CalBtnClick() {
    auto busy = m_form->transactions()->begin();
    if (!busy) return;
    if (!m_form->linkConnected(true)) return;
    const std::string text = AltCalEdit ? AltCalEdit->text().toStdString() : std::string();
    std::int16_t altitude = 0;
    const std::string problem = orvo::calibrationAltitudeProblem(text, &altitude);
    if (!problem.empty()) {
        m_prompts->error(m_form, QString::fromStdString(problem));
        return;
    }
    commandThenRead([this, altitude](orvo::ConfigBlock* received, orvo::InfoLog& log) {
        return orvo::calibrateModuleAndRead(m_state->link, altitude, received, true, log);
    });
    m_form->showResultOnStatusBar(QStringLiteral("Calibrate"));
}
