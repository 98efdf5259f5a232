// What a load does with input that is not a tidy data file: things that are not regular files,
// text without any data, a byte-order mark, carriage-return line ends, and more data sets or
// samples than memory should be asked for.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#ifndef _WIN32
#include <sys/stat.h>
#endif
#ifndef _WIN32
#include <sys/sysmacros.h>
#endif
#include <unistd.h>
#include <utility>

#include "data/datafile.h"
#include "data/inputfile.h"

using namespace orvo;
namespace fs = std::filesystem;

namespace {

class InputFile : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::path(::testing::TempDir()) / ("orvo_input_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string file(const std::string& name, const std::string& contents) const {
        const fs::path p = dir / name;
        std::ofstream(p, std::ios::binary) << contents;
        return p.string();
    }
    fs::path dir;
};

const std::string SetFile = "#Apogee test\r\n#Time (seconds)\r\n#Altitude (feet)\r\n#first note\r\n#\r\n#\r\n"
                            "#0,0,20,20,1\r\n"
                            "   0.0000,    1.0000, 0, 0\r\n"
                            "   0.1000,    5.0000, 1, 1\r\n"
                            "   0.2000,   12.0000, 0, 0\r\n"
                            "#C 0, 2\r\n";

} // namespace

TEST_F(InputFile, OnlyRegularFilesAreReadAndTheReasonIsSaid) {
#ifdef _WIN32
    GTEST_SKIP() << "needs POSIX machinery";
#else
    const std::string fifo = (dir / "pipe").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    struct Case {
        std::string path;
        const char* reason;
    };
    for (const Case& c :
         {Case{fifo, "FIFO"}, Case{"/dev/zero", "character device"}, Case{dir.string(), "folder"},
          Case{(dir / "missing.csv").string(), "No such file"}}) {
        SeriesList list;
        PlotFileHeader header;
        LoadReport report;
        const auto start = std::chrono::steady_clock::now();
        // A FIFO without a writer used to block here; /dev/zero was read until memory ran out.
        EXPECT_EQ(loadDataFile(c.path, list, header, report), FileStatus::OpenFailed) << c.path;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << c.path;
        EXPECT_NE(report.openError.find(c.reason), std::string::npos) << c.path << ": " << report.openError;
        EXPECT_EQ(list.dataSetCount(), 0) << c.path;
    }
    EXPECT_EQ(notRegularFileReason(fifo), "it is a FIFO, not a regular file");
    EXPECT_EQ(notRegularFileReason(file("plain.csv", "1, 2, 0\n")), "");

    // The shared reader: whole contents, and a size limit for readers that know their files are small.
    std::string text, why;
    ASSERT_TRUE(readRegularFile(file("small.txt", "0123456789"), text, &why));
    EXPECT_EQ(text, "0123456789");
    EXPECT_FALSE(readRegularFile(file("big.txt", std::string(2000, 'x')), text, &why, 1000));
    EXPECT_TRUE(text.empty());
    EXPECT_NE(why.find("larger than 1000 bytes"), std::string::npos) << why;
#endif
}

TEST_F(InputFile, ByteOrderMarkAndCarriageReturnLineEndsLoadLikeThePlainFile) {
    auto load = [](const std::string& text, SeriesList& list) {
        PlotFileHeader header;
        return loadDataText(text, list, header);
    };
    SeriesList reference;
    ASSERT_EQ(load(SetFile, reference).setsAdded, 1);
    std::string crOnly = SetFile;
    crOnly.erase(std::remove(crOnly.begin(), crOnly.end(), '\n'), crOnly.end());
    std::string lfOnly = SetFile;
    lfOnly.erase(std::remove(lfOnly.begin(), lfOnly.end(), '\r'), lfOnly.end());
    for (const std::string& text : {"\xEF\xBB\xBF" + SetFile, crOnly, "\xEF\xBB\xBF" + crOnly, lfOnly}) {
        SeriesList list;
        const LoadReport r = load(text, list);
        ASSERT_EQ(r.setsAdded, 1);
        EXPECT_EQ(r.unreadableLines, 0);
        const Series& s = list.dataSet(0);
        const Series& ref = reference.dataSet(0);
        EXPECT_EQ(s.name, "Apogee test");
        EXPECT_EQ(s.note1, "first note");
        ASSERT_EQ(s.samples.count, 3);
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(s.samples.time[i], ref.samples.time[i]);
            EXPECT_EQ(s.samples.altitude[i], ref.samples.altitude[i]);
            EXPECT_EQ(s.samples.peakMark[i], ref.samples.peakMark[i]);
        }
        EXPECT_EQ(list.triggerSet(0).samples.count, 1);
        EXPECT_EQ(s.climbMarkCount(), 1);
    }
}

