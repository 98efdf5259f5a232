// Undo and redo of every data edit: an undo gives back the plot byte for byte (as saved files
// show), a redo the edited plot again; a new edit clears the redo steps; the bounds hold.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "data/datafile.h"
#include "plot/edithistory.h"
#include "plot/plotfile.h"
#include "plot/plotview.h"
#include "plot/setedit.h"

using namespace orvo;

namespace {

// A set of count samples every 0.5 s: a climb, a fall and some drift, with a trigger mark, a
// peak mark and a climb mark.
void addFlight(PlotState& p, int count, double drift) {
    SeriesList& list = p.settings.series;
    Series& s = list.CreateDataSet();
    const int n = list.dataSetCount() - 1;
    s.samples.count = count;
    for (int i = 0; i < count; ++i) {
        const auto k = static_cast<std::size_t>(i);
        s.samples.time[k] = i * 0.5;
        s.samples.altitude[k] = 100.0 + (i < count / 3 ? i * 7.25 : (count - i) * 3.5) + i * drift;
        if (i == count / 3) s.samples.peakMark[k] = 1; // marks are stored only this far
    }
    list.AddClimbMark(n, 2, count / 3);
    Series& t = list.triggerSet(n);
    t.DisplayFlag = 1;
    t.samples.count = 1;
    t.samples.time[0] = s.samples.time[static_cast<std::size_t>(count / 3)];
    t.samples.altitude[0] = s.samples.altitude[static_cast<std::size_t>(count / 3)];
    s.note1 = "field " + std::to_string(n);
}

// The whole plot as a plot file writes it.
std::string saved(const PlotState& p) {
    const std::string path = ::testing::TempDir() + "edithistory.csv";
    EXPECT_EQ(savePlotFile(path, p.settings.series, plotFileHeader(p.settings)), FileStatus::Ok);
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::remove(path.c_str());
    return text.str();
}

// About what the history counts for copying data set n and its trigger set.
std::size_t seriesBytesForTest(const SeriesList& list, int n) {
    std::size_t total = 0;
    for (const Series* s : {&list.dataSet(n), &list.triggerSet(n)})
        total += sizeof(Series) + s->samples.time.size() * 17 + s->name.size() + s->note1.size();
    return total;
}

struct Fixture {
    PlotState plot;
    EditHistory history{plot};
    Fixture() {
        addFlight(plot, 400, 0.02);
        addFlight(plot, 250, -0.01);
        addFlight(plot, 90, 0.0);
        plot.settings.info3 = "Cup day, max=999";
    }
};

} // namespace

TEST(EditHistory, EveryEditIsUndoneByteForByteAndRedoneAgain) {
    using Edit = std::function<bool(Fixture&)>;
    const std::vector<std::pair<const char*, Edit>> edits = {
        {"Crop",
         [](Fixture& f) {
             f.plot.settings.timeMin = 20.0;
             f.plot.settings.timeMax = 80.0;
             CropToView(f.plot.settings, f.plot.home);
             return true;
         }},
        {"Fix Drift", [](Fixture& f) { return applyFixDrift(f.plot, 1).ok(); }},
        {"Fix Offset", [](Fixture& f) { return applyFixOffset(f.plot, 0).ok(); }},
        {"Apply",
         [](Fixture& f) {
             SeriesList& l = f.plot.settings.series;
             l.ShiftDataSet(2, -3.5, 12.25);
             l.dataSet(2).lineColour = 0x123456;
             l.triggerSet(2).pointStyle = PointCross;
             l.dataSet(2).note3 = "shifted";
             l.RenameDataSet(2, "Renamed set");
             return true;
         }},
        {"Peak",
         [](Fixture& f) { return (f.plot.settings.series.dataSet(0).samples.peakMark[7] ^= 1), true; }},
        {"Climb", [](Fixture& f) { return f.plot.settings.series.AddClimbMark(1, 5, 9), true; }},
        {"Peak beyond the stored marks",
         [](Fixture& f) { return (f.plot.settings.series.dataSet(2).samples.peakMark[60] = 1), true; }},
    };
    for (const auto& [label, edit] : edits) {
        SCOPED_TRACE(label);
        Fixture f;
        const std::string before = saved(f.plot);
        auto pending = f.history.begin(label);
        ASSERT_TRUE(edit(f));
        ASSERT_TRUE(f.history.commit(std::move(pending)));
        const std::string after = saved(f.plot);
        ASSERT_NE(after, before);
        EXPECT_TRUE(f.history.anyModified());
        EXPECT_EQ(f.history.undoLabel(), label);

        ASSERT_TRUE(f.history.undo());
        EXPECT_EQ(saved(f.plot), before);
        EXPECT_FALSE(f.history.anyModified()); // back to what was loaded
        ASSERT_TRUE(f.history.redo());
        EXPECT_EQ(saved(f.plot), after);
        ASSERT_TRUE(f.history.undo());
        EXPECT_EQ(saved(f.plot), before);
    }
}

