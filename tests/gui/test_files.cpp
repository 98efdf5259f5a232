// The Recorded Data page's Save and Load buttons with the save-selection dialog, driven through the
// buttons with scripted answers to the dialogs.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDate>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>

#include <csignal>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

#include "app/appwindows.h"
#include "app/csvimportdialog.h"
#include "app/recordeddatapage.h"
#include "app/tdatalenform.h"
#include "app/tmainform.h"
#include "app/tsavesel.h"
#include "bigplotfile.h"
#include "controls.h"
#include "data/datafile.h"
#include "scriptedprompts.h"
#include "windowsfixture.h"

namespace {

class FilesTest : public WindowsFixture {
  protected:
    void SetUp() override {
        WindowsFixture::SetUp(); // creates the first data set, Data000
        ASSERT_TRUE(dir.isValid());
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    static QByteArray read(const QString& p) {
        QFile f(p);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // The answer to the save-selection dialog: the choice, then OK.
    void chooseSave(int choice, int* shownChoice = nullptr) {
        prompts.dialogActions.push_back([choice, shownChoice](QDialog* d) {
            auto* sel = qobject_cast<TSaveSel*>(d);
            if (!sel) return int(QDialog::Rejected);
            if (shownChoice) *shownChoice = sel->itemIndex();
            sel->setItemIndex(choice);
            sel->BitBtn1->click();
            return sel->result();
        });
    }
    void save(int choice, const QString& file) {
        chooseSave(choice);
        prompts.fileNames.push_back(file);
        control<QPushButton>(main, "SaveBtn")->click();
    }
};

} // namespace

TEST_F(FilesTest, DialogsCarryTheirControls) {
    TSaveSel* sel = windows->saveSel.get();
    EXPECT_EQ(sel->windowTitle(), "Save");
    EXPECT_EQ(sel->Label1->text(), "What do you want to save?");
    EXPECT_EQ(sel->itemIndex(), TSaveSel::ActiveDataSet);
    TDataLenForm* len = windows->dataLenForm.get();
    EXPECT_EQ(len->windowTitle(), "Edit Data Length");
    EXPECT_TRUE(len->DataLenEdit->text().isEmpty());
    EXPECT_EQ(len->Label2->text(), "samples");
    EXPECT_EQ(main->findChild<QPushButton*>("SaveBtn")->toolTip(), "Save Data");
    EXPECT_EQ(main->findChild<QPushButton*>("LoadBtn")->toolTip(), "Load data");
}

TEST_F(FilesTest, CancelInTheSaveSelectionEndsBeforeAnyFileDialog) {
    prompts.dialogActions.push_back([](QDialog* d) {
        static_cast<TSaveSel*>(d)->BitBtn2->click();
        return d->result();
    });
    control<QPushButton>(main, "SaveBtn")->click();
    EXPECT_EQ(prompts.dialogsShown, std::vector<QString>{"TSaveSel"});
    EXPECT_TRUE(prompts.fileTitles.isEmpty());
}

TEST_F(FilesTest, SaveActiveSetThenWholePlotAndTheChoiceIsKept) {
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    save(TSaveSel::ActiveDataSet, path("alt.csv"));
    ASSERT_EQ(prompts.fileTitles.size(), 1);
    EXPECT_EQ(prompts.fileTitles[0], "Save Orvo Data");
    EXPECT_EQ(prompts.proposedPaths[0], QStringLiteral("Alt_%1_1.csv").arg(today));
    EXPECT_TRUE(read(path("alt.csv")).startsWith("#Data000\r\n#Time (sec)\r\n#Altitude (Feet)\r\n"));

    save(TSaveSel::PlotAndAllDataSets, path("plot.csv"));
    EXPECT_EQ(prompts.proposedPaths[1], QStringLiteral("Plot_%1.csv").arg(today));
    EXPECT_TRUE(read(path("plot.csv")).startsWith("Orvo Plot\r\n#Altitude versus Time\r\n"));

    int shown = -1;
    chooseSave(TSaveSel::PlotAndAllDataSets, &shown);
    control<QPushButton>(main, "SaveBtn")->click(); // the file dialog is cancelled
    EXPECT_EQ(shown, TSaveSel::PlotAndAllDataSets);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(FilesTest, LoadAddsDataSetsTakesThePlotTextsAndRemembersTheFile) {
    list().dataSet(0).note1 = "kept";
    plot().title = "Saved title";
    plot().timeMax = 1234.5678;
    save(TSaveSel::PlotAndAllDataSets, path("plot.csv"));
    plot().title = "Changed";
    plot().timeMax = 5.0;

    prompts.fileNames.push_back(path("plot.csv"));
    control<QPushButton>(main, "LoadBtn")->click();
    EXPECT_EQ(prompts.fileTitles.last(), "Load Orvo Data");
    ASSERT_EQ(list().dataSetCount(), 2);
    EXPECT_EQ(list().dataSet(1).name, "Data000");
    EXPECT_EQ(list().dataSet(1).note1, "kept");
    QComboBox* sets = control<QComboBox>(main, "ActiveSetCombo");
    EXPECT_EQ(sets->count(), 2);
    EXPECT_EQ(sets->currentIndex(), 1); // the loaded set is the active one
    EXPECT_EQ(plot().title, "Saved title");
    EXPECT_EQ(plot().timeMax, 1234.57);
    EXPECT_TRUE(prompts.messages.empty());

    control<QPushButton>(main, "LoadBtn")->click(); // cancelled, but the dialog proposed the last file
    EXPECT_EQ(prompts.proposedPaths.last(), path("plot.csv"));
    EXPECT_EQ(list().dataSetCount(), 2);
}

TEST_F(FilesTest, FailuresAreReportedOnce) {
    // A file that cannot be opened.
    prompts.fileNames.push_back(path("none.csv"));
    control<QPushButton>(main, "LoadBtn")->click();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].caption, "Error");
    EXPECT_EQ(prompts.messages[0].icon, Prompts::Icon::Warning);
    EXPECT_EQ(prompts.messages[0].text, QStringLiteral("Unable to open %1!").arg(path("none.csv")));
    EXPECT_EQ(list().dataSetCount(), 1);

