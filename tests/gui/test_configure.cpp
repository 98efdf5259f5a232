// The Configure page under the offscreen platform: its controls, the interval spinners, the edits'
// number rules, and the read, write and reset flows against the emulated module and a recording
// port, all on a virtual clock.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <functional>

#include "app/appwindows.h"
#include "app/configurationpage.h"
#include "app/configwidgets.h"
#include "app/moduletransactions.h"
#include "app/tmainform.h"
#include "controls.h"
#include "link/clock.h"
#include "link/comm.h"
#include "scriptedprompts.h"
#include "sim/module.h"

using orvo::ConfigBlock;

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

// A port that records what the program writes, with the virtual time of each write, and
// answers 'r' with a given block (or not at all).
struct RecordingLine {
    orvo::VirtualClock* clock = nullptr;
    std::vector<std::pair<std::uint32_t, std::string>> writes;
    std::string toHost; // bytes waiting for the program
    bool answerRead = true;
    orvo::ConfigWire reply{};
    std::function<void()> onWrite; // runs inside every write, e.g. to look at the window then

    std::string sent() const {
        std::string all;
        for (const auto& w : writes)
            all += w.second;
        return all;
    }
};

class RecordingDevice : public orvo::SerialDevice {
  public:
    explicit RecordingDevice(RecordingLine* line) : m_line(line) {}
    bool open(const std::string&, const orvo::LineSettings&, std::string*) override { return true; }
    void close() override {}
    int write(const std::uint8_t* bytes, int count) override {
        std::string text(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(count));
        m_line->writes.emplace_back(m_line->clock->tickCount(), text);
        if (m_line->onWrite) m_line->onWrite();
        if (text == "r" && m_line->answerRead)
            m_line->toHost.append(m_line->reply.begin(), m_line->reply.end());
        return count;
    }
    int read(std::uint8_t* buffer, int capacity) override {
        const int n = std::min<int>(capacity, static_cast<int>(m_line->toHost.size()));
        std::copy_n(m_line->toHost.begin(), n, buffer);
        m_line->toHost.erase(0, static_cast<std::size_t>(n));
        return n;
    }
    bool waitForInput(orvo::Clock& clock, std::uint32_t ms) override {
        if (!m_line->toHost.empty()) return true;
        clock.sleep(ms);
        return false;
    }
    void setBreak(bool) override {}
    bool alive() const override { return true; }

  private:
    RecordingLine* m_line;
};

void clearStore() {
    QSettings s(QStringLiteral("TamberlinSystems"), QStringLiteral("Orvo"));
    s.clear();
    s.sync();
}

class ConfigureTest : public ::testing::Test {
  protected:
    void SetUp() override {
        clearStore();
        line.clock = &clock;
        windows = std::make_unique<AppWindows>(&prompts);
        form = windows->mainForm.get();
        link().CommSetClock(&clock);
    }
    void TearDown() override {
        windows.reset();
        clearStore();
    }
    orvo::PortLink& link() { return form->state().link; }
    // The connect handler belongs to the Connect page; these tests open the port themselves.
    void connectSimulator() {
        ASSERT_EQ(link().CommOpen(orvo::SimulatorPortName, 5, 0), orvo::LinkStatus::Ok);
        form->state().connected = true;
    }
    void connectRecorder() {
        link().CommSetDeviceFactory(
            [this](const std::string&) { return std::make_unique<RecordingDevice>(&line); });
        ASSERT_EQ(link().CommOpen("rec", 5, 0), orvo::LinkStatus::Ok);
        form->state().connected = true;
    }
    QStringList infoLines() const {
        return control<QPlainTextEdit>(form, "InfoText")->toPlainText().split('\n');
    }
    QString text(const char* name) const {
        if (auto* l = form->findChild<QLabel*>(name)) return l->text();
        if (auto* e = form->findChild<QLineEdit*>(name)) return e->text();
        return QStringLiteral("<no %1>").arg(name);
    }
    QString interval() const {
        return text("HourPanel") + ":" + text("MinutePanel") + ":" + text("SecondPanel") + "." +
               text("mSecPanel");
    }
    void click(const char* spin, bool up) {
        auto* s = form->findChild<SpinButton*>(spin);
        ASSERT_TRUE(s) << spin;
        QTest::mouseClick(up ? s->upButton() : s->downButton(), Qt::LeftButton);
    }
    void type(const char* edit, const QString& value) { form->findChild<QLineEdit*>(edit)->setText(value); }

