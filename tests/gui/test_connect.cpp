// The module handlers of the main window against the built-in emulated module on a virtual
// clock: connect, speed, Download Info, Download Data (worked example, W = 0, stalls, missing
// header, "All"), erase, reset, calibration, and the one-transaction-at-a-time guard.
#include <gtest/gtest.h>

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>

#include "app/appwindows.h"
#include "app/connectdownloadpage.h"
#include "app/moduletransactions.h"
#include "app/tmainform.h"
#include "controls.h"
#include "data/datafile.h"
#include "desktop/downloadsfolder.h"
#include "link/comm.h"
#include "moduleops/downloadarchive.h"
#include "recordingsimulator.h"
#include "scriptedprompts.h"
#include "showmain.h"
#include "sim/module.h"

using namespace orvo;

namespace {

sim::RecordedSet recorded(std::uint16_t h, std::vector<std::uint16_t> words, bool triggered = false,
                          bool announce = true) {
    sim::RecordedSet s;
    s.intervalTicks = h;
    s.triggered = triggered;
    s.announceCount = announce;
    s.words = std::move(words);
    return s;
}

QStringList infoLines(const TMainForm& f) {
    return control<QPlainTextEdit>(&f, "InfoText")->toPlainText().split('\n');
}

class ConnectTest : public ::testing::Test {
  protected:
    void SetUp() override {
        QSettings(QStringLiteral("TamberlinSystems"), QStringLiteral("Orvo")).clear();
        windows = std::make_unique<AppWindows>(&prompts);
        // The window's own link: its emulated module starts with the default configuration and
        // no recorded sets, on the test's clock.
        sim::Module& m = link().simulator();
        m.setConfig(m.defaultConfig());
        m.setRecordedSets({});
        link().CommSetClock(&clock);
        recordSimulatorPort(link(), wire);
        showMainForm(*windows->mainForm);
        TMainForm& f = form();
        // Only downloaded sets: the start-up set would widen every auto-scaled view.
        series().DeleteDataSet(0);
        QComboBox* ports = control<QComboBox>(&f, "CommPortBox");
        ports->setCurrentIndex(ports->findText(SimulatorPortName));
        control<QComboBox>(&f, "SpeedBox")->setCurrentIndex(5);
    }
    void TearDown() override {
        windows.reset();
        QDir(QString::fromStdString(downloadsFolder())).removeRecursively();
        QSettings(QStringLiteral("TamberlinSystems"), QStringLiteral("Orvo")).clear();
    }
    TMainForm& form() { return *windows->mainForm; }
    orvo::PortLink& link() { return form().state().link; }
    SeriesList& series() { return form().state().plot.settings.series; }
    void connectAndList() {
        control<QPushButton>(&form(), "ConnectBtn")->click();
        ASSERT_TRUE(form().state().connected);
        control<QPushButton>(&form(), "DLInfoBtn")->click();
    }
    int countOf(char command) const {
        return static_cast<int>(std::count(wire.written.begin(), wire.written.end(), command));
    }

    VirtualClock clock{1000};
    Wire wire;
    ScriptedPrompts prompts;
    std::unique_ptr<AppWindows> windows;
};

} // namespace

