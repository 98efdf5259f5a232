// The firmware file reader on files written here: what lands in the image, what is skipped, and
// every way a file is refused before the module hears anything.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "firmware/hexfile.h"
#include "tests/unit/firmware/hexkit.h"

using namespace orvo;
using hexkit::record;

namespace {

class HexFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("orvo_hex_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    FirmwareLoadResult load(const std::string& text) {
        const std::string path = (dir / "fw.hex").string();
        EXPECT_TRUE(hexkit::writeFile(path, text));
        return LoadFirmwareFile(path, file);
    }
    std::filesystem::path dir;
    FirmwareFile file;
};

} // namespace

TEST(HexChecksum, BootLoaderCommandsGetTheirChecksums) {
    EXPECT_EQ(AppendHexChecksum(":0200000203"
                                "01"),
              ":020000020301F8");
    EXPECT_EQ(AppendHexChecksum(":0200000203"
                                "00"),
              ":020000020300F9");
    EXPECT_EQ(AppendHexChecksum(":0200000200"
                                "63"),
              ":02000002006399");
    EXPECT_EQ(AppendHexChecksum(":0300000400"
                                "0040"),
              ":03000004000040B9");
    EXPECT_EQ(AppendHexChecksum(":00000008"), ":00000008F8");
    // The sum stops at a line end.
    EXPECT_EQ(AppendHexChecksum(":00000008\r\nFF"), ":00000008\r\nFFF8");
    FirmwareFile f;
    f.FirmwareImage[0x100] = 0x02;
    f.FirmwareImage[0x102] = 0x30;
    f.FirmwareImage[0x103] = 0x12;
    EXPECT_EQ(programRecord(f, 0x100, 4), ":0401000002003012B7");
}

TEST_F(HexFileTest, DataLandsInTheImageWhateverTheLineEnds) {
    // Data after the end-of-file record still loads; LF, CR LF and CR all end lines; lower-case
    // hex, blanks around a line and blank lines are fine; 0x00 fills the rest.
    const std::string text = record(0, 0x0010, {0xAA, 0xBB}) + "\r\n" + ":00000001FF\n" + "  \t\n" +
                             "\t:020020000a0bc9  \t\r" + record(0, 0x0100, {0x01}) + "\n";
    ASSERT_EQ(load(text).status, FirmwareLoadStatus::Ok);
    EXPECT_EQ(file.FirmwareImage[0x10], 0xAA);
    EXPECT_EQ(file.FirmwareImage[0x11], 0xBB);
    EXPECT_EQ(file.FirmwareImage[0x20], 0x0A);
    EXPECT_EQ(file.FirmwareImage[0x21], 0x0B);
    EXPECT_EQ(file.FirmwareImage[0x100], 0x01);
    EXPECT_EQ(file.FirmwareImage[0x12], 0x00);
    EXPECT_TRUE(file.hasData);
    EXPECT_EQ(file.HighestAddress, 0x100);
    EXPECT_EQ(file.dataRecords, 3);
    EXPECT_EQ(file.badChecksums, 0);

    // A reload starts from a zero image.
    ASSERT_EQ(load(record(0, 0x0200, {0x55}) + "\n").status, FirmwareLoadStatus::Ok);
    EXPECT_EQ(file.FirmwareImage[0x10], 0x00);
    EXPECT_EQ(file.HighestAddress, 0x200);
}

TEST_F(HexFileTest, EveryByteOfTheFileReachesTheImage) {
    // A byte-order mark before the reset vector, an indented record, records of 65 and 255 bytes
    // and a record that repeats bytes already loaded with the same values: each byte as written.
    const std::vector<std::uint8_t> image = hexkit::randomImage(0x0200);
    auto slice = [&](int from, int n) {
        return std::vector<std::uint8_t>(image.begin() + from, image.begin() + from + n);
    };
    const std::string text = std::string("\xEF\xBB\xBF") + record(0, 0x0000, slice(0, 16)) + "\r\n" + "    " +
                             record(0, 0x0010, slice(0x10, 65)) + "\r\n" +
                             record(0, 0x0051, slice(0x51, 255)) + "\r\n" +
                             record(0, 0x0150, slice(0x150, 0xB0)) + "\r\n" +
                             record(0, 0x0008, slice(0x08, 16)) + "\r\n:00000001FF\r\n";
    ASSERT_EQ(load(text).status, FirmwareLoadStatus::Ok);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), file.FirmwareImage.begin()));
    EXPECT_EQ(file.HighestAddress, 0x01FF);
    EXPECT_EQ(file.badChecksums, 0);

    // A file of address records only holds no data.
    ASSERT_EQ(load(record(4, 0, {0x00, 0x00}) + "\n:00000001FF\n").status, FirmwareLoadStatus::Ok);
    EXPECT_FALSE(file.hasData);
    EXPECT_EQ(file.imageEnd(), 0);
}

