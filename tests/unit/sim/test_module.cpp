// The emulated module's answers, byte for byte, on a time source the test moves by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "sim/module.h"

using namespace orvo;
using namespace orvo::sim;

namespace {

class ModuleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        module.setTimeSource([this] { return now; });
    }
    std::string take() { return module.readAll(); }
    // Feeds a record to the boot loader and returns what came back.
    std::string loader(const std::string& record) {
        module.feed(record);
        now += 50;
        return take();
    }

    std::uint32_t now = 0xFFFFFF00u; // wraps during the tests
    Module module;
};

RecordedSet exampleSet() {
    RecordedSet set;
    set.intervalTicks = 10;
    set.triggered = true;
    set.words = {0x0064, 0x8201, 0x0065, 0x0066};
    return set;
}

std::string bytes(std::initializer_list<int> v) {
    std::string s;
    for (int b : v)
        s += static_cast<char>(b);
    return s;
}

} // namespace

TEST_F(ModuleTest, DownloadSendsHeaderAndBigEndianWords) {
    ASSERT_TRUE(module.setRecordedSets({exampleSet()}));
    module.feed("a");
    now += 20;
    module.feed(bytes({0}));
    EXPECT_EQ(take(),
              bytes({0x00, 0x00, 0x0A, 0x00, 0x04, 0x01, 0x00, 0x64, 0x82, 0x01, 0x00, 0x65, 0x00, 0x66}));
    // A set that does not exist gets no answer.
    module.feed("a");
    module.feed(bytes({1}));
    EXPECT_EQ(take(), "");
}

TEST_F(ModuleTest, UnannouncedCountAndTruncatedSet) {
    RecordedSet set = exampleSet();
    set.announceCount = false;
    set.triggered = false;
    ASSERT_TRUE(module.setRecordedSets({set}));
    module.faults().truncateWords = 2;
    module.feed("a");
    module.feed(bytes({0}));
    EXPECT_EQ(take(), bytes({0x00, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x00, 0x64, 0x82, 0x01}));
}

TEST_F(ModuleTest, IdentificationAndSetList) {
    module.setRecordedSets({exampleSet(), exampleSet()});
    module.feed("v");
    EXPECT_EQ(take(), "ORVO\r\nMOD1\r\n0.03\r\n08-27-03\r\n");
    module.feed("s");
    EXPECT_EQ(take(), "1, 3\r\n2, 3\r\n");
    module.feed("x");
    EXPECT_TRUE(module.recordedSets().empty());
    module.feed("s");
    EXPECT_EQ(take(), "");
}

TEST_F(ModuleTest, ConfigurationReadWriteAndDefaults) {
    module.feed("r");
    std::string wire = take();
    ASSERT_EQ(wire.size(), 38u);
    ConfigBlock c = ConfigBlock::fromWire(reinterpret_cast<const std::uint8_t*>(wire.data()));
    EXPECT_EQ(c.Marker, 0xABCD);
    EXPECT_EQ(c.MemorySize, 8);
    EXPECT_EQ(c.IntervalUnit, 100);
    EXPECT_GE(c.ServoOff, 20);

    c.IntervalTicks = 7;
    c.AltStep = -5;
    ConfigWire w = c.toWire();
    module.feed("c");
    now += 40;
    module.feed(w.data(), 20);
    module.feed(w.data() + 20, 18);
    EXPECT_EQ(module.config(), c);
    EXPECT_EQ(take(), ""); // no answer to a write

    // A write whose block never completes is abandoned; the next command is heard.
    module.feed("c");
    module.feed(w.data(), 5);
    now += 3000;
    module.feed("r");
    EXPECT_EQ(take().size(), 38u);

    module.feed("*");
    EXPECT_EQ(module.config(), module.defaultConfig());
}

TEST_F(ModuleTest, CalibrationTakesSignedBigEndianAltitude) {
    module.feed("$");
    now += 1500;
    module.feed("t");
    module.feed(bytes({0xFF}));
    now += 50;
    module.feed(bytes({0xE7}));
    EXPECT_EQ(module.calibrationAltitude(), -25);
    EXPECT_EQ(module.commandLog(), "$");
}

