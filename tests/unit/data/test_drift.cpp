// Fix Drift, Fix Offset, the Info 3 "max=" rewrite, the photo list and the number helpers.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "data/datafile.h"
#include "data/drift.h"

using namespace orvo;

namespace {

// Data set 0 with count samples at times 0, 1, 2, ... and the given altitude everywhere.
Series& makeSet(SeriesList& list, int count, double altitude) {
    Series& s = list.CreateDataSet();
    s.samples.count = count;
    for (int i = 0; i < count; ++i) {
        s.samples.time[static_cast<std::size_t>(i)] = i;
        s.samples.altitude[static_cast<std::size_t>(i)] = altitude;
    }
    return s;
}

void addTrigger(Series& triggers, double time, double altitude) {
    auto k = static_cast<std::size_t>(triggers.samples.count++);
    triggers.samples.time[k] = time;
    triggers.samples.altitude[k] = altitude;
}

double alt(const Series& s, int i) {
    return s.samples.altitude[static_cast<std::size_t>(i)];
}

} // namespace

TEST(FixDrift, ThousandSamplesRemoveTheLinearDriftBetweenTheTwoLows) {
    SeriesList list;
    Series& s = makeSet(list, 1000, 200.0);
    auto& a = s.samples.altitude;
    a[20] = 100.0;  // first low, inside samples 0..99
    a[60] = 100.0;  // an equal low later in the first tenth does not win
    a[899] = 50.0;  // just before the last tenth: ignored
    a[950] = 112.0; // last low, inside samples 900..999
    a[485] = 300.0;
    a[5] = 400.0;

    const EditResult r = FixDrift(list, 0);
    ASSERT_TRUE(r.ok()) << describeEditResult(r);
    EXPECT_EQ(r.firstLowIndex, 20);
    EXPECT_EQ(r.lastLowIndex, 950);
    EXPECT_NEAR(alt(s, 485), 294.0, 1e-9); // (485 - 20) * 12 / 930 = 6
    EXPECT_NEAR(alt(s, 20), 100.0, 1e-12);
    for (int k = 0; k < 20; ++k)
        EXPECT_DOUBLE_EQ(alt(s, k), 100.0) << k;
    for (int k = 950; k < 1000; ++k)
        EXPECT_NEAR(alt(s, k), 100.0, 1e-9) << k;
    EXPECT_NEAR(alt(s, 899), 50.0 - 879.0 * 12.0 / 930.0, 1e-9);
    EXPECT_NEAR(r.maximum, 294.0, 1e-9);
    // Times are untouched.
    EXPECT_DOUBLE_EQ(s.samples.time[485], 485.0);
}

TEST(FixDrift, TriggerMarksTakeTheCorrectedAltitudeOfTheirSample) {
    SeriesList list;
    Series& s = makeSet(list, 100, 50.0);
    s.samples.altitude[0] = 10.0;
    s.samples.altitude[99] = 19.0; // slope 9 / 99 per sample
    Series& t = list.triggerSet(0);
    addTrigger(t, 33.0005, 50.0); // within 0.001 of sample 33
    addTrigger(t, 40.5, 77.0);    // no sample near: keeps its altitude
    ASSERT_TRUE(FixDrift(list, 0).ok());
    EXPECT_NEAR(t.samples.altitude[0], 50.0 - 33.0 * 9.0 / 99.0, 1e-9);
    EXPECT_NEAR(t.samples.altitude[0], alt(s, 33), 1e-12);
    EXPECT_DOUBLE_EQ(t.samples.altitude[1], 77.0);
}