TEST_F(ConnectTest, ConnectReadsTheConfigurationAndASpeedChangeEndsTheConnection) {
    TMainForm& f = form();
    auto* connectBtn = control<QPushButton>(&f, "ConnectBtn");
    connectBtn->click();
    EXPECT_TRUE(f.state().connected);
    EXPECT_EQ(connectBtn->text(), "Disconnect");
    EXPECT_EQ(control<QLabel>(&f, "ConnectStatusDisp")->text(), "Connected");
    EXPECT_EQ(wire.openedBaud, 115200);
    EXPECT_TRUE(infoLines(f).contains("Configuration loaded."));
    EXPECT_EQ(f.state().config, link().simulator().config());

    control<QComboBox>(&f, "SpeedBox")->setCurrentIndex(2);
    EXPECT_FALSE(f.state().connected);
    EXPECT_FALSE(link().CommIsOpen());
    EXPECT_EQ(connectBtn->text(), "Connect");
    EXPECT_EQ(control<QLabel>(&f, "ConnectStatusDisp")->text(), "Not Connected");
    EXPECT_EQ(f.state().speedIndex, 2);
    connectBtn->click();
    EXPECT_EQ(wire.openedBaud, 9600);
    connectBtn->click();
    EXPECT_FALSE(f.state().connected);
    EXPECT_FALSE(link().CommIsOpen());
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(ConnectTest, ConnectWhereNothingAnswersSaysThePortIsOpenButTheModuleIsSilent) {
    TMainForm& f = form();
    link().simulator().faults().ignoreCommands = "r";
    control<QPushButton>(&f, "ConnectBtn")->click();
    EXPECT_TRUE(f.state().connected);
    EXPECT_EQ(control<QLabel>(&f, "ConnectStatusDisp")->text(), "Port open, module did not answer");
    EXPECT_EQ(wire.writesUnderWaitCursor, 1); // the one 'r' went out under the wait cursor
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Unable to read configuration!");
    EXPECT_TRUE(infoLines(f).contains("The port is open, but the module did not answer."));

    link().simulator().faults() = sim::Faults{};
    control<QPushButton>(&f, "ReadCfgBtn")->click();
    EXPECT_EQ(control<QLabel>(&f, "ConnectStatusDisp")->text(), "Connected");
}

TEST_F(ConnectTest, PortThatDoesNotOpenIsReportedWithTheReason) {
    TMainForm& f = form();
    control<QComboBox>(&f, "CommPortBox")->setEditText(QStringLiteral("/dev/orvo-no-such-port"));
    control<QPushButton>(&f, "ConnectBtn")->click();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Unable to open Serial Port");
    EXPECT_EQ(prompts.messages[0].caption, "Error");
    EXPECT_EQ(prompts.messages[0].icon, Prompts::Icon::Warning);
    EXPECT_FALSE(prompts.messages[0].detail.isEmpty());
    EXPECT_FALSE(f.state().connected);
    EXPECT_EQ(control<QLabel>(&f, "ConnectStatusDisp")->text(), "Not Connected");
}

TEST_F(ConnectTest, EveryModuleButtonSaysNotConnectedAndSendsNothing) {
    TMainForm& f = form();
    for (QPushButton* b : {control<QPushButton>(&f, "DLInfoBtn"), control<QPushButton>(&f, "DLDataBtn"),
                           control<QPushButton>(&f, "EraseDataBtn"),
                           control<QPushButton>(&f, "ResetModuleBtn"), control<QPushButton>(&f, "CalBtn")}) {
        control<QTabWidget>(&f, "PageControl1")->setCurrentWidget(control<QWidget>(&f, "AboutPage"));
        control<QPlainTextEdit>(&f, "InfoText")->setPlainText(QStringLiteral("old text"));
        b->click();
        EXPECT_EQ(control<QPlainTextEdit>(&f, "InfoText")->toPlainText(), "Not Connected")
            << b->objectName().toStdString();
        if (b == control<QPushButton>(&f, "ResetModuleBtn") || b == control<QPushButton>(&f, "CalBtn")) {
            EXPECT_EQ(control<QTabWidget>(&f, "PageControl1")->currentWidget(),
                      control<QWidget>(&f, "ConnectPage"));
        }
    }
    EXPECT_TRUE(wire.written.empty());
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(ConnectTest, SimulatedInfoNeedsNoPortAndAllThenRequestsNothing) {
    TMainForm& f = form();
    control<QCheckBox>(&f, "SimulateChk")->setChecked(true);
    control<QPushButton>(&f, "DLInfoBtn")->click();
    EXPECT_EQ(infoLines(f),
              (QStringList{"     Device Name: ORVO", "           Model: MOD1", "", "Software Version: 0.03",
                           "   Software Date: 08-27-03", "", "", "Memory contains 0 data sets."}));
    auto* setList = control<QComboBox>(&f, "SetList");
    ASSERT_EQ(setList->count(), 1);
    EXPECT_EQ(setList->itemText(0), "All");
    EXPECT_EQ(setList->currentIndex(), 0);
    EXPECT_EQ(control<QLabel>(&f, "FirmwareVersionDisp")->text(), "0.03");
    EXPECT_EQ(f.state().config.Marker, 0xABCD);
    EXPECT_EQ(f.state().config.IntervalTicks, 4);
    EXPECT_TRUE(wire.written.empty());

    link().simulator().setRecordedSets({recorded(1, {1, 2})});
    control<QPushButton>(&f, "ConnectBtn")->click();
    control<QPushButton>(&f, "DLInfoBtn")->click(); // still simulated: the module's set is not listed
    const int sets = series().dataSetCount();
    control<QPushButton>(&f, "DLDataBtn")->click();
    EXPECT_EQ(series().dataSetCount(), sets);
    EXPECT_EQ(countOf('a'), 0);
    EXPECT_FALSE(control<QProgressBar>(&f, "ProgressBar1")->isVisible());
}

TEST_F(ConnectTest, InfoListsTheSetsAndKeepsTheNoReplyNotice) {
    TMainForm& f = form();
    link().simulator().setRecordedSets({recorded(1, {1}), recorded(1, {2}), recorded(1, {3})});
    connectAndList();
    auto* setList = control<QComboBox>(&f, "SetList");
    EXPECT_EQ(setList->count(), 4);
    EXPECT_EQ(setList->itemText(0), "1");
    EXPECT_EQ(setList->itemText(3), "All");
    EXPECT_EQ(f.state().setCount, 3);
    EXPECT_EQ(infoLines(f).first(), "     Device Name: ORVO");
    EXPECT_EQ(infoLines(f).last(), "Memory contains 3 data sets.");

    link().simulator().faults().ignoreCommands = "v";
    control<QPushButton>(&f, "DLInfoBtn")->click();
    EXPECT_EQ(infoLines(f).first(), "No Reply from Target");
    EXPECT_EQ(infoLines(f).last(), "Memory contains 3 data sets.");
    EXPECT_EQ(setList->count(), 4);
}

TEST_F(ConnectTest, WorkedExampleDownloadFillsTheSetNotesLabelsAndACopyOnDisk) {
    TMainForm& f = form();
    link().simulator().setRecordedSets({recorded(10, {0x0064, 0x8201, 0x0065, 0x0066}, true)});
    connectAndList();
    control<QComboBox>(&f, "SetList")->setCurrentIndex(0);
    const int before = series().dataSetCount();
    control<QPushButton>(&f, "DLDataBtn")->click();
    ASSERT_EQ(series().dataSetCount(), before + 1);
    const Series& set = series().dataSet(before);
    const Series& trig = series().triggerSet(before);
    ASSERT_EQ(set.samples.count, 3);
    EXPECT_EQ(set.samples.altitude[2], 102.0);
    EXPECT_EQ(set.samples.time[2], 2.0);
    ASSERT_EQ(trig.samples.count, 1);
    EXPECT_EQ(trig.samples.time[0], 1.0);
    EXPECT_EQ(trig.DisplayFlag, 1);
    EXPECT_EQ(set.note3, "3 sec, interval=1 sec, max=102");
    EXPECT_EQ(set.note2, QDate::currentDate().toString("yyyy-MM-dd").toStdString() + "  Set 1, 3 samples");
    const orvo::PlotSettings& p = f.state().plot.settings;
    EXPECT_EQ(p.xLabel, "Time (seconds)");
    EXPECT_EQ(p.yLabel, "Altitude (feet)");
    EXPECT_EQ(p.timeMin, 0.0);
    EXPECT_EQ(p.timeMax, 3.0);
    EXPECT_EQ(f.state().selectedSet, 0);
    EXPECT_FALSE(control<QProgressBar>(&f, "ProgressBar1")->isVisible());

    const QStringList lines = infoLines(f);
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines[lines.size() - 2], "Downloaded 3 data samples.");
    ASSERT_TRUE(lines.last().startsWith("A copy was saved as ")) << lines.last().toStdString();
    const std::string path = lines.last().mid(20).toStdString();
    SeriesList back;
    PlotFileHeader header;
    LoadReport report;
    ASSERT_EQ(loadDataFile(path, back, header, report), FileStatus::Ok);
    ASSERT_EQ(back.dataSetCount(), 1);
    EXPECT_EQ(back.dataSet(0).samples.count, 3);
    EXPECT_EQ(back.dataSet(0).samples.altitude[1], 101.0);
}

TEST_F(ConnectTest, UnannouncedCountAndTheUnitsLabel) {
    TMainForm& f = form();
    ConfigBlock c = link().simulator().defaultConfig();
    c.Units = 2;
    link().simulator().setConfig(c);
    link().simulator().setRecordedSets({recorded(1, {5, 6, 7, 8, 9}, false, false)});
    connectAndList();
    control<QPushButton>(&f, "DLDataBtn")->click();
    const Series& set = series().dataSet(series().dataSetCount() - 1);
    EXPECT_EQ(set.samples.count, 5);
    EXPECT_EQ(series().triggerSet(series().dataSetCount() - 1).DisplayFlag, 0);
    EXPECT_EQ(f.state().plot.settings.yLabel, "Altitude (meters)");
    EXPECT_EQ(set.altitudeUnit,
              orvo::altitudeUnitOfCode(2)); // the set knows its unit, whatever later sets do to the label
    EXPECT_TRUE(infoLines(f).contains("Downloaded 5 data samples."));
}

TEST_F(ConnectTest, StallMidSetKeepsTheSamplesAndAllGoesOnWithTheNextSet) {
    TMainForm& f = form();
    std::vector<std::uint16_t> long1(30, 0x0100);
    link().simulator().setRecordedSets({recorded(1, long1), recorded(1, {0x0200, 0x0201, 0x0202})});
    connectAndList();
    control<QComboBox>(&f, "SetList")->setCurrentIndex(2); // "All"
    // Every reply pauses 2.5 s after its 16th byte: the header and five words of set 1.
    link().simulator().faults().stallAfter = 16;
    link().simulator().faults().stallMs = 2500;
    const int before = series().dataSetCount();
    control<QPushButton>(&f, "DLDataBtn")->click();
    ASSERT_EQ(series().dataSetCount(), before + 2);
    EXPECT_EQ(series().dataSet(before).samples.count, 5);
    const Series& second = series().dataSet(before + 1);
    ASSERT_EQ(second.samples.count, 3);
    // The late rest of set 1 was not taken for set 2.
    EXPECT_EQ(second.samples.altitude[0], 512.0);
    EXPECT_EQ(f.state().selectedSet, 2);
    EXPECT_EQ(countOf('a'), 2);
}

TEST_F(ConnectTest, MissingHeaderRemovesTheSetAndEndsTheDownload) {
    TMainForm& f = form();
    link().simulator().setRecordedSets({recorded(1, {1, 2}), recorded(1, {3})});
    connectAndList();
    control<QComboBox>(&f, "SetList")->setCurrentIndex(2); // "All"
    link().simulator().faults().ignoreCommands = "a";
    const int before = series().dataSetCount();
    control<QPushButton>(&f, "DLDataBtn")->click();
    EXPECT_EQ(series().dataSetCount(), before);
    EXPECT_EQ(infoLines(f).last(), "Set 1 did not answer; nothing was downloaded.");
    EXPECT_EQ(countOf('a'), 1);
    EXPECT_FALSE(control<QProgressBar>(&f, "ProgressBar1")->isVisible());
}

TEST_F(ConnectTest, AllWithNoSetsRequestsNothing) {
    TMainForm& f = form();
    connectAndList();
    ASSERT_EQ(control<QComboBox>(&f, "SetList")->count(), 1);
    // The module answered at once and listed nothing: it is empty, and Download Data says so.
    EXPECT_TRUE(infoLines(f).contains("Memory contains 0 data sets."));
    const int before = series().dataSetCount();
    control<QPushButton>(&f, "DLDataBtn")->click();
    EXPECT_EQ(series().dataSetCount(), before);
    EXPECT_EQ(countOf('a'), 0);
    EXPECT_EQ(infoLines(f).last(), "No data sets to download.");
}

TEST_F(ConnectTest, EraseAsksThenEmptiesTheSetList) {
    TMainForm& f = form();
    link().simulator().setRecordedSets({recorded(1, {1}), recorded(1, {2})});
    connectAndList();
    prompts.answers.push_back(QMessageBox::No);
    control<QPushButton>(&f, "EraseDataBtn")->click();
    EXPECT_EQ(link().simulator().recordedSets().size(), 2u);
    auto* setList = control<QComboBox>(&f, "SetList");
    EXPECT_EQ(setList->count(), 3);

    // Both sets were downloaded, so they are in the downloads folder: one question is enough.
    setList->setCurrentIndex(2); // "All"
    control<QPushButton>(&f, "DLDataBtn")->click();
    prompts.answers.push_back(QMessageBox::Yes);
    control<QPushButton>(&f, "EraseDataBtn")->click();
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[1].caption, "Reset Config Defaults");
    EXPECT_EQ(prompts.messages[1].text, "This will erase all altitude data in the device.  Are you sure?");
    EXPECT_TRUE(prompts.messages[1].defaultNo); // a stray Enter keeps the data
    EXPECT_TRUE(link().simulator().recordedSets().empty());
    EXPECT_EQ(setList->count(), 0);
    EXPECT_EQ(f.state().setCount, 2);

    control<QPushButton>(&f, "DLDataBtn")->click();
    ASSERT_EQ(prompts.messages.size(), 3u);
    EXPECT_EQ(prompts.messages[2].text, "No data set specified");
    EXPECT_EQ(prompts.messages[2].caption, "Orvo");
    EXPECT_EQ(countOf('a'), 2);
}

