// Data set files, plot files and plain sample files: what is written byte for byte, what a load
// brings back, and how the reader meets damaged or foreign files.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "data/datafile.h"

using namespace orvo;

namespace {

void setSamples(Series& s, std::initializer_list<std::array<double, 2>> points) {
    s.samples.count = 0;
    for (const auto& p : points) {
        const auto i = static_cast<std::size_t>(s.samples.count++);
        s.samples.time[i] = p[0];
        s.samples.altitude[i] = p[1];
        s.samples.peakMark[i] = 0;
    }
}

void addTrigger(Series& trig, double time, double altitude) {
    const auto k = static_cast<std::size_t>(trig.samples.count++);
    trig.samples.time[k] = time;
    trig.samples.altitude[k] = altitude;
}

PlotFileHeader exampleHeader() {
    PlotFileHeader h;
    h.title = "Altitude versus Time";
    h.xLabel = "Time (seconds)";
    h.yLabel = "Altitude (feet)";
    return h;
}

const char* const ExampleFile = "#Data001\r\n"
                                "#Time (seconds)\r\n"
                                "#Altitude (feet)\r\n"
                                "#\r\n"
                                "#\r\n"
                                "#\r\n"
                                "#0,0,20,20,0\r\n"
                                "   0.0000,    0.0000, 0\r\n"
                                "   0.1000,    5.0000, 0\r\n"
                                "   0.2000,   12.0000, 1\r\n"
                                "#C 0, 2\r\n";

// Data set Data001 of the example: three samples, the last a peak, one climb mark, no triggers.
void makeExample(SeriesList& list) {
    list.CreateDataSet(); // Data000
    list.DeleteDataSet(0);
    Series& s = list.CreateDataSet();
    setSamples(s, {{0.0, 0.0}, {0.1, 5.0}, {0.2, 12.0}});
    s.samples.peakMark[2] = 1;
    list.triggerSet(0).DisplayFlag = 0;
    list.AddClimbMark(0, 0, 2);
}

std::string sampleLines(const std::string& file) {
    std::string out;
    LineReader in(file);
    std::string_view line;
    while (in.readLine(line))
        if (!line.empty() && line[0] != '#' && line[0] != '!' && line[0] != 'O')
            out.append(line).append("\n");
    return out;
}

} // namespace

TEST(DataSetFile, ExampleIsWrittenByteForByteAndLoadsBack) {
    SeriesList list;
    makeExample(list);
    std::string file;
    WriteSetBlock(list, 0, exampleHeader(), file);
    EXPECT_EQ(file, ExampleFile);

    SeriesList loaded;
    loaded.CreateDataSet(); // an existing set stays; loading adds after it
    PlotFileHeader header;
    header.timeMax = 77.0;
    const LoadReport r = loadDataText(file, loaded, header);
    EXPECT_FALSE(r.plotFile);
    EXPECT_EQ(r.setsAdded, 1);
    EXPECT_EQ(r.unreadableLines, 0);
    ASSERT_EQ(loaded.dataSetCount(), 2);
    const Series& s = loaded.dataSet(1);
    EXPECT_EQ(s.name, "Data001");
    ASSERT_EQ(s.samples.count, 3);
    EXPECT_DOUBLE_EQ(s.samples.time[1], 0.1);
    EXPECT_DOUBLE_EQ(s.samples.altitude[2], 12.0);
    EXPECT_EQ(s.samples.peakMark[2], 1);
    EXPECT_EQ(s.peakMarkCount(), 1);
    EXPECT_EQ(s.climbMarkCount(), 1);
    EXPECT_EQ(s.climbMarks[0].start, 0);
    EXPECT_EQ(s.climbMarks[0].end, 2);
    EXPECT_EQ(loaded.triggerSet(1).DisplayFlag, 0);
    EXPECT_EQ(loaded.triggerSet(1).samples.count, 0);
    // A data set file carries no colours and leaves the plot's limits alone.
    EXPECT_EQ(s.lineColour, SeriesList::SetColourCycle[1]);
    EXPECT_EQ(s.lineStyle, LineSolid);
    EXPECT_EQ(header.timeMax, 77.0);
}

