#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/series.h"

using namespace orvo;

namespace {

// Records what the name lists would be told, and keeps a mirror list like a combo box would.
struct MirrorList : SetListObserver {
    std::vector<std::string> names;
    std::vector<std::string> events;
    void dataSetAppended(int n, const std::string& name) override {
        names.insert(names.begin() + n, name);
        events.push_back("add " + std::to_string(n));
    }
    void dataSetRemoved(int n) override {
        names.erase(names.begin() + n);
        events.push_back("del " + std::to_string(n));
    }
    void dataSetRenamed(int n, const std::string& name) override {
        names[static_cast<std::size_t>(n)] = name;
        events.push_back("ren " + std::to_string(n));
    }
};

} // namespace

TEST(DataSetModel, NewSetHoldsTwentyOnePlaceholderPointsAndDefaults) {
    SeriesList list;
    Series& s = list.CreateDataSet();
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(&list.dataSet(0), &s);
    EXPECT_EQ(s.companion, &list.triggerSet(0));
    ASSERT_EQ(s.samples.count, 21);
    for (int i = 0; i <= 20; ++i) {
        EXPECT_EQ(s.samples.time[i], i);
        EXPECT_EQ(s.samples.altitude[i], i);
        EXPECT_EQ(s.samples.peakMark[i], 0);
    }
    EXPECT_EQ(s.name, "Data000");
    EXPECT_EQ(s.lineColour, 0x00FF0000u);
    EXPECT_EQ(s.pointColour, 0x00FF0000u);
    EXPECT_EQ(s.lineStyle, LineSolid);
    EXPECT_EQ(s.pointStyle, PointNone);
    EXPECT_EQ(s.timeScale, 1.0);
    EXPECT_EQ(s.altitudeScale, 1.0);
    EXPECT_EQ(s.DisplayFlag, 1);
    EXPECT_EQ(s.climbMarkCount(), 0);
    // Storage follows the samples (the placeholders), the limit stays MaxSamples.
    EXPECT_EQ(s.samples.capacity(), MaxSamples);
    EXPECT_LE(s.samples.time.size(), 21u);

    const Series& t = list.triggerSet(0);
    EXPECT_TRUE(t.isTriggerSet());
    EXPECT_EQ(t.samples.count, 0);
    EXPECT_EQ(t.lineStyle, LineNone);
    EXPECT_EQ(t.pointStyle, PointTriangle);
    EXPECT_EQ(t.pointColour, s.lineColour);
    EXPECT_EQ(t.DisplayFlag, 1);
    EXPECT_EQ(t.samples.time.size(), 0u);
}

TEST(DataSetModel, ColourCycleAndNameCounterWrap) {
    SeriesList list;
    for (int i = 0; i < 13; ++i)
        list.CreateDataSet();
    // The 14th set gets the first colour again.
    EXPECT_EQ(list.CreateDataSet().lineColour, list.dataSet(0).lineColour);
    EXPECT_EQ(list.dataSet(1).lineColour, 0x000000FFu);
    EXPECT_EQ(list.dataSet(12).lineColour, 0x00808000u);
    // Deleting does not give numbers or colours back.
    list.DeleteDataSet(13);
    EXPECT_EQ(list.CreateDataSet().name, "Data014");

    SeriesList many;
    for (int i = 0; i < 1000; ++i)
        many.CreateDataSet();
    EXPECT_EQ(many.dataSet(999).name, "Data999");
    EXPECT_EQ(many.CreateDataSet().name, "Data000");
}

TEST(DataSetModel, DeleteKeepsPairsTogetherAndTellsTheLists) {
    SeriesList list;
    MirrorList mirror;
    list.addObserver(&mirror);
    for (int i = 0; i < 3; ++i)
        list.CreateDataSet();
    list.triggerSet(2).samples.count = 7;
    list.DeleteDataSet(1);
    ASSERT_EQ(list.dataSetCount(), 2);
    EXPECT_EQ(list.dataSet(1).name, "Data002");
    EXPECT_EQ(list.triggerSet(1).samples.count, 7);
    EXPECT_EQ(list.dataSet(1).companion, &list.triggerSet(1));
    EXPECT_EQ(mirror.names, (std::vector<std::string>{"Data000", "Data002"}));
    // An index from a stale selection changes nothing.
    list.DeleteDataSet(5);
    list.DeleteDataSet(-1);
    EXPECT_EQ(list.dataSetCount(), 2);
    list.removeObserver(&mirror);
    list.DeleteDataSet(0);
    EXPECT_EQ(mirror.names.size(), 2u);
}