TEST_F(ConnectTest, EraseOfSetsNobodySavedOrOfAChangedListingNeedsASecondYes) {
    TMainForm& f = form();
    link().simulator().setRecordedSets({recorded(1, {1}), recorded(1, {2, 3}), recorded(1, {4})});
    connectAndList();
    control<QComboBox>(&f, "SetList")->setCurrentIndex(0);
    control<QPushButton>(&f, "DLDataBtn")->click(); // only set 1 is kept
    const struct {
        const char* fault; // what happens on the line before the erase
        QString named;     // what the second question must say
    } cases[] = {
        {"", QStringLiteral("Sets 2 and 3 were never saved")},
        {"stall=16:500", QStringLiteral("last line was cut off")},
        {"stall=12:500", QStringLiteral("more came after it seemed to have ended")},
    };
    for (const auto& c : cases) {
        std::string error;
        ASSERT_TRUE(sim::parseFaults(c.fault, &link().simulator().faults(), &error)) << error;
        prompts.messages.clear();
        prompts.answers = {QMessageBox::Yes, QMessageBox::No};
        control<QPushButton>(&f, "EraseDataBtn")->click();
        ASSERT_EQ(prompts.messages.size(), 2u) << c.fault;
        EXPECT_TRUE(prompts.messages[1].text.contains(c.named)) << prompts.messages[1].text.toStdString();
        EXPECT_EQ(link().simulator().recordedSets().size(), 3u);
        EXPECT_EQ(infoLines(f).last(), "Nothing was erased.");
        link().simulator().faults() = sim::Faults{};
        clock.advance(1000);
    }
    prompts.answers = {QMessageBox::Yes, QMessageBox::Yes};
    control<QPushButton>(&f, "EraseDataBtn")->click();
    EXPECT_TRUE(link().simulator().recordedSets().empty());
}

