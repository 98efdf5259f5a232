#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <limits>

#include "plot/plotsettings.h"

using namespace orvo;

namespace {

void fill(Series& s, std::initializer_list<double> times, std::initializer_list<double> alts) {
    int i = 0;
    for (double t : times)
        s.samples.time[i++] = t;
    s.samples.count = i;
    i = 0;
    for (double a : alts)
        s.samples.altitude[i++] = a;
}

} // namespace

TEST(AutoScale, RoundRangesOfKnownFlights) {
    PlotSettings p;
    HomeView home;
    fill(p.series.CreateDataSet(), {0, 50, 153}, {1012, 1200, 1380});
    AutoScaleTime(p, home);
    AutoScaleAltitude(p, home);
    EXPECT_DOUBLE_EQ(p.timeMin, 0);
    EXPECT_DOUBLE_EQ(p.timeMax, 200);
    EXPECT_DOUBLE_EQ(p.altitudeMin, 1000);
    EXPECT_DOUBLE_EQ(p.altitudeMax, 1400);
    // The Reset view follows.
    EXPECT_DOUBLE_EQ(home.timeMax, 200);
    EXPECT_DOUBLE_EQ(home.altitudeMin, 1000);

    EXPECT_DOUBLE_EQ(roundRange(190, 300).minimum, 100);
    EXPECT_DOUBLE_EQ(roundRange(190, 300).maximum, 400);
    // Truncation toward zero: a negative low end lies below the view.
    EXPECT_DOUBLE_EQ(roundRange(-37, 250).minimum, 0);
    EXPECT_DOUBLE_EQ(roundRange(-37, 250).maximum, 300);
    // One value: a span of 1.
    EXPECT_DOUBLE_EQ(roundRange(5, 5).minimum, 5);
    EXPECT_DOUBLE_EQ(roundRange(5, 5).maximum, 7);
    // Small spans keep a small step.
    EXPECT_NEAR(roundRange(0.0, 0.05).maximum, 0.1, 1e-12);
}

TEST(AutoScale, CoversEverySetButIgnoresTriggersAndDisplayFlags) {
    PlotSettings p;
    HomeView home;
    fill(p.series.CreateDataSet(), {10, 20}, {0, 10});
    Series& hidden = p.series.CreateDataSet();
    fill(hidden, {0, 420}, {-5, 5});
    hidden.DisplayFlag = 0;
    // A trigger far outside must not widen the view.
    fill(p.series.triggerSet(0), {9000}, {9000});
    AutoScaleTime(p, home);
    EXPECT_DOUBLE_EQ(p.timeMin, 0);
    EXPECT_DOUBLE_EQ(p.timeMax, 500);
}

TEST(AutoScale, NoSamplesLeaveAFiniteViewUnchanged) {
    PlotSettings p;
    HomeView home;
    p.timeMin = 3;
    p.timeMax = 7;
    AutoScaleTime(p, home);
    AutoScaleAltitude(p, home);
    EXPECT_EQ(p.timeMin, 3);
    EXPECT_EQ(p.timeMax, 7);
    EXPECT_EQ(p.altitudeMax, 20);

    // Sets that exist but hold nothing yet (a download in progress) count as no samples.
    p.series.CreateDataSet().samples.count = 0;
    AutoScaleTime(p, home);
    EXPECT_EQ(p.timeMax, 7);

    // Non-finite values never reach the view.
    Series& s = p.series.dataSet(0);
    fill(s, {std::numeric_limits<double>::quiet_NaN(), 4.0, 16.0},
         {std::numeric_limits<double>::infinity(), 1, 2});
    AutoScaleTime(p, home);
    AutoScaleAltitude(p, home);
    EXPECT_TRUE(std::isfinite(p.timeMin) && std::isfinite(p.timeMax));
    EXPECT_DOUBLE_EQ(p.timeMin, 0);
    EXPECT_DOUBLE_EQ(p.timeMax, 20);
    EXPECT_TRUE(std::isfinite(p.altitudeMin) && std::isfinite(p.altitudeMax));
}
