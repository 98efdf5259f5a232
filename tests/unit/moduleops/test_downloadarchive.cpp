// The downloads folder: sets kept as they arrive from the emulated module, and the check an
// erase must pass first.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <string>
#include <vector>

#include "data/series.h"
#include "link/comm.h"
#include "link/protocol.h"
#include "link/simulator.h"
#include "moduleops/downloadarchive.h"

using namespace orvo;

namespace {

class DownloadArchiveTest : public ::testing::Test {
  protected:
    void SetUp() override {
        CommSetClock(&clock);
        saved = simulatorModule().recordedSets();
        ASSERT_EQ(CommOpen(SimulatorPortName, 5, 0), 1);
    }
    void TearDown() override {
        CommClose();
        simulatorModule().setRecordedSets(saved);
        simulatorModule().faults() = sim::Faults{};
        CommSetClock(nullptr);
    }
    VirtualClock clock;
    std::vector<sim::RecordedSet> saved;
};

sim::RecordedSet recorded(std::vector<std::uint16_t> words) {
    sim::RecordedSet s;
    s.intervalTicks = 1;
    s.words = std::move(words);
    return s;
}

} // namespace

TEST_F(DownloadArchiveTest, EraseIsSafeOnlyWhenTheListingsAgreeAndEverySetWasSaved) {
    std::vector<std::uint16_t> words(40, 7);
    ASSERT_TRUE(simulatorModule().setRecordedSets({recorded(words), recorded(words), recorded(words)}));
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const std::string where = folder.path().toStdString();
    const auto keep = [&](int index) {
        SeriesList list;
        Series& set = list.CreateDataSet();
        const DownloadOutcome out = downloadSet(index, 100, set);
        ASSERT_TRUE(out.complete());
        finishDownloadedSet(set, out, index + 1, 100, "2026-01-01");
        ASSERT_TRUE(archiveDownloadedSet(list, 0, PlotFileHeader{}, index + 1, nullptr, nullptr, where));
    };
    const SetListing last = listSets();
    keep(0);
    keep(1);
    EraseCheck check = checkBeforeErase(last, listSets(), where);
    EXPECT_FALSE(check.safe());
    EXPECT_EQ(check.unsaved, std::vector<int>{3});
    ASSERT_FALSE(check.reasons.empty());
    EXPECT_EQ(check.reasons.back().rfind("Set 3 was never saved", 0), 0u) << check.reasons.back();

    keep(2);
    EXPECT_TRUE(checkBeforeErase(last, listSets(), where).safe());
    // A listing that differs from the last one, or a paused one, stops the erase.
    SetListing earlier = last;
    earlier.entries.pop_back();
    --earlier.count;
    EXPECT_FALSE(checkBeforeErase(earlier, listSets(), where).safe());
    simulatorModule().faults().stallAfter = 16;
    simulatorModule().faults().stallMs = 500;
    EXPECT_FALSE(checkBeforeErase(last, listSets(), where).safe());
}
