// Comm over a real pseudo-terminal (QSerialPort and the termios path) against `orvo-cli sim`.
#include <gtest/gtest.h>

#include <QProcess>

#include <sys/resource.h>

#include <chrono>
#include <cstring>
#include <string>

#include "clirun.h"
#include "config/configblock.h"
#include "desktop/portlink.h"
#include "link/comm.h"

using namespace orvo;

namespace {

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double wallSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

class PtySimTest : public ::testing::Test {
  protected:
    void start(const QStringList& extra = {}) {
        path = sim.start(QStringList{"--sets", "2", "--seed", "7"} + extra).toStdString();
        ASSERT_FALSE(path.empty());
    }
    PtySim sim;
    std::string path;
    orvo::PortLink link;
};

} // namespace

TEST_F(PtySimTest, IdentifyListAndDownloadOverThePty) {
    start();
    ASSERT_EQ(link.CommOpen(path, 5, 0), LinkStatus::Ok) << link.CommLastError();
    link.CommFlush();
    ASSERT_EQ(link.CommWrite("v"), 1);
    char line[257];
    const char* expected[4] = {"ORVO", "MOD1", "0.03", "08-27-03"};
    for (const char* e : expected) {
        ASSERT_GT(link.CommReadLine(line, 256, 1000), 0);
        EXPECT_STREQ(line, e);
    }
    link.CommFlush();
    link.CommWrite("s");
    int sets = 0;
    while (link.CommReadLine(line, 256, 300) > 0)
        ++sets;
    EXPECT_EQ(sets, 2);

    link.CommFlush();
    link.CommWrite("a");
    link.CommSleep(20);
    const std::uint8_t second = 1;
    link.CommWrite(&second, 1);
    std::uint8_t header[7];
    ASSERT_EQ(link.CommReadBlock(header, 6, 1000), 6);
    const int words = (header[3] << 8) | header[4];
    EXPECT_GT(words, 100);
    EXPECT_NE(header[5], 0); // the second flight recorded its triggers
    std::string body(static_cast<std::size_t>(2 * words + 1), '\0');
    ASSERT_EQ(link.CommReadBlock(body.data(), 2 * words, 5000 + words), 2 * words);
    int markers = 0;
    for (int i = 0; i < words; ++i)
        markers += static_cast<std::uint8_t>(body[2 * i]) == 0x82;
    EXPECT_EQ(markers, 2);
}

TEST_F(PtySimTest, ConfigurationSurvivesCloseAndReopen) {
    start();
    ASSERT_EQ(link.CommOpen(path, 2, 0), LinkStatus::Ok) << link.CommLastError();
    std::uint8_t wire[ConfigBlockSize + 1];
    link.CommFlush();
    link.CommWrite("r");
    ASSERT_EQ(link.CommReadBlock(wire, ConfigBlockSize, 5000), ConfigBlockSize);
    ConfigBlock c = ConfigBlock::fromWire(wire);
    EXPECT_EQ(c.Marker, 0xABCD);
    c.Units = 1;
    c.AutoStopAltitude = 1234;
    ConfigWire out = c.toWire();
    link.CommFlush();
    link.CommWrite("c");
    link.CommSleep(40);
    link.CommWrite(out.data(), ConfigBlockSize);
    link.CommSleep(100);
    link.CommClose();

    ASSERT_EQ(link.CommOpen(path, 2, 0), LinkStatus::Ok) << link.CommLastError();
    link.CommFlush();
    link.CommWrite("r");
    ASSERT_EQ(link.CommReadBlock(wire, ConfigBlockSize, 5000), ConfigBlockSize);
    EXPECT_EQ(ConfigBlock::fromWire(wire), c);
}

TEST_F(PtySimTest, BootLoaderAnswersAtItsSpeed) {
    start();
    ASSERT_EQ(link.CommOpen(path, 5, 0), LinkStatus::Ok);
    link.CommWrite("P");
    link.CommSleep(100);
    link.CommClose();
    ASSERT_EQ(link.CommOpen(path, 1, 0), LinkStatus::Ok);
    link.CommSendBreak(200); // a pty cannot signal it; that must do no harm
    link.CommSleep(100);
    link.CommWrite("U");
    char c[2];
    ASSERT_EQ(link.CommReadBlock(c, 1, 1000), 1);
    EXPECT_EQ(c[0], 'U');
    const std::string status = ":020000020301F8";
    link.CommWrite(status);
    EXPECT_EQ(link.CommWaitFor(status, 1000), 1);
    ASSERT_EQ(link.CommReadBlock(c, 1, 1000), 1);
    EXPECT_EQ(c[0], '.');
}

TEST_F(PtySimTest, HangUpEndsReadsWithoutSpinning) {
    start();
    ASSERT_EQ(link.CommOpen(path, 5, 0), LinkStatus::Ok);
    link.CommWrite("v");
    char line[257];
    ASSERT_GT(link.CommReadLine(line, 256, 1000), 0);
    ASSERT_TRUE(sim.stop(3000)); // the sim closes the pty master: the line hangs up

    const double cpu0 = cpuSeconds(), wall0 = wallSeconds();
    link.CommWrite("r");
    char buf[40];
    EXPECT_EQ(link.CommReadBlock(buf, 38, 1000), 0);
    EXPECT_EQ(link.CommReadLine(line, 256, 500), 0);
    EXPECT_EQ(link.CommWaitFor("U", 500), 0);
    const double wall = wallSeconds() - wall0, cpu = cpuSeconds() - cpu0;
    EXPECT_GE(wall, 1.9);
    EXPECT_LT(wall, 3.0);
    EXPECT_LT(cpu / wall, 0.2) << "cpu " << cpu << " s in " << wall << " s";
    EXPECT_EQ(link.CommWrite("v"), 0);
    link.CommClose();
}

TEST_F(PtySimTest, MissingDeviceGivesAReason) {
    EXPECT_EQ(link.CommOpen("/dev/pts/orvo-no-such", 5, 0), LinkStatus::OpenFailed);
    EXPECT_NE(link.CommLastError().find("No such device"), std::string::npos) << link.CommLastError();
}

TEST_F(PtySimTest, ALockFileThatCannotBeWrittenIsSaidSoAndNotCalledBusy) {
    start();
    QProcess cli;
    // With a file size limit of 0 the port's lock file cannot be written.
    cli.start(QStringLiteral("/bin/sh"),
              {QStringLiteral("-c"), QStringLiteral("ulimit -f 0; exec \"$0\" info --port \"$1\""),
               QStringLiteral(ORVO_BINARY_DIR "/cli/orvo-cli"), QString::fromStdString(path)});
    ASSERT_TRUE(cli.waitForFinished(20000));
    const QString err = QString::fromLocal8Bit(cli.readAllStandardError());
    EXPECT_EQ(cli.exitCode(), 3);
    EXPECT_TRUE(err.contains("lock file could not be written")) << err.toStdString();
    EXPECT_FALSE(err.contains("Device busy")) << err.toStdString();
}