    orvo::VirtualClock clock{1000};
    RecordingLine line;
    ScriptedPrompts prompts;
    std::unique_ptr<AppWindows> windows;
    TMainForm* form = nullptr;
};

} // namespace

TEST_F(ConfigureTest, pageHoldsEveryControlInItsDesignedState) {
    QTabWidget* pages = control<QTabWidget>(form, "PageControl1");
    EXPECT_EQ(pages->tabText(pages->indexOf(control<QWidget>(form, "ConfigurePage"))), "Configure");
    EXPECT_EQ(interval(), "0:00:00.100");
    EXPECT_EQ(text("Msg1"), "Total Record Time: 01 hours 08 min 16.00 sec");
    EXPECT_EQ(form->findChild<QGroupBox*>("GroupBox1")->title(), "Sampling Interval");

    auto* units = form->findChild<RadioGroup*>("UnitsGrp");
    ASSERT_TRUE(units);
    EXPECT_EQ(units->title(), "Altitude Units");
    EXPECT_EQ(units->count(), 3);
    EXPECT_EQ(units->button(2)->text(), "Meters");
    EXPECT_EQ(units->itemIndex(), 0);
    auto* start = form->findChild<RadioGroup*>("AutoStartGrp");
    EXPECT_EQ(start->button(3)->text(), "On first Trigger");
    EXPECT_EQ(start->itemIndex(), 0);
    EXPECT_EQ(form->findChild<RadioGroup*>("AutoStopGrp")->button(2)->text(), "Below Altitude");
    EXPECT_EQ(form->findChild<RadioGroup*>("AutoZeroGrp")->button(3)->text(), "On Start Recording");

    auto* blank = form->findChild<QCheckBox*>("BlankChk");
    EXPECT_TRUE(blank->isChecked());
    EXPECT_EQ(blank->text(), "Blank display after 30 seconds");
    EXPECT_FALSE(form->findChild<QCheckBox*>("TrigChk")->isChecked());
    EXPECT_EQ(text("AutoStartSecEdit"), "10");
    EXPECT_EQ(text("AutoStartAltitudeEdit"), "20");
    EXPECT_EQ(text("AutoStopSecEdit"), "60");
    EXPECT_EQ(text("AutoStopAltitudeEdit"), "15");
    EXPECT_EQ(text("AltMinEdit"), "");
    EXPECT_EQ(text("AltBandEdit"), "");

    auto* off = form->findChild<QSlider*>("ServoOffBar");
    auto* on = form->findChild<QSlider*>("ServoOnBar");
    auto* hold = form->findChild<QSlider*>("ServoHoldBar");
    EXPECT_EQ(std::make_tuple(off->minimum(), off->maximum(), off->value()), std::make_tuple(20, 40, 20));
    EXPECT_EQ(std::make_tuple(on->minimum(), on->maximum(), on->value()), std::make_tuple(20, 40, 40));
    EXPECT_EQ(std::make_tuple(hold->minimum(), hold->maximum(), hold->value(), hold->tickInterval()),
              std::make_tuple(0, 250, 40, 20));
    EXPECT_EQ(text("HoldTimePanel"), "0");

    const std::pair<const char*, const char*> buttons[] = {{"ReadCfgBtn", "Read Config"},
                                                           {"WriteCfgBtn", "Write Config"},
                                                           {"BitBtn1", "Reset Defaults"},
                                                           {"CalBtn", "Calibrate"},
                                                           {"ResetModuleBtn", "Reset Module"}};
    for (const auto& [name, caption] : buttons) {
        auto* b = form->findChild<QPushButton*>(name);
        ASSERT_TRUE(b) << name;
        EXPECT_EQ(b->text(), caption);
    }
    for (const char* name : {"AltCalEdit", "FirmwareVersionDisp", "UpdateBtn", "BlankPartChk", "CompatChk"})
        EXPECT_TRUE(form->findChild<QWidget*>(name)) << name;
}

TEST_F(ConfigureTest, spinnersKeepTheIntervalBetweenOneUnitAndOneHour) {
    form->state().config.IntervalUnit = 100; // what the settings restore gives without a stored value
    click("mSecSpin", false);                // 100 -> 0 -> back to one unit
    EXPECT_EQ(interval(), "0:00:00.100");
    for (int i = 0; i < 12; ++i)
        click("mSecSpin", true);
    EXPECT_EQ(interval(), "0:00:00.900");
    click("SecSpin", true);
    click("MinSpin", true);
    EXPECT_EQ(interval(), "0:01:01.900");
    EXPECT_EQ(text("Msg1"), "Total Record Time: 00 hours 00 min 00.000 sec"); // no memory size read yet
    click("HourSpin", true);
    EXPECT_EQ(interval(), "1:00:00.000");
    EXPECT_EQ(form->state().interval.SamplingInterval, 3600000u);
    click("HourSpin", true);
    click("SecSpin", true);
    EXPECT_EQ(interval(), "1:00:00.000");
    click("HourSpin", false);
    EXPECT_EQ(interval(), "0:00:00.100");
}