TEST(DataSetModel, ClimbMarksFillTheFirstFreeSlotAndStopAt256) {
    SeriesList list;
    list.CreateDataSet();
    for (int i = 0; i < MaxClimbMarks; ++i)
        list.AddClimbMark(0, i, i + 1);
    list.AddClimbMark(0, 1000, 2000);
    const Series& s = list.dataSet(0);
    EXPECT_EQ(s.climbMarkCount(), MaxClimbMarks);
    EXPECT_EQ(s.climbMarks[255].start, 255);
    for (const auto& m : s.climbMarks)
        EXPECT_NE(m.start, 1000);

    list.dataSet(0).climbMarks[3].inUse = 0;
    list.AddClimbMark(0, 40, 50);
    EXPECT_EQ(s.climbMarks[3].start, 40);
    EXPECT_EQ(s.climbMarks[3].end, 50);
}

TEST(DataSetModel, ShiftMovesSetAndTriggersAboveTheThreshold) {
    SeriesList list;
    list.CreateDataSet();
    Series& t = list.triggerSet(0);
    t.samples.count = 2;
    t.samples.time[0] = 3.0;
    t.samples.time[1] = 9.0;
    t.samples.altitude[1] = 100.0;
    list.dataSet(0).samples.peakMark[4] = 1;

    list.ShiftDataSet(0, 0.00001, -0.00001);
    EXPECT_EQ(list.dataSet(0).samples.time[20], 20.0);
    EXPECT_EQ(t.samples.time[0], 3.0);

    list.ShiftDataSet(0, -5.0, 0.0);
    EXPECT_EQ(list.dataSet(0).samples.time[0], -5.0);
    EXPECT_EQ(list.dataSet(0).samples.time[20], 15.0);
    EXPECT_EQ(list.dataSet(0).samples.altitude[20], 20.0);
    EXPECT_EQ(t.samples.time[0], -2.0);
    EXPECT_EQ(t.samples.time[1], 4.0);
    // Samples past the count are not data and stay untouched.
    EXPECT_EQ(t.samples.time[2], 0.0);

    list.ShiftDataSet(0, 0.0, 2.5);
    EXPECT_EQ(list.dataSet(0).samples.altitude[0], 2.5);
    EXPECT_EQ(t.samples.altitude[1], 102.5);
    EXPECT_EQ(list.dataSet(0).samples.peakMark[4], 1);
}

TEST(DataSetModel, RenameCutsToNineteenCharactersInPlace) {
    SeriesList list;
    MirrorList mirror;
    list.addObserver(&mirror);
    list.CreateDataSet();
    list.CreateDataSet();
    list.RenameDataSet(0, "ABCDEFGHIJKLMNOPQRSTUVWXY");
    EXPECT_EQ(list.dataSet(0).name, "ABCDEFGHIJKLMNOPQRS");
    EXPECT_EQ(mirror.names, (std::vector<std::string>{"ABCDEFGHIJKLMNOPQRS", "Data001"}));
    EXPECT_EQ(mirror.events.back(), "ren 0");
}

TEST(AltitudeUnits, CodeNameAndAxisLabelNameTheSameUnit) {
    for (const AltitudeUnit& unit : AltitudeUnits) {
        EXPECT_EQ(altitudeUnitOfCode(unit.code), &unit);
        EXPECT_EQ(altitudeUnitOfLabel(unit.axisLabel), &unit) << unit.axisLabel;
        EXPECT_EQ(altitudeUnitOfLabel(std::string("Altitude (") + unit.name + ")"), &unit) << unit.name;
        EXPECT_EQ(&altitudeUnitRecorded(unit.code), &unit);
    }
    // A code the module does not define has no label, yet the module records it in meters.
    for (int code : {-1, 3, 255}) {
        EXPECT_EQ(altitudeUnitOfCode(code), nullptr) << code;
        EXPECT_STREQ(altitudeUnitRecorded(code).name, "Meters") << code;
    }
    EXPECT_EQ(altitudeUnitOfLabel("Altitude (metres)"), altitudeUnitOfCode(2));
    EXPECT_EQ(altitudeUnitOfLabel("Height"), nullptr);
}
