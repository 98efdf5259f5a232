// The 38-byte wire layout against hand-made byte arrays, and the Name=value field table.
#include <gtest/gtest.h>

#include "config/configblock.h"
#include "config/configfields.h"

using namespace orvo;

namespace {

// Every byte distinct, so a field read from the wrong offset or in the wrong order shows.
ConfigWire sampleWire() {
    return {0xAB, 0xCD, 0x00, 0x0A, 0x02, 0x01, 0x00, 0x64, 0x12, 0x34, 0x56, 0x78, 0x01,
            0x00, 0x27, 0x10, 0x00, 0x3C, 0x01, 0x2C, 0xFF, 0xFE, 0x03, 0x02, 0x01, 0x03,
            0x08, 0x99, 0xFF, 0x9C, 0x7F, 0xFF, 0x80, 0x00, 0xC8, 0x14, 0x28, 0xFA};
}

} // namespace

TEST(ConfigBlockWire, fromWireReadsEveryFieldBigEndian) {
    const ConfigWire w = sampleWire();
    const ConfigBlock c = ConfigBlock::fromWire(w.data());
    EXPECT_EQ(c.Marker, 0xABCD);
    EXPECT_EQ(c.IntervalTicks, 10);
    EXPECT_EQ(c.Units, 2);
    EXPECT_EQ(c.BlankDisplay, 1);
    EXPECT_EQ(c.IntervalUnit, 100);
    EXPECT_EQ(c.Reserved8, 0x1234);
    EXPECT_EQ(c.Reserved10, 0x5678);
    EXPECT_EQ(c.RevTrig, 1);
    EXPECT_EQ(c.Triggered, 0);
    EXPECT_EQ(c.AutoStartSec, 10000);
    EXPECT_EQ(c.AutoStopSec, 60);
    EXPECT_EQ(c.AutoStartAltitude, 300);
    EXPECT_EQ(c.AutoStopAltitude, 0xFFFE);
    EXPECT_EQ(c.AutoStart, 3);
    EXPECT_EQ(c.AutoStop, 2);
    EXPECT_EQ(c.AutoZero, 1);
    EXPECT_EQ(c.ModuleVersion, 3);
    EXPECT_EQ(c.MemorySize, 8);
    EXPECT_EQ(c.Reserved27, 0x99);
    EXPECT_EQ(c.AltMin, -100);
    EXPECT_EQ(c.AltMax, 32767);
    EXPECT_EQ(c.AltStep, -32768);
    EXPECT_EQ(c.AltBand, 200);
    EXPECT_EQ(c.ServoOff, 20);
    EXPECT_EQ(c.ServoOn, 40);
    EXPECT_EQ(c.ServoHold, 250);
}

TEST(ConfigBlockWire, toWireIsTheExactInverseAndLeavesTheBlockInHostOrder) {
    const ConfigWire w = sampleWire();
    const ConfigBlock c = ConfigBlock::fromWire(w.data());
    const ConfigBlock before = c;
    EXPECT_EQ(c.toWire(), w);
    // The scratch copy is a separate array: the in-memory block still holds host-order numbers.
    EXPECT_EQ(c, before);
    EXPECT_EQ(c.IntervalUnit, 100);
    EXPECT_EQ(c.AltMin, -100);
}

TEST(ConfigBlockWire, eachSixteenBitFieldLandsHighByteFirstAtItsOffset) {
    struct Case {
        std::uint16_t ConfigBlock::*u;
        std::int16_t ConfigBlock::*s;
        int offset;
    };
    const Case cases[] = {
        {&ConfigBlock::Marker, nullptr, 0},
        {&ConfigBlock::IntervalTicks, nullptr, 2},
        {&ConfigBlock::IntervalUnit, nullptr, 6},
        {&ConfigBlock::Reserved8, nullptr, 8},
        {&ConfigBlock::Reserved10, nullptr, 10},
        {&ConfigBlock::AutoStartSec, nullptr, 14},
        {&ConfigBlock::AutoStopSec, nullptr, 16},
        {&ConfigBlock::AutoStartAltitude, nullptr, 18},
        {&ConfigBlock::AutoStopAltitude, nullptr, 20},
        {nullptr, &ConfigBlock::AltMin, 28},
        {nullptr, &ConfigBlock::AltMax, 30},
        {nullptr, &ConfigBlock::AltStep, 32},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.offset);
        ConfigBlock c;
        if (k.u)
            c.*(k.u) = 0x1281;
        else
            c.*(k.s) = static_cast<std::int16_t>(0x1281);
        ConfigWire expected{};
        expected[static_cast<std::size_t>(k.offset)] = 0x12;
        expected[static_cast<std::size_t>(k.offset) + 1] = 0x81;
        EXPECT_EQ(c.toWire(), expected);
        EXPECT_EQ(ConfigBlock::fromWire(expected.data()), c);
    }
}

