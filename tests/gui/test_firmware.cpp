// "Update Firmware" in the window, against the built-in emulated module on a virtual clock: the
// questions in their order, the controls held while the module is programmed, the progress bar,
// the log, the refusals before anything is sent, and the hidden manual-entry check box.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include "app/appwindows.h"
#include "app/configurationpage.h"
#include "app/moduletransactions.h"
#include "app/tmainform.h"
#include "controls.h"
#include "firmware/hexfile.h"
#include "link/clock.h"
#include "link/comm.h"
#include "link/linkstatus.h"
#include "scriptedprompts.h"
#include "sim/module.h"
#include "tests/unit/firmware/hexkit.h"

namespace {

const QString Warning =
    QStringLiteral("Warning!  Firmware update can render\nthe device non-operational!\n\n"
                   "Be sure to use the proper firmware file.\nDo not interrupt the download "
                   "process.\n\nClick OK to proceed with firmware update.");

void clearStore() {
    QSettings s(QStringLiteral("TamberlinSystems"), QStringLiteral("Orvo"));
    s.clear();
    s.sync();
}

class FirmwareGuiTest : public ::testing::Test {
  protected:
    void SetUp() override {
        clearStore();
        windows = std::make_unique<AppWindows>(&prompts);
        form = windows->mainForm.get();
        link().CommSetClock(&clock);
        control<QComboBox>(form, "CommPortBox")->setEditText(QString::fromLatin1(orvo::SimulatorPortName));
    }
    void TearDown() override {
        windows.reset();
        clearStore();
    }
    orvo::PortLink& link() { return form->state().link; }
    QString hexFile(const std::string& text) {
        const QString path = dir.filePath(QStringLiteral("fw%1.hex").arg(++files));
        EXPECT_TRUE(hexkit::writeFile(path.toStdString(), text));
        return path;
    }
    void connectSimulator() {
        ASSERT_EQ(link().CommOpen(orvo::SimulatorPortName, 5, 0), orvo::LinkStatus::Ok);
        form->state().connected = true;
        control<QPushButton>(form, "ConnectBtn")->setText(QStringLiteral("Disconnect"));
        control<QLabel>(form, "ConnectStatusDisp")->setText(QStringLiteral("Connected"));
    }
    QStringList infoLines() const {
        return control<QPlainTextEdit>(form, "InfoText")->toPlainText().split('\n');
    }
    QCheckBox* check(const char* name) const { return form->findChild<QCheckBox*>(name); }

    orvo::VirtualClock clock{5000};
    QTemporaryDir dir;
    int files = 0;
    ScriptedPrompts prompts;
    std::unique_ptr<AppWindows> windows;
    TMainForm* form = nullptr;
};

} // namespace

TEST_F(FirmwareGuiTest, firmwareGroupHoldsItsControls) {
    EXPECT_EQ(form->findChild<QLabel*>("Label5")->text(), "Firmware Version:");
    EXPECT_EQ(control<QPushButton>(form, "UpdateBtn")->text(), "Update Firmware");
    EXPECT_EQ(check("BlankPartChk")->text(), "Part is Blank");
    EXPECT_FALSE(check("BlankPartChk")->isChecked());
    EXPECT_EQ(check("CompatChk")->text(), "Update trouble?  Try me.");
    EXPECT_TRUE(check("CompatChk")->isHidden());
    EXPECT_FALSE(control<QProgressBar>(form, "ProgressBar1")->isVisibleTo(form));
}