TEST_F(ConnectTest, CalibrationSendsTheAltitudeBigEndianAndRejectsNonNumbers) {
    TMainForm& f = form();
    control<QPushButton>(&f, "ConnectBtn")->click();
    control<QLineEdit>(&f, "AltCalEdit")->setText(QStringLiteral("12 ft"));
    wire.written.clear();
    control<QPushButton>(&f, "CalBtn")->click();
    EXPECT_TRUE(wire.written.empty());
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].caption, "Error");

    control<QLineEdit>(&f, "AltCalEdit")->setText(QStringLiteral("-25"));
    const std::uint32_t start = link().CommTickCount();
    control<QPushButton>(&f, "CalBtn")->click();
    // The block read afterwards may be written back: three reads must agree.
    EXPECT_EQ(wire.written, std::string("$t\xFF\xE7rrr", 7));
    EXPECT_EQ(link().simulator().calibrationAltitude(), -25);
    EXPECT_GE(link().CommTickCount() - start, 1800u);
    EXPECT_EQ(infoLines(f).last(), "Configuration loaded.");
}

TEST_F(ConnectTest, ResetWaitsForTheRestartAndReadsTheConfiguration) {
    TMainForm& f = form();
    control<QPushButton>(&f, "ConnectBtn")->click();
    wire.written.clear();
    control<QPlainTextEdit>(&f, "InfoText")->clear();
    const std::uint32_t start = link().CommTickCount();
    prompts.answers = {QMessageBox::No};
    control<QPushButton>(&f, "ResetModuleBtn")->click();
    EXPECT_TRUE(wire.written.empty()); // asked first; No resets nothing
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_TRUE(prompts.messages[0].defaultNo);
    prompts.answers = {QMessageBox::Yes};
    control<QPushButton>(&f, "ResetModuleBtn")->click();
    EXPECT_EQ(wire.written, "Rrrr");
    // The result shows on the status bar too, where the Configure page's user looks.
    EXPECT_EQ(control<QStatusBar>(&f, "StatusPanel")->currentMessage(),
              "Reset Module: Configuration loaded.");
    EXPECT_GE(link().CommTickCount() - start, 4000u);
    EXPECT_EQ(infoLines(f), (QStringList{"Resetting the module...", "Module reset.",
                                         "Reading Configuration...", "Configuration loaded."}));
}

