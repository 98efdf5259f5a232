// `orvo-cli download --set all` against `orvo-cli sim` over a pseudo-terminal: the plot file holds
// the flights the emulator recorded, sample for sample, and every set is kept in the downloads
// folder too.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <string>

#include "clirun.h"
#include "data/datafile.h"
#include "sim/module.h"

using namespace orvo;

namespace {

class DownloadPtyTest : public ::testing::Test {
  protected:
    void startSim(const QStringList& args) {
        path = sim.start(args);
        ASSERT_FALSE(path.isEmpty());
    }
    // Runs orvo-cli with its data directory in the test's folder (or dataDir); returns the exit
    // status.
    int cli(const QStringList& args, QString* out = nullptr, QString* err = nullptr) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), dataDir.isEmpty() ? dataHome.path() : dataDir);
        p.setProcessEnvironment(env);
        if (!workDir.isEmpty()) p.setWorkingDirectory(workDir);
        p.start(QStringLiteral(ORVO_BINARY_DIR "/cli/orvo-cli"), args);
        p.closeWriteChannel(); // a question on the terminal gets no answer
        EXPECT_TRUE(p.waitForFinished(120000));
        if (out) *out = QString::fromLocal8Bit(p.readAllStandardOutput());
        if (err) *err = QString::fromLocal8Bit(p.readAllStandardError());
        return p.exitCode();
    }
    PtySim sim;
    QString path;
    QTemporaryDir dataHome;
    QString dataDir; // instead of dataHome
    QString workDir; // the folder orvo-cli runs in
};

// The samples of a recorded set as the program stores them: markers stand before their sample.
std::vector<double> altitudesOf(const sim::RecordedSet& s, int* triggers) {
    std::vector<double> out;
    *triggers = 0;
    for (std::size_t i = 0; i < s.words.size(); ++i) {
        if ((s.words[i] >> 8) == 0x82 && i + 1 < s.words.size()) {
            ++*triggers;
            ++i;
        }
        out.push_back(static_cast<std::int16_t>(s.words[i]));
    }
    return out;
}

} // namespace

TEST_F(DownloadPtyTest, AllSetsArriveSampleForSample) {
    ASSERT_TRUE(dataHome.isValid());
    startSim({"--sets", "3", "--seed", "41"});
    sim::Module expected(64 * 1024);
    ASSERT_EQ(expected.generateFlights(3, 41), 3);

    const QString file = dataHome.filePath(QStringLiteral("all.csv"));
    QString out;
    ASSERT_EQ(cli({"download", "--port", path, "--set", "all", "-o", file}, &out), 0) << out.toStdString();
    EXPECT_TRUE(out.contains("Memory contains 3 data sets."));

    SeriesList list;
    PlotFileHeader header;
    LoadReport report;
    ASSERT_EQ(loadDataFile(file.toStdString(), list, header, report), FileStatus::Ok);
    EXPECT_TRUE(report.plotFile);
    EXPECT_EQ(header.xLabel, "Time (seconds)");
    EXPECT_EQ(header.yLabel, "Altitude (feet)");
    ASSERT_EQ(list.dataSetCount(), 3);
    const double interval = expected.config().IntervalUnit * 0.001;
    for (int n = 0; n < 3; ++n) {
        const sim::RecordedSet& rec = expected.recordedSets()[static_cast<std::size_t>(n)];
        int triggers = 0;
        const std::vector<double> want = altitudesOf(rec, &triggers);
        const Series& got = list.dataSet(n);
        ASSERT_EQ(got.samples.count, static_cast<int>(want.size())) << "set " << n + 1;
        for (int j = 0; j < got.samples.count; ++j) {
            ASSERT_EQ(got.samples.altitude[j], want[static_cast<std::size_t>(j)])
                << "set " << n + 1 << " sample " << j;
            ASSERT_NEAR(got.samples.time[j], rec.intervalTicks * j * interval, 1e-6);
        }
        EXPECT_EQ(list.triggerSet(n).samples.count, triggers);
        EXPECT_EQ(list.triggerSet(n).DisplayFlag, rec.triggered ? 1 : 0);
    }

    // One copy per set in the downloads folder, each a data set file of its own.
    const QDir downloads(dataHome.filePath(QStringLiteral("TamberlinSystems/Orvo/downloads")));
    const QStringList copies = downloads.entryList({"*.csv"}, QDir::Files, QDir::Name);
    ASSERT_EQ(copies.size(), 3);
    EXPECT_EQ(out.count("A copy was saved as "), 3);
    SeriesList one;
    ASSERT_EQ(loadDataFile(downloads.filePath(copies[2]).toStdString(), one, header, report), FileStatus::Ok);
    ASSERT_EQ(one.dataSetCount(), 1);
    EXPECT_EQ(one.dataSet(0).samples.count, list.dataSet(2).samples.count);
}