TEST_F(ConfigureTest, unitsAndServoControlsFollowTheirHandlers) {
    auto* units = form->findChild<RadioGroup*>("UnitsGrp");
    QTest::mouseClick(units->button(1), Qt::LeftButton);
    EXPECT_EQ(text("AboveUnitsPanel"), "Yards");
    EXPECT_EQ(text("BelowUnitsPanel"), "Yards");
    EXPECT_EQ(text("CalUnitsPanel"), "Yards"); // the calibration altitude is read in them too
    units->setItemIndex(7);
    EXPECT_EQ(units->itemIndex(), 2);
    units->setItemIndex(-1);
    EXPECT_EQ(units->itemIndex(), -1);

    auto* hold = form->findChild<QSlider*>("ServoHoldBar");
    hold->setValue(300);
    EXPECT_EQ(hold->value(), 250);
    EXPECT_EQ(text("HoldTimePanel"), "5000");
    hold->setValue(3);
    EXPECT_EQ(text("HoldTimePanel"), "60");
}

TEST_F(ConfigureTest, notConnectedClearsTheLogSwitchesToConnectAndSendsNothing) {
    connectRecorder();
    form->state().connected = false; // the port is open, but the program is not connected
    for (const char* button : {"ReadCfgBtn", "WriteCfgBtn", "BitBtn1"}) {
        SCOPED_TRACE(button);
        form->infoLine(QStringLiteral("old line"));
        control<QTabWidget>(form, "PageControl1")->setCurrentWidget(control<QWidget>(form, "ConfigurePage"));
        QTest::mouseClick(form->findChild<QPushButton*>(button), Qt::LeftButton);
        EXPECT_EQ(control<QPlainTextEdit>(form, "InfoText")->toPlainText(), "Not Connected");
        EXPECT_EQ(control<QTabWidget>(form, "PageControl1")->currentWidget(),
                  control<QWidget>(form, "ConnectPage"));
    }
    EXPECT_TRUE(line.writes.empty());
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(ConfigureTest, readFillsEveryControlFromTheEmulatedModule) {
    ConfigBlock c = link().simulator().defaultConfig();
    c.Units = 5; // beyond the table: "Meters" everywhere
    c.ModuleVersion = 3;
    c.MemorySize = 1;
    c.BlankDisplay = 0;
    c.Triggered = 1;
    c.RevTrig = 1;
    c.IntervalUnit = 100;
    c.IntervalTicks = 10;
    c.AutoStart = 2;
    c.AutoStartSec = 65535;
    c.AutoStartAltitude = 40000;
    c.AutoStop = 9;
    c.AutoZero = 3;
    c.AltMin = -5;
    c.AltMax = 32767;
    c.AltStep = -32768;
    c.AltBand = 255;
    c.ServoOff = 0;
    c.ServoOn = 33;
    c.ServoHold = 40; // where the bar already stands: the panel must still follow
    link().simulator().setConfig(c);
    connectSimulator();
    form->infoLine(QStringLiteral("kept"));

    EXPECT_TRUE(form->configurationPage()->ReadConfiguration());
    EXPECT_EQ(form->state().config, c);
    EXPECT_EQ(infoLines(), QStringList({"kept", "Reading Configuration...", "Configuration loaded."}));
    EXPECT_TRUE(prompts.messages.empty());

    EXPECT_EQ(form->findChild<RadioGroup*>("UnitsGrp")->itemIndex(), 2);
    EXPECT_EQ(text("AboveUnitsPanel"), "Meters");
    EXPECT_EQ(text("BelowUnitsPanel"), "Meters");
    EXPECT_EQ(text("CalUnitsPanel"), "Meters");
    EXPECT_EQ(interval(), "0:00:01.000");
    EXPECT_EQ(text("Msg1"), "Total Record Time: 01 hours 08 min 16.000 sec");
    auto* blank = form->findChild<QCheckBox*>("BlankChk");
    EXPECT_FALSE(blank->isChecked());
    EXPECT_EQ(blank->text(), "Enable LCD backlight");
    EXPECT_TRUE(form->findChild<QCheckBox*>("TrigChk")->isChecked());
    EXPECT_TRUE(form->findChild<QCheckBox*>("RevTrigChk")->isChecked());
    EXPECT_EQ(form->findChild<RadioGroup*>("AutoStartGrp")->itemIndex(), 2);
    EXPECT_EQ(text("AutoStartSecEdit"), "65535");
    EXPECT_EQ(text("AutoStartAltitudeEdit"), "40000");
    EXPECT_EQ(form->findChild<RadioGroup*>("AutoStopGrp")->itemIndex(), 2);
    EXPECT_EQ(form->findChild<RadioGroup*>("AutoZeroGrp")->itemIndex(), 3);
    EXPECT_EQ(text("AltMinEdit"), "-5");
    EXPECT_EQ(text("AltMaxEdit"), "32767");
    EXPECT_EQ(text("AltStepEdit"), "-32768");
    EXPECT_EQ(text("AltBandEdit"), "255");
    EXPECT_EQ(form->findChild<QSlider*>("ServoOffBar")->value(), 20);
    EXPECT_EQ(form->findChild<QSlider*>("ServoOnBar")->value(), 33);
    EXPECT_EQ(text("HoldTimePanel"), "800");
}

TEST_F(ConfigureTest, moduleThatNeverAnswersLeavesBlockAndControlsAlone) {
    connectSimulator();
    ConfigBlock before;
    before.IntervalUnit = 100;
    before.Units = 1;
    form->state().config = before;
    type("AltMinEdit", "12");
    link().simulator().faults().ignoreCommands = "r";
    const std::uint32_t t0 = clock.tickCount();

    EXPECT_FALSE(form->configurationPage()->ReadConfiguration());
    EXPECT_GE(clock.tickCount() - t0, 5000u);
    EXPECT_LT(clock.tickCount() - t0, 5200u);
    EXPECT_EQ(infoLines(), QStringList({"Reading Configuration...", "No reponse from device.",
                                        "The port is open, but the module did not answer."}));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Unable to read configuration!");
    EXPECT_EQ(prompts.messages[0].caption, "Error");
    EXPECT_EQ(prompts.messages[0].icon, Prompts::Icon::Warning);
    EXPECT_EQ(form->state().config, before);
    EXPECT_EQ(text("AltMinEdit"), "12");
    EXPECT_EQ(form->findChild<RadioGroup*>("UnitsGrp")->itemIndex(), 0);
    EXPECT_TRUE(link().CommIsOpen());
    EXPECT_TRUE(form->state().connected);
}

TEST_F(ConfigureTest, readDiscardsStaleInputBeforeAsking) {
    ConfigBlock c;
    c.Marker = 0xABCD;
    c.IntervalUnit = 100;
    c.IntervalTicks = 3;
    line.reply = c.toWire();
    connectRecorder();
    line.toHost = "junk"; // left over from an earlier exchange
    EXPECT_TRUE(form->configurationPage()->ReadConfiguration());
    EXPECT_EQ(form->state().config, c);
    EXPECT_EQ(line.sent(), "rrr"); // a block that may be written back is read until three agree
}

TEST_F(ConfigureTest, writeSendsCommandPauseAndBlockWithTheEditRules) {
    connectRecorder();
    form->state().config.IntervalUnit = 250; // as restored from the settings, no read yet
    form->state().config.MemorySize = 2;     // as the module setup dialog may leave it
    click("SecSpin", true);                  // 1.100 s -> 4 ticks of 250 ms
    type("AltMinEdit", "-32768");
    type("AltMaxEdit", " -12abc");
    type("AltStepEdit", "x");
    type("AltBandEdit", "255");
    type("AutoStartSecEdit", "65535");
    type("AutoStopSecEdit", "0");
    type("AutoStartAltitudeEdit", "1");
    form->findChild<QSlider*>("ServoOffBar")->setValue(25);
    form->findChild<RadioGroup*>("AutoZeroGrp")->setItemIndex(2);
    QTest::mouseClick(form->findChild<RadioGroup*>("UnitsGrp")->button(1), Qt::LeftButton);

    QTest::mouseClick(control<QPushButton>(form, "WriteCfgBtn"), Qt::LeftButton);

    ASSERT_EQ(line.writes.size(), 2u);
    EXPECT_EQ(line.writes[0].second, "c");
    EXPECT_EQ(line.writes[1].first - line.writes[0].first, 40u);
    const std::string& wire = line.writes[1].second;
    ASSERT_EQ(wire.size(), 38u);
    const ConfigBlock sent = ConfigBlock::fromWire(reinterpret_cast<const std::uint8_t*>(wire.data()));
    EXPECT_EQ(sent.Marker, 0);
    EXPECT_EQ(sent.Reserved8, 0);
    EXPECT_EQ(sent.ModuleVersion, 0);
    EXPECT_EQ(sent.MemorySize, 2);
    EXPECT_EQ(sent.IntervalUnit, 250);
    EXPECT_EQ(sent.IntervalTicks, 4);
    EXPECT_EQ(sent.Units, 1);
    EXPECT_EQ(sent.BlankDisplay, 1);
    EXPECT_EQ(sent.AltMin, -32768);
    EXPECT_EQ(sent.AltMax, -12);
    EXPECT_EQ(sent.AltStep, 0);
    EXPECT_EQ(sent.AltBand, 255);
    EXPECT_EQ(sent.AutoStartSec, 65535);
    EXPECT_EQ(sent.AutoStopSec, 0);
    EXPECT_EQ(sent.AutoStartAltitude, 1);
    EXPECT_EQ(sent.ServoOff, 25);
    EXPECT_EQ(sent.ServoOn, 40);
    EXPECT_EQ(sent.ServoHold, 40);
    EXPECT_EQ(sent.AutoZero, 2);
    // The in-memory block stays in host order.
    EXPECT_EQ(form->state().config, sent);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(ConfigureTest, numbersAFieldCannotHoldAreRefusedAndNothingIsSent) {
    connectRecorder();
    const struct {
        const char* edit;
        const char* text;
        const char* said; // the start of the refusal
    } cases[] = {
        {"AutoStartSecEdit", "70000",
         "Auto Start Recording \"After Powerup\" seconds must be a whole number "
         "from 0 to 65535, not 70000."},
        {"AltBandEdit", "300", "Alt +/- must be a whole number from 0 to 255, not 300."},
    };
    for (const auto& c : cases) {
        const QString before = text(c.edit);
        type(c.edit, c.text);
        prompts.messages.clear();
        QTest::mouseClick(control<QPushButton>(form, "WriteCfgBtn"), Qt::LeftButton);
        EXPECT_TRUE(line.writes.empty()) << c.edit;
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].caption, "Error");
        EXPECT_TRUE(prompts.messages[0].text.startsWith(QString::fromUtf8(c.said)))
            << prompts.messages[0].text.toStdString();
        EXPECT_EQ(text(c.edit), c.text); // left for the user to correct
        type(c.edit, before);
    }
    QTest::mouseClick(control<QPushButton>(form, "WriteCfgBtn"), Qt::LeftButton);
    EXPECT_EQ(line.writes.size(), 2u);
}

