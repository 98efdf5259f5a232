// UpdateFirmware end to end against the emulated module and its boot loader, on a virtual clock:
// the image that ends up in the module's flash, the commands on the line, and the failures.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "firmware/isp.h"
#include "link/clock.h"
#include "link/comm.h"
#include "sim/module.h"
#include "tests/unit/firmware/hexkit.h"

using namespace orvo;

namespace {

// The line to a module of the test's own: every open and every write is kept.
struct Line {
    sim::Module* module = nullptr;
    VirtualClock* clock = nullptr;
    std::vector<int> opens; // the speed of each open
    std::vector<std::string> writes;
    bool refuseOpen = false;
    bool open = false;
};

class ModuleDevice : public SerialDevice {
  public:
    explicit ModuleDevice(Line* line) : m_line(line) {}
    bool open(const std::string&, const LineSettings& s, std::string* error) override {
        if (m_line->refuseOpen) {
            *error = "No such device";
            return false;
        }
        m_line->opens.push_back(s.baud);
        VirtualClock* clock = m_line->clock;
        m_line->module->setTimeSource([clock] { return clock->tickCount(); });
        m_line->module->setHostBaud(s.baud);
        m_line->module->setPacing(true);
        m_line->open = true;
        return true;
    }
    void close() override {
        if (m_line->open) m_line->module->hostClosed();
        m_line->open = false;
    }
    int write(const std::uint8_t* bytes, int count) override {
        m_line->writes.emplace_back(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(count));
        m_line->module->feed(bytes, static_cast<std::size_t>(count));
        return count;
    }
    int read(std::uint8_t* buffer, int capacity) override {
        return static_cast<int>(m_line->module->read(buffer, static_cast<std::size_t>(capacity)));
    }
    bool waitForInput(Clock& clock, std::uint32_t ms) override {
        const std::int64_t due = m_line->module->msUntilOutput();
        if (due == 0) return true;
        clock.sleep(due < 0 || due > ms ? ms : static_cast<std::uint32_t>(due));
        return m_line->module->available() > 0;
    }
    void setBreak(bool on) override { m_line->module->setBreak(on); }
    bool alive() const override { return true; }

