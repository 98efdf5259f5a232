// The view buttons, Crop and the mouse tools' decisions, without a window.
#include <gtest/gtest.h>

#include "plot/plotview.h"

namespace {

orvo::Series& addSet(orvo::PlotSettings& p, int n, double t0) {
    orvo::Series& s = p.series.CreateDataSet();
    for (int i = 0; i < n; ++i) {
        s.samples.time[std::size_t(i)] = t0 + i;
        s.samples.altitude[std::size_t(i)] = 1000 + i;
    }
    s.samples.count = n;
    return s;
}

void addTrigger(orvo::PlotSettings& p, int n, double t) {
    orvo::SampleBuffer& b = p.series.triggerSet(n).samples;
    b.time[std::size_t(b.count)] = t;
    b.altitude[std::size_t(b.count)] = 1000 + t;
    ++b.count;
}

} // namespace

TEST(ViewButtons, ZoomKeepsTheCentreAndAtLeastTenUnits) {
    orvo::PlotSettings p;
    p.timeMin = 0, p.timeMax = 12, p.altitudeMin = 0, p.altitudeMax = 1000;
    orvo::ZoomView(p, 0.5);
    EXPECT_DOUBLE_EQ(p.timeMin, 1);
    EXPECT_DOUBLE_EQ(p.timeMax, 11);
    EXPECT_DOUBLE_EQ(p.altitudeMin, 250);
    EXPECT_DOUBLE_EQ(p.altitudeMax, 750);
    p.timeMin = 0, p.timeMax = 3;
    orvo::ZoomView(p, 2.0);
    EXPECT_DOUBLE_EQ(p.timeMin, -3.5);
    EXPECT_DOUBLE_EQ(p.timeMax, 6.5);
    p.timeMin = 0, p.timeMax = 100;
    orvo::PanTime(p, 0.2);
    EXPECT_DOUBLE_EQ(p.timeMin, 20);
    EXPECT_DOUBLE_EQ(p.timeMax, 120);
    p.altitudeMin = 0, p.altitudeMax = 100;
    orvo::PanAltitude(p, -0.2);
    EXPECT_DOUBLE_EQ(p.altitudeMin, -20);
    EXPECT_DOUBLE_EQ(p.altitudeMax, 80);
    // A reversed view zooms into a normal one rather than growing more reversed.
    p.timeMin = 50, p.timeMax = 10;
    orvo::ZoomView(p, 0.5);
    EXPECT_DOUBLE_EQ(p.timeMax - p.timeMin, 10);
}

TEST(Crop, KeepsTheSamplesInTheViewWithTheirTriggersAndMarks) {
    orvo::PlotSettings p;
    orvo::HomeView home;
    orvo::Series& a = addSet(p, 61, 0);
    a.samples.peakMark[15] = 1;
    for (double t : {5.0, 10.0, 18.0, 30.0, 31.0})
        addTrigger(p, 0, t);
    p.series.AddClimbMark(0, 12, 20);       // inside: renumbered
    p.series.AddClimbMark(0, 5, 20);        // starts before the view: freed
    p.series.AddClimbMark(0, 25, 40);       // ends after it: freed
    orvo::Series& before = addSet(p, 5, 0); // every sample before the view's start
    for (int i = 0; i < 5; ++i)
        before.samples.time[std::size_t(i)] = i - 100.0;
    p.timeMin = 10, p.timeMax = 30;
    orvo::CropToView(p, home);

    ASSERT_EQ(a.samples.count, 21);
    EXPECT_DOUBLE_EQ(a.samples.time[0], 0);
    EXPECT_DOUBLE_EQ(a.samples.time[20], 20);
    EXPECT_DOUBLE_EQ(a.samples.altitude[0], 1010);
    EXPECT_DOUBLE_EQ(a.samples.altitude[20], 1030);
    EXPECT_EQ(a.samples.peakMark[5], 1);
    const orvo::SampleBuffer& trig = p.series.triggerSet(0).samples;
    ASSERT_EQ(trig.count, 3);
    EXPECT_DOUBLE_EQ(trig.time[0], 0);
    EXPECT_DOUBLE_EQ(trig.time[1], 8);
    EXPECT_DOUBLE_EQ(trig.time[2], 20);
    EXPECT_EQ(a.climbMarkCount(), 1);
    EXPECT_EQ(a.climbMarks[0].start, 2);
    EXPECT_EQ(a.climbMarks[0].end, 10);
    EXPECT_EQ(before.samples.count, 5);
    EXPECT_DOUBLE_EQ(before.samples.time[0], -100);
    // The view and the home view fit the data afterwards.
    EXPECT_DOUBLE_EQ(p.timeMin, home.timeMin);
    EXPECT_DOUBLE_EQ(p.timeMax, home.timeMax);
    EXPECT_DOUBLE_EQ(p.altitudeMin, home.altitudeMin);
}