TEST_F(ConfigureTest, writeReachesTheEmulatedModuleAndReadsBackTheSame) {
    connectSimulator();
    ASSERT_TRUE(form->configurationPage()->ReadConfiguration());
    type("AltStepEdit", "-250");
    form->findChild<QCheckBox*>("TrigChk")->setChecked(true);
    click("MinSpin", true);
    form->configurationPage()->WriteConfiguration();
    const ConfigBlock& m = link().simulator().config();
    EXPECT_EQ(m.AltStep, -250);
    EXPECT_EQ(m.Triggered, 1);
    EXPECT_EQ(m.IntervalTicks, 601); // 1 min 0.100 s in 100 ms ticks
    EXPECT_EQ(m.Marker, 0xABCD);     // passed back as read
    EXPECT_EQ(m, form->state().config);
}

TEST_F(ConfigureTest, intervalAboveAnHourIsShownAsAnHourAndWrittenAsOne) {
    ConfigBlock c;
    c.Marker = orvo::ConfigMarker;
    c.IntervalUnit = 100;
    c.IntervalTicks = 50000; // 5000 s
    line.reply = c.toWire();
    connectRecorder();
    ASSERT_TRUE(form->configurationPage()->ReadConfiguration());
    EXPECT_EQ(interval(), "1:00:00.000");
    form->configurationPage()->WriteConfiguration();
    const std::string& wire = line.writes.back().second;
    EXPECT_EQ(ConfigBlock::fromWire(reinterpret_cast<const std::uint8_t*>(wire.data())).IntervalTicks, 36000);
}