TEST(PlotFile, TwoSetsWithTriggersClimbAndPeakMarksRoundTrip) {
    SeriesList list;
    Series& a = list.CreateDataSet();
    setSamples(a, {{0.0, 0.0}, {0.3, 14.0}, {0.6, 30.5}, {0.9, 31.0}});
    a.samples.peakMark[2] = 1;
    a.note1 = "first flight";
    a.note3 = "windy";
    a.lineColour = 0x00123456;
    a.lineStyle = LineDash;
    a.pointColour = 0x00654321;
    a.pointStyle = PointSquare;
    Series& at = list.triggerSet(0);
    at.pointColour = 0x00ABCDEF;
    at.pointStyle = PointDiamond;
    addTrigger(at, 0.3, 14.0);
    addTrigger(at, 0.9, 31.0);
    list.AddClimbMark(0, 0, 2);
    list.AddClimbMark(0, 1, 3);

    Series& b = list.CreateDataSet();
    setSamples(b, {{1.0, -3.25}, {2.0, 4.0}});
    list.triggerSet(1).DisplayFlag = 0;

    PlotFileHeader h;
    h.title = "Flight 3";
    h.xLabel = "Time (sec)";
    h.yLabel = "Altitude (Meters)";
    h.info1 = "field A";
    h.info3 = "calm";
    h.timeMin = -2.5;
    h.altitudeMin = -10.0;
    h.timeMax = 1234.5678;
    h.altitudeMax = 400.0;
    std::string file;
    WritePlotFile(list, h, file);

    EXPECT_EQ(
        file.rfind("Orvo Plot\r\n#Flight 3\r\n#Time (sec)\r\n#Altitude (Meters)\r\n#field A\r\n#\r\n#calm\r\n"
                   "#-2.5,-10,1234.57,400\r\n! 1193046, 3, 6636321, 3, 11259375, 6\r\n#Data000\r\n",
                   0),
        0u)
        << file.substr(0, 300);
    // The trigger column follows the trigger set with a cursor; the second set has none.
    EXPECT_EQ(sampleLines(file), "   0.0000,    0.0000, 0, 0\n"
                                 "   0.3000,   14.0000, 1, 0\n"
                                 "   0.6000,   30.5000, 0, 1\n"
                                 "   0.9000,   31.0000, 1, 0\n"
                                 "   1.0000,   -3.2500, 0\n"
                                 "   2.0000,    4.0000, 0\n");

    SeriesList loaded;
    PlotFileHeader lh;
    LoadReport r = loadDataText(file, loaded, lh);
    EXPECT_TRUE(r.plotFile);
    ASSERT_EQ(loaded.dataSetCount(), 2);
    EXPECT_EQ(lh.title, "Flight 3");
    EXPECT_EQ(lh.yLabel, "Altitude (Meters)");
    EXPECT_EQ(lh.info1, "field A");
    EXPECT_EQ(lh.info2, "");
    EXPECT_EQ(lh.info3, "calm");
    EXPECT_EQ(lh.timeMin, -2.5);
    EXPECT_EQ(lh.altitudeMin, -10.0);
    EXPECT_EQ(lh.timeMax, 1234.57); // six significant digits
    EXPECT_EQ(lh.altitudeMax, 400.0);

    const Series& la = loaded.dataSet(0);
    EXPECT_EQ(la.name, "Data000");
    EXPECT_EQ(la.note1, "first flight");
    EXPECT_EQ(la.note2, "");
    EXPECT_EQ(la.note3, "windy");
    EXPECT_EQ(la.lineColour, 0x00123456u);
    EXPECT_EQ(la.lineStyle, LineDash);
    EXPECT_EQ(la.pointColour, 0x00654321u);
    EXPECT_EQ(la.pointStyle, PointSquare);
    EXPECT_EQ(loaded.triggerSet(0).pointColour, 0x00ABCDEFu);
    EXPECT_EQ(loaded.triggerSet(0).pointStyle, PointDiamond);
    EXPECT_EQ(loaded.triggerSet(0).DisplayFlag, 1);
    ASSERT_EQ(loaded.triggerSet(0).samples.count, 2);
    EXPECT_DOUBLE_EQ(loaded.triggerSet(0).samples.time[0], 0.3);
    EXPECT_DOUBLE_EQ(loaded.triggerSet(0).samples.altitude[0], 14.0);
    EXPECT_DOUBLE_EQ(loaded.triggerSet(0).samples.time[1], 0.9);
    EXPECT_EQ(la.samples.count, 4);
    EXPECT_EQ(la.samples.peakMark[2], 1);
    EXPECT_EQ(la.climbMarkCount(), 2);
    EXPECT_EQ(la.climbMarks[1].start, 1);
    EXPECT_EQ(la.climbMarks[1].end, 3);

    const Series& lb = loaded.dataSet(1);
    EXPECT_EQ(lb.name, "Data001");
    EXPECT_EQ(lb.samples.count, 2);
    EXPECT_DOUBLE_EQ(lb.samples.altitude[0], -3.25);
    EXPECT_EQ(loaded.triggerSet(1).DisplayFlag, 0);
    EXPECT_EQ(loaded.triggerSet(1).samples.count, 0);

    // Loading the same file again shows every data set twice.
    r = loadDataText(file, loaded, lh);
    EXPECT_EQ(r.setsAdded, 2);
    EXPECT_EQ(loaded.dataSetCount(), 4);
    EXPECT_EQ(loaded.dataSet(3).name, "Data001");
}

