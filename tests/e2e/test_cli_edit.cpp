// `orvo-cli edit` on real files: the corrections applied in the order given to the chosen set,
// the output written like convert writes it, and nothing written when a correction cannot apply.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "clirun.h"

#include "data/datafile.h"

namespace {

QString read(const QString& path) {
    return QString::fromUtf8(readFile(path));
}

// Set 0: 40 samples at 5; set 1: the 1000-sample drifting flight with two trigger marks.
void makeFlights(orvo::SeriesList& list) {
    orvo::Series& a = list.CreateDataSet();
    a.samples.count = 40;
    for (int i = 0; i < 40; ++i) {
        a.samples.time[i] = i;
        a.samples.altitude[i] = 5.0;
    }
    orvo::Series& b = list.CreateDataSet();
    b.samples.count = 1000;
    for (int i = 0; i < 1000; ++i) {
        b.samples.time[i] = i;
        b.samples.altitude[i] = 200.0;
    }
    b.samples.altitude[20] = 100.0;
    b.samples.altitude[950] = 112.0;
    b.samples.altitude[485] = 300.0;
    orvo::Series& t = list.triggerSet(1);
    t.samples.count = 2;
    t.samples.time[0] = 485.0;
    t.samples.altitude[0] = 300.0;
    t.samples.time[1] = 960.0;
    t.samples.altitude[1] = 200.0;
}

bool writePlot(const QString& path, const orvo::PlotFileHeader& h) {
    orvo::SeriesList list;
    makeFlights(list);
    return orvo::savePlotFile(path.toStdString(), list, h) == orvo::FileStatus::Ok;
}

} // namespace

TEST(CliEdit, CorrectsTheChosenSetInOrderAndKeepsThePlotFile) {
    QTemporaryDir dir;
    const QString in = dir.filePath("season.csv"), out = dir.filePath("fixed.csv");
    const QString photos = dir.filePath("photos.txt");
    orvo::PlotFileHeader h;
    h.title = "Club day";
    h.xLabel = "Time (sec)";
    h.yLabel = "Altitude (Feet)";
    h.info3 = "apogee max=300 ft";
    ASSERT_TRUE(writePlot(in, h));

    const CliRun r = cli({"edit", in, "-o", out, "--set", "1", "--fix-drift", "--photo-list", photos,
                          "--shift-time", "10", "--shift-altitude", "0.000001"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();

    orvo::SeriesList list;
    orvo::PlotFileHeader back;
    orvo::LoadReport report;
    ASSERT_EQ(orvo::loadDataFile(out.toStdString(), list, back, report), orvo::FileStatus::Ok);
    EXPECT_TRUE(report.plotFile);
    ASSERT_EQ(list.dataSetCount(), 2);
    EXPECT_EQ(back.title, "Club day");
    EXPECT_EQ(back.info3, "apogee max=294");
    EXPECT_DOUBLE_EQ(back.altitudeMax, 300.0); // the view's altitude was refitted
    const orvo::SampleBuffer& b = list.dataSet(1).samples;
    EXPECT_NEAR(b.altitude[485], 294.0, 1e-4);
    EXPECT_NEAR(b.altitude[999], 100.0, 1e-4);
    EXPECT_DOUBLE_EQ(b.time[0], 10.0);
    EXPECT_DOUBLE_EQ(list.dataSet(0).samples.time[0], 0.0); // the other set is untouched
    EXPECT_DOUBLE_EQ(list.dataSet(0).samples.altitude[0], 5.0);

    // The photo list was written before the time shift, with the corrected trigger altitudes.
    EXPECT_EQ(read(photos), QStringLiteral("#Club day\n#Time (sec)\n#Altitude (Feet)\n#\n#\n#apogee max=294\n"
                                           "# pic    time   altitude\n"
                                           "    1  485.00     294.00\n"
                                           "    2  960.00     100.00\n"));
}

TEST(CliEdit, ADataSetFileStaysOneSetAndCropAndOffsetApply) {
    QTemporaryDir dir;
    const QString plot = dir.filePath("plot.csv"), in = dir.filePath("one.csv"),
                  out = dir.filePath("out.csv");
    ASSERT_TRUE(writePlot(plot, orvo::PlotFileHeader{}));
    ASSERT_EQ(cli({"convert", plot, "--set", "1", "-o", in}).status, 0);

    const CliRun r = cli({"edit", in, "-o", out, "--fix-offset", "--crop", "10,30"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    orvo::SeriesList list;
    orvo::PlotFileHeader back;
    orvo::LoadReport report;
    ASSERT_EQ(orvo::loadDataFile(out.toStdString(), list, back, report), orvo::FileStatus::Ok);
    EXPECT_FALSE(report.plotFile);
    ASSERT_EQ(list.dataSetCount(), 1);
    const orvo::SampleBuffer& b = list.dataSet(0).samples;
    ASSERT_EQ(b.count, 21);
    EXPECT_DOUBLE_EQ(b.altitude[10], 0.0); // former sample 20, the launch site
    EXPECT_DOUBLE_EQ(b.altitude[0], 100.0);
}

TEST(CliEdit, NothingIsWrittenWhenAnEditCannotApply) {
    QTemporaryDir dir;
    const QString in = dir.filePath("in.csv"), out = dir.filePath("out.csv");
    orvo::SeriesList list;
    orvo::Series& s = list.CreateDataSet();
    s.samples.count = 5;
    ASSERT_EQ(orvo::saveDataSetFile(in.toStdString(), list, 0, orvo::PlotFileHeader{}), orvo::FileStatus::Ok);

    CliRun r = cli({"edit", in, "-o", out, "--fix-drift"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("5 samples")) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(out));

    r = cli({"edit", in, "-o", out, "--set", "2", "--shift-time", "1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("no set 2")) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(out));

    for (const QStringList& bad :
         {QStringList{"edit", in, "--fix-drift"}, QStringList{"edit", in, "-o", out, "--crop", "30,10"},
          QStringList{"edit", in, "-o", out, "--shift-time", "1,5"},
          QStringList{"edit", in, "-o", out, "--bogus"}}) {
        r = cli(bad);
        EXPECT_EQ(r.status, 2) << bad.join(' ').toStdString();
    }
    EXPECT_FALSE(QFile::exists(out));

    r = cli({"edit", dir.filePath("missing.csv"), "-o", out});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("Unable to open")) << r.err.toStdString();
}