TEST_F(InputFile, TextWithoutADataLineAddsNothingAndChangesNothing) {
    SeriesList list;
    list.CreateDataSet();
    PlotFileHeader header;
    header.title = "kept";
    const std::string passwd =
        "root:x:0:0:root:/root:/bin/bash\nnobody:x:65534:65534::/nonexistent:/usr/sbin/nologin\n";
    // "O" would make it a plot file, whose texts would replace the plot's.
    for (const std::string& text : {passwd, std::string(), std::string("\n\n\n"),
                                    std::string("Once upon a time\n#a\n#b\n#c\n#d\n#e\n#f\n#g\n! 1, 2\n"),
                                    std::string("#!/bin/sh\necho hello\n"), std::string(100000, '!')}) {
        const LoadReport r = loadDataText(text, list, header);
        EXPECT_TRUE(r.noData) << text.substr(0, 20);
        EXPECT_EQ(r.setsAdded, 0);
    }
    EXPECT_EQ(list.dataSetCount(), 1);
    EXPECT_EQ(list.nameNumber(), 1); // no data set was made and thrown away
    EXPECT_EQ(header.title, "kept");
    LoadReport report;
    EXPECT_EQ(loadDataFile(file("passwd", passwd), list, header, report), FileStatus::NoData);
    EXPECT_EQ(list.dataSetCount(), 1);

    // What the program writes for a set with no samples is still a data file, and so is one
    // readable sample line among garbage.
    list.dataSet(0).samples.count = 0;
    std::string empty;
    WriteSetBlock(list, 0, header, empty);
    EXPECT_EQ(loadDataText(empty, list, header).setsAdded, 1);
    EXPECT_EQ(list.dataSet(1).samples.count, 0);
    const LoadReport mixed = loadDataText("garbage\n1.5, 20, 0\nmore garbage\n", list, header);
    EXPECT_EQ(mixed.setsAdded, 1);
    EXPECT_EQ(mixed.unreadableLines, 2);
}

TEST_F(InputFile, StorageGrowsWithTheSamplesAndALoadMakesABoundedNumberOfSets) {
    SeriesList list;
    Series& fresh = list.CreateDataSet();
    // A new data set holds its 21 placeholder points, not room for 65536.
    EXPECT_LE(fresh.samples.time.size(), 64u);
    EXPECT_EQ(list.triggerSet(0).samples.time.size(), 0u);
    EXPECT_EQ(fresh.samples.time[20], 20.0);
    EXPECT_EQ(std::as_const(fresh.samples).time[30000], 0.0); // never written: reads 0, stores nothing
    EXPECT_LE(fresh.samples.time.size(), 64u);
    fresh.samples.altitude[MaxSamples - 1] = 5.0; // the last index is still there to write
    EXPECT_EQ(fresh.samples.altitude.size(), static_cast<std::size_t>(MaxSamples));
    EXPECT_THROW(fresh.samples.time[MaxSamples] = 1.0, std::out_of_range);

    // A plot file of many empty blocks: each "!" line would make a data set.
    std::string text = "Orvo Plot\n#t\n#x\n#y\n#1\n#2\n#3\n#0,0,20,20\n";
    for (int i = 0; i < MaxDataSetsPerLoad + 500; ++i)
        text += "! 255, 1, 255, 0, 255, 7\n";
    SeriesList many;
    PlotFileHeader header;
    const LoadReport r = loadDataText(text, many, header);
    EXPECT_EQ(r.setsAdded, MaxDataSetsPerLoad);
    EXPECT_TRUE(r.setLimitReached);
    const std::vector<std::string> problems = describeLoadProblems(r);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("only the first 1000 were loaded"), std::string::npos) << problems[0];
    std::size_t stored = 0;
    for (int n = 0; n < many.dataSetCount(); ++n)
        stored += many.dataSet(n).samples.time.size() + many.triggerSet(n).samples.time.size();
    EXPECT_LE(stored, 64u * MaxDataSetsPerLoad); // the placeholder points at most

    // A loaded set holds about what it was given.
    std::string lines;
    for (int i = 0; i < 1000; ++i)
        lines += std::to_string(i) + ", 7, 0\n";
    SeriesList one;
    ASSERT_EQ(loadDataText(lines, one, header).setsAdded, 1);
    EXPECT_EQ(one.dataSet(0).samples.count, 1000);
    EXPECT_LT(one.dataSet(0).samples.altitude.size(), 2048u);
    EXPECT_EQ(one.dataSet(0).samples.altitude[999], 7.0);
    // Its storage is what it holds: no room left over from growing (17 bytes a sample).
    EXPECT_EQ(one.dataSet(0).samples.time.capacity(), 1000u);
    EXPECT_EQ(one.dataSet(0).samples.peakMark.capacity(), 1000u);
}