TEST(DataFileReader, TextsNamesAndHeaderLines) {
    SeriesList list;
    Series& s = list.CreateDataSet();
    setSamples(s, {{0.0, 1.0}});
    const std::string long255(255, 'n');
    s.note1 = long255;
    s.note2 = long255 + "tail"; // more than a text holds
    PlotFileHeader h;
    h.title = std::string(255, 't');
    h.info2 = "two\r\nlines"; // a line break in a text must not split the file's lines
    std::string file;
    WritePlotFile(list, h, file);

    SeriesList loaded;
    PlotFileHeader lh;
    loadDataText(file, loaded, lh);
    EXPECT_EQ(lh.title, h.title);
    EXPECT_EQ(lh.info2, "two  lines");
    EXPECT_EQ(loaded.dataSet(0).note1, long255);
    EXPECT_EQ(loaded.dataSet(0).note2, long255);
    EXPECT_EQ(loaded.dataSet(0).samples.count, 1);

    // A name longer than 19 characters is cut; header lines other than "#C" take no index; a
    // 257th climb mark is ignored; marks naming no sample position are not stored.
    std::string text =
        "#A name much longer than nineteen\n#x\n#y\n#\n#\n#\n#0,0,20,20,0\n1, 10, 0\n#note\n2, 20, 1\n";
    for (int m = 0; m < 257; ++m)
        text += "#C " + std::to_string(m) + ", " + std::to_string(m + 1) + "\n";
    text += "#C -1, 5\n#C 3\n";
    SeriesList other;
    PlotFileHeader oh;
    loadDataText(text, other, oh);
    const Series& o = other.dataSet(0);
    EXPECT_EQ(o.name, "A name much longer ");
    ASSERT_EQ(o.samples.count, 2);
    EXPECT_EQ(o.samples.time[1], 2.0);
    EXPECT_EQ(o.samples.peakMark[1], 1);
    EXPECT_EQ(o.climbMarkCount(), 256);
    EXPECT_EQ(o.climbMarks[255].start, 255);
}

TEST(DataFileReader, PlainSampleFileAndTriggerColumn) {
    SeriesList list;
    PlotFileHeader h;
    LoadReport r = loadDataText("0.5, 12.25, 0\r\n1.0, 13, 1\r\n1.5,14.75,0", list, h);
    EXPECT_EQ(r.unreadableLines, 0);
    const Series& s = list.dataSet(0);
    EXPECT_EQ(s.name, "Data000");
    EXPECT_EQ(s.note1, "");
    ASSERT_EQ(s.samples.count, 3);
    EXPECT_EQ(s.samples.time[0], 0.5);
    EXPECT_EQ(s.samples.altitude[0], 12.25);
    EXPECT_EQ(s.samples.peakMark[1], 1);
    EXPECT_EQ(s.samples.altitude[2], 14.75); // the last line has no line end
    EXPECT_EQ(list.triggerSet(0).DisplayFlag, 0);

    // With the trigger column a line needs all four values for its trigger to count.
    r = loadDataText("#T\n#\n#\n#\n#\n#\n#0,0,1,1,1\n0.3, 14, 1, 0\n0.4, 15, 1\n0.5, 16, 0, 1\n", list, h);
    const Series& t = list.triggerSet(1);
    EXPECT_EQ(t.DisplayFlag, 1);
    ASSERT_EQ(t.samples.count, 1);
    EXPECT_EQ(t.samples.time[0], 0.3);
    EXPECT_EQ(t.samples.altitude[0], 14.0);
    EXPECT_EQ(list.dataSet(1).samples.peakMark[2], 1);
}