  private:
    Line* m_line;
};

class UpdateTest : public ::testing::Test {
  protected:
    void SetUp() override {
        line.module = &module;
        line.clock = &clock;
        link.CommSetClock(&clock);
        link.CommSetDeviceFactory(
            [this](const std::string&) { return std::make_unique<ModuleDevice>(&line); });
        dir = std::filesystem::temp_directory_path() / ("orvo_isp_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        options.portName = "/dev/ttyTEST";
        options.linkSpeed = 115200;
        options.recoveryHint = "Check Part is Blank and run again.";
    }
    void TearDown() override {
        link.CommClose();
        link.CommSetDeviceFactory({});
        link.CommSetClock(nullptr);
        std::filesystem::remove_all(dir);
    }
    std::string hexFile(const std::string& text) {
        const std::string path = (dir / "fw.hex").string();
        EXPECT_TRUE(hexkit::writeFile(path, text));
        return path;
    }
    LinkStatus run(const std::string& path) { return UpdateFirmware(link, path, options, log, hooks); }
    int count(const std::string& text) const {
        return static_cast<int>(std::count(log.lines.begin(), log.lines.end(), text));
    }
    bool logged(const std::string& part) const { return log.text().find(part) != std::string::npos; }
    // The image programming must leave in the flash: the file's bytes, 0x00 up to the end of the
    // last block, erased (0xFF) beyond it.
    std::vector<std::uint8_t> expectedFlash(const std::vector<std::uint8_t>& bytes) const {
        std::vector<std::uint8_t> flash(FirmwareSize, 0xFF);
        std::copy(bytes.begin(), bytes.end(), flash.begin());
        return flash;
    }

    VirtualClock clock{0xFFFF0000u}; // the tick count wraps during the run
    sim::Module module;
    Line line;
    std::filesystem::path dir;
    FirmwareUpdateOptions options;
    FirmwareUpdateHooks hooks;
    StringInfoLog log;
    Link link; // closed before the line and the clock go
};

} // namespace

TEST_F(UpdateTest, WholeImageEndsUpInTheFlash) {
    const std::vector<std::uint8_t> image = hexkit::randomImage(FirmwareSize, 11);
    std::vector<int> progress;
    int highest = -1;
    hooks.loaded = [&](int h) { highest = h; };
    hooks.progress = [&](int a) { progress.push_back(a); };
    const std::uint32_t start = clock.tickCount();

    ASSERT_EQ(run(hexFile(hexkit::hexText(image, 0, 32, "\r\n"))), LinkStatus::Ok) << log.text();

    EXPECT_EQ(module.codeImage(), image);
    EXPECT_EQ(module.statusByte(), 0x00);
    EXPECT_EQ(module.configByte(), 0x63);
    EXPECT_EQ(module.erasedPages(), 119);
    EXPECT_EQ(module.programmedRecords(), 119);
    EXPECT_EQ(module.commandLog(), "P"); // the running firmware heard "P" and nothing else
    EXPECT_EQ(line.opens, (std::vector<int>{115200, 4800}));
    EXPECT_FALSE(link.CommIsOpen());
    EXPECT_EQ(log.lines, (std::vector<std::string>{"ISP Mode Initiated"}));
    EXPECT_EQ(highest, 0x1DBF);
    ASSERT_EQ(progress.size(), 119u);
    EXPECT_EQ(progress[1], 64);
    // The command texts: first "P", the sync, status 01, then the last three exactly.
    ASSERT_GE(line.writes.size(), 4u);
    EXPECT_EQ(line.writes[0], "P");
    EXPECT_EQ(line.writes[1], "U");
    EXPECT_EQ(line.writes[2], ":020000020301F8");
    EXPECT_EQ(line.writes[3], ":03000004000000F9");
    EXPECT_EQ(line.writes[4], ":03000004000040B9");
    const std::size_t n = line.writes.size();
    EXPECT_EQ(line.writes[n - 3], ":020000020300F9");
    EXPECT_EQ(line.writes[n - 2], ":02000002006399");
    EXPECT_EQ(line.writes[n - 1], ":00000008F8");
    // The whole dialogue takes about its wire time at 4800 bit/s plus the fixed waits.
    const std::uint32_t took = clock.tickCount() - start;
    EXPECT_GT(took, 40000u);
    EXPECT_LT(took, 45000u);
    // The reset record restarts the module into the new firmware.
    clock.advance(400);
    EXPECT_EQ(module.state(), sim::Module::State::Running);
}

TEST_F(UpdateTest, LastBlockCarriesOnlyTheBytesUpToTheHighestAddress) {
    // Data up to 0x0080: the block at 0x0080 goes out with one byte; gaps are programmed as 0x00.
    std::vector<std::uint8_t> bytes(0x81, 0);
    bytes[0x05] = 0x11;
    bytes[0x80] = 0x5A;
    const std::string text = hexkit::record(0, 0x05, {0x11}) + "\n" + hexkit::record(0, 0x80, {0x5A}) + "\n";
    ASSERT_EQ(run(hexFile(text)), LinkStatus::Ok) << log.text();
    EXPECT_EQ(module.codeImage(), expectedFlash(bytes));
    EXPECT_EQ(module.programmedRecords(), 3);
    const std::size_t n = line.writes.size();
    EXPECT_EQ(line.writes[n - 4], ":010080005A25");
    EXPECT_EQ(line.writes[n - 5].substr(0, 9), ":40004000"); // full block before it
}

TEST_F(UpdateTest, ThreeRejectedErasesStopTheRunAndBlankPartFinishesIt) {
    const std::vector<std::uint8_t> image = hexkit::randomImage(3000, 5);
    const std::string path = hexFile(hexkit::hexText(image));
    // Record 1 sets the status byte; 2 erases page 0; 3, 4, 5 are the tries at page 0x40.
    module.faults().rejectFrom = 3;
    module.faults().rejectCount = 3;
    module.faults().rejectReply = 'X';

    EXPECT_EQ(run(path), LinkStatus::CommandFailed);
    EXPECT_EQ(count("bad checksum"), 3);
    EXPECT_TRUE(
        logged("bad checksum\nbad checksum\nbad checksum\nError Erasing Flash\nThe module is now in its "
               "boot loader"))
        << log.text();
    EXPECT_EQ(log.lines.back(), "Check Part is Blank and run again.");
    EXPECT_FALSE(link.CommIsOpen());
    EXPECT_EQ(module.statusByte(), 0x01);
    // Even a power cycle keeps it in its loader now.
    EXPECT_EQ(module.state(), sim::Module::State::BootLoader);

    // "Part is Blank": no "P", no break; straight to the synchronisation.
    log.clear();
    line.writes.clear();
    line.opens.clear();
    options.blankPart = true;
    ASSERT_EQ(run(path), LinkStatus::Ok) << log.text();
    EXPECT_EQ(line.opens, (std::vector<int>{4800}));
    EXPECT_EQ(line.writes[0], "U");
    EXPECT_EQ(module.codeImage(), expectedFlash(image)); // the last block ends at the highest address
    EXPECT_EQ(module.statusByte(), 0x00);
}

TEST_F(UpdateTest, MissingEchoWithAnAcceptedAnswerStillSucceeds) {
    module.faults().noEchoFrom = 2; // the first erase command
    module.faults().noEchoCount = 1;
    const std::vector<std::uint8_t> image = hexkit::randomImage(200, 8);
    ASSERT_EQ(run(hexFile(hexkit::hexText(image))), LinkStatus::Ok) << log.text();
    EXPECT_EQ(log.lines, (std::vector<std::string>{"ISP Mode Initiated", "Sent data not echoed"}));
    EXPECT_EQ(module.erasedPages(), 119);                        // not sent twice: the answer "." was taken
    EXPECT_EQ(module.loaderRecords(), 1u + 119u + 4u + 2u + 1u); // the reset record too
}

TEST_F(UpdateTest, ProgrammingFailuresAreReportedPerTry) {
    // "R" three times on the second programming record.
    module.faults().rejectFrom = 1 + 119 + 2;
    module.faults().rejectCount = 3;
    module.faults().rejectReply = 'R';
    const std::string path = hexFile(hexkit::hexText(hexkit::randomImage(640, 2)));
    EXPECT_EQ(run(path), LinkStatus::CommandFailed);
    EXPECT_EQ(count("data byte write failure"), 3);
    EXPECT_TRUE(logged("data byte write failure\nError Programming Flash\nThe module is now"));
    EXPECT_EQ(module.programmedRecords(), 1);
}

TEST_F(UpdateTest, NoSynchronisationClosesThePort) {
    // The module runs its firmware, which ignores "U": with "Part is Blank" nobody answers.
    options.blankPart = true;
    EXPECT_EQ(run(hexFile(hexkit::hexText({1, 2, 3}))), LinkStatus::NoSync);
    EXPECT_EQ(log.lines,
              (std::vector<std::string>{"Target not responding",
                                        "Nothing was erased; the module's firmware is unchanged."}));
    EXPECT_EQ(line.writes, (std::vector<std::string>{"U", "U", "U"}));
    EXPECT_FALSE(link.CommIsOpen());
    EXPECT_FALSE(line.open);
}

TEST_F(UpdateTest, PortThatDoesNotOpen) {
    line.refuseOpen = true;
    EXPECT_EQ(run(hexFile(hexkit::hexText({1, 2, 3}))), LinkStatus::OpenFailed);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"Unable to open Serial Port", "No such device"}));
}