TEST_F(FirmwareGuiTest, updateProgramsTheModuleWithEveryModuleControlHeld) {
    const std::vector<std::uint8_t> image = hexkit::randomImage(orvo::FirmwareSize, 21);
    const QString path = hexFile(hexkit::hexText(image));
    connectSimulator();
    prompts.answers = {QMessageBox::Ok};
    prompts.fileNames = {path};

    auto* progress = control<QProgressBar>(form, "ProgressBar1");
    // Looked at while the module is being programmed, from the messages the run lets through.
    bool looked = false;
    QTimer::singleShot(0, form, [&] {
        looked = true;
        EXPECT_TRUE(form->transactions()->running());
        EXPECT_FALSE(form->state().connected); // the open link was closed first
        EXPECT_EQ(control<QPushButton>(form, "ConnectBtn")->text(), "Connect");
        EXPECT_EQ(control<QLabel>(form, "ConnectStatusDisp")->text(), "Not Connected");
        for (QWidget* w : std::initializer_list<QWidget*>{
                 control<QPushButton>(form, "UpdateBtn"), control<QPushButton>(form, "ConnectBtn"),
                 control<QPushButton>(form, "DLInfoBtn"), control<QPushButton>(form, "ReadCfgBtn"),
                 control<QComboBox>(form, "CommPortBox"), control<QComboBox>(form, "SpeedBox"),
                 control<QPushButton>(form, "ResetModuleBtn")})
            EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
        EXPECT_TRUE(progress->isVisibleTo(form));
        EXPECT_EQ(progress->maximum(), orvo::FirmwareSize - 1);
        // A second click does nothing; a close request waits for the end of the run.
        const std::size_t asked = prompts.messages.size();
        form->configurationPage()->UpdateBtnClick();
        EXPECT_EQ(prompts.messages.size(), asked);
        form->close();
        EXPECT_TRUE(form->transactions()->closePending());
    });
    form->show(); // fills the port list; the test's port is chosen after
    control<QComboBox>(form, "CommPortBox")->setEditText(QString::fromLatin1(orvo::SimulatorPortName));
    form->configurationPage()->UpdateBtnClick();

    EXPECT_TRUE(looked);
    EXPECT_EQ(link().simulator().codeImage(), image);
    EXPECT_EQ(link().simulator().statusByte(), 0);
    ASSERT_GE(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].caption, "Orvo Firmware Update");
    EXPECT_EQ(prompts.messages[0].text, Warning);
    EXPECT_EQ(prompts.messages[0].icon, Prompts::Icon::Warning);
    EXPECT_EQ(prompts.messages[0].buttons, QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.fileTitles, QStringList{"Select Firmware Update File"});
    const QStringList lines = infoLines();
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines.mid(lines.size() - 3),
              (QStringList{"ISP Mode Initiated", "", "Firmware updated successfully."}));
    EXPECT_FALSE(progress->isVisibleTo(form));
    EXPECT_EQ(progress->maximum(), 100);
    EXPECT_EQ(control<QTabWidget>(form, "PageControl1")->currentWidget(),
              control<QWidget>(form, "ConnectPage"));
    EXPECT_FALSE(link().CommIsOpen());
    EXPECT_TRUE(control<QPushButton>(form, "UpdateBtn")->isEnabled());
    // The close asked for during the run happens now.
    QCoreApplication::processEvents();
    EXPECT_FALSE(form->isVisible());
}

TEST_F(FirmwareGuiTest, cancellingTheWarningOrTheFileDialogChangesNothing) {
    connectSimulator();
    prompts.answers = {QMessageBox::Cancel};
    form->configurationPage()->UpdateBtnClick();
    EXPECT_TRUE(prompts.fileTitles.isEmpty());
    prompts.answers = {QMessageBox::Ok}; // then no file chosen
    form->configurationPage()->UpdateBtnClick();
    EXPECT_EQ(prompts.fileTitles.size(), 1);
    EXPECT_TRUE(form->state().connected);
    EXPECT_TRUE(link().CommIsOpen());
    EXPECT_EQ(control<QPlainTextEdit>(form, "InfoText")->toPlainText(), "");
}

TEST_F(FirmwareGuiTest, doubtfulFilesAreRefusedBeforeAnythingIsSent) {
    orvo::sim::Module& m = link().simulator();
    const std::string commands = m.commandLog();
    const std::uint32_t records = m.loaderRecords();

    // Wrong checksums: a Yes/No question; No sends nothing.
    prompts.answers = {QMessageBox::Ok, QMessageBox::No};
    prompts.fileNames = {hexFile(hexkit::record(0, 0, {1, 2}, 1) + "\n" + hexkit::record(0, 2, {3}) + "\n")};
    form->configurationPage()->UpdateBtnClick();
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[1].buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_TRUE(prompts.messages[1].text.startsWith("1 record(s) of this firmware file have a wrong checksum "
                                                    "(the first on line 1)."));
    EXPECT_TRUE(infoLines().last().endsWith("Nothing was sent to the module."));

    // No data at all: asked too, and No sends nothing.
    prompts.answers = {QMessageBox::Ok, QMessageBox::No};
    prompts.fileNames = {hexFile(":00000001FF\n")};
    form->configurationPage()->UpdateBtnClick();
    ASSERT_EQ(prompts.messages.size(), 4u);
    EXPECT_TRUE(prompts.messages[3].text.contains("would erase the module's firmware and program nothing"));

    // Beyond the code space: the error box and the log line.
    prompts.answers = {QMessageBox::Ok};
    prompts.fileNames = {hexFile(hexkit::record(0, 0x1DC0, {1}) + "\n")};
    form->configurationPage()->UpdateBtnClick();
    ASSERT_EQ(prompts.messages.size(), 6u);
    EXPECT_EQ(prompts.messages[5].caption, "Error");
    EXPECT_EQ(prompts.messages[5].text, "Hex file exceeds code space");
    EXPECT_EQ(infoLines().last(), "Hex file exceeds code space.");

    // A damaged line: an error box naming it.
    prompts.answers = {QMessageBox::Ok};
    prompts.fileNames = {hexFile(hexkit::record(0, 0, {1}) + "\n:0300000001XY03F9\n")};
    form->configurationPage()->UpdateBtnClick();
    ASSERT_EQ(prompts.messages.size(), 8u);
    EXPECT_EQ(prompts.messages[7].caption, "Error");
    EXPECT_TRUE(
        prompts.messages[7].detail.startsWith("Line 2 of the firmware file holds a character that is not "
                                              "a hex digit"));

    EXPECT_EQ(m.commandLog(), commands);
    EXPECT_EQ(m.loaderRecords(), records);
    EXPECT_FALSE(control<QProgressBar>(form, "ProgressBar1")->isVisibleTo(form));
    EXPECT_FALSE(infoLines().contains("Firmware updated successfully."));
}

