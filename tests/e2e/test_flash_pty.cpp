// `orvo-cli flash` against `orvo-cli sim` over a pseudo-terminal (the real serial port code): the
// image that ends up in the emulator's flash, the boot loader's failures and their exit statuses,
// and the files refused before any port is opened.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>

#include "clirun.h"
#include "tests/unit/firmware/hexkit.h"

namespace {

class FlashPtyTest : public ::testing::Test {
  protected:
    void startSim(const QStringList& args) {
        path = sim.start(QStringList{"--flash-file", flash()} + args);
        ASSERT_FALSE(path.isEmpty());
    }
    // Stops the emulator; returns the code space it wrote, with its status byte last.
    QByteArray stopSim() {
        EXPECT_TRUE(sim.stop(5000));
        QFile f(flash());
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
    QString flash() const { return dir.filePath(QStringLiteral("flash.bin")); }
    QString hexFile(const std::string& text) {
        const QString p = dir.filePath(QStringLiteral("fw%1.hex").arg(++files));
        EXPECT_TRUE(hexkit::writeFile(p.toStdString(), text));
        return p;
    }
    // What the flash must hold: the image, then erased bytes, then status byte 00.
    static QByteArray flashed(const std::vector<std::uint8_t>& image) {
        QByteArray expected(7616, char(0xFF));
        for (std::size_t i = 0; i < image.size(); ++i)
            expected[static_cast<qsizetype>(i)] = static_cast<char>(image[i]);
        return expected + QByteArray(1, '\0');
    }

    QTemporaryDir dir;
    PtySim sim;
    QString path;
    int files = 0;
};

} // namespace

TEST_F(FlashPtyTest, WholeUpdateLeavesTheImageInTheFlash) {
    const std::vector<std::uint8_t> image = hexkit::randomImage(1000, 17);
    startSim({});
    // As some editors and tools write it: a byte-order mark before the reset vector's record, an
    // indented record, records longer than the loader's 64 bytes. Every byte must arrive.
    const std::string text = "\xEF\xBB\xBF" + hexkit::hexText({image.begin(), image.begin() + 16}) + "  " +
                             hexkit::hexText({image.begin() + 16, image.end()}, 16, 255, "\r\n");
    const CliRun r = cli({"flash", "--port", path, hexFile(text)}, 120000);
    EXPECT_EQ(r.status, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_EQ(r.out, "ISP Mode Initiated\n\nFirmware updated successfully.\n");
    EXPECT_EQ(stopSim(), flashed(image));
}

TEST_F(FlashPtyTest, RejectedEraseExitsSixAndBlankFinishesTheUpdate) {
    const std::vector<std::uint8_t> image = hexkit::randomImage(700, 23);
    const QString file = hexFile(hexkit::hexText(image));
    startSim({"--faults", "reject=3:3:X"});
    CliRun r = cli({"flash", "--port", path, file}, 120000);
    EXPECT_EQ(r.status, 6);
    EXPECT_TRUE(r.out.startsWith("ISP Mode Initiated\nbad checksum\nbad checksum\nbad checksum\n"
                                 "Error Erasing Flash\nThe module is now in its boot loader"))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.endsWith("To finish, run orvo-cli flash again with --blank.\n"));

    r = cli({"flash", "--port", path, "--blank", file}, 120000);
    EXPECT_EQ(r.status, 0) << r.out.toStdString();
    EXPECT_EQ(stopSim(), flashed(image));
}

TEST_F(FlashPtyTest, LostEchoStillSucceedsAndNoSyncExitsFive) {
    startSim({"--faults", "noecho=2:1"});
    const QString file = hexFile(hexkit::hexText(hexkit::randomImage(64, 5)));
    CliRun r = cli({"flash", "--port", path, file}, 120000);
    EXPECT_EQ(r.status, 0) << r.out.toStdString();
    EXPECT_EQ(r.out, "ISP Mode Initiated\nSent data not echoed\n\nFirmware updated successfully.\n");
    // The module restarted into its firmware, which does not answer "U".
    // (The reset record is sent without waiting; give a loaded machine time to take it.)
    QThread::msleep(2000);
    r = cli({"flash", "--port", path, "--blank", file}, 120000);
    EXPECT_EQ(r.status, 5);
    EXPECT_EQ(r.out, "Target not responding\nNothing was erased; the module's firmware is unchanged.\n");
}

TEST_F(FlashPtyTest, DoubtfulFilesAreRefusedBeforeAPortOpens) {
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

TEST_F(FlashPtyTest, InterruptStopsAtARecordAndSaysHowToFinish) {
    const std::vector<std::uint8_t> image = hexkit::randomImage(2000, 29);
    const QString file = hexFile(hexkit::hexText(image));
    startSim({});
    for (int sig : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(sig);
        QProcess flash;
        // The second run meets the loader the first one left behind.
        QStringList args{"flash", "--port", path, file};
        if (sig == SIGTERM) args << "--blank";
        flash.start(Cli, args);
        ASSERT_TRUE(flash.waitForStarted(5000));
        QByteArray out;
        while (!out.contains("ISP Mode Initiated\n") && flash.waitForReadyRead(20000))
            out += flash.readAllStandardOutput();
        ASSERT_TRUE(out.contains("ISP Mode Initiated")) << out.toStdString();
        // Into the erasing, which takes seconds at 4800 bit/s (a stop before it erases nothing).
        QThread::msleep(1000);
        ::kill(static_cast<pid_t>(flash.processId()), sig);
        ASSERT_TRUE(flash.waitForFinished(30000));
        out += flash.readAllStandardOutput();
        EXPECT_EQ(flash.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(flash.exitCode(), 7) << out.toStdString();
        EXPECT_TRUE(out.contains("Stopped while ")) << out.toStdString();
        EXPECT_TRUE(out.endsWith("To finish, run orvo-cli flash again with --blank.\n")) << out.toStdString();
    }
    const CliRun r = cli({"flash", "--port", path, "--blank", file}, 120000);
    EXPECT_EQ(r.status, 0) << r.out.toStdString();
    EXPECT_EQ(stopSim(), flashed(image));
    EXPECT_TRUE(cli({"flash", "--help"}).out.contains("7 stopped"));
}
