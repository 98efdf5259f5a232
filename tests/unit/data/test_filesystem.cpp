// Saving and reading through the platform seam where Windows and POSIX differ: replacing an
// existing, a read-only and an open file, backslash and drive-letter paths, bytes a text-mode read
// would change, names beyond ASCII, the device names.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "data/datafile.h"
#include "data/inputfile.h"
#include "platform/platform.h"

namespace {

namespace fs = std::filesystem;
using namespace orvo;

// UTF-8 text to a path and back (char8_t strings in C++20).
fs::path pathOf(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}
std::string utf8Of(const fs::path& p) {
    const std::u8string u = p.u8string();
    return std::string(u.begin(), u.end());
}

class FileSystem : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::path(::testing::TempDir()) / pathOf("orvo_fs_Jos\xC3\xA9");
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(dir / "readonly.csv", fs::perms::owner_write, fs::perm_options::add, ec);
        fs::remove_all(dir);
    }
    // The UTF-8 path of name in the test folder, as the window hands paths down.
    std::string path(const std::string& name) const { return utf8Of(dir / pathOf(name)); }
    static std::string contents(const std::string& utf8Path) {
        std::string text;
        EXPECT_TRUE(readRegularFile(utf8Path, text)) << utf8Path;
        return text;
    }
    int entries() const {
        return static_cast<int>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
    }
    fs::path dir;
};

TEST_F(FileSystem, SavesReplaceExistingFilesAndLeaveNoTemporaryFile) {
    const std::string target = path("flight.csv");
    ASSERT_EQ(writeFileSafely(target, "old"), FileStatus::Ok);
    EXPECT_EQ(writeFileSafely(target, "new contents"), FileStatus::Ok);
    EXPECT_EQ(contents(target), "new contents");
    EXPECT_EQ(entries(), 1);

    // A target another handle holds open: the save replaces it, or fails and keeps it whole.
    {
        std::ifstream reader(dir / "flight.csv", std::ios::binary);
        ASSERT_TRUE(reader.good());
        const FileStatus s = writeFileSafely(target, "third");
        EXPECT_TRUE(s == FileStatus::Ok || s == FileStatus::WriteFailed);
        reader.close();
        EXPECT_EQ(contents(target), s == FileStatus::Ok ? "third" : "new contents");
    }
    EXPECT_EQ(entries(), 1);
}

