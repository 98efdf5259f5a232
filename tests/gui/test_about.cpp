// The About page's hidden door to the module setup dialog (Ctrl-click on the logo), the dialog's
// edits of the in-memory configuration block, the version text and the built user manual.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QTextBrowser>
#include <QTextDocument>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "app/appwindows.h"
#include "app/configwidgets.h"
#include "app/tmainform.h"
#include "app/tmodsetform.h"
#include "app/version.h"
#include "controls.h"
#include "scriptedprompts.h"

namespace {

class AboutTest : public ::testing::Test {
  protected:
    void SetUp() override {
        QSettings(QStringLiteral("TamberlinSystems"), QStringLiteral("Orvo")).clear();
        windows = std::make_unique<AppWindows>(&prompts);
        windows->mainForm->show();
    }
    void TearDown() override {
        windows.reset();
        QSettings(QStringLiteral("TamberlinSystems"), QStringLiteral("Orvo")).clear();
    }
    TMainForm& form() { return *windows->mainForm; }
    TModSetForm& dialog() { return *windows->modSetForm; }
    orvo::ConfigBlock& config() { return form().state().config; }

    // Ctrl-clicks the logo; the dialog is answered by action (what it saw is kept).
    void ctrlClickLogo(std::function<int(QDialog*)> action, Qt::MouseButton button = Qt::LeftButton,
                       Qt::KeyboardModifiers mods = Qt::ControlModifier) {
        prompts.dialogActions.push_back(std::move(action));
        QTest::mouseClick(control<QLabel>(&form(), "Image1"), button, mods);
    }

    ScriptedPrompts prompts;
    std::unique_ptr<AppWindows> windows;
};

int closeWith(QDialog* d) {
    static_cast<TModSetForm*>(d)->BitBtn1->click();
    return d->result();
}

} // namespace