// A file is read a chunk at a time: wherever a chunk ends (inside a number, between CR and LF,
// inside the byte-order mark), the load is the one of the whole text.
TEST_F(InputFile, ChunkedReadingLoadsWhatTheWholeTextLoads) {
    const std::string texts[] = {
        "\xEF\xBB\xBFOrvo Plot\r\n#T\r\n#x\r\n#y\r\n#1\r\n#2\r\n#3\r\n#0,0,20,20\r\n"
        "! 255, 1, 65280, 2, 16711680, 7\r\n#A\r\n#x\r\n#y\r\n#n1\r\n#\r\n#\r\n#0,0,20,20,1\r\n"
        "   0.1000,   12.5000, 1, 0\r\n   0.2000,   13.0000, 0, 1\r\n#C 0, 1\r\n"
        "! 0, 1, 0, 0, 0, 7\r\n#B\r\n#x\r\n#y\r\n#\r\n#\r\n#\r\n#0,0,20,20,0\r\n5, 6, 0",
        "1.5, 2.5, 0\r3.5, 4.5, 1\r\r\n7, 8, 0\n",
    };
    for (const std::string& text : texts) {
        SeriesList whole;
        PlotFileHeader wholeHeader;
        const LoadReport expected = loadDataText(text, whole, wholeHeader);
        const std::string path = file("chunks.csv", text);
        for (std::size_t chunk : {1u, 2u, 3u, 5u, 64u}) {
            SCOPED_TRACE(chunk);
            SeriesList list;
            PlotFileHeader header;
            LoadReport report;
            LoadOptions options;
            options.readChunkBytes = chunk;
            ASSERT_EQ(loadDataFile(path, list, header, report, options), FileStatus::Ok);
            EXPECT_EQ(report.setsAdded, expected.setsAdded);
            EXPECT_EQ(header.title, wholeHeader.title);
            // The same sets, samples, marks, names and notes: the same saved text.
            std::string a, b;
            WritePlotFile(list, header, a);
            WritePlotFile(whole, wholeHeader, b);
            EXPECT_EQ(a, b);
        }
    }
}