TEST(DataFileReader, ReadSetBlockStopsAtTheStartOfTheNextSetLine) {
    const std::string text = "#one\n#\n#\n#\n#\n#\n#0,0,1,1,0\n1, 2, 0\n! 1, 2, 3, 4, 5, 6\n#two\n";
    LineReader in(text);
    SeriesList list;
    LoadReport r;
    ReadSetBlock(list, in, r);
    EXPECT_EQ(list.dataSet(0).samples.count, 1);
    std::string_view line;
    ASSERT_TRUE(in.readLine(line));
    EXPECT_EQ(line, "! 1, 2, 3, 4, 5, 6");
    // At the end of the text the block simply ends.
    ReadSetBlock(list, in, r);
    EXPECT_EQ(list.dataSet(1).name, "two");
    EXPECT_TRUE(in.atEnd());
}

TEST(DataFileReader, BlockOverMaxSamplesKeepsItsMarksAndTheNextSet) {
    std::string text = "Orvo Plot\n#t\n#x\n#y\n#\n#\n#\n#0,0,1,1\n! 255, 1, 255, 0, 255, "
                       "7\n#big\n#\n#\n#\n#\n#\n#0,0,1,1,0\n";
    for (int i = 0; i < MaxSamples + 4; ++i)
        text += std::to_string(i) + ", 1, 0\n";
    text += "#C 1, 5\n! 65280, 1, 65280, 0, 65280, 7\n#next\n#\n#\n#\n#\n#\n#0,0,1,1,0\n7, 8, 0\n";
    SeriesList list;
    PlotFileHeader h;
    const LoadReport r = loadDataText(text, list, h);
    EXPECT_EQ(r.droppedLines, 4);
    ASSERT_EQ(list.dataSetCount(), 2);
    EXPECT_EQ(list.dataSet(0).samples.count, MaxSamples);
    EXPECT_EQ(list.dataSet(0).samples.time[MaxSamples - 1], MaxSamples - 1);
    EXPECT_EQ(list.dataSet(0).climbMarkCount(), 1);
    EXPECT_EQ(list.dataSet(1).name, "next");
    EXPECT_EQ(list.dataSet(1).samples.count, 1);
}

TEST(DataFileReader, UnparsedAndNonFiniteNumbersGetDefinedValues) {
    SeriesList list;
    // Leftovers in the arrays must not show through a line that does not parse.
    list.CreateDataSet();
    list.DeleteDataSet(0);
    PlotFileHeader h;
    h.timeMin = 1.0;
    h.altitudeMax = 50.0;
    const LoadReport r =
        loadDataText("Orvo Plot\n#\n#\n#\n#\n#\n#\n#nan,2,inf,x\n! 1, 1, 1, 1, 1, 1\n#s\n#\n#\n#\n#\n#\n"
                     "#0,0,1,1,0\n1, 5, 0\ngarbage\n2.5, nan, 1\ninf, 7, 0\n\n3, 9, 0\n",
                     list, h);
    EXPECT_EQ(h.timeMin, 1.0); // nan: not parsed, left as it was
    EXPECT_EQ(h.altitudeMin, 2.0);
    EXPECT_EQ(h.timeMax, 20.0); // inf: left as it was
    EXPECT_EQ(h.altitudeMax, 50.0);
    EXPECT_EQ(r.unreadableLines, 4);
    const SampleBuffer& b = list.dataSet(0).samples;
    ASSERT_EQ(b.count, 6); // every line keeps its index
    const double times[6] = {1, 0, 2.5, 0, 0, 3};
    const double alts[6] = {5, 0, 0, 7, 0, 9};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(b.time[i], times[i]) << i;
        EXPECT_EQ(b.altitude[i], alts[i]) << i;
    }
    EXPECT_EQ(b.peakMark[2], 1);
    EXPECT_EQ(b.peakMark[1], 0);
}