    save(TSaveSel::ActiveDataSet, path("missing/alt.csv"));
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("Unable to open %1!").arg(path("missing/alt.csv")));

    // A foreign file with lines that do not parse loads, and says so.
    QFile f(path("foreign.csv"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("0.5, 12.25, 0\nnot a number\n1.0; 3; 0\n");
    f.close();
    prompts.fileNames.push_back(path("foreign.csv"));
    control<QPushButton>(main, "LoadBtn")->click();
    EXPECT_EQ(list().dataSetCount(), 1); // in place of the untouched start-up set
    ASSERT_EQ(prompts.messages.size(), 3u);
    EXPECT_TRUE(prompts.lastMessage().startsWith(path("foreign.csv")));
    EXPECT_TRUE(prompts.lastMessage().contains("2 sample line(s)"));
}

TEST_F(FilesTest, SaveThatCannotWriteEverythingKeepsTheOldFile) {
    orvo::Series& s = list().dataSet(0);
    s.samples.count = orvo::MaxSamples;
    QFile old(path("plot.csv"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("previous plot\r\n");
    old.close();

    struct sigaction ignore {
    }, previous{};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &previous);
    struct rlimit was {};
    ::getrlimit(RLIMIT_FSIZE, &was);
    struct rlimit small = was;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    save(TSaveSel::PlotAndAllDataSets, path("plot.csv"));
    ::setrlimit(RLIMIT_FSIZE, &was);
    ::sigaction(SIGXFSZ, &previous, nullptr);

    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("Unable to write %1!").arg(path("plot.csv")));
    EXPECT_EQ(read(path("plot.csv")), "previous plot\r\n");
}

// Files dropped together (or named on the command line) are one load: together they add at most
// MaxDataSetsPerLoad data sets, and the file that found none left says so.
TEST_F(FilesTest, FilesOpenedTogetherShareTheLoadsBoundOnDataSets) {
    QByteArray text = "Orvo Plot\n#t\n#x\n#y\n#\n#\n#\n#0,0,20,20\n";
    for (int n = 0; n < 600; ++n)
        text += "! 255, 1, 255, 0, 255, 7\n1, 2, 0\n";
    QFile f(path("many.csv"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
    f.close();
    main->dataPage()->openDataFiles({f.fileName(), f.fileName(), f.fileName()});
    // What the files bring takes the start-up set's place.
    EXPECT_EQ(list().dataSetCount(), orvo::MaxDataSetsPerLoad);
    ASSERT_EQ(prompts.messages.size(), 2u); // the second file is cut, the third adds nothing
    EXPECT_TRUE(prompts.messages[0].text.contains("only the first 400"))
        << prompts.messages[0].text.toStdString();
    EXPECT_TRUE(prompts.messages[1].text.contains("took them all")) << prompts.messages[1].text.toStdString();
}

// Memory that runs out during a load (here an address-space limit a little above what the window
// already uses) is a message; the window keeps running with its data sets as they were.
TEST_F(FilesTest, LoadThatRunsOutOfMemoryIsAMessage) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer reserves more address space than the limit allows";
#endif
    ASSERT_TRUE(writeBigPlotFile(path("big.csv")));
    const int before = list().dataSetCount();

    long pages = 0;
    {
        std::FILE* statm = std::fopen("/proc/self/statm", "r");
        ASSERT_NE(statm, nullptr);
        ASSERT_EQ(std::fscanf(statm, "%ld", &pages), 1);
        std::fclose(statm);
    }
    struct rlimit was {};
    ::getrlimit(RLIMIT_AS, &was);
    struct rlimit tight = was;
    tight.rlim_cur = static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + (48u << 20);
    ASSERT_EQ(::setrlimit(RLIMIT_AS, &tight), 0);
    main->dataPage()->openDataFiles({path("big.csv")});
    ::setrlimit(RLIMIT_AS, &was);

    EXPECT_EQ(list().dataSetCount(), before);
    EXPECT_EQ(prompts.lastMessage(),
              QStringLiteral("Not enough memory to load %1. Nothing of it was loaded.").arg(path("big.csv")));
    EXPECT_FALSE(windows->state.history.canUndo());
}

TEST_F(FilesTest, ImportDialogAsksWhenTheGuessIsDoubtfulAndRemembersTheChoice) {
    QFile f(path("telemetry.csv"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("time,gps_alt,altitude\n0,100,10\n1,200,20\n2,300,30\n");
    f.close();
    const int before = list().dataSetCount();
    // No unit named: the dialog comes up with the guess; the flyer takes the GPS column in meters.
    int shownAltitude = -1;
    prompts.dialogActions.push_back([&shownAltitude](QDialog* d) {
        auto* dialog = dynamic_cast<CsvImportDialog*>(d);
        if (!dialog) return int(QDialog::Rejected);
        shownAltitude = dialog->AltitudeCombo->currentIndex();
        dialog->AltitudeCombo->setCurrentIndex(1);
        dialog->UnitCombo->setCurrentIndex(1 + orvo::altitudeUnitOfShortName("m")->code);
        return int(QDialog::Accepted);
    });
    ASSERT_TRUE(main->dataPage()->loadDataFile(path("telemetry.csv")));
    EXPECT_EQ(shownAltitude, 2);
    ASSERT_EQ(list().dataSetCount(), before + 1);
    EXPECT_EQ(list().dataSet(before).samples.altitude[2], 300.0);
    EXPECT_EQ(list().dataSet(before).altitudeUnit, orvo::altitudeUnitOfShortName("m"));

    // The same header again: the remembered choice, without a dialog.
    const std::size_t asked = prompts.dialogsShown.size();
    ASSERT_TRUE(main->dataPage()->loadDataFile(path("telemetry.csv")));
    EXPECT_EQ(prompts.dialogsShown.size(), asked);
    ASSERT_EQ(list().dataSetCount(), before + 2);
    EXPECT_EQ(list().dataSet(before + 1).samples.altitude[2], 300.0);

    // Import asks for any foreign file; Cancel adds nothing.
    prompts.fileNames.push_back(path("telemetry.csv"));
    control<QPushButton>(main, "ImportBtn")->click();
    EXPECT_EQ(prompts.dialogsShown.size(), asked + 1);
    EXPECT_EQ(list().dataSetCount(), before + 2);
}