TEST_F(ConfigureTest, shortIntervalUnitCapsAtTheLargestTickCountInsteadOfWrapping) {
    ConfigBlock c;
    c.Marker = orvo::ConfigMarker;
    c.IntervalUnit = 50;
    c.IntervalTicks = 60000; // 50 min
    line.reply = c.toWire();
    connectRecorder();
    ASSERT_TRUE(form->configurationPage()->ReadConfiguration());
    click("HourSpin", true); // one hour would be 72000 ticks
    EXPECT_EQ(interval(), "0:54:36.750");
    form->configurationPage()->WriteConfiguration();
    const std::string& wire = line.writes.back().second;
    EXPECT_EQ(ConfigBlock::fromWire(reinterpret_cast<const std::uint8_t*>(wire.data())).IntervalTicks, 65535);
}

TEST_F(ConfigureTest, intervalUnitOfZeroNeitherDividesNorStepsByZero) {
    ConfigBlock c;
    c.Marker = orvo::ConfigMarker;
    c.IntervalUnit = 0;
    c.IntervalTicks = 77;
    line.reply = c.toWire();
    connectRecorder();
    ASSERT_TRUE(form->configurationPage()->ReadConfiguration());
    EXPECT_EQ(interval(), "0:00:00.001");
    click("mSecSpin", true);
    EXPECT_EQ(interval(), "0:00:00.002");
    click("mSecSpin", false);
    click("mSecSpin", false);
    EXPECT_EQ(interval(), "0:00:00.001");
    form->configurationPage()->WriteConfiguration();
    const std::string& wire = line.writes.back().second;
    const ConfigBlock sent = ConfigBlock::fromWire(reinterpret_cast<const std::uint8_t*>(wire.data()));
    EXPECT_EQ(sent.IntervalTicks, 77); // the module keeps its own tick count
    EXPECT_EQ(sent.IntervalUnit, 0);
    const QStringList lines = infoLines();
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines[lines.size() - 2].startsWith("Interval unit is 0 ms"));
    EXPECT_EQ(lines.last(), "Configuration sent to the module.");
}