TEST_F(AboutTest, CtrlClickOnTheLogoOpensTheSetupDialogAndSetsTheBacklightCaption) {
    // Before any read the block is all zeros: version 0, no memory size.
    QString shown;
    int selected = 99;
    ctrlClickLogo([&](QDialog* d) {
        shown = dialog().ModDisp->text();
        selected = dialog().MemList->currentIndex();
        return closeWith(d);
    });
    ASSERT_EQ(prompts.dialogsShown, std::vector<QString>{"TModSetForm"});
    EXPECT_EQ(shown, "0");
    EXPECT_EQ(selected, -1);
    EXPECT_EQ(config().MemorySize, 0);

    // Version 3 with 32 KiB: "3", the fourth size, and the backlight caption afterwards. Any
    // button and extra modifiers open it too.
    config().ModuleVersion = 3;
    config().MemorySize = 4;
    ctrlClickLogo(
        [&](QDialog* d) {
            shown = dialog().ModDisp->text();
            selected = dialog().MemList->currentIndex();
            return closeWith(d);
        },
        Qt::RightButton, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(shown, "3");
    EXPECT_EQ(selected, 3);
    EXPECT_EQ(control<QCheckBox>(&form(), "BlankChk")->text(), "Enable LCD backlight");

    // Version 2 gives the blanking caption back; a size above 8 selects nothing and is kept.
    config().ModuleVersion = 2;
    config().MemorySize = 9;
    ctrlClickLogo([&](QDialog* d) {
        selected = dialog().MemList->currentIndex();
        return closeWith(d);
    });
    EXPECT_EQ(selected, -1);
    EXPECT_EQ(config().MemorySize, 9);
    EXPECT_EQ(control<QCheckBox>(&form(), "BlankChk")->text(), "Blank display after 30 seconds");

    // A plain click (or Shift alone) opens nothing.
    QTest::mouseClick(control<QLabel>(&form(), "Image1"), Qt::LeftButton);
    QTest::mouseClick(control<QLabel>(&form(), "Image1"), Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(prompts.dialogsShown.size(), 3u);
}

TEST_F(AboutTest, SetupDialogEditsTheBlockAndKeepsEveryChangeOnClose) {
    TModSetForm& d = dialog();
    EXPECT_EQ(d.windowTitle(), "ModSetForm");
    ASSERT_EQ(d.MemList->count(), 8);
    const char* items[8] = {"8192 (24LC64)", "16384 (24LC128)", "24576", "32768 (24LC256)",
                            "40960",         "49152",           "57344", "65536 (24LC512)"};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(d.MemList->itemText(i), items[i]);

    // The version wraps both ways; the display follows.
    config().ModuleVersion = 255;
    ctrlClickLogo([&](QDialog* dlg) {
        d.CSpinButton1->upButton()->click();
        EXPECT_EQ(d.ModDisp->text(), "0");
        d.CSpinButton1->downButton()->click();
        d.CSpinButton1->downButton()->click();
        d.MemList->setCurrentIndex(7);
        dlg->reject(); // the window's close box: no cancel, changes stay
        return QDialog::Rejected;
    });
    EXPECT_EQ(config().ModuleVersion, 254);
    EXPECT_EQ(d.ModDisp->text(), "254");
    EXPECT_EQ(config().MemorySize, 8);
    EXPECT_EQ(control<QCheckBox>(&form(), "BlankChk")->text(), "Enable LCD backlight");

    // Typed text: an item's exact text selects its size, anything else gives 0.
    ctrlClickLogo([&](QDialog* dlg) {
        d.MemList->lineEdit()->clear();
        QTest::keyClicks(d.MemList->lineEdit(), "16384 (24LC128)");
        EXPECT_EQ(config().MemorySize, 2);
        d.MemList->lineEdit()->clear();
        QTest::keyClicks(d.MemList->lineEdit(), "20000");
        return closeWith(dlg);
    });
    EXPECT_EQ(config().MemorySize, 0);
}

namespace {

// The manual's own window is open, shows the manual with its pictures and names the PDF.
void expectManualWindowNaming(const QString& pdf) {
    QWidget* window = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "ManualWindow" && w->isVisible()) window = w;
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->findChild<QLabel*>("ManualNote")->text().contains(pdf));
    auto* text = window->findChild<QTextBrowser*>("ManualText");
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->toPlainText().contains(QStringLiteral("Erase Data")));
    const QVariant picture =
        text->document()->resource(QTextDocument::ImageResource, QUrl(QStringLiteral("images/connect.png")));
    EXPECT_FALSE(picture.value<QImage>().isNull() && picture.value<QPixmap>().isNull());
    window->close();
}

} // namespace

TEST_F(AboutTest, VersionFromTheBuildAndTheBuiltManual) {
    EXPECT_EQ(control<QLabel>(&form(), "VersionInfo")->text(), "3.4.0.0");
    EXPECT_EQ(form().findChild<QLabel*>("Label22")->text(), "Beta");
    // "Dec  8 2026, 01:14:44": month, day, year, a comma, the time of day.
    EXPECT_TRUE(QRegularExpression(R"(^[A-Z][a-z]{2} [ \d]\d \d{4}, \d\d:\d\d:\d\d$)")
                    .match(control<QLabel>(&form(), "BuildInfo")->text())
                    .hasMatch())
        << control<QLabel>(&form(), "BuildInfo")->text().toStdString();

    // The test program's folder holds no manual: the manual shows inside the program, and its
    // window says where the PDF was looked for.
    form().ManualBtnClick();
    EXPECT_TRUE(prompts.openedUrls.empty());
    expectManualWindowNaming(QDir::toNativeSeparators(TMainForm::manualPath()));

    // The build puts the manual beside the program; it is a real PDF of several pages.
    const QString pdf = QStringLiteral(ORVO_BINARY_DIR "/app/OrvoManual.pdf");
    ASSERT_TRUE(QFileInfo::exists(pdf)) << pdf.toStdString();
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    ASSERT_TRUE(info.waitForFinished(20000));
    ASSERT_EQ(info.exitCode(), 0) << info.readAllStandardError().toStdString();
    const QString out = QString::fromUtf8(info.readAllStandardOutput());
    const auto pages = QRegularExpression(R"(Pages:\s+(\d+))").match(out);
    ASSERT_TRUE(pages.hasMatch()) << out.toStdString();
    EXPECT_GT(pages.captured(1).toInt(), 1);
    EXPECT_TRUE(out.contains(QStringLiteral("Orvo"))) << out.toStdString();
}