TEST(EditHistory, DeleteAndLoadTakeSetsOutAndPutThemBackInPlace) {
    Fixture f;
    const std::string start = saved(f.plot);
    f.plot.settings.series.dataSet(1).altitudeUnit = altitudeUnitOfCode(2);
    auto del = f.history.beginDelete(1);
    f.plot.settings.series.DeleteDataSet(1);
    ASSERT_TRUE(f.history.commit(std::move(del)));
    const std::string deleted = saved(f.plot);

    // A plot file brings sets and texts.
    const std::string path = ::testing::TempDir() + "edithistory_load.csv";
    {
        PlotState other;
        addFlight(other, 30, 0.0);
        other.settings.title = "Other plot";
        ASSERT_EQ(savePlotFile(path, other.settings.series, plotFileHeader(other.settings)), FileStatus::Ok);
    }
    auto load = f.history.beginLoad();
    PlotFileHeader header = plotFileHeader(f.plot.settings);
    LoadReport report;
    ASSERT_EQ(loadDataFile(path, f.plot.settings.series, header, report), FileStatus::Ok);
    applyPlotFileHeader(header, f.plot.settings);
    ASSERT_TRUE(f.history.commit(std::move(load)));
    std::remove(path.c_str());
    EXPECT_EQ(f.plot.settings.series.dataSetCount(), 3);
    EXPECT_FALSE(f.history.anyModified()); // loaded sets are as their file
    const std::string loaded = saved(f.plot);

    ASSERT_TRUE(f.history.undo());
    EXPECT_EQ(saved(f.plot), deleted);
    ASSERT_TRUE(f.history.undo());
    EXPECT_EQ(saved(f.plot), start);
    EXPECT_EQ(f.plot.settings.series.dataSet(1).note1, "field 1");                    // back at its position
    EXPECT_EQ(f.plot.settings.series.dataSet(1).altitudeUnit, altitudeUnitOfCode(2)); // and in its unit
    ASSERT_TRUE(f.history.redo());
    ASSERT_TRUE(f.history.redo());
    EXPECT_EQ(saved(f.plot), loaded);
    EXPECT_FALSE(f.history.redo());
}

TEST(EditHistory, ANewEditClearsRedoAndSavedStateFollowsUndo) {
    Fixture f;
    auto a = f.history.begin("Fix Drift", {0});
    applyFixDrift(f.plot, 0);
    ASSERT_TRUE(f.history.commit(std::move(a)));
    EXPECT_TRUE(f.history.isModified(0));
    EXPECT_FALSE(f.history.isModified(1));
    f.history.markSaved(0);
    EXPECT_FALSE(f.history.anyModified());
    f.history.undo();
    EXPECT_TRUE(f.history.isModified(0)); // differs from the file saved after the edit
    EXPECT_TRUE(f.history.canRedo());

    auto b = f.history.begin("Apply", {2});
    f.plot.settings.series.ShiftDataSet(2, 1.0, 0.0);
    ASSERT_TRUE(f.history.commit(std::move(b)));
    EXPECT_FALSE(f.history.canRedo());
    EXPECT_EQ(f.history.undoSteps(), 1);

    // An edit that changes nothing is no step.
    auto c = f.history.begin("Apply", {2});
    EXPECT_FALSE(f.history.commit(std::move(c)));
    EXPECT_EQ(f.history.undoSteps(), 1);
}