TEST_F(ConfigureTest, resetAnsweredNoSendsNothing) {
    connectRecorder();
    prompts.answers.push_back(QMessageBox::No);
    QTest::mouseClick(control<QPushButton>(form, "BitBtn1"), Qt::LeftButton);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].caption, "Reset Config Defaults");
    EXPECT_EQ(prompts.messages[0].text,
              "This will reset all configuration values in the device.  Are you sure?");
    EXPECT_EQ(prompts.messages[0].buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_TRUE(line.writes.empty());
}

TEST_F(ConfigureTest, resetAnsweredYesRestoresTheModuleDefaultsAndReadsThem) {
    ConfigBlock changed = link().simulator().defaultConfig();
    changed.AltMin = 999;
    changed.Units = 2;
    link().simulator().setConfig(changed);
    connectSimulator();
    prompts.answers.push_back(QMessageBox::Yes);
    const std::uint32_t t0 = clock.tickCount();
    form->configurationPage()->ResetConfigDefaults();
    EXPECT_GE(clock.tickCount() - t0, 200u);
    EXPECT_EQ(link().simulator().commandLog().substr(link().simulator().commandLog().size() - 4), "*rrr");
    EXPECT_EQ(form->state().config, link().simulator().defaultConfig());
    EXPECT_EQ(infoLines().last(), "Configuration loaded.");
    EXPECT_EQ(form->findChild<RadioGroup*>("UnitsGrp")->itemIndex(),
              link().simulator().defaultConfig().Units);
}

TEST_F(ConfigureTest, resetWaitsBeforeReading) {
    connectRecorder();
    prompts.answers.push_back(QMessageBox::Yes);
    form->configurationPage()->ResetConfigDefaults();
    ASSERT_GE(line.writes.size(), 3u);
    EXPECT_EQ(line.writes[0].second, "*");
    EXPECT_EQ(line.writes[1].second, "r");
    EXPECT_EQ(line.writes[1].first - line.writes[0].first, 200u);
    EXPECT_EQ(line.writes[2].second, "r");
    EXPECT_EQ(line.writes.size(), 4u);
}