TEST_F(UpdateTest, DoubtfulFilesSendNothingWithoutConsent) {
    // Wrong checksums: refused unless the caller agrees; with consent the program's own
    // checksums go out and the data as it stands is programmed.
    const std::string bad = hexkit::record(0, 0, {9, 8, 7}, 3) + "\n" + hexkit::record(0, 3, {6}, 1) + "\n";
    int asked = 0;
    hooks.acceptBadChecksums = [&](int records, int firstLine) {
        ++asked;
        EXPECT_EQ(records, 2);
        EXPECT_EQ(firstLine, 1);
        return false;
    };
    EXPECT_EQ(run(hexFile(bad)), LinkStatus::Refused);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(line.opens.empty());
    EXPECT_TRUE(
        logged("2 record(s) of the firmware file have a wrong checksum (line 1 first). Nothing was sent"));
    hooks.acceptBadChecksums = [](int, int) { return true; };
    ASSERT_EQ(run(hexFile(bad)), LinkStatus::Ok) << log.text();
    EXPECT_EQ(module.codeImage()[0], 9);
    EXPECT_EQ(module.codeImage()[3], 6);

    // No data: refused without consent; with it the whole code space is erased, no record is
    // programmed, and the module is finished and reset as usual.
    log.clear();
    line.opens.clear();
    EXPECT_EQ(run(hexFile(":00000001FF\n")), LinkStatus::Refused);
    EXPECT_TRUE(line.opens.empty());
    hooks.acceptNoData = [] { return true; };
    clock.advance(400); // the module restarts after the update above
    const int programmedBefore = module.programmedRecords();
    ASSERT_EQ(run(hexFile(":00000001FF\n")), LinkStatus::Ok) << log.text();
    EXPECT_EQ(module.programmedRecords(), programmedBefore);
    EXPECT_EQ(module.codeImage(), std::vector<std::uint8_t>(FirmwareSize, 0xFF));
    EXPECT_EQ(module.statusByte(), 0x00);
    EXPECT_EQ(line.writes.back(), ":00000008F8");
}

