// The built-in "Simulator" port: Comm against the in-process module on a virtual clock.
#include <gtest/gtest.h>

#include "link/comm.h"
#include "link/configexchange.h"
#include "link/protocol.h"
#include "sim/module.h"
#include "sim/simulatedlink.h"

using namespace orvo;

namespace {

class SimulatorPortTest : public ::testing::Test {
  protected:
    void SetUp() override { link.CommSetClock(&clock); }
    VirtualClock clock{0xFFFFF000u};
    orvo::sim::SimulatedLink link; // its own emulated module, made afresh for every test
};

} // namespace

TEST_F(SimulatorPortTest, DownloadExampleArrivesPacedAtTheLineRate) {
    sim::RecordedSet set;
    set.intervalTicks = 10;
    set.triggered = true;
    set.words = {0x0064, 0x8201, 0x0065, 0x0066};
    ASSERT_TRUE(link.simulator().setRecordedSets({set}));
    ASSERT_EQ(link.CommOpen(SimulatorPortName, 0, 0), LinkStatus::Ok); // 2400 bit/s: 240 bytes a second

    link.CommFlush();
    link.CommWrite("a");
    link.CommSleep(20);
    const std::uint8_t index = 0;
    link.CommWrite(&index, 1);
    const std::uint32_t sent = link.CommTickCount();
    std::uint8_t header[7];
    ASSERT_EQ(link.CommReadBlock(header, 6, 1000), 6);
    EXPECT_EQ(std::vector<std::uint8_t>(header, header + 6),
              (std::vector<std::uint8_t>{0x00, 0x00, 0x0A, 0x00, 0x04, 0x01}));
    EXPECT_EQ(link.CommTickCount() - sent, 25u); // six bytes at 4.17 ms each
    std::uint8_t body[9];
    ASSERT_EQ(link.CommReadBlock(body, 8, 1000), 8);
    EXPECT_EQ(std::vector<std::uint8_t>(body, body + 8),
              (std::vector<std::uint8_t>{0x00, 0x64, 0x82, 0x01, 0x00, 0x65, 0x00, 0x66}));
    EXPECT_EQ(link.CommTickCount() - sent, 59u);
    // Nothing more: the next word times out.
    EXPECT_EQ(link.CommReadBlock(body, 2, 1000), 0);
}

TEST_F(SimulatorPortTest, ConfigurationRoundTripAndDefaults) {
    ASSERT_EQ(link.CommOpen(SimulatorPortName, 5, 0), LinkStatus::Ok);
    std::uint8_t wire[ConfigBlockSize + 1];
    link.CommFlush();
    link.CommWrite("r");
    ASSERT_EQ(link.CommReadBlock(wire, ConfigBlockSize, 5000), ConfigBlockSize);
    ConfigBlock c = ConfigBlock::fromWire(wire);
    EXPECT_EQ(c, link.simulator().defaultConfig());

    c.Units = 2;
    c.AltMin = -300;
    c.ServoHold = 250;
    ConfigWire out = c.toWire();
    link.CommFlush();
    link.CommWrite("c");
    link.CommSleep(40);
    link.CommWrite(out.data(), ConfigBlockSize);
    link.CommFlush();
    link.CommWrite("r");
    ASSERT_EQ(link.CommReadBlock(wire, ConfigBlockSize, 5000), ConfigBlockSize);
    EXPECT_EQ(ConfigBlock::fromWire(wire), c);

    link.CommFlush();
    link.CommWrite("*");
    link.CommSleep(200);
    link.CommWrite("r");
    ASSERT_EQ(link.CommReadBlock(wire, ConfigBlockSize, 5000), ConfigBlockSize);
    EXPECT_EQ(ConfigBlock::fromWire(wire), link.simulator().defaultConfig());
}

TEST_F(SimulatorPortTest, ModuleKeepsItsMemoryAcrossReopen) {
    link.simulator().setRecordedSets({});
    link.simulator().generateFlights(2, 99);
    ASSERT_EQ(link.CommOpen(SimulatorPortName, 5, 0), LinkStatus::Ok);
    link.CommWrite("s");
    link.CommClose(); // the reply in flight is lost with the port
    ASSERT_EQ(link.CommOpen(SimulatorPortName, 5, 0), LinkStatus::Ok);
    link.CommFlush();
    link.CommWrite("s");
    char line[257];
    EXPECT_GT(link.CommReadLine(line, 256, 300), 0);
    EXPECT_GT(link.CommReadLine(line, 256, 300), 0);
    EXPECT_EQ(link.CommReadLine(line, 256, 300), 0);
}

