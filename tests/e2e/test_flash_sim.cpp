// `orvo-cli flash` run in this process against the emulated module's boot loader on a virtual
// clock: the image that ends up in its flash, the loader's failures and their exit statuses, a
// stop by Ctrl+C or SIGTERM, and the files refused before any port is opened.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <csignal>

#include "firmwarefiles.h"
#include "simcli.h"

using namespace orvo;

namespace {

class FlashSimTest : public ::testing::Test, public FirmwareFiles {
  protected:
    CliRun cli(const QStringList& args) { return sim.run(args); }
    // The module's code space, with its status byte last.
    QByteArray stopSim() {
        const std::vector<std::uint8_t>& code = sim.module().codeImage();
        return QByteArray(reinterpret_cast<const char*>(code.data()), static_cast<qsizetype>(code.size())) +
               QByteArray(1, static_cast<char>(sim.module().statusByte()));
    }

    SimCli sim;
    const QString path = QStringLiteral("Simulator");
};

} // namespace

TEST_F(FlashSimTest, RejectedEraseExitsSixAndBlankFinishesTheUpdate) {
    const std::vector<std::uint8_t> image = hexkit::randomImage(700, 23);
    const QString file = hexFile(hexkit::hexText(image));
    sim.start({"--faults", "reject=3:3:X"});
    CliRun r = cli({"flash", "--port", path, file});
    EXPECT_EQ(r.status, 6);
    EXPECT_TRUE(r.out.startsWith("ISP Mode Initiated\nbad checksum\nbad checksum\nbad checksum\n"
                                 "Error Erasing Flash\nThe module is now in its boot loader"))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.endsWith("To finish, run orvo-cli flash again with --blank.\n"));

    r = cli({"flash", "--port", path, "--blank", file});
    EXPECT_EQ(r.status, 0) << r.out.toStdString();
    EXPECT_EQ(stopSim(), flashed(image));
}

TEST_F(FlashSimTest, LostEchoStillSucceedsAndNoSyncExitsFive) {
    sim.start({"--faults", "noecho=2:1"});
    const QString file = hexFile(hexkit::hexText(hexkit::randomImage(64, 5)));
    CliRun r = cli({"flash", "--port", path, file});
    EXPECT_EQ(r.status, 0) << r.out.toStdString();
    EXPECT_EQ(r.out, "ISP Mode Initiated\nSent data not echoed\n\nFirmware updated successfully.\n");
    // The module restarted into its firmware, which does not answer "U".
    ASSERT_TRUE(sim.waitFor([&] { return sim.module().state() == sim::Module::State::Running; }, 5000));
    r = cli({"flash", "--port", path, "--blank", file});
    EXPECT_EQ(r.status, 5);
    EXPECT_EQ(r.out, "Target not responding\nNothing was erased; the module's firmware is unchanged.\n");
}

TEST_F(FlashSimTest, DoubtfulFilesAreRefusedBeforeAPortOpens) {
    // A port that does not exist: exit 4 proves the file was refused before any open (3).
    const QString nowhere = dir.filePath(QStringLiteral("no-such-port"));
    const QString badSum = hexFile(hexkit::record(0, 0, {1, 2}, 7) + "\n");
    const QString noData = hexFile(":00000001FF\n");
    const QString tooBig = hexFile(hexkit::record(0, 0x1DBF, {1, 2}) + "\n");
    const QString damaged = hexFile(":02000000010\n");
    CliRun r = cli({"flash", "--port", nowhere, badSum});
    EXPECT_EQ(r.status, 4);
    EXPECT_TRUE(r.err.contains("--force"));
    EXPECT_EQ(cli({"flash", "--port", nowhere, "--force", badSum}).status, 3);
    EXPECT_EQ(cli({"flash", "--port", nowhere, noData}).status, 4);
    EXPECT_EQ(cli({"flash", "--port", nowhere, "--force", noData}).status, 3);
    r = cli({"flash", "--port", nowhere, tooBig});
    EXPECT_EQ(r.status, 4);
    EXPECT_EQ(r.out, "Hex file exceeds code space.\n");
    r = cli({"flash", "--port", nowhere, "--force", damaged});
    EXPECT_EQ(r.status, 4);
    EXPECT_TRUE(r.out.startsWith("Line 1 of the firmware file is shorter than its byte count of 2 says."));
    // A line that is not a record: refused by its number, not skipped.
    r = cli({"flash", "--port", nowhere, hexFile(hexkit::hexText({1, 2}) + "garbage\n")});
    EXPECT_EQ(r.status, 4);
    EXPECT_TRUE(r.out.startsWith("Line 3 of the firmware file does not begin with ':'"))
        << r.out.toStdString();
    EXPECT_EQ(cli({"flash", "--port", nowhere, dir.filePath("missing.hex")}).status, 4);
    EXPECT_EQ(cli({"flash", "--port", nowhere, "/dev/zero"}).status, 4);
    EXPECT_EQ(cli({"flash", "--port", nowhere}).status, 2);
    EXPECT_EQ(cli({"flash", "--speed", "1234", "--port", nowhere, badSum}).status, 2);
}

TEST_F(FlashSimTest, InterruptStopsAtARecordAndSaysHowToFinish) {
    const std::vector<std::uint8_t> image = hexkit::randomImage(2000, 29);
    const QString file = hexFile(hexkit::hexText(image));
    for (int sig : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(sig);
        // The second run meets the loader the first one left behind.
        QStringList args{"flash", "--port", path, file};
        if (sig == SIGTERM) args << "--blank";
        // Into the erasing (a stop before it erases nothing): the signal comes once the loader has
        // erased a page.
        const int erased = sim.module().erasedPages();
        bool sent = false;
        sim.clock().onSleep = [&] {
            if (!sent && sim.module().erasedPages() > erased) {
                sent = true;
                std::raise(sig);
            }
        };
        const CliRun stopped = cli(args);
        sim.clock().onSleep = nullptr;
        const QString& out = stopped.out;
        ASSERT_TRUE(sent);
        ASSERT_TRUE(out.contains("ISP Mode Initiated")) << out.toStdString();
        EXPECT_EQ(stopped.status, 7) << out.toStdString();
        EXPECT_TRUE(out.contains("Stopped while ")) << out.toStdString();
        EXPECT_TRUE(out.endsWith("To finish, run orvo-cli flash again with --blank.\n")) << out.toStdString();
    }
    const CliRun r = cli({"flash", "--port", path, "--blank", file});
    EXPECT_EQ(r.status, 0) << r.out.toStdString();
    EXPECT_EQ(stopSim(), flashed(image));
    EXPECT_TRUE(cli({"flash", "--help"}).out.contains("7 stopped"));
}