TEST_F(ConfigureTest, storedChoicesFillTheControlsAndAreStoredBackAtClose) {
    StoredSettings v;
    v.RevTrig = 1;
    v.Triggered = 1;
    v.AutoStart = 9; // beyond the last item
    v.AutoStartSec = 123;
    v.AutoStartAltitude = -4;
    v.AutoStop = 1;
    v.AutoStopSec = 7;
    v.AutoStopAltitude = 8;
    v.AutoZero = 2;
    v.Interval = 250;
    SaveSettings(v);
    form->show();
    EXPECT_TRUE(form->findChild<QCheckBox*>("RevTrigChk")->isChecked());
    EXPECT_TRUE(form->findChild<QCheckBox*>("TrigChk")->isChecked());
    EXPECT_EQ(form->findChild<RadioGroup*>("AutoStartGrp")->itemIndex(), 3);
    EXPECT_EQ(text("AutoStartSecEdit"), "123");
    EXPECT_EQ(text("AutoStartAltitudeEdit"), "-4");
    EXPECT_EQ(form->findChild<RadioGroup*>("AutoStopGrp")->itemIndex(), 1);
    EXPECT_EQ(text("AutoStopSecEdit"), "7");
    EXPECT_EQ(form->findChild<RadioGroup*>("AutoZeroGrp")->itemIndex(), 2);
    EXPECT_EQ(form->state().config.IntervalUnit, 250);

    type("AutoStopAltitudeEdit", "letters");
    type("AutoStartSecEdit", "42s");
    form->findChild<QCheckBox*>("RevTrigChk")->setChecked(false);
    form->close();
    const StoredSettings back = LoadSettings();
    EXPECT_EQ(back.RevTrig, 0);
    EXPECT_EQ(back.AutoStart, 3);
    EXPECT_EQ(back.AutoStartSec, 42);
    EXPECT_EQ(back.AutoStopAltitude, 0);
    EXPECT_EQ(back.AutoZero, 2);
    EXPECT_EQ(back.Interval, 250);
}

// Every caption on the page shows in full inside the fixed window, also with the longest texts the
// handlers put into the labels.
TEST_F(ConfigureTest, everyCaptionFitsTheFixedWindow) {
    form->show();
    control<QTabWidget>(form, "PageControl1")->setCurrentWidget(control<QWidget>(form, "ConfigurePage"));
    QWidget* page = control<QWidget>(form, "ConfigurePage");
    auto check = [&](const char* when) {
        SCOPED_TRACE(when);
        QCoreApplication::processEvents(); // let the layouts follow changed texts
        int checked = 0;
        for (QWidget* w : page->findChildren<QWidget*>()) {
            if (!w->isVisibleTo(page)) continue;
            const QString name = w->objectName().isEmpty() ? w->metaObject()->className() : w->objectName();
            // Nothing sticks out of what holds it (it would be cut at the edge).
            EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry())) << name.toStdString();
            QString caption;
            auto* label = qobject_cast<QLabel*>(w);
            if (label)
                caption = label->text();
            else if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w) ||
                     qobject_cast<QPushButton*>(w))
                caption = static_cast<QAbstractButton*>(w)->text();
            else
                continue;
            const std::string what = (name + " \"" + caption + "\"").toStdString();
            if (label && label->wordWrap()) {
                EXPECT_LE(label->heightForWidth(label->width()), label->height()) << what;
            } else {
                EXPECT_LE(w->sizeHint().width(), w->width()) << what;
                EXPECT_LE(w->sizeHint().height(), w->height()) << what;
            }
            ++checked;
        }
        EXPECT_GE(checked, 40); // the page was really looked at
    };
    ASSERT_EQ(form->size(), QSize(772, 565));
    check("designed state");

    form->findChild<QSlider*>("ServoHoldBar")->setValue(250);
    ASSERT_EQ(text("HoldTimePanel"), "5000");
    form->findChild<RadioGroup*>("UnitsGrp")->button(1)->click();
    ASSERT_EQ(text("AboveUnitsPanel"), "Yards");
    check("Yards, longest hold time");
    form->findChild<RadioGroup*>("UnitsGrp")->button(2)->click();
    ASSERT_EQ(text("BelowUnitsPanel"), "Meters");
    check("Meters");

    form->state().config.MemorySize = 255;
    form->state().config.IntervalUnit = 100;
    click("HourSpin", true);
    ASSERT_TRUE(text("Msg1").contains("days"));
    check("record time in days");
}

