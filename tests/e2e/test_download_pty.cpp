// `orvo-cli download --set all` against `orvo-cli sim` over a pseudo-terminal (the real serial port
// code): the plot file holds the flights the emulator recorded, sample for sample, and every set is
// kept in the downloads folder too. What the commands say of a faulty module is tested in process
// (test_download_sim.cpp).
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
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
    // Runs orvo-cli with its data directory in the test's folder; returns the exit status.
    int cli(const QStringList& args, QString* out = nullptr, QString* err = nullptr) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome.path());
        p.setProcessEnvironment(env);
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