TEST_F(ModuleTest, ResetTakesAWhileAndDropsInput) {
    module.setResetMs(2500);
    module.feed("R");
    EXPECT_EQ(module.state(), Module::State::Resetting);
    module.feed("v");
    now += 2400;
    module.feed("v");
    EXPECT_EQ(take(), "");
    now += 200;
    EXPECT_EQ(module.state(), Module::State::Running);
    module.feed("v");
    EXPECT_NE(take(), "");
}

TEST_F(ModuleTest, LiveLoggingStreamsUntilTheNextCommand) {
    module.feed("l");
    EXPECT_TRUE(module.logging());
    EXPECT_EQ(module.msUntilOutput(), 100);
    now += 350;
    std::string lines = take();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 3);
    module.feed("r");
    EXPECT_FALSE(module.logging());
    now += 1000;
    EXPECT_EQ(take().size(), 38u);
}

TEST_F(ModuleTest, PacingAtTheWireRate) {
    module.setPacing(true);
    module.setHostBaud(9600); // 960 bytes a second
    module.feed("r");
    EXPECT_EQ(module.available(), 0u);
    EXPECT_EQ(module.msUntilOutput(), 2);
    now += 20;
    EXPECT_EQ(module.available(), 19u);
    now += 19;
    EXPECT_EQ(module.available(), 37u);
    now += 1;
    EXPECT_EQ(module.available(), 38u);
    EXPECT_EQ(module.msUntilOutput(), 0);
    take();
    EXPECT_EQ(module.msUntilOutput(), -1);
}

TEST_F(ModuleTest, SpeedMismatchGarblesBothWays) {
    module.setModuleBaud(38400);
    module.setHostBaud(115200);
    module.feed("v");
    EXPECT_EQ(take(), ""); // the command was not understood
    module.setHostBaud(38400);
    module.feed("v");
    std::string ok = take();
    EXPECT_EQ(ok.substr(0, 4), "ORVO");
}

TEST_F(ModuleTest, InjectedFaults) {
    module.faults().ignoreCommands = "v";
    module.feed("v");
    EXPECT_EQ(take(), "");
    module.faults() = Faults{};

    module.faults().garbageBytes = 3;
    module.feed("r");
    EXPECT_EQ(take().size(), 41u);
    module.faults() = Faults{};

    module.faults().dropRate = 1.0;
    module.feed("r");
    EXPECT_EQ(take(), "");
    module.faults() = Faults{};

    module.faults().corruptRate = 1.0;
    module.feed("v");
    EXPECT_NE(take(), "ORVO\r\nMOD1\r\n0.03\r\n08-27-03\r\n");
    module.faults() = Faults{};

    module.faults().replyDelayMs = 300;
    module.faults().stallAfter = 10;
    module.faults().stallMs = 500;
    module.feed("r");
    EXPECT_EQ(module.msUntilOutput(), 300);
    now += 300;
    EXPECT_EQ(take().size(), 10u);
    now += 499;
    EXPECT_EQ(take().size(), 0u);
    now += 1;
    EXPECT_EQ(take().size(), 28u);
}

TEST_F(ModuleTest, MemoryRefusesToRecordPastItsEnd) {
    Module small(8192);
    EXPECT_EQ(small.defaultConfig().MemorySize, 1);
    RecordedSet big;
    big.words.assign(4093, 0x0010); // 6 + 8186 bytes: just fits
    EXPECT_TRUE(small.recordSet(big));
    EXPECT_FALSE(small.recordSet(exampleSet()));
    EXPECT_EQ(small.memoryUsed(), 8192u);
    big.words.push_back(0);
    EXPECT_FALSE(small.setRecordedSets({big}));
    EXPECT_EQ(small.recordedSets().size(), 1u);

    // Flights fill the memory and stop there; the last one may be cut short.
    Module full(16384);
    int made = full.generateFlights(100, 5, 3000);
    EXPECT_GT(made, 0);
    EXPECT_LT(made, 100);
    EXPECT_LE(full.memoryUsed(), 16384u);
}