TEST_F(SimulatorPortTest, ResetSilencesTheModuleForAWhile) {
    ASSERT_EQ(link.CommOpen(SimulatorPortName, 5, 0), LinkStatus::Ok);
    link.CommWrite("R");
    std::uint8_t wire[ConfigBlockSize + 1];
    link.CommWrite("r");
    EXPECT_EQ(link.CommReadBlock(wire, ConfigBlockSize, 1000), 0);
    link.CommSleep(4000);
    link.CommFlush();
    link.CommWrite("r");
    EXPECT_EQ(link.CommReadBlock(wire, ConfigBlockSize, 5000), ConfigBlockSize);
}

TEST_F(SimulatorPortTest, WrongSpeedGarblesTheReply) {
    link.simulator().setModuleBaud(9600);
    ASSERT_EQ(link.CommOpen(SimulatorPortName, 5, 0), LinkStatus::Ok);
    link.CommWrite("v");
    char line[257];
    EXPECT_EQ(link.CommReadLine(line, 256, 1000), 0);
    link.CommClose();
    ASSERT_EQ(link.CommOpen(SimulatorPortName, 2, 0), LinkStatus::Ok);
    link.CommWrite("v");
    EXPECT_EQ(link.CommReadLine(line, 256, 1000), 4);
    EXPECT_STREQ(line, "ORVO");
    link.simulator().setModuleBaud(0);
}

TEST(LinkObject, TwoLinksTalkToTheirOwnEmulatedModulesSideBySide) {
    // Each link owns its clock setting, device and emulated module: nothing of one reaches the
    // other.
    VirtualClock clockA, clockB;
    orvo::sim::SimulatedLink a, b;
    a.CommSetClock(&clockA);
    b.CommSetClock(&clockB);
    ConfigBlock configA = a.simulator().config();
    configA.Units = 2;
    a.simulator().setConfig(configA);
    ASSERT_EQ(a.CommOpen(SimulatorPortName, 5, 0), LinkStatus::Ok);
    ASSERT_EQ(b.CommOpen(SimulatorPortName, 0, 0), LinkStatus::Ok);
    EXPECT_EQ(a.CommBaud(), 115200);
    EXPECT_EQ(b.CommBaud(), 2400);

    // Both asked at once; each answers on its own line at its own speed and clock.
    a.CommWrite("r");
    b.CommWrite("r");
    std::uint8_t wireA[ConfigBlockSize + 1], wireB[ConfigBlockSize + 1];
    ASSERT_EQ(b.CommReadBlock(wireB, ConfigBlockSize, 5000), ConfigBlockSize);
    ASSERT_EQ(a.CommReadBlock(wireA, ConfigBlockSize, 5000), ConfigBlockSize);
    EXPECT_EQ(ConfigBlock::fromWire(wireA), configA);
    EXPECT_EQ(ConfigBlock::fromWire(wireB), b.simulator().defaultConfig());
    EXPECT_GT(clockB.tickCount(), clockA.tickCount()); // 38 bytes at 2400 bit/s take longer
    EXPECT_EQ(a.CommFlush(), 0);
    EXPECT_EQ(b.CommFlush(), 0);

    // The module transactions run on the link they are handed.
    ConfigBlock readA, readB;
    ASSERT_EQ(readConfigBlock(a, &readA), ConfigStatus::Ok);
    ASSERT_EQ(readConfigBlock(b, &readB), ConfigStatus::Ok);
    EXPECT_EQ(readA.Units, 2);
    EXPECT_EQ(readB.Units, 0);
    b.simulator().setRecordedSets({});
    EXPECT_EQ(listSets(a).count, 3);
    EXPECT_EQ(listSets(b).count, 0);

    a.CommClose();
    EXPECT_FALSE(a.CommIsOpen());
    EXPECT_TRUE(b.CommIsOpen());
}
