// The Configure page's number rule for edits: leading integer, low-bit cuts, seconds limits.
#include <gtest/gtest.h>

#include "config/editnumber.h"

using namespace orvo;

TEST(EditNumber, leadingIntegerStopsAtTheFirstOtherCharacter) {
    EXPECT_EQ(low16(parseEditNumber("  42abc")), 42);
    EXPECT_EQ(low16Signed(parseEditNumber("\t-17 m")), -17);
    EXPECT_EQ(low16(parseEditNumber("+8")), 8);
    EXPECT_EQ(low16(parseEditNumber("abc")), 0);
    EXPECT_EQ(low16(parseEditNumber("")), 0);
    EXPECT_EQ(low16(parseEditNumber("- 5")), 0);
    EXPECT_EQ(low16(parseEditNumber("12.9")), 12);
}

TEST(EditNumber, wideNumbersKeepTheirLowBits) {
    EXPECT_EQ(low16(parseEditNumber("70000")), 4464);
    EXPECT_EQ(low16Signed(parseEditNumber("70000")), 4464);
    EXPECT_EQ(low16Signed(parseEditNumber("40000")), -25536);
    EXPECT_EQ(low16Signed(parseEditNumber("-40000")), 25536);
    EXPECT_EQ(low8(parseEditNumber("300")), 44);
    EXPECT_EQ(low8(parseEditNumber("-1")), 255);
    // Far beyond 64 bits the low bits are still the exact value's: 10^20 mod 65536 = 0.
    EXPECT_EQ(low16(parseEditNumber("100000000000000000000")), 0);
    EXPECT_EQ(low16(parseEditNumber("100000000000000000001")), 1);
}

TEST(EditNumber, secondsAreLimitedNotWrapped) {
    auto check = [](const char* text, int value, bool clamped) {
        const LimitedSeconds s = limitSeconds(parseEditNumber(text));
        EXPECT_EQ(s.value, value) << text;
        EXPECT_EQ(s.clamped, clamped) << text;
    };
    check("70000", 65535, true);
    check("65535", 65535, false);
    check("-3", 0, true);
    check("-0", 0, false);
    check("x", 0, false);
    check("4294967296", 65535, true); // wraps to 0 in 32 bits, must not store 0
    check("4294967295", 65535, true); // wraps to -1 in 32 bits, must not store 0
    check("99999999999999999999999", 65535, true);
}

TEST(EditNumber, numbersOutsideAFieldAreRefusedNamingTheControl) {
    EXPECT_EQ(editRangeProblem("70000", "Auto Start seconds", 0, 65535),
              "Auto Start seconds must be a whole number from 0 to 65535, not 70000.");
    EXPECT_EQ(editRangeProblem(" 300 ", "Alt +/-", 0, 255),
              "Alt +/- must be a whole number from 0 to 255, not 300.");
    for (const char* fits : {"-32768", "32767", "", "12ft", "-0"})
        EXPECT_EQ(editRangeProblem(fits, "Alt Min", -32768, 32767), "") << fits;
    for (const char* wide : {"-32769", "32768", "99999999999999999999999"})
        EXPECT_NE(editRangeProblem(wide, "Alt Min", -32768, 32767), "") << wide;
    EXPECT_NE(editRangeProblem("-3", "Auto Stop seconds", 0, 65535), "");
}