TEST_F(UpdateTest, FilesRefusedBeforeAnythingIsSent) {
    bool boxShown = false;
    std::string refusal;
    hooks.codeSpaceExceeded = [&] { boxShown = true; };
    hooks.fileRefused = [&](const std::string& why) { refusal = why; };
    EXPECT_EQ(run(hexFile(hexkit::record(0, 0x1DBF, {1, 2}) + "\n")), LinkStatus::TooLarge);
    EXPECT_TRUE(boxShown);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"Hex file exceeds code space."}));
    EXPECT_EQ(run(hexFile(":02000000AB\n")), LinkStatus::Refused);
    EXPECT_NE(refusal.find("Line 1 "), std::string::npos);
    EXPECT_EQ(run((dir / "none.hex").string()), LinkStatus::FileUnreadable);
    EXPECT_TRUE(line.opens.empty());
    EXPECT_TRUE(line.writes.empty());
}

TEST_F(UpdateTest, StatusByteRefusedLeavesTheFirmwareAlone) {
    module.faults().rejectFrom = 1;
    module.faults().rejectCount = 3;
    module.faults().rejectReply = 'R';
    EXPECT_EQ(run(hexFile(hexkit::hexText({1, 2, 3}))), LinkStatus::CommandFailed);
    EXPECT_EQ(log.lines, (std::vector<std::string>{
                             "ISP Mode Initiated", "data byte write failure", "data byte write failure",
                             "data byte write failure", "Error Setting Status Byte",
                             "Nothing was erased; the module's firmware is unchanged."}));
    EXPECT_EQ(module.erasedPages(), 0);
    EXPECT_EQ(module.statusByte(), 0x00);
}

TEST_F(UpdateTest, StopRequestsEndAtARecordBoundaryAndSayHowToFinish) {
    const std::vector<std::uint8_t> image = hexkit::randomImage(640, 4); // 10 programming records
    const std::string path = hexFile(hexkit::hexText(image));
    struct Case {
        unsigned stopAfter; // loader records taken when the stop is asked for
        LinkStatus result;
        std::string says;
        std::uint8_t status;
    } cases[] = {
        {0, LinkStatus::Cancelled, "Stopped before anything was sent", 0x00},
        {5, LinkStatus::Cancelled, "Stopped while erasing, before address 0x0100.", 0x01},
        {1 + 119 + 2, LinkStatus::Cancelled, "Stopped while programming, before address 0x0080.", 0x01},
        // Every record is programmed: the update finishes rather than leave the module in its loader.
        {1 + 119 + 10, LinkStatus::Ok, "", 0x00},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stopAfter);
        sim::Module fresh;
        module.faults() = fresh.faults();
        log.clear();
        options.blankPart = false;
        const unsigned before = module.loaderRecords();
        hooks.stopRequested = [&] { return module.loaderRecords() - before >= c.stopAfter; };
        EXPECT_EQ(run(path), c.result) << log.text();
        EXPECT_TRUE(logged(c.says)) << log.text();
        EXPECT_EQ(module.statusByte(), c.status);
        EXPECT_FALSE(link.CommIsOpen());
        if (c.status == 0x01) {
            EXPECT_TRUE(logged("firmware is incomplete"));
            EXPECT_EQ(log.lines.back(), "Check Part is Blank and run again.");
            // The way out the log names works.
            hooks.stopRequested = {};
            options.blankPart = true;
            log.clear();
            ASSERT_EQ(run(path), LinkStatus::Ok) << log.text();
            EXPECT_EQ(module.codeImage(), expectedFlash(image));
            clock.sleep(module.resetMs() + 1000); // the module starts its new firmware
        }
    }
}

TEST_F(UpdateTest, FailedLastRecordAfterACompleteImageDoesNotCallItIncomplete) {
    const std::vector<std::uint8_t> image = hexkit::randomImage(640, 6);
    // The configuration write, after the status byte 00, is refused three times.
    module.faults().rejectFrom = 1 + 119 + 10 + 2;
    module.faults().rejectCount = 3;
    module.faults().rejectReply = 'R';
    EXPECT_EQ(run(hexFile(hexkit::hexText(image))), LinkStatus::CommandFailed);
    EXPECT_FALSE(logged("incomplete")) << log.text();
    EXPECT_TRUE(logged("programmed completely")) << log.text();
    EXPECT_EQ(module.statusByte(), 0x00);
    EXPECT_EQ(module.codeImage(), expectedFlash(image));
}
