// `orvo-cli info|download|erase|config` run in this process against the emulated module on a
// virtual clock: a silent, paused, slow, noisy or cut-off module, what each command then says and
// its exit status, and where a set goes when the downloads folder cannot be made.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "data/datafile.h"
#include "simcli.h"

using namespace orvo;

namespace {

class DownloadSimTest : public ::testing::Test {
  protected:
    void startSim(const QStringList& options) { sim.start(options); }
    // Runs orvo-cli with its data directory in the test's folder (or dataDir); returns the exit
    // status.
    int cli(const QStringList& args, QString* out = nullptr, QString* err = nullptr) {
        sim.dataHome = dataDir.isEmpty() ? dataHome.path() : dataDir;
        sim.workDir = workDir;
        const CliRun r = sim.run(args);
        if (out) *out = r.out;
        if (err) *err = r.err;
        return r.status;
    }
    SimCli sim;
    const QString path = QStringLiteral("Simulator");
    QTemporaryDir dataHome;
    QString dataDir; // instead of dataHome
    QString workDir; // the folder orvo-cli runs in
};

} // namespace

TEST_F(DownloadSimTest, InfoEraseAndASilentModule) {
    startSim({"--sets", "2", "--seed", "5"});
    QString out;
    ASSERT_EQ(cli({"info", "--port", path}, &out), 0);
    EXPECT_TRUE(out.contains("     Device Name: ORVO\n"));
    EXPECT_TRUE(out.contains("Memory contains 2 data sets."));
    // Without --yes the question is asked; no answer erases nothing.
    EXPECT_EQ(cli({"erase", "--port", path}, &out), 1);
    EXPECT_TRUE(out.contains("Nothing was erased."));
    // Nobody downloaded the sets: --yes alone does not erase them.
    QString err;
    EXPECT_EQ(cli({"erase", "--port", path, "--yes"}, &out, &err), 1);
    EXPECT_TRUE(err.contains("Sets 1 and 2 were never saved")) << qPrintable(err);
    ASSERT_EQ(cli({"download", "--port", path, "--set", "all"}, &out), 0) << qPrintable(out);
    ASSERT_EQ(cli({"erase", "--port", path, "--yes"}, &out, &err), 0) << qPrintable(err);
    // An empty module answers its identification at once and lists nothing: it holds no sets.
    EXPECT_EQ(cli({"info", "--port", path}, &out), 0);
    EXPECT_TRUE(out.contains("Memory contains 0 data sets.")) << qPrintable(out);
    EXPECT_EQ(cli({"download", "--port", path, "--set", "all"}, &out), 0);
    EXPECT_TRUE(out.contains("No data sets to download.")) << qPrintable(out);
    EXPECT_EQ(cli({"download", "--port", path, "--set", "1"}, &out), 1);

    // A module that lists word counts, with trigger marks and a set announced with W = 0: what
    // was downloaded is saved, and the erase goes ahead.
    startSim({"--sets", "3", "--seed", "9", "--listing", "words", "--unannounced", "3"});
    ASSERT_EQ(cli({"download", "--port", path, "--set", "all"}, &out), 0) << qPrintable(out);
    EXPECT_EQ(cli({"erase", "--port", path, "--yes"}, &out, &err), 0) << qPrintable(err);

    startSim({"--faults", "ignore=vsra"});
    EXPECT_EQ(cli({"info", "--port", path}, &out), 1);
    EXPECT_TRUE(out.startsWith("No Reply from Target\n"));
    EXPECT_EQ(cli({"download", "--port", path, "--set", "all"}, &out), 1);
    EXPECT_EQ(cli({"calibrate", "--port", path, "--altitude", "abc"}, &out), 2);
}

TEST_F(DownloadSimTest, PausedAndSlowListingsAreNeverTakenForAWholeOrEmptyOne) {
    ASSERT_TRUE(dataHome.isValid());
    QString out, err;
    // A listing paused mid-line is doubtful, and nothing is erased.
    startSim({"--sets", "3", "--seed", "8", "--faults", "stall=16:500"});
    EXPECT_EQ(cli({"info", "--port", path}, &out), 1);
    EXPECT_TRUE(out.contains("The set listing is doubtful")) << qPrintable(out);
    EXPECT_EQ(cli({"download", "--port", path, "--set", "all"}, &out), 1);
    EXPECT_EQ(cli({"erase", "--port", path, "--yes"}, &out, &err), 1);
    EXPECT_TRUE(err.contains("nothing was erased")) << qPrintable(err);
    // A module slower than a second still lists its sets.
    startSim({"--sets", "2", "--faults", "delay=1100"});
    EXPECT_EQ(cli({"info", "--port", path}, &out), 0) << qPrintable(out);
    EXPECT_TRUE(out.contains("Memory contains 2 data sets."));
}

TEST_F(DownloadSimTest, TheToolSaysWhatReallyHappened) {
    QString out, err;
    QTemporaryDir work;

    // A set cut short: the samples are kept and written, and the run fails.
    startSim({"--sets", "1", "--no-pacing", "--faults", "truncate=30"});
    const QString cut = work.filePath(QStringLiteral("short.csv"));
    EXPECT_EQ(cli({"download", "--port", path, "--set", "1", "-o", cut}, &out), 1);
    EXPECT_TRUE(out.contains(QRegularExpression(QStringLiteral("Set 1 ended after 30 of \\d+ words"))))
        << qPrintable(out);
    EXPECT_TRUE(QFile::exists(cut));

    // A module that answers 400 ms late still lists its sets.
    startSim({"--sets", "2", "--no-pacing", "--faults", "delay=400"});
    EXPECT_EQ(cli({"info", "--port", path}, &out), 0);
    EXPECT_TRUE(out.contains("Memory contains 2 data sets.")) << qPrintable(out);

    // Without a listing, erase refuses even with --yes; --force erases.
    startSim({"--sets", "2", "--no-pacing", "--faults", "ignore=s"});
    EXPECT_EQ(cli({"erase", "--port", path, "--yes"}, &out, &err), 1);
    EXPECT_TRUE(err.contains("nothing was erased")) << qPrintable(err);
    EXPECT_EQ(cli({"erase", "--port", path, "--yes", "--force"}, &out), 0);

    // Noise before the configuration block: nothing is written back.
    startSim({"--no-pacing", "--faults", "garbage=64"});
    EXPECT_EQ(cli({"config", "--port", path, "--set", "Units=2"}, &out, &err), 1);
    EXPECT_TRUE(err.contains("doubtful") && err.contains("nothing was written")) << qPrintable(err);

    // The downloads folder cannot be made: with no -o the set goes to the current folder, and the
    // run fails.
    startSim({"--sets", "1", "--no-pacing"});
    QFile blocker(work.filePath(QStringLiteral("not-a-folder")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    dataDir = blocker.fileName();
    workDir = work.path();
    EXPECT_EQ(cli({"download", "--port", path, "--set", "1"}, &out), 2);
    EXPECT_TRUE(out.contains("No copy could be saved")) << qPrintable(out);
    const QStringList kept = QDir(work.path()).entryList({QStringLiteral("*_set001.csv")});
    ASSERT_EQ(kept.size(), 1) << qPrintable(out);
    EXPECT_TRUE(out.contains("instead")) << qPrintable(out);
    SeriesList list;
    PlotFileHeader header;
    LoadReport report;
    ASSERT_EQ(loadDataFile(QDir(work.path()).filePath(kept[0]).toStdString(), list, header, report),
              FileStatus::Ok);
    EXPECT_GT(list.dataSet(0).samples.count, 100);
}