// Memory that runs out (here the load's own bound) fails the whole load and leaves the list and
// the plot's texts as they were; the data sets of several files are bounded together.
TEST_F(InputFile, LoadsThatRunOutOfMemoryOrSetsAddNothingOrStopAtTheBound) {
    auto plotFile = [](int sets, int samples) {
        std::string text = "Orvo Plot\n#New title\n#x\n#y\n#\n#\n#\n#0,0,20,20\n";
        for (int n = 0; n < sets; ++n) {
            text += "! 255, 1, 255, 0, 255, 7\n";
            for (int i = 0; i < samples; ++i)
                text += std::to_string(i) + ", 1, 0\n";
        }
        return text;
    };
    const std::string big = file("big.csv", plotFile(4, 5000));
    SeriesList list;
    list.CreateDataSet();
    PlotFileHeader header;
    header.title = "Old title";
    LoadReport report;
    LoadOptions options;
    options.maxSampleBytes = 3 * 5000 * 17; // three of the four sets
    EXPECT_EQ(loadDataFile(big, list, header, report, options), FileStatus::NoMemory);
    EXPECT_TRUE(report.noMemory);
    EXPECT_EQ(report.setsAdded, 0);
    EXPECT_EQ(list.dataSetCount(), 1);
    EXPECT_EQ(header.title, "Old title");
    options.maxSampleBytes = 4 * 5000 * 17;
    EXPECT_EQ(loadDataFile(big, list, header, report, options), FileStatus::Ok);
    EXPECT_EQ(list.dataSetCount(), 5);

    // Three files of 400 sets each are one load of at most MaxDataSetsPerLoad sets.
    const std::string many = file("many.csv", plotFile(400, 1));
    SeriesList all;
    LoadBudget budget;
    std::vector<int> added;
    std::vector<std::string> problems;
    for (int f = 0; f < 3; ++f) {
        ASSERT_EQ(loadDataFile(many, all, header, report, budget.next()), FileStatus::Ok);
        budget.spent(report);
        added.push_back(report.setsAdded);
        const std::vector<std::string> p = describeLoadProblems(report);
        problems.push_back(p.empty() ? std::string() : p[0]);
    }
    EXPECT_EQ(added, (std::vector<int>{400, 400, MaxDataSetsPerLoad - 800}));
    EXPECT_EQ(all.dataSetCount(), MaxDataSetsPerLoad);
    EXPECT_NE(problems[2].find("only the first 200"), std::string::npos) << problems[2];
    // A fourth file of the same load, Orvo's own or another program's, adds nothing and says why.
    for (const char* text : {"1, 2, 0\n", "time_s,altitude_ft,temperature\n0.05,33,76\n0.10,35,76\n"}) {
        ASSERT_EQ(loadDataFile(file("more.csv", text), all, header, report, budget.next()), FileStatus::Ok);
        EXPECT_EQ(report.setsAdded, 0);
        EXPECT_EQ(all.dataSetCount(), MaxDataSetsPerLoad);
        ASSERT_EQ(describeLoadProblems(report).size(), 1u);
        EXPECT_NE(describeLoadProblems(report)[0].find("took them all"), std::string::npos);
    }
}

TEST_F(InputFile, SavesRefuseTargetsThatAreNoRegularFileAndNumbersThatAreNotFinite) {
#ifdef _WIN32
    GTEST_SKIP() << "needs POSIX machinery";
#else
    SeriesList list;
    list.CreateDataSet();
    const PlotFileHeader header;
    const std::string fifo = (dir / "pipe.csv").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const fs::path link = dir / "link.csv";
    fs::create_symlink(fifo, link);
    std::vector<std::string> targets = {fifo, link.string()};
    // A device node of our own (a copy of /dev/null's numbers); not every test machine lets us make one.
    const std::string device = (dir / "null.csv").string();
    if (::mknod(device.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0) targets.push_back(device);
    for (const std::string& t : targets) {
        EXPECT_EQ(saveDataSetFile(t, list, 0, header), FileStatus::OpenFailed) << t;
        EXPECT_EQ(writeFileSafely(t, "x"), FileStatus::OpenFailed) << t;
        EXPECT_FALSE(notRegularFileReason(t).empty()) << t;
    }
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(fifo)));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(link)));
    if (targets.size() == 3) {
        EXPECT_TRUE(fs::is_character_file(fs::symlink_status(device)));
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()),
              static_cast<std::ptrdiff_t>(targets.size())); // no temporary file left behind

    // "inf" and "nan" would not read back: nothing is written, and the place is named.
    const std::string target = file("flight.csv", "old contents\n");
    list.dataSet(0).samples.altitude[7] = std::numeric_limits<double>::infinity();
    EXPECT_EQ(saveDataSetFile(target, list, 0, header), FileStatus::NotFinite);
    EXPECT_EQ(savePlotFile(target, list, header), FileStatus::NotFinite);
    EXPECT_EQ(nonFiniteValue(list, 0, header),
              "sample 7 of Data000 has an altitude that is not a finite number");
    list.dataSet(0).samples.altitude[7] = 1.0;
    list.CreateDataSet().samples.time[3] = std::nan("");
    EXPECT_EQ(saveDataSetFile(target, list, 0, header), FileStatus::Ok);
    EXPECT_EQ(savePlotFile(target, list, header), FileStatus::NotFinite);
    PlotFileHeader badView;
    badView.timeMax = std::numeric_limits<double>::infinity();
    EXPECT_EQ(saveDataSetFile(target, list, 0, badView), FileStatus::NotFinite);
    SeriesList back;
    PlotFileHeader h;
    LoadReport r;
    ASSERT_EQ(loadDataFile(target, back, h, r), FileStatus::Ok);
    EXPECT_EQ(back.dataSet(0).samples.count, 21); // the one save that was allowed