TEST_F(ConnectTest, DuringADownloadNothingElseStartsAndCloseWaitsForTheEnd) {
    TMainForm& f = form();
    link().simulator().setRecordedSets({recorded(1, std::vector<std::uint16_t>(3000, 7))});
    connectAndList();
    control<QComboBox>(&f, "SetList")->setCurrentIndex(0);
    auto* logTimer = control<QTimer>(&f, "Timer1");
    auto* dlDataBtn = control<QPushButton>(&f, "DLDataBtn");
    // As while live logging: it must not read the port during the download.
    logTimer->start();
    bool timerHeld = false;
    bool sawDisabled = false;
    bool progressShown = false;
    int setsDuring = -1;
    QTimer::singleShot(0, &f, [&] {
        // Runs from the download's message processing.
        ASSERT_TRUE(f.transactions()->running());
        sawDisabled = !dlDataBtn->isEnabled() && !control<QPushButton>(&f, "ConnectBtn")->isEnabled() &&
                      !control<QComboBox>(&f, "SpeedBox")->isEnabled() &&
                      !control<QPushButton>(&f, "CalBtn")->isEnabled() &&
                      !control<QPushButton>(&f, "EraseDataBtn")->isEnabled();
        progressShown = control<QProgressBar>(&f, "ProgressBar1")->isVisible();
        timerHeld = !logTimer->isActive();
        f.connectPage()->DLDataBtnClick();
        f.connectPage()->ConnectBtnClick();
        f.connectPage()->SpeedBoxChange(1);
        EXPECT_TRUE(link().CommIsOpen());
        setsDuring = series().dataSetCount();
        f.close();
        EXPECT_TRUE(f.isVisible());
    });
    const int before = series().dataSetCount();
    dlDataBtn->click();
    EXPECT_TRUE(sawDisabled);
    EXPECT_TRUE(progressShown);
    EXPECT_TRUE(timerHeld);
    EXPECT_TRUE(logTimer->isActive());
    logTimer->stop();
    EXPECT_EQ(setsDuring, before + 1);
    EXPECT_EQ(countOf('a'), 1);
    EXPECT_EQ(f.state().speedIndex, 5);
    ASSERT_EQ(series().dataSetCount(), before + 1);
    const int got = series().dataSet(before).samples.count;
    EXPECT_GT(got, 0);
    EXPECT_LT(got, 3000); // the close request ended the download early
    EXPECT_TRUE(dlDataBtn->isEnabled());
    EXPECT_TRUE(f.isVisible());
    QCoreApplication::processEvents();
    EXPECT_FALSE(f.isVisible());
}