TEST_F(ModuleTest, GeneratedFlightLooksLikeARocketFlight) {
    FlightOptions o;
    o.seed = 42;
    o.units = 2; // meters
    o.intervalMs = 100;
    o.triggers = true;
    std::vector<std::uint16_t> words = generateFlightWords(o);
    std::vector<int> alt;
    int markers = 0;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if ((words[i] >> 8) == 0x82) {
            ++markers;
            ASSERT_LT(i + 1, words.size());
            EXPECT_NE(words[i + 1] >> 8, 0x82);
            continue;
        }
        alt.push_back(static_cast<std::int16_t>(words[i]));
    }
    EXPECT_EQ(markers, 2); // apogee and main deployment
    auto apogee = std::max_element(alt.begin(), alt.end());
    EXPECT_GT(*apogee, 80);
    EXPECT_LT(*apogee, 3000);
    EXPECT_LT(std::abs(alt.front()), 3);
    EXPECT_LT(std::abs(alt.back()), 3);
    // It climbs faster than it comes down.
    EXPECT_LT(apogee - alt.begin(), alt.end() - apogee);

    // The same flight in feet is about 3.28 times the numbers; same seed, same flight.
    o.units = 0;
    std::vector<std::uint16_t> feet = generateFlightWords(o);
    ASSERT_EQ(feet.size(), words.size());
    int maxFeet = 0;
    for (std::uint16_t w : feet)
        if ((w >> 8) != 0x82) maxFeet = std::max<int>(maxFeet, static_cast<std::int16_t>(w));
    EXPECT_NEAR(maxFeet / 3.28084, *apogee, 5);
    o.minSamples = 5000;
    o.triggers = false;
    EXPECT_EQ(generateFlightWords(o).size(), 5000u);
}

TEST_F(ModuleTest, BootLoaderProgramsTheCodeImage) {
    module.feed("P");
    EXPECT_EQ(module.state(), Module::State::BootLoader);
    module.setHostBaud(BootLoaderBaud); // the host reopens the port at the loader's speed
    EXPECT_EQ(loader("U"), "U");
    EXPECT_EQ(loader(":020000020301F8"), ":020000020301F8.");
    EXPECT_EQ(module.statusByte(), 1);
    EXPECT_EQ(loader(":020000020301F7"), ":020000020301F7X"); // bad checksum
    EXPECT_EQ(loader(":03000004000040B9"), ":03000004000040B9.");
    for (int a = 0x40; a < 0x80; ++a)
        EXPECT_EQ(module.codeImage()[a], 0xFF);
    // Programming a page that was not erased fails.
    EXPECT_EQ(loader(":0401000002003012B7"), ":0401000002003012B7R");
    EXPECT_EQ(loader(":03000004000100F8"), ":03000004000100F8.");
    EXPECT_EQ(loader(":0401000002003012B7"), ":0401000002003012B7.");
    EXPECT_EQ(module.codeImage()[0x100], 0x02);
    EXPECT_EQ(module.codeImage()[0x103], 0x12);
    // Out of the code space and not hex.
    char rec[32];
    std::snprintf(rec, sizeof rec, ":011DC000AA%02X", (0x100 - ((0x01 + 0x1D + 0xC0 + 0xAA) & 0xFF)) & 0xFF);
    EXPECT_EQ(loader(rec), std::string(rec) + "R");
    EXPECT_EQ(loader(":02G"), ":02GX");
    // Reset while the status byte is 01: the module stays in its loader.
    EXPECT_EQ(loader(":00000008F8"), ":00000008F8.");
    now += 500;
    EXPECT_EQ(module.state(), Module::State::BootLoader);
    EXPECT_EQ(loader(":020000020300F9"), ":020000020300F9.");
    EXPECT_EQ(loader(":02000002006399"), ":02000002006399.");
    EXPECT_EQ(module.configByte(), 0x63);
    EXPECT_EQ(loader(":00000008F8"), ":00000008F8.");
    now += 500;
    EXPECT_EQ(module.state(), Module::State::Running);
    module.setHostBaud(115200);
    module.feed("v");
    EXPECT_EQ(take().substr(0, 4), "ORVO");
}

TEST_F(ModuleTest, BootLoaderRunsAt4800AndBreakRestartsARecord) {
    module.setHostBaud(115200);
    module.feed("P");
    module.feed("U");
    EXPECT_NE(take(), "U"); // still at the old speed: garbled
    module.setHostBaud(4800);
    module.feed(":0200");
    module.setBreak(true);
    module.setBreak(false);
    take();
    EXPECT_EQ(loader(":020000020301F8"), ":020000020301F8.");
}