#endif
}

TEST_F(InputFile, ForeignFilesAndLongLinesAreReadAsStreams) {
    // A header of 150,000 columns, past the first MiB, is still the header.
    {
        std::string text = "time,altitude (m)";
        for (int c = 0; c < 150000; ++c)
            text += ",column_" + std::to_string(100000 + c);
        text += '\n';
        for (int r = 0; r < 4; ++r) {
            text += std::to_string(r) + "," + std::to_string(10 * r);
            for (int c = 0; c < 150000; ++c)
                text += ",7";
            text += '\n';
        }
        ASSERT_GT(text.find('\n'), std::size_t{1} << 20);
        SeriesList list;
        PlotFileHeader header;
        LoadReport report;
        LoadOptions options;
        options.readChunkBytes = 4096;
        ASSERT_EQ(loadDataFile(file("wide.csv", text), list, header, report, options), FileStatus::Ok);
        ASSERT_TRUE(report.foreign);
        ASSERT_EQ(list.dataSet(0).samples.count, 4);
        EXPECT_EQ(list.dataSet(0).samples.altitude[3], 30.0);
        EXPECT_EQ(list.dataSet(0).peakMarkCount(), 0);
    }
    // More rows than a set holds: the first 65536 are read, the rest counted.
    {
        std::string text = "\"Time (s)\",\"Altitude (ft)\",\"note\"\n";
        for (int r = 0; r < 70000; ++r)
            text += std::to_string(r) + ".5," + std::to_string(r % 1000) + ",\"a, b\"\n";
        SeriesList list;
        PlotFileHeader header;
        LoadReport report;
        LoadOptions options;
        options.readChunkBytes = 4096;
        ASSERT_EQ(loadDataFile(file("long.csv", text), list, header, report, options), FileStatus::Ok);
        EXPECT_EQ(list.dataSet(0).samples.count, MaxSamples);
        EXPECT_EQ(report.droppedLines, 70000 - MaxSamples);
        EXPECT_EQ(list.dataSet(0).samples.time[MaxSamples - 1], MaxSamples - 0.5);
    }
    // A 16 MB line of Orvo's own format, read a KiB at a time, in linear time.
    {
        std::string text = "0, 1, 0\n1, 2, 0" + std::string(std::size_t{16} << 20, ' ') + "\n2, 3, 1\n";
        SeriesList list;
        PlotFileHeader header;
        LoadReport report;
        LoadOptions options;
        options.readChunkBytes = 1024;
        const auto start = std::chrono::steady_clock::now();
        ASSERT_EQ(loadDataFile(file("longline.csv", text), list, header, report, options), FileStatus::Ok);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_FALSE(report.foreign);
        ASSERT_EQ(list.dataSet(0).samples.count, 3);
        EXPECT_EQ(list.dataSet(0).peakMarkCount(), 1);
        EXPECT_LT(seconds, 10.0); // rescanning the line after every KiB took minutes
    }
}