TEST_F(FileSystem, AReadOnlyTargetIsRefusedAndKept) {
    const std::string target = path("readonly.csv");
    ASSERT_EQ(writeFileSafely(target, "kept"), FileStatus::Ok);
    fs::permissions(dir / "readonly.csv",
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    if (platform::isWritable(target)) GTEST_SKIP() << "this user may write read-only files (root)";
    EXPECT_EQ(writeFileSafely(target, "lost"), FileStatus::OpenFailed);
    EXPECT_EQ(contents(target), "kept");
    EXPECT_EQ(entries(), 1);
}

TEST_F(FileSystem, FilesAreReadByteForByte) {
    // CR LF pairs and a 0x1A byte, which a text-mode read turns into LF and an end of file.
    const std::string bytes = "ab\r\ncd\x1A"
                              "ef\r\n\r\ngh";
    const std::string target = path("bytes.csv");
    ASSERT_EQ(writeFileSafely(target, bytes), FileStatus::Ok);
    EXPECT_EQ(fs::file_size(dir / "bytes.csv"), bytes.size());
    EXPECT_EQ(contents(target), bytes);
    platform::File f = platform::openForReading(target);
    ASSERT_TRUE(f.isOpen());
    char tail[5] = {};
    EXPECT_EQ(f.readAt(tail, 4, 11), 4);
    EXPECT_EQ(std::string(tail), "\r\ngh");
    EXPECT_EQ(f.size(), 15);
}

TEST_F(FileSystem, NamesBeyondAsciiAreKeptAsTheyAre) {
    const std::string name = "fl\xC3\xBCge.csv"; // "flüge.csv" in UTF-8
    const std::string target = path(name);
    SeriesList list;
    Series& s = list.CreateDataSet();
    for (int i = 0; i < 5; ++i) {
        s.samples.time[static_cast<std::size_t>(i)] = i * 0.5;
        s.samples.altitude[static_cast<std::size_t>(i)] = i * 10.0;
    }
    s.samples.count = 5;
    ASSERT_EQ(saveDataSetFile(target, list, 0, PlotFileHeader()), FileStatus::Ok);
    // The name on disk is the one given, not its bytes read in another code page.
    EXPECT_TRUE(fs::exists(dir / pathOf(name)));
    SeriesList loaded;
    PlotFileHeader header;
    LoadReport report;
    ASSERT_EQ(loadDataFile(target, loaded, header, report), FileStatus::Ok) << report.openError;
    EXPECT_EQ(loaded.dataSet(0).samples.count, 5);
    EXPECT_EQ(platform::fileName(target), name);
    ASSERT_EQ(platform::filesIn(utf8Of(dir)).size(), 1u);
    EXPECT_EQ(platform::filesIn(utf8Of(dir))[0], name);
}

TEST(PathHelpers, SeparatorsAndDriveLetters) {
    struct Case {
        const char* path;
        const char* name;
        const char* folder;
        bool windowsOnly;
    };
    const Case cases[] = {
        {"/home/flyer/flight.csv", "flight.csv", "/home/flyer/", false},
        {"flight.csv", "flight.csv", "", false},
        {"/flight.csv", "flight.csv", "/", false},
        {"C:\\Users\\Jos\xC3\xA9\\flight.csv", "flight.csv", "C:\\Users\\Jos\xC3\xA9\\", true},
        {"C:/logs\\2024/flight.csv", "flight.csv", "C:/logs\\2024/", true},
        {"C:flight.csv", "flight.csv", "C:", true},
        {"\\\\server\\share\\flight.csv", "flight.csv", "\\\\server\\share\\", true},
    };
    for (const Case& c : cases) {
#ifndef _WIN32
        if (c.windowsOnly) {
            // A backslash is an ordinary character of a POSIX file name.
            const std::string_view p(c.path);
            EXPECT_EQ(platform::fileName(p), p.substr(p.rfind('/') + 1)) << c.path;
            continue;
        }
#endif
        EXPECT_EQ(platform::fileName(c.path), c.name) << c.path;
        EXPECT_EQ(platform::folderOf(c.path), c.folder) << c.path;
    }
    EXPECT_EQ(platform::joinPath("", "a.csv"), "a.csv");
    EXPECT_EQ(platform::fileName(platform::joinPath("logs", "a.csv")), "a.csv");
}

#ifdef _WIN32
TEST_F(FileSystem, WindowsPathsAndDeviceNames) {
    // What a file dialog returns: backslashes throughout. Another program's set takes the file's name.
    ASSERT_EQ(writeFileSafely(path("telemetry.csv"), "time,altitude\n0,1\n0.5,20\n1,45\n1.5,60\n2,40\n"),
              FileStatus::Ok);
    std::string native = path("telemetry.csv");
    for (char& c : native)
        if (c == '/') c = '\\';
    SeriesList list;
    PlotFileHeader header;
    LoadReport report;
    ASSERT_EQ(loadDataFile(native, list, header, report), FileStatus::Ok) << report.openError;
    EXPECT_EQ(list.dataSet(list.dataSetCount() - 1).name, "telemetry");
    EXPECT_EQ(writeFileSafely(native, "replaced"), FileStatus::Ok);
    EXPECT_EQ(contents(native), "replaced");

    for (const char* device : {"NUL", "CON", "COM1", "nul.csv", "C:\\logs\\COM3.txt", "\\\\.\\COM4"}) {
        std::string text, why;
        EXPECT_FALSE(readRegularFile(device, text, &why)) << device;
        EXPECT_NE(why.find("device"), std::string::npos) << device << ": " << why;
    }
}
#endif

} // namespace