TEST(FixDrift, TheLastOfSeveralMatchingSamplesWinsSortedOrNot) {
    for (bool shuffled : {false, true}) {
        SeriesList list;
        Series& s = makeSet(list, 20, 5.0);
        for (int i = 0; i < 20; ++i) {
            s.samples.time[static_cast<std::size_t>(i)] = 0.0004 * i; // several within 0.001
            s.samples.altitude[static_cast<std::size_t>(i)] = 5.0 + i;
        }
        s.samples.altitude[0] = 0.0;  // first low
        s.samples.altitude[19] = 0.0; // last low: slope 0, so altitudes stay
        if (shuffled) std::swap(s.samples.time[15], s.samples.time[16]);
        Series& t = list.triggerSet(0);
        addTrigger(t, 0.0040, -1.0); // samples 8..12 lie within 0.001
        ASSERT_TRUE(FixDrift(list, 0).ok());
        EXPECT_DOUBLE_EQ(t.samples.altitude[0], 5.0 + 12) << "shuffled " << shuffled;
    }
}

TEST(FixDrift, SetsWithoutBothLowsAreLeftAsTheyWere) {
    struct Case {
        int count;
        double fill;
        EditStatus expected;
    };
    for (const Case& c : {Case{9, 10.0, EditStatus::TooFewSamples}, Case{0, 10.0, EditStatus::TooFewSamples},
                          Case{50, 99999.0, EditStatus::NoFirstLow}}) {
        SeriesList list;
        Series& s = makeSet(list, c.count, c.fill);
        if (c.count > 2)
            s.samples.altitude[static_cast<std::size_t>(c.count - 1)] = 3.0; // a low in the last tenth only
        const std::vector<double> before = s.samples.altitude;
        const EditResult r = FixDrift(list, 0);
        EXPECT_EQ(r.status, c.expected) << c.count;
        EXPECT_FALSE(describeEditResult(r).empty());
        EXPECT_EQ(s.samples.altitude, before);
    }
    // A low only in the first tenth: the last tenth holds nothing below 99999.
    SeriesList list;
    Series& s = makeSet(list, 20, 99999.0);
    s.samples.altitude[0] = 1.0;
    EXPECT_EQ(FixDrift(list, 0).status, EditStatus::NoLastLow);
    EXPECT_DOUBLE_EQ(alt(s, 19), 99999.0);
    EXPECT_EQ(FixDrift(list, 3).status, EditStatus::NoSuchSet);
}

TEST(FixDrift, TenSamplesUseTheFirstAndTheLastSample) {
    SeriesList list;
    Series& s = makeSet(list, 10, 40.0);
    s.samples.altitude[0] = 10.0;
    s.samples.altitude[9] = 19.0;
    ASSERT_TRUE(FixDrift(list, 0).ok());
    EXPECT_DOUBLE_EQ(alt(s, 9), 10.0);
    EXPECT_DOUBLE_EQ(alt(s, 5), 35.0);
}

TEST(FixOffset, SubtractsTheFirstLowFromTheSetAndItsTriggers) {
    SeriesList list;
    Series& s = makeSet(list, 100, 1250.0);
    s.samples.altitude[3] = 1200.0;
    s.samples.altitude[50] = 1500.0;
    addTrigger(list.triggerSet(0), 50.0, 1500.0);
    const EditResult r = FixOffset(list, 0);
    ASSERT_TRUE(r.ok());
    EXPECT_DOUBLE_EQ(alt(s, 3), 0.0);
    EXPECT_DOUBLE_EQ(alt(s, 0), 50.0);
    EXPECT_DOUBLE_EQ(list.triggerSet(0).samples.altitude[0], 300.0);
    EXPECT_DOUBLE_EQ(r.maximum, 300.0);
    EXPECT_DOUBLE_EQ(s.samples.time[50], 50.0);

    SeriesList shortList;
    Series& few = makeSet(shortList, 5, 7.0);
    EXPECT_EQ(FixOffset(shortList, 0).status, EditStatus::TooFewSamples);
    EXPECT_DOUBLE_EQ(alt(few, 0), 7.0);
}