TEST(EditHistory, StepsAndBytesStayWithinTheirBounds) {
    PlotState plot;
    EditHistory history(plot);
    addFlight(plot, 20, 0.0);
    for (int i = 0; i < EditHistory::MaxSteps + 20; ++i) {
        auto p = history.begin("Apply", {0});
        plot.settings.series.ShiftDataSet(0, 0.0, 1.0);
        ASSERT_TRUE(history.commit(std::move(p)));
    }
    EXPECT_EQ(history.undoSteps(), EditHistory::MaxSteps);

    // Full sets: every altitude changes, so each step holds a whole altitude array.
    PlotState big;
    EditHistory bigHistory(big);
    addFlight(big, MaxSamples, 0.01);
    for (int i = 0; i < 150; ++i) {
        auto p = bigHistory.begin("Apply", {0});
        big.settings.series.ShiftDataSet(0, 0.0, 1.0);
        ASSERT_TRUE(bigHistory.commit(std::move(p)));
        ASSERT_LE(bigHistory.bytes(), EditHistory::MaxBytes);
    }
    EXPECT_GT(bigHistory.undoSteps(), 50);
    EXPECT_LT(bigHistory.undoSteps(), 150);
    // Only the altitudes are held: about 512 KiB a step, not the times.
    EXPECT_LT(bigHistory.bytes() / bigHistory.undoSteps(), std::size_t{600} << 10);
    // The oldest steps went; the newest still undo to the value before them.
    const double top = big.settings.series.dataSet(0).samples.altitude[5];
    ASSERT_TRUE(bigHistory.undo());
    EXPECT_DOUBLE_EQ(big.settings.series.dataSet(0).samples.altitude[5], top - 1.0);
}

// An edit too large for the bound is not kept, and no earlier step survives it (undoing one
// across the unrecorded edit would mix old and new samples); later edits are kept again.
TEST(EditHistory, AnEditLargerThanTheBoundIsNotKeptAndClearsTheHistory) {
    Fixture f;
    SeriesList& list = f.plot.settings.series;
    std::vector<std::string> notKept;
    f.history.onEditNotKept = [&](const std::string& label) { notKept.push_back(label); };
    // Room for one set's copy, not for all three.
    f.history.setByteBound(seriesBytesForTest(list, 0) + 1024);

    auto p = f.history.begin("Apply", {2});
    list.ShiftDataSet(2, 1.0, 0.0);
    ASSERT_TRUE(f.history.commit(std::move(p)));
    f.history.markAllSaved();
    const std::string before = saved(f.plot);

    p = f.history.begin("Crop");
    for (int n = 0; n < list.dataSetCount(); ++n)
        list.ShiftDataSet(n, 0.0, 5.0);
    EXPECT_FALSE(f.history.commit(std::move(p)));
    EXPECT_TRUE(f.history.lastEditNotKept());
    EXPECT_EQ(notKept, std::vector<std::string>{"Crop"});
    EXPECT_FALSE(f.history.canUndo());
    EXPECT_FALSE(f.history.canRedo());
    for (int n = 0; n < list.dataSetCount(); ++n)
        EXPECT_TRUE(f.history.isModified(n)) << n; // changed, and nothing takes it back
    EXPECT_NE(saved(f.plot), before);

    // The next edit that fits is kept and undone as usual.
    const std::string afterCrop = saved(f.plot);
    p = f.history.begin("Apply", {1});
    list.ShiftDataSet(1, 0.0, 1.0);
    ASSERT_TRUE(f.history.commit(std::move(p)));
    EXPECT_FALSE(f.history.lastEditNotKept());
    ASSERT_TRUE(f.history.undo());
    EXPECT_EQ(saved(f.plot), afterCrop);
    EXPECT_FALSE(f.history.canUndo());
}

// A set's display fields come back whole and exact: an edit through record() that only flips a
// shift's sign bit and hides the set is one step, and undo gives back +0 and the flag.
TEST(EditHistory, DisplayFieldsComeBackWholeAndBitExact) {
    Fixture f;
    Series& s = f.plot.settings.series.dataSet(1);
    ASSERT_FALSE(std::signbit(s.timeOffset));
    const SeriesDisplay before = s.display();
    const int result = f.history.record("Apply", {1}, [&] {
        s.timeOffset = -0.0;
        s.DisplayFlag = 0;
        return 7;
    });
    EXPECT_EQ(result, 7);
    ASSERT_EQ(f.history.undoSteps(), 1);
    ASSERT_TRUE(f.history.undo());
    EXPECT_FALSE(std::signbit(s.timeOffset));
    EXPECT_TRUE(s.display() == before);

    // Only the sign bit: still a change.
    f.history.record("Apply", {1}, [&] { s.timeOffset = -0.0; });
    EXPECT_EQ(f.history.undoSteps(), 1);
    EXPECT_TRUE(f.history.canUndo());
}