TEST(ConfigFields, tableCoversEveryByteOnceInBlockOrder) {
    int next = 0;
    for (const ConfigField& f : configFields()) {
        EXPECT_EQ(f.offset, next) << f.name;
        next += f.size;
    }
    EXPECT_EQ(next, ConfigBlockSize);
}

TEST(ConfigFields, textListsEveryFieldWithSignedAltitudes) {
    const ConfigWire w = sampleWire();
    const std::string text = configToText(ConfigBlock::fromWire(w.data()));
    EXPECT_EQ(text.rfind("Marker=43981\nIntervalTicks=10\nUnits=2\n", 0), 0u);
    EXPECT_NE(text.find("\nAltMin=-100\nAltMax=32767\nAltStep=-32768\nAltBand=200\n"), std::string::npos);
    EXPECT_NE(text.find("\nServoHold=250\n"), std::string::npos);
}

TEST(ConfigFields, textRoundTripsThroughAssignments) {
    const ConfigWire w = sampleWire();
    const ConfigBlock original = ConfigBlock::fromWire(w.data());
    ConfigBlock copy;
    std::string text = configToText(original);
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        std::string error;
        auto a = parseFieldAssignment(std::string_view(text).substr(start, end - start), &error);
        ASSERT_TRUE(a) << error;
        ASSERT_TRUE(setFieldValue(copy, *a->field, a->value));
        start = end + 1;
    }
    EXPECT_EQ(copy, original);
}

TEST(ConfigFields, assignmentsOutsideTheFieldOrMalformedAreRejected) {
    std::string error;
    EXPECT_FALSE(parseFieldAssignment("ServoHold=256", &error));
    EXPECT_NE(error.find("out of range"), std::string::npos);
    EXPECT_FALSE(parseFieldAssignment("AltMin=-32769", &error));
    EXPECT_FALSE(parseFieldAssignment("Marker=-1", &error));
    EXPECT_FALSE(parseFieldAssignment("Units=2x", &error));
    EXPECT_FALSE(parseFieldAssignment("Units=", &error));
    EXPECT_FALSE(parseFieldAssignment("Units 2", &error));
    EXPECT_FALSE(parseFieldAssignment("units=2", &error));
    EXPECT_NE(error.find("unknown field"), std::string::npos);
    EXPECT_FALSE(parseFieldAssignment("Units=010", &error)); // would be octal 8

    auto hex = parseFieldAssignment(" Marker = 0xABCD\r", &error);
    ASSERT_TRUE(hex);
    EXPECT_EQ(hex->value, 0xABCD);
    auto neg = parseFieldAssignment("AltStep=-32768", &error);
    ASSERT_TRUE(neg);
    EXPECT_EQ(neg->value, -32768);

    ConfigBlock c;
    EXPECT_FALSE(setFieldValue(c, *findConfigField("AltBand"), 300));
    EXPECT_EQ(c, ConfigBlock{});
}

TEST(ConfigFields, valuesAFieldCannotHoldNameTheFieldAndItsRange) {
    const struct {
        const char* field;
        long value;
        const char* problem; // empty: accepted
    } cases[] = {
        {"IntervalTicks", 0, "IntervalTicks must be from 1 to 65535, not 0"},
        {"IntervalUnit", 0, "IntervalUnit must be from 1 to 65535, not 0"},
        {"IntervalTicks", 1, ""},
        {"Triggered", 2, "Triggered must be from 0 to 1, not 2"},
        {"Units", 3, "Units must be from 0 to 2, not 3"},
        {"ServoOn", 41, "ServoOn must be from 20 to 40, not 41"},
        {"ServoHold", 250, ""},
        {"Marker", 0xFFFF, ""},
        {"AltMin", -32768, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fieldRangeProblem(*findConfigField(c.field), c.value), c.problem) << c.field;
}
