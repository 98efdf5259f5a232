// The sampling-interval arithmetic, the tick count and the record-time text at their edges.
#include <gtest/gtest.h>

#include "config/interval.h"

using namespace orvo;

namespace {
IntervalState parts(int h, int m, int s, int ms) {
    IntervalState st;
    st.Hours = static_cast<std::int16_t>(h);
    st.Minutes = static_cast<std::int16_t>(m);
    st.Seconds = static_cast<std::int16_t>(s);
    st.Milliseconds = static_cast<std::int16_t>(ms);
    return st;
}
std::string panels(const IntervalState& s) {
    return hoursText(s) + ":" + minutesText(s) + ":" + secondsText(s) + "." + millisecondsText(s);
}
} // namespace

TEST(Interval, splitTakesHoursMinutesSecondsAndRemainder) {
    IntervalState s;
    SplitInterval(s, 3723456);
    EXPECT_EQ(panels(s), "1:02:03.456");
    SplitInterval(s, 0);
    EXPECT_EQ(panels(s), "0:00:00.000");
    SplitInterval(s, 7200000); // splitting does not cap
    EXPECT_EQ(s.Hours, 2);
}

TEST(Interval, zeroBecomesOneUnitInTheMillisecondsPanel) {
    IntervalState s = parts(0, 0, 0, 0);
    normalizeInterval(s, 100);
    EXPECT_EQ(s.SamplingInterval, 100u);
    EXPECT_EQ(panels(s), "0:00:00.100");
    s = parts(0, 0, 0, 0);
    normalizeInterval(s, 250);
    EXPECT_EQ(s.SamplingInterval, 250u);
    EXPECT_EQ(millisecondsText(s), "250");
}

TEST(Interval, anythingAboveOneHourSnapsToExactlyOneHour) {
    IntervalState s = parts(1, 0, 0, 100);
    normalizeInterval(s, 100);
    EXPECT_EQ(s.SamplingInterval, OneHourMs);
    EXPECT_EQ(panels(s), "1:00:00.000");
    s = parts(1, 59, 59, 900);
    spinInterval(s, IntervalSpin::SecUp, 100); // at the limit: unchanged, still normalised
    EXPECT_EQ(panels(s), "1:00:00.000");
    s = parts(0, 59, 59, 900);
    normalizeInterval(s, 100);
    EXPECT_EQ(s.SamplingInterval, 3599900u);
}

TEST(Interval, spinnersStopAtTheirLimits) {
    IntervalState s = parts(0, 0, 0, 900);
    spinInterval(s, IntervalSpin::mSecUp, 100);
    EXPECT_EQ(s.Milliseconds, 900);
    s = parts(0, 0, 1, 0);
    spinInterval(s, IntervalSpin::mSecDown, 100);
    EXPECT_EQ(s.Milliseconds, 0);
    EXPECT_EQ(s.SamplingInterval, 1000u);
    s = parts(0, 59, 59, 0);
    spinInterval(s, IntervalSpin::MinUp, 100);
    spinInterval(s, IntervalSpin::SecUp, 100);
    EXPECT_EQ(panels(s), "0:59:59.000");
    s = parts(0, 0, 0, 100);
    spinInterval(s, IntervalSpin::HourDown, 100);
    spinInterval(s, IntervalSpin::MinDown, 100);
    spinInterval(s, IntervalSpin::SecDown, 100);
    EXPECT_EQ(panels(s), "0:00:00.100");
    spinInterval(s, IntervalSpin::HourUp, 100);
    spinInterval(s, IntervalSpin::HourUp, 100);
    EXPECT_EQ(panels(s), "1:00:00.000");
    // Down from 100 ms gives zero, which comes back as one unit.
    s = parts(0, 0, 0, 100);
    spinInterval(s, IntervalSpin::mSecDown, 100);
    EXPECT_EQ(s.SamplingInterval, 100u);
}

TEST(Interval, aUnitOfZeroStepsByOneAndNeverDividesByZero) {
    EXPECT_EQ(intervalStep(0), 1);
    IntervalState s = parts(0, 0, 0, 0);
    normalizeInterval(s, 0);
    EXPECT_EQ(s.SamplingInterval, 1u);
    spinInterval(s, IntervalSpin::mSecUp, 0);
    EXPECT_EQ(s.Milliseconds, 2);
    EXPECT_FALSE(intervalTicks(1000, 0));
    EXPECT_EQ(intervalFromTicks(500, 0), 0u);
}

TEST(Interval, unitsTooShortForOneHourCapAtTheLargestTickCount) {
    EXPECT_EQ(maxSamplingInterval(55), OneHourMs); // 65454 ticks fit
    EXPECT_EQ(maxSamplingInterval(54), 65535u * 54);
    IntervalState s = parts(1, 0, 0, 0);
    normalizeInterval(s, 50);
    EXPECT_EQ(s.SamplingInterval, 3276750u);
    EXPECT_EQ(panels(s), "0:54:36.750");
    EXPECT_EQ(intervalTicks(s.SamplingInterval, 50), 65535);
    // The raw division refuses a count that would wrap.
    EXPECT_FALSE(intervalTicks(OneHourMs, 50));
}

TEST(Interval, ticksTruncateAndAReadIntervalAboveAnHourIsCapped) {
    EXPECT_EQ(intervalTicks(1050, 100), 10);
    EXPECT_EQ(intervalTicks(OneHourMs, 100), 36000);
    EXPECT_EQ(intervalTicks(OneHourMs, 65535), 54);
    IntervalState s;
    s.SamplingInterval = intervalFromTicks(65535, 65535); // 4294836225 ms, fits 32 bits
    EXPECT_EQ(s.SamplingInterval, 4294836225u);
    SplitInterval(s, s.SamplingInterval);
    normalizeInterval(s, 65535);
    EXPECT_EQ(s.SamplingInterval, OneHourMs);
    EXPECT_EQ(intervalTicks(s.SamplingInterval, 65535), 54);
}

TEST(RecordTime, hoursFormUpToAWholeDayThenDays) {
    const struct {
        int blocks;             // memory in 4096-sample blocks
        std::uint32_t interval; // ms
        const char* text;
    } cases[] = {
        {1, 1000, "Total Record Time: 01 hours 08 min 16.000 sec"},
        {8, OneHourMs, "Total Record Time: 1365 days, 08 h 00 m 00.000 sec"},
        {0, OneHourMs, "Total Record Time: 00 hours 00 min 00.000 sec"}, // no memory
        {1, 1, "Total Record Time: 00 hours 00 min 04.096 sec"},
        // 86,400,000 ms is reached at 21093.75 ms per sample.
        {1, 21093, "Total Record Time: 23 hours 59 min 56.928 sec"},
        {2, 10547, "Total Record Time: 1 days, 00 h 00 m 01.024 sec"},
        // A total beyond 32 bits (255 x 4096 x 4294967295 ms) needs the 64-bit arithmetic.
        {255, 0xFFFFFFFFu, "Total Record Time: 51921382 days, 09 h 51 m 21.600 sec"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(recordTimeText(c.blocks, c.interval), c.text) << c.blocks << " x " << c.interval;
}
