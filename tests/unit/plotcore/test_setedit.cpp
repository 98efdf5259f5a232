// The corrections as the plot sees them: view refit and the Info 3 rewrite follow only a done edit.
#include <gtest/gtest.h>

#include "plot/setedit.h"

using namespace orvo;

namespace {

Series& flight(PlotState& p, int count) {
    Series& s = p.settings.series.CreateDataSet();
    s.samples.count = count;
    for (int i = 0; i < count; ++i) {
        s.samples.time[static_cast<std::size_t>(i)] = i;
        s.samples.altitude[static_cast<std::size_t>(i)] = 1000.0 + i; // drifts up by 1 a sample
    }
    s.samples.altitude[50] = 1380.0;
    return s;
}

} // namespace

TEST(SetEdit, FixDriftRefitsTheAltitudeRangeAndRewritesInfo3) {
    PlotState p;
    flight(p, 100);
    p.settings.info3 = "Flight 2, max=1234 ft";
    p.settings.timeMax = 33.0;
    ASSERT_TRUE(applyFixDrift(p, 0).ok());
    // 1380 - 50 = 1330 is the new top; the lows stay at 1000.
    EXPECT_EQ(p.settings.info3, "Flight 2, max=1330");
    EXPECT_DOUBLE_EQ(p.settings.altitudeMin, 1000.0);
    EXPECT_DOUBLE_EQ(p.settings.altitudeMax, 1400.0);
    EXPECT_DOUBLE_EQ(p.home.altitudeMax, 1400.0);
    EXPECT_DOUBLE_EQ(p.settings.timeMax, 33.0); // the time axis is not refitted
}

TEST(SetEdit, FixOffsetPutsTheLaunchSiteAtZero) {
    PlotState p;
    flight(p, 100);
    p.settings.info3 = "max=";
    ASSERT_TRUE(applyFixOffset(p, 0).ok());
    EXPECT_EQ(p.settings.info3, "max=380");
    EXPECT_DOUBLE_EQ(p.settings.altitudeMin, 0.0);
    EXPECT_DOUBLE_EQ(p.settings.altitudeMax, 400.0);
}

TEST(SetEdit, AFailedCorrectionLeavesViewAndInfo3Alone) {
    PlotState p;
    flight(p, 5);
    p.settings.info3 = "max=1";
    EXPECT_FALSE(applyFixDrift(p, 0).ok());
    EXPECT_FALSE(applyFixOffset(p, 0).ok());
    EXPECT_EQ(p.settings.info3, "max=1");
    EXPECT_DOUBLE_EQ(p.settings.altitudeMax, 20.0);
    EXPECT_EQ(writePhotoList(p.settings, 1, ::testing::TempDir() + "orvo_x.txt"), FileStatus::OpenFailed);
}
