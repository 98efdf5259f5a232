// Saving never destroys what it replaces: a save that cannot write every byte reports it and
// leaves the old file as it was.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <csignal>
#endif
#include <filesystem>
#include <fstream>
#include <sstream>
#ifndef _WIN32
#include <sys/resource.h>
#endif
#ifndef _WIN32
#include <sys/stat.h>
#endif
#include <unistd.h>

#include "data/datafile.h"

using namespace orvo;
namespace fs = std::filesystem;

namespace {

class SafeSave : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::path(::testing::TempDir()) / ("orvo_save_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir);
    }
    static std::string read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    static void write(const fs::path& p, const std::string& s) { std::ofstream(p, std::ios::binary) << s; }
    int entries() const {
        return static_cast<int>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
    }

    // A full data set: about 2 MB of sample lines.
    static void fullSet(SeriesList& list) {
        Series& s = list.CreateDataSet();
        s.samples.count = MaxSamples;
        for (int i = 0; i < MaxSamples; ++i) {
            s.samples.time[static_cast<std::size_t>(i)] = i * 0.1;
            s.samples.altitude[static_cast<std::size_t>(i)] = 1000.0 + i % 500;
        }
    }

    fs::path dir;
};

} // namespace

TEST_F(SafeSave, FileSizeLimitFailsTheSaveAndKeepsTheOldFile) {
#ifdef _WIN32
    GTEST_SKIP() << "needs POSIX machinery";
#else
    const fs::path target = dir / "flight.csv";
    write(target, "old contents\r\n");
    SeriesList list;
    fullSet(list);

    // Writing past the limit fails with EFBIG instead of killing the process.
    struct sigaction ignore {
    }, previous{};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &previous);
    struct rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    struct rlimit small = old;
    small.rlim_cur = 100 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const FileStatus status = savePlotFile(target.string(), list, PlotFileHeader{});
    const FileStatus second = saveDataSetFile(target.string(), list, 0, PlotFileHeader{});
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::sigaction(SIGXFSZ, &previous, nullptr);

    EXPECT_EQ(status, FileStatus::WriteFailed);
    EXPECT_EQ(second, FileStatus::WriteFailed);
    EXPECT_EQ(read(target), "old contents\r\n");
    EXPECT_EQ(entries(), 1); // no temporary file left behind

    // Without the limit the same save replaces the file completely.
    ASSERT_EQ(saveDataSetFile(target.string(), list, 0, PlotFileHeader{}), FileStatus::Ok);
    const std::string saved = read(target);
    EXPECT_GT(saved.size(), 1000000u);
    SeriesList loaded;
    PlotFileHeader h;
    LoadReport r;
    ASSERT_EQ(loadDataFile(target.string(), loaded, h, r), FileStatus::Ok);
    EXPECT_EQ(loaded.dataSet(0).samples.count, MaxSamples);
    EXPECT_EQ(loaded.dataSet(0).samples.altitude[MaxSamples - 1], 1000.0 + (MaxSamples - 1) % 500);
    EXPECT_EQ(entries(), 1);
#endif
}

TEST_F(SafeSave, OpenFailuresAndPermissions) {
#ifdef _WIN32
    GTEST_SKIP() << "needs POSIX machinery";
#else
    EXPECT_EQ(writeFileSafely((dir / "missing" / "x.csv").string(), "a"), FileStatus::OpenFailed);
    EXPECT_EQ(writeFileSafely(dir.string(), "a"), FileStatus::OpenFailed);

    // A new file gets the usual permissions of a created file, not those of a temporary one.
    const fs::path fresh = dir / "fresh.csv";
    ASSERT_EQ(writeFileSafely(fresh.string(), "abc"), FileStatus::Ok);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat st {};
    ::stat(fresh.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);

    // An existing file keeps its permissions.
    ::chmod(fresh.c_str(), 0640);
    ASSERT_EQ(writeFileSafely(fresh.string(), "new"), FileStatus::Ok);
    ::stat(fresh.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(read(fresh), "new");

    // A symbolic link stays a link to the saved file.
    const fs::path link = dir / "link.csv";
    fs::create_symlink(fresh, link);
    ASSERT_EQ(writeFileSafely(link.string(), "via link"), FileStatus::Ok);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(read(fresh), "via link");

    // A link to a file that does not exist yet (absolute, relative, or through a second link) is
    // written through: the link stays and its target is created. A loop of links is refused.
    fs::create_directories(dir / "sub");
    struct Dangling {
        fs::path link, pointsTo, created;
    } dangling[] = {
        {dir / "abs.csv", dir / "sub" / "a.csv", dir / "sub" / "a.csv"},
        {dir / "rel.csv", "sub/r.csv", dir / "sub" / "r.csv"},
        {dir / "sub" / "chain.csv", "../rel2.csv", dir / "c.csv"},
    };
    fs::create_symlink("c.csv", dir / "rel2.csv");
    for (const Dangling& d : dangling) {
        fs::create_symlink(d.pointsTo, d.link);
        ASSERT_EQ(writeFileSafely(d.link.string(), "new target"), FileStatus::Ok) << d.link;
        EXPECT_TRUE(fs::is_symlink(d.link)) << d.link;
        EXPECT_EQ(read(d.created), "new target") << d.link;
    }
    fs::create_symlink("loop2.csv", dir / "loop1.csv");
    fs::create_symlink("loop1.csv", dir / "loop2.csv");
    EXPECT_EQ(writeFileSafely((dir / "loop1.csv").string(), "x"), FileStatus::OpenFailed);
    EXPECT_TRUE(fs::is_symlink(dir / "loop1.csv"));

    if (::geteuid() != 0) { // root may write anywhere
        ::chmod(fresh.c_str(), 0440);
        EXPECT_EQ(writeFileSafely(fresh.string(), "x"), FileStatus::OpenFailed);
        EXPECT_EQ(read(fresh), "via link");
        ::chmod(dir.c_str(), 0500);
        EXPECT_EQ(writeFileSafely((dir / "other.csv").string(), "x"), FileStatus::WriteFailed);
    }
#endif
}

TEST(DataFileLoad, MissingFileIsAnOpenFailure) {
    SeriesList list;
    PlotFileHeader h;
    LoadReport r;
    EXPECT_EQ(loadDataFile("/nonexistent/orvo/none.csv", list, h, r), FileStatus::OpenFailed);
    EXPECT_EQ(list.dataSetCount(), 0);
}

// A plot file is written a data set at a time; what lands on disk is the whole text, byte for byte.
TEST_F(SafeSave, PlotFileWrittenInPiecesIsTheWholeText) {
    SeriesList list;
    for (int n = 0; n < 3; ++n) {
        Series& s = list.CreateDataSet();
        s.note1 = "note " + std::to_string(n);
        list.AddClimbMark(n, 1, 5);
    }
    PlotFileHeader header;
    header.title = "Title";
    std::string whole;
    WritePlotFile(list, header, whole);
    const fs::path target = dir / "plot.csv";
    ASSERT_EQ(savePlotFile(target.string(), list, header), FileStatus::Ok);
    EXPECT_EQ(read(target), whole);
}