TEST(MaxText, ReplacesEverythingFromTheFirstMaxWithTheNewFigure) {
    EXPECT_EQ(rewriteMaxText("Flight 3 max=1234 ft, then max=9 more", 1380.5), "Flight 3 max=1380.5");
    EXPECT_EQ(rewriteMaxText("max=", 100.0), "max=100");
    EXPECT_EQ(rewriteMaxText("apogee 1234 ft", 5.0), "apogee 1234 ft");
    EXPECT_EQ(rewriteMaxText("m max=1", 1234567.0), "m max=1.23457e+06");
    EXPECT_EQ(rewriteMaxText("max=1", 0.0001), "max=0.0001");
    EXPECT_EQ(rewriteMaxText(std::string(250, 'a') + "max=1", 123456.0).size(),
              static_cast<std::size_t>(MaxTextLength));
}

TEST(PhotoList, SixTextLinesTheHeaderAndOneLinePerTrigger) {
    SeriesList list;
    list.CreateDataSet();
    Series& t = list.triggerSet(0);
    addTrigger(t, 1.5, 12.0);
    addTrigger(t, 10.25, 345.678);
    addTrigger(t, 123.0, -4.5);
    const std::string text = photoListText(
        {"Altitude versus Time", "Time (sec)", "Altitude (Feet)", "Rocket A", "", "max=345"}, t);
    EXPECT_EQ(text, "#Altitude versus Time\n"
                    "#Time (sec)\n"
                    "#Altitude (Feet)\n"
                    "#Rocket A\n"
                    "#\n"
                    "#max=345\n"
                    "# pic    time   altitude\n"
                    "    1    1.50      12.00\n"
                    "    2   10.25     345.68\n"
                    "    3  123.00      -4.50\n");

    Series none(false);
    const std::string empty = photoListText({"a", "b", "c", "d", "e", "f"}, none);
    EXPECT_EQ(empty, "#a\n#b\n#c\n#d\n#e\n#f\n# pic    time   altitude\n");
}

TEST(PhotoList, WriteReportsAFileThatCannotBeCreated) {
    const std::string path = ::testing::TempDir() + "orvo_photo_list.txt";
    ASSERT_EQ(writeFileSafely(path, "old content that is longer\n"), FileStatus::Ok);
    ASSERT_EQ(writeFileSafely(path, "#x\n"), FileStatus::Ok);
    std::ifstream in(path);
    std::stringstream ss;
    ss << in.rdbuf();
    EXPECT_EQ(ss.str(), "#x\n"); // truncated, not appended
    std::remove(path.c_str());
    EXPECT_EQ(writeFileSafely(::testing::TempDir() + "no-such-dir/x.txt", "#x\n"), FileStatus::OpenFailed);
}

TEST(NumberText, ReadsLikeLfAndRejectsWhatIsNoFiniteNumber) {
    double v = -1.0;
    EXPECT_TRUE(readLf("10", v));
    EXPECT_DOUBLE_EQ(v, 10.0);
    EXPECT_TRUE(readLf("  -2.5xyz", v));
    EXPECT_DOUBLE_EQ(v, -2.5);
    EXPECT_TRUE(readLf("+1e3", v));
    EXPECT_DOUBLE_EQ(v, 1000.0);
    EXPECT_TRUE(readLf(".5", v));
    EXPECT_DOUBLE_EQ(v, 0.5);
    v = 7.0;
    for (const char* bad : {"", "abc", "-", "+-1", "- 1", "inf", "nan", "1e999", ",5"}) {
        EXPECT_FALSE(readLf(bad, v)) << bad;
        EXPECT_DOUBLE_EQ(v, 7.0) << bad;
    }
    EXPECT_EQ(formatFixed(0.0, 0, 6), "0.000000");
    EXPECT_EQ(formatFixed(-12.3456789, 0, 6), "-12.345679");
    EXPECT_EQ(formatFixed(1.005, 8, 2), "    1.00"); // the binary value lies below 1.005
    EXPECT_EQ(formatG(100.0), "100");
    EXPECT_EQ(formatG(0.1 + 0.2), "0.3");
}