TEST_F(DownloadPtyTest, InfoEraseAndASilentModule) {
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
    sim.stop(3000);

    // A module that lists word counts, with trigger marks and a set announced with W = 0: what
    // was downloaded is saved, and the erase goes ahead.
    startSim({"--sets", "3", "--seed", "9", "--listing", "words", "--unannounced", "3"});
    ASSERT_EQ(cli({"download", "--port", path, "--set", "all"}, &out), 0) << qPrintable(out);
    EXPECT_EQ(cli({"erase", "--port", path, "--yes"}, &out, &err), 0) << qPrintable(err);
    sim.stop(3000);

    startSim({"--faults", "ignore=vsra"});
    EXPECT_EQ(cli({"info", "--port", path}, &out), 1);
    EXPECT_TRUE(out.startsWith("No Reply from Target\n"));
    EXPECT_EQ(cli({"download", "--port", path, "--set", "all"}, &out), 1);
    EXPECT_EQ(cli({"calibrate", "--port", path, "--altitude", "abc"}, &out), 2);
}

TEST_F(DownloadPtyTest, PausedAndSlowListingsAreNeverTakenForAWholeOrEmptyOne) {
    ASSERT_TRUE(dataHome.isValid());
    QString out, err;
    // A listing paused mid-line is doubtful, and nothing is erased.
    startSim({"--sets", "3", "--seed", "8", "--faults", "stall=16:500"});
    EXPECT_EQ(cli({"info", "--port", path}, &out), 1);
    EXPECT_TRUE(out.contains("The set listing is doubtful")) << qPrintable(out);
    EXPECT_EQ(cli({"download", "--port", path, "--set", "all"}, &out), 1);
    EXPECT_EQ(cli({"erase", "--port", path, "--yes"}, &out, &err), 1);
    EXPECT_TRUE(err.contains("nothing was erased")) << qPrintable(err);
    sim.stop(3000);
    // A module slower than a second still lists its sets.
    startSim({"--sets", "2", "--faults", "delay=1100"});
    EXPECT_EQ(cli({"info", "--port", path}, &out), 0) << qPrintable(out);
    EXPECT_TRUE(out.contains("Memory contains 2 data sets."));
}

TEST_F(DownloadPtyTest, TheToolSaysWhatReallyHappened) {
    QString out, err;
    QTemporaryDir work;

    // A set cut short: the samples are kept and written, and the run fails.
    startSim({"--sets", "1", "--no-pacing", "--faults", "truncate=30"});
    const QString cut = work.filePath(QStringLiteral("short.csv"));
    EXPECT_EQ(cli({"download", "--port", path, "--set", "1", "-o", cut}, &out), 1);
    EXPECT_TRUE(out.contains(QRegularExpression(QStringLiteral("Set 1 ended after 30 of \\d+ words"))))
        << qPrintable(out);
    EXPECT_TRUE(QFile::exists(cut));
    sim.stop(3000);

    // A module that answers 400 ms late still lists its sets.
    startSim({"--sets", "2", "--no-pacing", "--faults", "delay=400"});
    EXPECT_EQ(cli({"info", "--port", path}, &out), 0);
    EXPECT_TRUE(out.contains("Memory contains 2 data sets.")) << qPrintable(out);
    sim.stop(3000);

    // Without a listing, erase refuses even with --yes; --force erases.
    startSim({"--sets", "2", "--no-pacing", "--faults", "ignore=s"});
    EXPECT_EQ(cli({"erase", "--port", path, "--yes"}, &out, &err), 1);
    EXPECT_TRUE(err.contains("nothing was erased")) << qPrintable(err);
    EXPECT_EQ(cli({"erase", "--port", path, "--yes", "--force"}, &out), 0);
    sim.stop(3000);

    // Noise before the configuration block: nothing is written back.
    startSim({"--no-pacing", "--faults", "garbage=64"});
    EXPECT_EQ(cli({"config", "--port", path, "--set", "Units=2"}, &out, &err), 1);
    EXPECT_TRUE(err.contains("doubtful") && err.contains("nothing was written")) << qPrintable(err);
    sim.stop(3000);

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