TEST(Crop, TriggersStayOnTheirSamplesInASetThatDoesNotStartAtZero) {
    orvo::PlotSettings p;
    orvo::Series& a = addSet(p, 101, 100); // times 100..200, as after a time shift
    addTrigger(p, 0, 130);
    ASSERT_TRUE(orvo::CropDataSet(a, &p.series.triggerSet(0), 120, 150));
    ASSERT_EQ(a.samples.count, 31);
    const orvo::SampleBuffer& trig = p.series.triggerSet(0).samples;
    ASSERT_EQ(trig.count, 1);
    // The sample that recorded the trigger keeps its altitude and the trigger's time.
    const int k = orvo::NearestSample(a, trig.time[0]);
    EXPECT_DOUBLE_EQ(a.samples.time[std::size_t(k)], trig.time[0]);
    EXPECT_DOUBLE_EQ(a.samples.altitude[std::size_t(k)], 1030);

    // Uneven spacing: every altitude keeps its own time.
    orvo::Series& u = addSet(p, 10, 0);
    const double times[10] = {0, 1, 3, 6, 10, 15, 21, 28, 36, 45};
    for (int i = 0; i < 10; ++i)
        u.samples.time[std::size_t(i)] = times[i];
    ASSERT_TRUE(orvo::CropDataSet(u, nullptr, 6, 21));
    ASSERT_EQ(u.samples.count, 4);
    EXPECT_DOUBLE_EQ(u.samples.time[1] - u.samples.time[0], 4);
    EXPECT_DOUBLE_EQ(u.samples.time[3] - u.samples.time[2], 6);
    EXPECT_FALSE(orvo::CropDataSet(u, nullptr, 500, 600));
}

TEST(Crop, TriggersKeepTheExactTimeOfTheirSampleAtTenthSeconds) {
    // Tenths of a second are not exact in binary: the moved marks must still read exactly the
    // time of the sample they sit on, wherever the crop starts.
    for (int start = 1; start < 60; ++start) {
        orvo::PlotSettings p;
        orvo::Series& a = addSet(p, 200, 0);
        for (int i = 0; i < 200; ++i)
            a.samples.time[std::size_t(i)] = i * 0.1;
        orvo::SampleBuffer& trig = p.series.triggerSet(0).samples;
        trig.count = 2;
        trig.time[0] = a.samples.time[137];
        trig.time[1] = a.samples.time[150];
        ASSERT_TRUE(orvo::CropDataSet(a, &p.series.triggerSet(0), a.samples.time[std::size_t(start)], 100));
        ASSERT_EQ(trig.count, 2);
        EXPECT_EQ(trig.time[0], a.samples.time[std::size_t(137 - start)]) << "crop from sample " << start;
        EXPECT_EQ(trig.time[1], a.samples.time[std::size_t(150 - start)]) << "crop from sample " << start;
    }
}

TEST(MouseTools, NearestSampleAndDragSize) {
    orvo::PlotSettings p;
    orvo::Series& s = addSet(p, 21, 0);
    EXPECT_EQ(orvo::NearestSample(s, 4.4), 4);
    EXPECT_EQ(orvo::NearestSample(s, 4.5), 5);
    EXPECT_EQ(orvo::NearestSample(s, -3), 0);
    EXPECT_EQ(orvo::NearestSample(s, 99), 20);
    s.samples.count = 0;
    EXPECT_EQ(orvo::NearestSample(s, 4), -1);
    s.samples.count = 1;
    EXPECT_EQ(orvo::NearestSample(s, 4), 0);

    EXPECT_FALSE(orvo::DragIsBigEnough(2, 5, 3.5, 9)); // 1.5 s
    EXPECT_FALSE(orvo::DragIsBigEnough(2, 5, 5, 6.5)); // 1.5 units
    EXPECT_TRUE(orvo::DragIsBigEnough(2, 5, 5, 8));
    EXPECT_TRUE(orvo::DragIsBigEnough(5, 8, 2, 5));
}

TEST(MouseTools, StatusTexts) {
    orvo::PlotSettings p;
    orvo::Series& s = addSet(p, 3, 0);
    s.samples.altitude[1] = 1003.7;
    EXPECT_EQ(orvo::CursorPositionText(s, 1).toStdString(), "Time =      1.0, Altitude = 1003");
    EXPECT_EQ(orvo::CursorRateText(s, 1).toStdString(), "Rate of Climb =    3.700 units/sec");
    EXPECT_TRUE(orvo::CursorRateText(s, 0).isEmpty());
    s.samples.time[2] = s.samples.time[1];
    EXPECT_TRUE(orvo::CursorRateText(s, 2).isEmpty()); // no rate over no time
    EXPECT_TRUE(orvo::CursorPositionText(s, 3).isEmpty());
}