TEST_F(FirmwareGuiTest, failedEraseTellsHowToFinishAndPartIsBlankDoes) {
    orvo::sim::Module& m = link().simulator();
    m.faults().rejectFrom = m.loaderRecords() + 2; // the first erase, three times
    m.faults().rejectCount = 3;
    const QString path = hexFile(hexkit::hexText(hexkit::randomImage(500, 4)));
    prompts.answers = {QMessageBox::Ok};
    prompts.fileNames = {path};
    form->configurationPage()->UpdateBtnClick();
    QStringList lines = infoLines();
    ASSERT_GE(lines.size(), 3) << lines.join('\n').toStdString();
    EXPECT_EQ(lines[lines.size() - 3], "Error Erasing Flash");
    EXPECT_TRUE(lines.last().contains("check \"Part is Blank\""));
    EXPECT_FALSE(lines.contains("Firmware updated successfully."));
    EXPECT_EQ(control<QTabWidget>(form, "PageControl1")->currentWidget(),
              control<QWidget>(form, "ConnectPage"));
    // The status bar sums up how it ended, failed or done.
    const auto summed = [&](orvo::LinkStatus status) {
        return form->statusBar()->currentMessage().endsWith(QString::fromUtf8(orvo::linkStatusText(status)));
    };
    EXPECT_TRUE(summed(orvo::LinkStatus::CommandFailed)) << form->statusBar()->currentMessage().toStdString();

    check("BlankPartChk")->setChecked(true);
    prompts.answers = {QMessageBox::Ok};
    prompts.fileNames = {path};
    form->configurationPage()->UpdateBtnClick();
    EXPECT_EQ(infoLines().last(), "Firmware updated successfully.");
    EXPECT_EQ(m.statusByte(), 0);
    EXPECT_TRUE(summed(orvo::LinkStatus::Ok));

    // "Part is Blank" is kept between runs.
    form->FormClose();
    QSettings store(QStringLiteral("TamberlinSystems"), QStringLiteral("Orvo"));
    EXPECT_EQ(store.value(QStringLiteral("Settings/BlankPart")).toInt(), 1);
    AppWindows again(&prompts);
    again.mainForm->FormShow();
    EXPECT_TRUE(again.mainForm->findChild<QCheckBox*>("BlankPartChk")->isChecked());
    again.mainForm->FormClose();
}

TEST_F(FirmwareGuiTest, manualEntryKeepsPartIsBlankOffAndAsksForS2) {
    QCheckBox* blank = check("BlankPartChk");
    QCheckBox* compat = check("CompatChk");
    blank->setChecked(true);
    compat->click();
    EXPECT_FALSE(blank->isChecked());
    EXPECT_FALSE(blank->isEnabled());
    compat->click();
    EXPECT_TRUE(blank->isEnabled());
    EXPECT_FALSE(blank->isChecked()); // not brought back

    compat->click();
    connectSimulator();
    const QString path = hexFile(hexkit::hexText(hexkit::randomImage(100, 9)));
    prompts.answers = {QMessageBox::Ok, QMessageBox::Cancel};
    prompts.fileNames = {path};
    form->configurationPage()->UpdateBtnClick();
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[1].icon, Prompts::Icon::NoIcon);
    EXPECT_EQ(prompts.messages[1].text, "1) Power off device\n2) Press and hold S2\n3) Power on device\n"
                                        "4) Hold S2 until \"PROG\" is displayed\n5) Click OK");
    EXPECT_FALSE(form->state().connected); // the link was already closed
    EXPECT_FALSE(blank->isEnabled());      // the run gave back only what it had taken

    // The user has started the loader with S2: no "P" goes to the module.
    link().simulator().enterBootLoader();
    const std::string commands = link().simulator().commandLog();
    prompts.answers = {QMessageBox::Ok, QMessageBox::Ok};
    prompts.fileNames = {path};
    form->configurationPage()->UpdateBtnClick();
    EXPECT_EQ(infoLines().last(), "Firmware updated successfully.");
    EXPECT_EQ(link().simulator().commandLog(), commands);
}