// A Configure button pressed while another exchange holds the module (its click queued before the
// buttons were disabled) does nothing; pressed on its own, it holds the guard while it talks.
TEST_F(ConfigureTest, blockButtonsTakeTheTransactionGuard) {
    connectSimulator();
    ModuleTransactions* guard = form->transactions();
    ASSERT_TRUE(guard);
    const std::pair<const char*, void (ConfigurationPage::*)()> handlers[] = {
        {"ReadCfgBtn", &ConfigurationPage::ReadCfgBtnClick},
        {"WriteCfgBtn", &ConfigurationPage::WriteCfgBtnClick},
        {"BitBtn1", &ConfigurationPage::BitBtn1Click}};
    auto* readCfgBtn = control<QPushButton>(form, "ReadCfgBtn");
    {
        auto other = guard->begin();
        ASSERT_TRUE(other);
        EXPECT_FALSE(readCfgBtn->isEnabled());
        const std::string log = link().simulator().commandLog();
        form->infoLine(QStringLiteral("busy"));
        for (const auto& [name, handler] : handlers) {
            SCOPED_TRACE(name);
            (form->configurationPage()->*handler)();
            EXPECT_EQ(link().simulator().commandLog(), log);
            EXPECT_EQ(infoLines(), QStringList({"busy"}));
            EXPECT_TRUE(prompts.messages.empty()); // no reset question either
            EXPECT_TRUE(guard->running());
        }
    }
    EXPECT_TRUE(readCfgBtn->isEnabled());

    // The guard is free again: each button goes through and holds it while bytes go out.
    link().CommClose();
    ConfigBlock clean;
    clean.Marker = orvo::ConfigMarker;
    line.reply = clean.toWire();
    connectRecorder();
    int writes = 0;
    int unguarded = 0;
    line.onWrite = [&] {
        ++writes;
        if (!guard->running() || readCfgBtn->isEnabled()) ++unguarded;
    };
    prompts.answers.push_back(QMessageBox::Yes);
    for (const auto& [name, handler] : handlers) {
        SCOPED_TRACE(name);
        const int before = writes;
        QTest::mouseClick(form->findChild<QPushButton*>(name), Qt::LeftButton);
        EXPECT_GT(writes, before);
        EXPECT_FALSE(guard->running());
        EXPECT_TRUE(form->findChild<QPushButton*>(name)->isEnabled());
    }
    EXPECT_EQ(unguarded, 0);
}

TEST_F(ConfigureTest, garbledBlockIsNotTakenAndNothingIsWrittenUntilACleanRead) {
    connectSimulator();
    ASSERT_TRUE(form->configurationPage()->ReadConfiguration());
    const ConfigBlock good = form->state().config;
    orvo::sim::Module& m = link().simulator();
    m.faults().garbageBytes = 64; // noise before the block shifts every field
    EXPECT_FALSE(form->configurationPage()->ReadConfiguration());
    EXPECT_EQ(form->state().config, good);
    EXPECT_TRUE(
        infoLines().last().startsWith("The configuration read is doubtful (no 3 of 8 reads agreed; more "
                                      "bytes came after the 38-byte block)"))
        << infoLines().last().toStdString();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Unable to read configuration!");

    m.faults() = orvo::sim::Faults{};
    clock.advance(100);
    const std::string log = m.commandLog();
    type("AltStepEdit", "-250");
    form->configurationPage()->WriteConfiguration();
    EXPECT_EQ(m.commandLog(), log); // no 'c' went out
    EXPECT_EQ(infoLines().last(),
              "The last configuration read was doubtful: nothing was written. Read Config first.");

    ASSERT_TRUE(form->configurationPage()->ReadConfiguration());
    type("AltStepEdit", "-250");
    form->configurationPage()->WriteConfiguration();
    EXPECT_EQ(m.config().AltStep, -250);
    EXPECT_EQ(infoLines().last(), "Configuration sent to the module.");
}

TEST_F(ConfigureTest, onOffBytesAboveOneReadAsCheckedAndGoBackAsTheyCameUnlessEdited) {
    connectSimulator();
    orvo::sim::Module& m = link().simulator();
    ConfigBlock held = m.defaultConfig();
    held.BlankDisplay = 0xFF; // an erased memory
    held.Triggered = 2;
    held.RevTrig = 0xFF;
    m.setConfig(held);
    ASSERT_TRUE(form->configurationPage()->ReadConfiguration());
    for (const char* box : {"BlankChk", "TrigChk", "RevTrigChk"})
        EXPECT_TRUE(control<QCheckBox>(form, box)->isChecked()) << box;
    // Unedited, every byte goes back as it came; an edited one as 0 or 1.
    type("AltStepEdit", "-250");
    form->configurationPage()->WriteConfiguration();
    EXPECT_EQ(m.config().BlankDisplay, 0xFF);
    EXPECT_EQ(m.config().Triggered, 2);
    EXPECT_EQ(m.config().AltStep, -250);
    control<QCheckBox>(form, "RevTrigChk")->setChecked(false);
    form->configurationPage()->WriteConfiguration();
    EXPECT_EQ(m.config().RevTrig, 0);
    EXPECT_EQ(m.config().Triggered, 2);
}
