// The Graph Scale dialog's texts: how limits are shown and how edited texts are taken back.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>

#include "plot/viewlimits.h"

using namespace orvo;

TEST(ViewLimits, ShownInTheShortestFormThatReadsBack) {
    EXPECT_EQ(limitText(20.0), "20");
    EXPECT_EQ(limitText(-12.5), "-12.5");
    EXPECT_EQ(limitText(0.1 + 0.2), "0.3");               // 15 digits, not the 17 of a round trip
    EXPECT_EQ(limitText(1.0 / 3.0), "0.333333333333333"); // never more than 15
    EXPECT_EQ(limitText(123456789012345.0), "123456789012345");
    EXPECT_EQ(limitText(1e20), "1e+20");
    EXPECT_EQ(limitText(-0.0), "0");
    // A comma locale changes nothing.
    const std::string old = std::setlocale(LC_NUMERIC, nullptr);
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) {
        EXPECT_EQ(limitText(2.5), "2.5");
        double v = 0;
        EXPECT_TRUE(scanLimit("2.5", v));
        EXPECT_EQ(v, 2.5);
        std::setlocale(LC_NUMERIC, old.c_str());
    }
    // Every shown text scans back to a value within its 15 digits.
    for (double x : {1234.5678, -0.000123, 9.87654321e-7, 4.4e12}) {
        double v = 0;
        ASSERT_TRUE(scanLimit(limitText(x), v)) << x;
        EXPECT_NEAR(v, x, std::fabs(x) * 1e-14) << x;
    }
}

TEST(ViewLimits, TextsScanAsTheCLibraryDoesButNeverToANonFiniteLimit) {
    double v = 7;
    for (const char* bad :
         {"", "   ", "abc", "-", ".", "nan", "NaN(1)", "inf", "-Infinity", "1e999", "-1e400"}) {
        EXPECT_FALSE(scanLimit(bad, v)) << bad;
        EXPECT_EQ(v, 7) << bad;
    }
    EXPECT_TRUE(scanLimit("  -42.5xyz", v));
    EXPECT_EQ(v, -42.5);
    EXPECT_TRUE(scanLimit("1e3", v));
    EXPECT_EQ(v, 1000);
    EXPECT_TRUE(scanLimit("0x10", v)); // "%lf" reads hexadecimal too
    EXPECT_EQ(v, 16);
    // Only the first 39 characters count: 45 nines read as 39 of them.
    EXPECT_TRUE(scanLimit(std::string(45, '9'), v));
    EXPECT_DOUBLE_EQ(v, 1e39);
    EXPECT_FALSE(scanLimit(std::string(39, ' ') + "5", v));
    EXPECT_DOUBLE_EQ(v, 1e39);
}

TEST(ViewLimits, OkTakesWhatScansAndAutoShowsTimeMinZero) {
    PlotSettings p;
    HomeView home;
    p.timeMin = 1, p.timeMax = 2, p.altitudeMin = 3, p.altitudeMax = 4;
    applyViewLimitTexts({"10", "inf", "50", "40"}, p, home); // reversed altitudes are kept
    EXPECT_EQ(p.timeMin, 10);
    EXPECT_EQ(p.timeMax, 2);
    EXPECT_EQ(p.altitudeMin, 50);
    EXPECT_EQ(p.altitudeMax, 40);
    EXPECT_EQ(home.timeMin, 10);
    EXPECT_EQ(home.timeMax, 2);
    EXPECT_EQ(home.altitudeMax, 40);

    Series& s = p.series.CreateDataSet();
    s.samples.count = 2;
    s.samples.time[0] = 250, s.samples.time[1] = 480;
    s.samples.altitude[0] = 12, s.samples.altitude[1] = 370;
    const ViewLimitTexts t = autoScaleView(p, home);
    EXPECT_EQ(p.timeMin, 200);
    EXPECT_EQ(p.timeMax, 500);
    EXPECT_EQ(home.timeMin, 200);
    EXPECT_EQ(t.timeMin, "0");
    EXPECT_EQ(t.timeMax, "500");
    EXPECT_EQ(t.altitudeMin, "0");
    EXPECT_EQ(t.altitudeMax, "400");
    applyViewLimitTexts(t, p, home);
    EXPECT_EQ(p.timeMin, 0);
    EXPECT_EQ(home.timeMin, 0);
    EXPECT_EQ(home.timeMax, 500);
}
