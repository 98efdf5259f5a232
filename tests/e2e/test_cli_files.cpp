// `orvo-cli convert` and `orvo-cli show` on real files: merging data set, plot and plain sample
// files into one plot file, picking one set out of it, and the summaries.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "clirun.h"

namespace {

const QString Seeds = QStringLiteral(ORVO_SOURCE_DIR "/tests/fuzz/corpus/fuzz_datafile/");

QByteArray read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(CliFiles, ConvertMergesFilesAndTakesTheFirstPlotsTexts) {
    QTemporaryDir dir;
    const QString out = dir.filePath("all.csv");
    CliRun r = cli({"convert", Seeds + "dataset.csv", Seeds + "plot.csv", Seeds + "plain.csv", "-o", out});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("plain.csv: 2 sample line(s)")); // its damaged lines are reported
    const QByteArray text = read(out);
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
    EXPECT_EQ(read(one), QByteArray("#Data001\r\n#Time (sec)\r\n#Altitude (Feet)\r\n#\r\n#\r\n#\r\n"
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