TEST_F(ConnectTest, ShortSetIsSaidAndEveryOperationThatWorkedSaysSo) {
    link().simulator().setRecordedSets({recorded(1, std::vector<std::uint16_t>(40, 9))});
    link().simulator().faults().truncateWords = 10; // the stream stops after ten words
    connectAndList();
    TMainForm& f = form();
    control<QPlainTextEdit>(&f, "InfoText")->clear();
    control<QPushButton>(&f, "DLDataBtn")->click();
    const QStringList lines = infoLines(f);
    const int at = static_cast<int>(lines.indexOf("Downloaded 10 data samples."));
    ASSERT_GE(at, 0) << lines.join('|').toStdString();
    EXPECT_EQ(lines.value(at + 1),
              "Set 1 ended after 10 of 40 words: it is incomplete. The 10 samples received are kept.");
    ASSERT_EQ(series().dataSetCount(), 1);
    EXPECT_EQ(series().dataSet(0).samples.count, 10);

    link().simulator().faults() = sim::Faults{};
    clock.advance(100);
    control<QPushButton>(&f, "WriteCfgBtn")->click();
    EXPECT_EQ(infoLines(f).last(), "Configuration sent to the module.");
    // Only 10 of the set's 40 samples were kept: the erase needs a second, explicit Yes.
    prompts.answers = {QMessageBox::Yes, QMessageBox::Yes};
    control<QPushButton>(&f, "EraseDataBtn")->click();
    ASSERT_FALSE(prompts.messages.empty());
    EXPECT_TRUE(prompts.messages.back().text.startsWith("Set 1 in the downloads folder"))
        << prompts.messages.back().text.toStdString();
    EXPECT_EQ(infoLines(f).last(), "Erase command sent: the module's data sets are erased.");
    EXPECT_TRUE(link().simulator().recordedSets().empty());
}