TEST_F(HexFileTest, CodeSpaceEndsAt0x1DC0) {
    // 0x1DB0 + 16 = 7616 exactly: accepted, highest address 0x1DBF.
    ASSERT_EQ(load(record(0, 0x1DB0, std::vector<std::uint8_t>(16, 0x42)) + "\n").status,
              FirmwareLoadStatus::Ok);
    EXPECT_EQ(file.HighestAddress, 0x1DBF);
    EXPECT_EQ(file.imageEnd(), FirmwareSize);
    // One byte more is refused, whatever follows.
    EXPECT_EQ(
        load(record(0, 0x1DB0, std::vector<std::uint8_t>(17, 0x42)) + "\n" + record(0, 0, {1}) + "\n").status,
        FirmwareLoadStatus::BeyondCodeSpace);
    // So is data placed by a non-zero address extension, even at a low offset; a zero base is fine.
    EXPECT_EQ(load(record(4, 0, {0x00, 0x01}) + "\n" + record(0, 0, {1}) + "\n").status,
              FirmwareLoadStatus::BeyondCodeSpace);
    EXPECT_EQ(load(record(2, 0, {0x10, 0x00}) + "\n" + record(0, 0, {1}) + "\n").status,
              FirmwareLoadStatus::BeyondCodeSpace);
    EXPECT_EQ(load(":020000040000FA\n" + record(0, 0, {1}) + "\n").status, FirmwareLoadStatus::Ok);
}

TEST_F(HexFileTest, WrongChecksumsAreCountedNotHidden) {
    const std::string text = record(0, 0, {1, 2}) + "\n" + record(0, 2, {3}, 1) + "\n" + record(0, 3, {4}) +
                             "\n" + record(1, 0, {}, 5) + "\n";
    ASSERT_EQ(load(text).status, FirmwareLoadStatus::Ok);
    EXPECT_EQ(file.badChecksums, 2);
    EXPECT_EQ(file.firstBadChecksumLine, 2);
    EXPECT_EQ(file.FirmwareImage[2], 3); // loaded as it stands; the caller decides
}

TEST_F(HexFileTest, DamagedRecordLinesRefuseTheFileNamingTheLine) {
    const std::string good = record(0, 0, {1, 2, 3, 4}) + "\n";
    struct Case {
        std::string line;
        std::string says;
    } cases[] = {
        {":0400000001020G0400", "not a hex digit at column 15"},       // a letter in the data
        {":04000000010203", "shorter than its byte count of 4"},       // cut short
        {":0400000001020304F2:0100", "characters after its checksum"}, // two records run together
        {":0Z", "not a hex digit at column 3"},
        {":", "shorter than a record"},
        {std::string(":04000000010203\0"
                     "4F2",
                     19),
         "not a hex digit"},
        {":03000002000000FB", "address record without"},
        // Lines that are not records at all: a comment, a mark in the middle of the file, a record
        // whose ':' is hidden behind another character, two records that disagree on a byte.
        {"; built 2026-12-01", "does not begin with ':' (\"; built 2026-12-01\")"},
        {std::string("\xEF\xBB\xBF").append(record(0, 0x10, {5})), "does not begin with ':'"},
        {std::string("x").append(record(0, 0x10, {5})), "does not begin with ':'"},
        {record(0, 0x0002, {3, 9}), "gives address 0x0003 another value than line 2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const FirmwareLoadResult r = load(good + good + std::string(c.line) + "\n" + good);
        EXPECT_EQ(r.status, FirmwareLoadStatus::Malformed);
        EXPECT_NE(r.error.find("Line 3 "), std::string::npos) << r.error;
        EXPECT_NE(r.error.find(c.says), std::string::npos) << r.error;
    }
}

TEST_F(HexFileTest, OnlyBoundedRegularFilesAreRead) {
#ifdef _WIN32
    GTEST_SKIP() << "needs POSIX machinery";
#else
    EXPECT_EQ(LoadFirmwareFile((dir / "missing.hex").string(), file).status, FirmwareLoadStatus::Unreadable);
    EXPECT_EQ(LoadFirmwareFile(dir.string(), file).status, FirmwareLoadStatus::Unreadable);
    // A FIFO with no writer would block a plain open and read for ever.
    const std::string fifo = (dir / "fifo.hex").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const FirmwareLoadResult r = LoadFirmwareFile(fifo, file);
    EXPECT_EQ(r.status, FirmwareLoadStatus::Unreadable);
    EXPECT_NE(r.error.find("not a regular file"), std::string::npos);
    EXPECT_EQ(LoadFirmwareFile("/dev/zero", file).status, FirmwareLoadStatus::Unreadable);
    // A huge file is not read into memory whole.
    std::string big(MaxFirmwareFileBytes + 1, '\n');
    EXPECT_EQ(load(big).status, FirmwareLoadStatus::Unreadable);
#endif
}
