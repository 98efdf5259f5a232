// The downloads folder: sets kept as they arrive from the emulated module, and the check an
// erase must pass first.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <string>
#include <vector>

#include "data/series.h"
#include "link/comm.h"
#include "link/protocol.h"
#include "moduleops/downloadarchive.h"
#include "sim/module.h"
#include "sim/simulatedlink.h"

using namespace orvo;

namespace {

class DownloadArchiveTest : public ::testing::Test {
  protected:
    void SetUp() override {
        link.CommSetClock(&clock);
        ASSERT_EQ(link.CommOpen(SimulatorPortName, 5, 0), 1);
    }
    VirtualClock clock;
    orvo::sim::SimulatedLink link; // its own emulated module, made afresh for every test
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
    ASSERT_TRUE(link.simulator().setRecordedSets({recorded(words), recorded(words), recorded(words)}));
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const std::string where = folder.path().toStdString();
    const auto keep = [&](int index) {
        SeriesList list;
        Series& set = list.CreateDataSet();
        const DownloadOutcome out = downloadSet(link, index, 100, set);
        ASSERT_TRUE(out.complete());
        finishDownloadedSet(set, out, index + 1, 100, "2026-01-01");
        ASSERT_TRUE(archiveDownloadedSet(list, 0, PlotFileHeader{}, index + 1, nullptr, nullptr, where));
    };
    const SetListing last = listSets(link);
    keep(0);
    keep(1);
    EraseCheck check = checkBeforeErase(last, listSets(link), where);
    EXPECT_FALSE(check.safe());
    EXPECT_EQ(check.unsaved, std::vector<int>{3});
    ASSERT_FALSE(check.reasons.empty());
    EXPECT_EQ(check.reasons.back().rfind("Set 3 was never saved", 0), 0u) << check.reasons.back();

    keep(2);
    EXPECT_TRUE(checkBeforeErase(last, listSets(link), where).safe());
    // A listing that differs from the last one, or a paused one, stops the erase.
    SetListing earlier = last;
    earlier.entries.pop_back();
    --earlier.count;
    EXPECT_FALSE(checkBeforeErase(earlier, listSets(link), where).safe());
    link.simulator().faults().stallAfter = 16;
    link.simulator().faults().stallMs = 500;
    EXPECT_FALSE(checkBeforeErase(last, listSets(link), where).safe());
}