// An installed program finds the manual in <prefix>/share/doc/orvo, but a copy beside the
// executable (a build folder) comes first; with neither the executable's folder is named.
TEST(ManualPath, BesideTheProgramFirstThenTheInstalledDocumentation) {
    QTemporaryDir prefix;
    ASSERT_TRUE(prefix.isValid());
    const QDir root(prefix.path());
    ASSERT_TRUE(root.mkpath("bin") && root.mkpath("share/doc/orvo"));
    const QString bin = root.filePath("bin");
    const auto touch = [](const QString& path) {
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write("%PDF-1.4\n") > 0;
    };
    EXPECT_EQ(ManualPath(bin), root.filePath("bin/OrvoManual.pdf"));
    ASSERT_TRUE(touch(root.filePath("share/doc/orvo/OrvoManual.pdf")));
    EXPECT_EQ(ManualPath(bin), root.filePath("share/doc/orvo/OrvoManual.pdf"));
    ASSERT_TRUE(touch(root.filePath("bin/OrvoManual.pdf")));
    EXPECT_EQ(ManualPath(bin), root.filePath("bin/OrvoManual.pdf"));
}

// Where no program is set up for a mail address, a web address or a PDF file, the desktop opens
// nothing; the page says so and names what the user can open by hand.
TEST_F(AboutTest, LinksAndManualThatNothingOpensAreNamed) {
    // A manual beside the program, as the build lays it out beside orvo.
    const QString manual = QCoreApplication::applicationDirPath() + QStringLiteral("/OrvoManual.pdf");
    QFile::remove(manual); // left by a run that did not finish
    ASSERT_TRUE(QFile::copy(QStringLiteral(ORVO_BINARY_DIR "/app/OrvoManual.pdf"), manual));
    struct Remove {
        QString path;
        ~Remove() { QFile::remove(path); }
    } removeManual{manual};

    // No PDF viewer: the manual opens in the program's own window, which names the PDF.
    prompts.openUrlResult = false;
    form().ManualBtnClick();
    ASSERT_EQ(prompts.openedUrls.size(), 1u);
    EXPECT_EQ(prompts.openedUrls[0].toString(), QUrl::fromLocalFile(manual).toString());
    EXPECT_TRUE(prompts.messages.empty());
    expectManualWindowNaming(QDir::toNativeSeparators(manual));

    struct Case {
        std::function<void()> click;
        QString opened, named;
    } cases[] = {
        {[&] { QTest::mouseClick(control<QLabel>(&form(), "AboutEmail"), Qt::LeftButton); },
         "mailto:" + control<QLabel>(&form(), "AboutEmail")->text(),
         control<QLabel>(&form(), "AboutEmail")->text()},
        {[&] { QTest::mouseClick(control<QLabel>(&form(), "AboutWebSite"), Qt::LeftButton); },
         QUrl::fromUserInput(control<QLabel>(&form(), "AboutWebSite")->text()).toString(),
         control<QLabel>(&form(), "AboutWebSite")->text()},
    };
    prompts.openUrlResult = false;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.opened.toStdString());
        prompts.openedUrls.clear();
        prompts.messages.clear();
        c.click();
        ASSERT_EQ(prompts.openedUrls.size(), 1u);
        EXPECT_EQ(prompts.openedUrls[0].toString(), c.opened);
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_TRUE(prompts.lastMessage().contains(c.named)) << prompts.lastMessage().toStdString();
    }
}