TEST(DataFileReader, OnlyTheLetterOMarksAPlotFileAndBadStylesKeepDefaults) {
    SeriesList list;
    PlotFileHeader h;
    // "Other" is not "Orvo Plot", but its first letter decides.
    LoadReport r = loadDataText("Other\n#T\n#\n#\n#\n#\n#\n#0,0,1,1\n", list, h);
    EXPECT_TRUE(r.plotFile);
    EXPECT_EQ(r.setsAdded, 0);
    EXPECT_EQ(h.title, "T");
    r = loadDataText("Orvo Plot\n#\n#\n#\n#\n#\n#\n#0,0,1,1\n! -1, 99, 5\n1, 1, 0\n", list, h);
    ASSERT_EQ(r.setsAdded, 1);
    const Series& s = list.dataSet(0);
    EXPECT_EQ(s.lineColour, 0x00FFFFFFu);
    EXPECT_EQ(s.lineStyle, LineSolid);
    EXPECT_EQ(s.pointColour, 5u);
    EXPECT_EQ(s.pointStyle, PointNone);
}

TEST(DataFileWriter, FixedFormatMatchesPrintfInTheCLocale) {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> wide(-2e5, 2e5);
    std::vector<double> values = {0.0,    -0.0, 0.00005,     0.00015,    0.00025, -0.00005, 0.03125,
                                  2.5e-5, 1e10, 99999.99995, 1e12 + 0.5, 1e300,   -1e-300,  123456789.12345,
                                  0.1,    5.0};
    for (int i = 0; i < 3000; ++i)
        values.push_back(wide(rng));
    for (int i = 0; i < 3000; ++i)
        values.push_back(std::round(wide(rng) * 100000.0) / 100000.0); // ties near
    for (int i = 0; i < 500; ++i)
        values.push_back(std::ldexp(static_cast<double>(rng() % 1000000), -(int)(rng() % 40)));
    SeriesList list;
    Series& s = list.CreateDataSet();
    list.triggerSet(0).DisplayFlag = 0;
    s.samples.count = static_cast<int>(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        s.samples.time[i] = values[i];
        s.samples.altitude[i] = -values[i];
        s.samples.peakMark[i] = static_cast<std::uint8_t>(i);
    }
    std::string file;
    WriteSetBlock(list, 0, PlotFileHeader{}, file);
    std::string expected;
    char line[1024];
    for (std::size_t i = 0; i < values.size(); ++i) {
        std::snprintf(line, sizeof line, "%9.4lf, %9.4lf, %d\n", values[i], -values[i],
                      static_cast<int>(i % 256));
        expected += line;
    }
    EXPECT_EQ(sampleLines(file), expected);
}

TEST(DataFileReader, CommaLocaleChangesNothing) {
#ifdef _WIN32
    GTEST_SKIP() << "needs POSIX machinery";
#else
    // A private comma locale, so the test does not depend on what the machine has installed.
    const std::string dir = ::testing::TempDir() + "orvo_locales";
    const std::string cmd =
        "mkdir -p '" + dir + "' && localedef -i de_DE -f UTF-8 '" + dir + "/de_DE.UTF-8' >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0) GTEST_SKIP() << "localedef cannot build de_DE";
    setenv("LOCPATH", dir.c_str(), 1);
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) GTEST_SKIP() << "no comma locale";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 0.5);
    ASSERT_STREQ(probe, "0,5");

    SeriesList list;
    makeExample(list);
    std::string file;
    WriteSetBlock(list, 0, exampleHeader(), file);
    PlotFileHeader h;
    SeriesList loaded;
    loadDataText(std::string(file) + "#\n", loaded, h);
    std::string plot;
    PlotFileHeader ph = exampleHeader();
    ph.timeMax = 12.5;
    WritePlotFile(list, ph, plot);
    loadDataText(plot, loaded, h);
    std::setlocale(LC_NUMERIC, "C");
    unsetenv("LOCPATH");

    EXPECT_EQ(file, ExampleFile);
    EXPECT_NE(plot.find("#0,0,12.5,20\r\n"), std::string::npos);
    EXPECT_EQ(h.timeMax, 12.5);
    ASSERT_EQ(loaded.dataSetCount(), 2);
    EXPECT_DOUBLE_EQ(loaded.dataSet(0).samples.time[1], 0.1);
    EXPECT_DOUBLE_EQ(loaded.dataSet(1).samples.altitude[2], 12.0);
#endif
}
