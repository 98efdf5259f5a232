// `orvo-cli convert` and `orvo-cli show` on real files: merging data set, plot and plain sample
// files into one plot file, picking one set out of it, and the summaries.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include "bigplotfile.h"
#include "clirun.h"

namespace {

const QString Seeds = QStringLiteral(ORVO_SOURCE_DIR "/tests/fuzz/corpus/fuzz_datafile/");

} // namespace

TEST(CliFiles, ConvertMergesFilesAndTakesTheFirstPlotsTexts) {
    QTemporaryDir dir;
    const QString out = dir.filePath("all.csv");
    CliRun r = cli({"convert", Seeds + "dataset.csv", Seeds + "plot.csv", Seeds + "plain.csv", "-o", out});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("plain.csv: 2 sample line(s)")); // its damaged lines are reported
    const QByteArray text = readFile(out);
    EXPECT_TRUE(text.startsWith(
        "Orvo Plot\r\n#Flight 3\r\n#Time (sec)\r\n#Altitude (Feet)\r\n#field A\r\n#\r\n#calm\r\n"
        "#0,-10,1234.57,400\r\n"));
    EXPECT_EQ(text.count("\r\n! "), 4);

    r = cli({"show", out});
    ASSERT_EQ(r.status, 0);
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(
        lines[0].endsWith("Data001: 3 samples, time 0 to 0.2 s, highest altitude 12, 0 trigger marks, 1 "
                          "climb marks, 1 peak marks"))
        << lines[0].toStdString();
    EXPECT_TRUE(
        lines[1].contains("Data000: 3 samples, time 0 to 0.6 s, highest altitude 30.5, 1 trigger marks"));

    // One set out of the merged file is a data set file that carries the plot's labels and limits.
    const QString one = dir.filePath("one.csv");
    r = cli({"convert", out, "--set", "2", "-o", one});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(readFile(one), QByteArray("#Data001\r\n#Time (sec)\r\n#Altitude (Feet)\r\n#\r\n#\r\n#\r\n"
                                        "#0,-10,1234.57,400,0\r\n   1.0000,   -3.2500, 0\r\n"));
}

TEST(CliFiles, FailuresHaveTheirOwnStatus) {
    QTemporaryDir dir;
    CliRun r = cli({"convert", Seeds + "plot.csv", "--set", "7", "-o", dir.filePath("x.csv")});
    EXPECT_EQ(r.status, 2);
    EXPECT_FALSE(QFile::exists(dir.filePath("x.csv")));
    r = cli({"convert", dir.filePath("none.csv"), "-o", dir.filePath("x.csv")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("Unable to open"));
    r = cli({"convert", Seeds + "plot.csv", "-o", dir.filePath("no/such/dir.csv")});
    EXPECT_EQ(r.status, 1);
    r = cli({"show", dir.filePath("none.csv")});
    EXPECT_EQ(r.status, 1);
    r = cli({"convert", Seeds + "plot.csv"});
    EXPECT_EQ(r.status, 2);
}

// Under a limit on the address space (ulimit -v) a file too large for it is a message and exit
// status 1, not an abort; a small file still loads under the same limit.
TEST(CliFiles, RunningOutOfMemoryIsAMessage) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer reserves more address space than the limit allows";
#endif
    QTemporaryDir dir;
    const QString big = dir.filePath("big.csv");
    ASSERT_TRUE(writeBigPlotFile(big));
    auto showLimited = [](const QString& file) {
        QProcess p;
        p.setChildProcessModifier([] {
            const rlimit limit{160u << 20, 160u << 20};
            ::setrlimit(RLIMIT_AS, &limit);
        });
        p.start(Cli, {"show", file});
        p.waitForFinished(60000);
        return std::make_tuple(p.exitStatus(), p.exitCode(), QString::fromUtf8(p.readAllStandardError()),
                               QString::fromUtf8(p.readAllStandardOutput()));
    };
    auto [crash, status, err, out] = showLimited(big);
    EXPECT_EQ(crash, QProcess::NormalExit);
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(err.contains("not enough memory to load " + big, Qt::CaseInsensitive)) << err.toStdString();
    EXPECT_TRUE(out.isEmpty());

    std::tie(crash, status, err, out) = showLimited(Seeds + "plot.csv");
    EXPECT_EQ(status, 0) << err.toStdString();
    EXPECT_FALSE(out.isEmpty());
}
