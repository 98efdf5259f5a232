// The strip chart's points from the live-log ring buffer.
#include <gtest/gtest.h>

#include <cmath>

#include "link/livelog.h"

using namespace orvo;

TEST(StripChart, ReadingsRunTwoPixelsApartToTheRightEdgeAndWrapRoundTheRing) {
    std::vector<double> ring(10, 0.0);
    ring[8] = 10000.0; // oldest: the top
    ring[9] = 5000.0;
    ring[0] = 0.0; // newest: the bottom
    const auto p = stripChartPoints(ring, 1, 8, 3, 10, 100);
    ASSERT_EQ(p.size(), 3u);
    EXPECT_EQ(p[0].x, 4);
    EXPECT_EQ(p[0].y, 0);
    EXPECT_EQ(p[1].x, 6);
    EXPECT_EQ(p[1].y, 50);
    EXPECT_EQ(p[2].x, 8);
    EXPECT_EQ(p[2].y, 100);
    // y truncates toward zero: 100 - 3333 x 0.01 = 66.67 -> 66.
    ring[0] = 3333.0;
    EXPECT_EQ(stripChartPoints(ring, 1, 8, 3, 10, 100)[2].y, 66);
    EXPECT_TRUE(stripChartPoints(ring, 1, 0, 1, 10, 100).empty());
}

TEST(StripChart, ABoxWiderThanTheRingOrAnOddStateNeverReadsPastTheRing) {
    // The ring keeps the width of the box at start; a box grown since must not walk past it.
    std::vector<double> ring(4, 1000.0);
    ring[2] = NAN;
    const auto p = stripChartPoints(ring, 7, 1, 50, 400, 100); // head beyond the ring
    EXPECT_LE(p.size(), ring.size());
    for (const ChartPoint& pt : p) {
        EXPECT_LT(pt.x, 400);
        EXPECT_GE(pt.y, -400);
        EXPECT_LE(pt.y, 500);
    }
    EXPECT_TRUE(stripChartPoints(ring, 0, 9, 3, 10, 100).empty()); // tail beyond the ring
    EXPECT_TRUE(stripChartPoints({}, 0, 0, 3, 10, 100).empty());
    const auto huge = stripChartPoints({1e300, -1e300, 0.0}, 2, 0, 2, 10, 100);
    ASSERT_EQ(huge.size(), 2u);
    EXPECT_LT(huge[0].y, 0);
    EXPECT_GT(huge[1].y, 100);
}
