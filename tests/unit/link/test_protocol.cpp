// The module transactions: the download decoder on scripted bytes, and every exchange against
// the built-in emulated module on a virtual clock (timing included).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "data/series.h"
#include "link/comm.h"
#include "link/configexchange.h"
#include "link/protocol.h"
#include "sim/module.h"
#include "sim/simulatedlink.h"

using namespace orvo;

namespace {

// Serves bytes for the decoder like CommReadBlock: all count bytes, or a failed read.
struct ByteScript {
    std::vector<std::uint8_t> bytes;
    std::size_t pos = 0;
    int reads = 0;
    ByteReader reader() {
        return [this](std::uint8_t* buf, int count) {
            ++reads;
            if (bytes.size() - pos < static_cast<std::size_t>(count)) {
                pos = bytes.size();
                return false;
            }
            std::memcpy(buf, bytes.data() + pos, count);
            pos += count;
            buf[count] = 0;
            return true;
        };
    }
};

std::vector<std::uint8_t> stream(std::vector<std::uint8_t> header, const std::vector<std::uint16_t>& words) {
    for (std::uint16_t w : words) {
        header.push_back(static_cast<std::uint8_t>(w >> 8));
        header.push_back(static_cast<std::uint8_t>(w & 0xFF));
    }
    return header;
}

struct NewSet {
    SeriesList list;
    Series& set = list.CreateDataSet();
    Series& trig = *set.companion;
};

} // namespace

TEST(DownloadDecoder, WorkedExampleStopsWhenTheAnnouncedWordsAreIn) {
    NewSet s;
    ByteScript in;
    // A fifth word is on the line but W = 4 says the set ends before it.
    in.bytes = stream({0x00, 0x00, 0x0A, 0x00, 0x04, 0x01}, {0x0064, 0x8201, 0x0065, 0x0066, 0x0067});
    std::vector<int> percents;
    const DownloadOutcome out = decodeSetStream(in.reader(), 100, s.set, [&](int, int p) {
        percents.push_back(p);
        return true;
    });
    EXPECT_EQ(out.end, DownloadEnd::CountReached);
    EXPECT_EQ(in.pos, 6u + 8u);
    ASSERT_EQ(out.samples, 3);
    ASSERT_EQ(s.set.samples.count, 3);
    EXPECT_EQ(s.set.samples.time[0], 0.0);
    EXPECT_EQ(s.set.samples.time[1], 1.0);
    EXPECT_EQ(s.set.samples.time[2], 2.0);
    EXPECT_EQ(s.set.samples.altitude[0], 100.0);
    EXPECT_EQ(s.set.samples.altitude[1], 101.0);
    EXPECT_EQ(s.set.samples.altitude[2], 102.0);
    ASSERT_EQ(s.trig.samples.count, 1);
    EXPECT_EQ(s.trig.samples.time[0], 1.0);
    EXPECT_EQ(s.trig.samples.altitude[0], 101.0);
    EXPECT_EQ(percents, (std::vector<int>{25, 50, 75}));
    EXPECT_EQ(out.maxAltitude, 102.0);
    EXPECT_EQ(out.lastTime, 2.0);

    s.trig.DisplayFlag = 0;
    s.set.samples.peakMark[1] = 1;
    s.set.climbMarks[3].inUse = 1;
    finishDownloadedSet(s.set, out, 1, 100, "2026-03-01");
    EXPECT_EQ(s.set.note2, "2026-03-01  Set 1, 3 samples");
    EXPECT_EQ(s.set.note3, "3 sec, interval=1 sec, max=102");
    EXPECT_EQ(s.trig.DisplayFlag, 1);
    EXPECT_EQ(s.set.samples.peakMark[1], 0);
    EXPECT_EQ(s.set.climbMarkCount(), 0);
    EXPECT_EQ(downloadTimeAxisMax(out.lastTime), 7.0);
}

TEST(DownloadDecoder, UnannouncedCountReadsUntilAWordIsMissing) {
    NewSet s;
    ByteScript in;
    // W = 0; negative altitudes and a trailing odd byte (half a word) at the end.
    in.bytes = stream({0x07, 0x00, 0x02, 0x00, 0x00, 0x00}, {0xFFE7, 0x0000, 0x7FFF});
    in.bytes.push_back(0x01);
    std::vector<int> percents;
    const DownloadOutcome out = decodeSetStream(in.reader(), 250, s.set, [&](int, int p) {
        percents.push_back(p);
        return true;
    });
    EXPECT_EQ(out.end, DownloadEnd::WordMissing);
    EXPECT_EQ(out.header.byte0, 0x07);
    ASSERT_EQ(out.samples, 3);
    EXPECT_EQ(s.set.samples.altitude[0], -25.0);
    EXPECT_EQ(s.set.samples.altitude[2], 32767.0);
    EXPECT_DOUBLE_EQ(s.set.samples.time[2], 1.0); // H 2 x j 2 x 250 ms
    EXPECT_EQ(percents, (std::vector<int>{0, 0, 0}));
    finishDownloadedSet(s.set, out, 4, 250, "d");
    EXPECT_EQ(s.trig.DisplayFlag, 0);
    EXPECT_EQ(s.set.note3, "1.5 sec, interval=0.5 sec, max=32767");
}

TEST(DownloadDecoder, MarkersTakeTheNextWordAsTheirSampleWhateverItIs) {
    NewSet s;
    ByteScript in;
    // A marker followed by a word that itself looks like a marker: that word is the sample.
    // A marker at the very end whose sample never comes is dropped, not stored as a sample.
    in.bytes = stream({0, 0, 1, 0, 0, 1}, {0x8200, 0x82FF, 0x0010, 0x82AA});
    const DownloadOutcome out = decodeSetStream(in.reader(), 100, s.set);
    EXPECT_EQ(out.end, DownloadEnd::WordMissing);
    EXPECT_TRUE(out.markerWithoutSample);
    ASSERT_EQ(out.samples, 2);
    EXPECT_EQ(out.triggers, 1);
    EXPECT_EQ(s.set.samples.altitude[0], static_cast<double>(static_cast<std::int16_t>(0x82FF)));
    EXPECT_EQ(s.set.samples.altitude[1], 16.0);
    EXPECT_EQ(s.trig.samples.count, 1);
    EXPECT_EQ(out.maxAltitude, 16.0);
}

TEST(DownloadDecoder, MissingHeaderStoresNothing) {
    NewSet s;
    ByteScript in;
    in.bytes = {0x00, 0x00, 0x0A, 0x00, 0x04}; // five of six header bytes
    bool called = false;
    const DownloadOutcome out =
        decodeSetStream(in.reader(), 100, s.set, [&](int, int) { return called = true; });
    EXPECT_FALSE(out.headerArrived());
    EXPECT_EQ(s.set.samples.count, 0);
    EXPECT_EQ(s.trig.samples.count, 0);
    EXPECT_FALSE(called);
    EXPECT_EQ(in.reads, 1);
}

TEST(DownloadDecoder, EndsAtTheStorageLimitAndWhenAskedToStop) {
    {
        NewSet s;
        ByteScript in;
        in.bytes = stream({0, 0, 1, 0, 0, 0}, std::vector<std::uint16_t>(70000, 0x0102));
        const DownloadOutcome out = decodeSetStream(in.reader(), 100, s.set);
        EXPECT_EQ(out.end, DownloadEnd::StorageFull);
        EXPECT_EQ(out.samples, MaxDownloadSamples);
        EXPECT_EQ(s.set.samples.count, 65535);
        EXPECT_DOUBLE_EQ(out.lastTime, 6553.4);
    }
    {
        NewSet s;
        ByteScript in;
        in.bytes = stream({0, 0, 1, 0, 10, 0}, std::vector<std::uint16_t>(10, 5));
        const DownloadOutcome out =
            decodeSetStream(in.reader(), 100, s.set, [](int j, int) { return j < 4; });
        EXPECT_EQ(out.end, DownloadEnd::Cancelled);
        EXPECT_EQ(out.samples, 4);
        EXPECT_EQ(s.set.samples.count, 4);
    }
}

TEST(ProtocolTexts, InformationLinesAndTimeAxis) {
    ModuleIdentity id = simulatedIdentity();
    EXPECT_EQ(moduleInfoLines(id, 0),
              (std::vector<std::string>{"     Device Name: ORVO", "           Model: MOD1", "",
                                        "Software Version: 0.03", "   Software Date: 08-27-03", "", "",
                                        "Memory contains 0 data sets."}));
    EXPECT_EQ(downloadTimeAxisMax(12.34), 17.0);
    EXPECT_EQ(downloadTimeAxisMax(0.0), 5.0);
}

TEST(ProtocolTexts, CalibrationAltitudeMustBeAWholeSixteenBitNumber) {
    std::int16_t a = 7;
    EXPECT_TRUE(parseCalibrationAltitude("-25", &a));
    EXPECT_EQ(a, -25);
    EXPECT_TRUE(parseCalibrationAltitude("  +1200 ", &a));
    EXPECT_EQ(a, 1200);
    EXPECT_TRUE(parseCalibrationAltitude("-32768", &a));
    EXPECT_EQ(a, -32768);
    a = 7;
    for (const char* bad :
         {"", "  ", "12ft", "1.5", "abc", "32768", "-32769", "+-3", "--3", "1 2", "99999999999"})
        EXPECT_FALSE(parseCalibrationAltitude(bad, &a)) << bad;
    EXPECT_EQ(a, 7);
}

namespace {

class ModuleExchangeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        link.CommSetClock(&clock);
        ASSERT_EQ(link.CommOpen(SimulatorPortName, 5, 0), LinkStatus::Ok);
    }
    VirtualClock clock{0xFFFFF000u}; // the tick count wraps during the tests
    orvo::sim::SimulatedLink link;   // its own emulated module, made afresh for every test
};

sim::RecordedSet recorded(std::vector<std::uint16_t> words, bool announce = true) {
    sim::RecordedSet s;
    s.intervalTicks = 1;
    s.announceCount = announce;
    s.words = std::move(words);
    return s;
}

} // namespace

TEST_F(ModuleExchangeTest, IdentifiesAndCountsTheRecordedSets) {
    ASSERT_TRUE(link.simulator().setRecordedSets({recorded({1, 2}), recorded({3}), recorded({4, 5, 6})}));
    const ModuleIdentity id = identifyModule(link);
    EXPECT_EQ(id.missingLines, 0);
    EXPECT_EQ(id.deviceName, "ORVO");
    EXPECT_EQ(id.model, "MOD1");
    EXPECT_EQ(id.softwareVersion, "0.03");
    EXPECT_EQ(id.softwareDate, "08-27-03");
    const std::uint32_t before = link.CommTickCount();
    EXPECT_EQ(listModuleSets(link), 3);
    // The listing ends with one 300 ms wait after the last line, and the line stays quiet a
    // second longer before it counts as whole.
    EXPECT_LT(link.CommTickCount() - before, 300u + SetListingQuietMs + 100u);
}

TEST_F(ModuleExchangeTest, SilentModuleLeavesEveryIdentificationLineMissing) {
    link.simulator().faults().ignoreCommands = "vs";
    const std::uint32_t before = link.CommTickCount();
    const ModuleIdentity id = identifyModule(link);
    EXPECT_EQ(id.missingLines, 4);
    EXPECT_EQ(id.deviceName, "");
    EXPECT_EQ(link.CommTickCount() - before, IdentFirstLineTimeoutMs);
    EXPECT_EQ(listModuleSets(link), 0);
}

TEST_F(ModuleExchangeTest, LongVersionTextIsCutWithoutSpillingIntoTheDate) {
    link.simulator().identity().softwareVersion = "0.03-build-4711";
    const ModuleIdentity id = identifyModule(link);
    EXPECT_EQ(id.missingLines, 0);
    EXPECT_EQ(id.softwareVersion, "0.03-build");
    EXPECT_EQ(id.softwareDate, "08-27-03");
}

TEST_F(ModuleExchangeTest, DownloadsARecordedSetAndTheNextOneAfterAStall) {
    std::vector<std::uint16_t> words;
    for (int i = 0; i < 40; ++i)
        words.push_back(static_cast<std::uint16_t>(i));
    ASSERT_TRUE(link.simulator().setRecordedSets({recorded(words), recorded({0x8201, 50, 60}, false)}));
    // The first reply pauses 1.5 s after the header and five words.
    link.simulator().faults().stallAfter = 6 + 2 * 5;
    link.simulator().faults().stallMs = 1500;
    NewSet a;
    const DownloadOutcome first = downloadSet(link, 0, 100, a.set);
    EXPECT_EQ(first.end, DownloadEnd::WordMissing);
    EXPECT_EQ(first.samples, 5);
    EXPECT_EQ(a.set.samples.altitude[4], 4.0);

    link.simulator().faults() = sim::Faults{};
    NewSet b;
    const DownloadOutcome second = downloadSet(link, 1, 100, b.set);
    EXPECT_EQ(second.end, DownloadEnd::WordMissing); // W = 0: the end is a missing word
    EXPECT_EQ(second.samples, 2);
    EXPECT_EQ(second.triggers, 1);
    EXPECT_EQ(b.trig.samples.altitude[0], 50.0);
    const std::string& log = link.simulator().commandLog();
    EXPECT_EQ(log.substr(log.size() - 2), "aa");
}

TEST_F(ModuleExchangeTest, SetThatDoesNotExistSendsNoHeader) {
    ASSERT_TRUE(link.simulator().setRecordedSets({recorded({1})}));
    NewSet s;
    const std::uint32_t before = link.CommTickCount();
    const DownloadOutcome out = downloadSet(link, 5, 100, s.set);
    EXPECT_FALSE(out.headerArrived());
    EXPECT_EQ(link.CommTickCount() - before, 20u + 1000u);
}

TEST_F(ModuleExchangeTest, EraseResetAndCalibrate) {
    ASSERT_TRUE(link.simulator().setRecordedSets({recorded({1}), recorded({2})}));
    EXPECT_EQ(eraseModuleMemory(link), LinkStatus::Ok);
    EXPECT_EQ(listModuleSets(link), 0);
    EXPECT_TRUE(link.simulator().recordedSets().empty());

    std::uint32_t before = link.CommTickCount();
    EXPECT_EQ(calibrateModule(link, -25), LinkStatus::Ok);
    EXPECT_EQ(link.CommTickCount() - before, 1500u + 50u + 50u + 200u);
    EXPECT_EQ(link.simulator().calibrationAltitude(), -25);

    before = link.CommTickCount();
    EXPECT_EQ(resetModule(link), LinkStatus::Ok);
    EXPECT_EQ(link.CommTickCount() - before, 4000u);
    EXPECT_EQ(link.simulator().state(), sim::Module::State::Running);
    EXPECT_EQ(identifyModule(link).missingLines, 0);
}

TEST_F(ModuleExchangeTest, ClosedPortFailsAtOnce) {
    link.CommClose();
    NewSet s;
    const std::uint32_t before = link.CommTickCount();
    EXPECT_FALSE(downloadSet(link, 0, 100, s.set).headerArrived());
    EXPECT_EQ(identifyModule(link).missingLines, 4);
    EXPECT_EQ(eraseModuleMemory(link), LinkStatus::WriteFailed);
    EXPECT_EQ(resetModule(link), LinkStatus::WriteFailed);
    EXPECT_EQ(calibrateModule(link, 1), LinkStatus::WriteFailed);
    EXPECT_EQ(link.CommTickCount() - before, 0u);
}

TEST(DownloadDecoder, ShortAndMisalignedStreamsAreToldFromWholeOnes) {
    {
        // The first body byte is lost on the line: every word after it is shifted, a marker shows
        // up in a set recorded without triggering, and the announced W is never reached.
        NewSet s;
        ByteScript in;
        in.bytes = stream({0, 0, 1, 0, 3, 0}, {0x0182, 0x0005, 0x0006});
        in.bytes.erase(in.bytes.begin() + 6);
        const DownloadOutcome out = decodeSetStream(in.reader(), 100, s.set);
        EXPECT_EQ(out.samples, 1);
        EXPECT_EQ(out.wordsRead, 2);
        EXPECT_EQ(out.misplacedMarkers, 1);
        EXPECT_TRUE(out.endedShort());
        EXPECT_FALSE(out.complete());
        EXPECT_EQ(downloadProblems(out, 2),
                  (std::vector<std::string>{
                      "Set 2 ended after 2 of 3 words: it is incomplete. The 1 samples received are kept.",
                      "Set 2 is damaged: 1 trigger marker came where a module puts none, so bytes were lost "
                      "on the line and later samples may be wrong."}));
    }
    {
        // A marker as the last announced word would have its sample beyond the set.
        NewSet s;
        ByteScript in;
        in.bytes = stream({0, 0, 1, 0, 2, 1}, {0x0064, 0x8201, 0x0065});
        const DownloadOutcome out = decodeSetStream(in.reader(), 100, s.set);
        EXPECT_EQ(out.misplacedMarkers, 1);
        EXPECT_FALSE(out.endedShort());
        EXPECT_FALSE(out.complete());
    }
    {
        // The worked example, and a set with W = 0 that ends on a missing word, are whole.
        NewSet a, b;
        ByteScript in, open;
        in.bytes = stream({0x00, 0x00, 0x0A, 0x00, 0x04, 0x01}, {0x0064, 0x8201, 0x0065, 0x0066});
        open.bytes = stream({0, 0, 1, 0, 0, 0}, {1, 2, 3});
        const DownloadOutcome whole = decodeSetStream(in.reader(), 100, a.set);
        const DownloadOutcome unannounced = decodeSetStream(open.reader(), 100, b.set);
        EXPECT_TRUE(whole.complete());
        EXPECT_TRUE(unannounced.complete());
        EXPECT_TRUE(downloadProblems(whole, 1).empty());
        EXPECT_TRUE(downloadProblems(unannounced, 1).empty());
    }
}

TEST_F(ModuleExchangeTest, TruncatedSetIsShortAndAWholeOneIsComplete) {
    std::vector<std::uint16_t> words(40, 7);
    ASSERT_TRUE(link.simulator().setRecordedSets({recorded(words), recorded(words)}));
    link.simulator().faults().truncateWords = 12;
    NewSet a;
    const DownloadOutcome cut = downloadSet(link, 0, 100, a.set);
    EXPECT_EQ(cut.samples, 12);
    EXPECT_TRUE(cut.endedShort());
    EXPECT_EQ(downloadProblems(cut, 1).at(0).rfind("Set 1 ended after 12 of 40 words", 0), 0u);
    link.simulator().faults() = sim::Faults{};
    NewSet b;
    EXPECT_TRUE(downloadSet(link, 1, 100, b.set).complete());
}

TEST_F(ModuleExchangeTest, SlowModuleListsItsSetsAndOnlyACleanListingConfirmsThem) {
    ASSERT_TRUE(link.simulator().setRecordedSets({recorded({1}), recorded({2}), recorded({3})}));
    link.simulator().faults().replyDelayMs = 400;
    SetListing slow = listSets(link);
    EXPECT_EQ(slow.count, 3);
    EXPECT_TRUE(slow.confirmed());

    // Noise before the reply garbles the listing: its count cannot be trusted.
    link.simulator().faults() = sim::Faults{};
    link.simulator().faults().garbageBytes = 40;
    EXPECT_FALSE(listSets(link).confirmed());

    // An empty module and a mute one look the same: neither confirms anything.
    link.simulator().faults() = sim::Faults{};
    clock.advance(100);
    ASSERT_EQ(eraseModuleMemory(link), LinkStatus::Ok);
    const std::uint32_t before = link.CommTickCount();
    const SetListing none = listSets(link);
    EXPECT_EQ(none.count, 0);
    EXPECT_FALSE(none.confirmed());
    EXPECT_EQ(link.CommTickCount() - before, SetFirstLineTimeoutMs);
}

TEST_F(ModuleExchangeTest, GarbledConfigurationBlockIsRefusedAndLeavesTheBlockAlone) {
    link.simulator().setConfig(link.simulator().defaultConfig());
    link.simulator().faults().garbageBytes = 64;
    ConfigBlock block;
    block.AltMin = 77;
    const ConfigBlock before = block;
    std::string why;
    EXPECT_EQ(readConfigBlock(link, &block, &why), ConfigStatus::Doubtful);
    EXPECT_EQ(block, before);
    EXPECT_EQ(why, "more bytes came after the 38-byte block");

    link.simulator().faults() = sim::Faults{};
    clock.advance(100); // the rest of the noisy answer has arrived and is flushed
    EXPECT_EQ(readConfigBlock(link, &block, &why), ConfigStatus::Ok);
    EXPECT_EQ(block, link.simulator().config());

    // Whatever a module holds in its bytes is its block: codes beyond a list, any Marker, on/off
    // bytes above 1 (an erased memory's 0xFF).
    ConfigBlock odd = link.simulator().defaultConfig();
    odd.Units = 5;
    odd.AutoStop = 9;
    odd.ServoOff = 0;
    odd.Marker = 0x1234;
    odd.Triggered = 2;
    odd.BlankDisplay = 0xFF;
    odd.RevTrig = 0xFF;
    link.simulator().setConfig(odd);
    EXPECT_EQ(readConfigBlock(link, &block, &why), ConfigStatus::Ok) << why;
    EXPECT_EQ(block, odd);
}

// ---- faults a real module and its line make ----

TEST_F(ModuleExchangeTest, AnyMarkerIsKeptAndOnlyBytesAfterTheBlockMakeAReadDoubtful) {
    for (const std::uint16_t marker : {0xFFFF, 0x0000, 0x1234}) {
        ConfigBlock own = link.simulator().defaultConfig();
        own.Marker = marker;
        link.simulator().setConfig(own);
        ConfigBlock block;
        ASSERT_EQ(readConfirmedConfigBlock(link, &block), ConfigStatus::Ok) << marker;
        block.AutoStartSec = 33;
        ASSERT_EQ(writeConfigBlock(link, block), ConfigStatus::Ok);
        clock.advance(100);
        EXPECT_EQ(link.simulator().config().Marker, marker);
        EXPECT_EQ(link.simulator().config().AutoStartSec, 33);
    }
    // One byte of noise before the answer: the block is shifted and its last byte follows it.
    link.simulator().faults().garbageBytes = 1;
    ConfigBlock block;
    std::string why;
    EXPECT_EQ(readConfigBlock(link, &block, &why), ConfigStatus::Doubtful);
    EXPECT_EQ(readConfirmedConfigBlock(link, &block, &why), ConfigStatus::Doubtful);
    EXPECT_EQ(why.rfind("no 3 of 8 reads agreed", 0), 0u) << why;
}

TEST_F(ModuleExchangeTest, ABlockTakenForWritingIsOneTwoReadsAgreeOn) {
    link.simulator().setConfig(link.simulator().defaultConfig());
    link.simulator().faults().corruptRate = 0.01;
    int wrongSingle = 0, wrongConfirmed = 0, confirmed = 0;
    for (int i = 0; i < 100; ++i) {
        ConfigBlock single, twice;
        if (readConfigBlock(link, &single) == ConfigStatus::Ok && !(single == link.simulator().config()))
            ++wrongSingle;
        if (readConfirmedConfigBlock(link, &twice) == ConfigStatus::Ok) {
            ++confirmed;
            if (!(twice == link.simulator().config())) ++wrongConfirmed;
        }
    }
    // One read alone takes flipped bits about a third of the time; three equal reads are wrong
    // only when the same bit flipped in all three.
    EXPECT_GE(wrongSingle, 10);
    EXPECT_EQ(wrongConfirmed, 0);
    EXPECT_GT(confirmed, 95);
}

TEST_F(ModuleExchangeTest, ACutOrPausedListingIsDoubtful) {
    std::vector<std::uint16_t> words(40, 7);
    ASSERT_TRUE(link.simulator().setRecordedSets({recorded(words), recorded(words), recorded(words)}));
    // Each line is "N, 40\r\n", 7 bytes.
    const struct {
        std::uint32_t after, ms;
    } stalls[] = {{16, 500}, {8, 500}, {14, 500}, {7, 900}, {19, 60000}};
    for (const auto& stall : stalls) {
        link.simulator().faults().stallAfter = stall.after;
        link.simulator().faults().stallMs = stall.ms;
        const SetListing listing = listSets(link);
        EXPECT_TRUE(listing.doubtful()) << stall.after << ":" << stall.ms;
        EXPECT_FALSE(listing.confirmed());
        EXPECT_FALSE(listingProblems(listing).empty());
        link.simulator().faults() = sim::Faults{};
        clock.advance(stall.ms + 100); // the rest of the listing is in and flushed
    }
    const SetListing whole = listSets(link);
    EXPECT_TRUE(whole.confirmed());
    EXPECT_EQ(whole.count, 3);
    EXPECT_EQ(whole.entries.at(2), (SetEntry{3, 40}));
}

TEST_F(ModuleExchangeTest, ASlowModuleListsItsSetsAndAMuteOneIsNotCalledEmpty) {
    ASSERT_TRUE(link.simulator().setRecordedSets({recorded({1}), recorded({2}), recorded({3})}));
    for (const std::uint32_t delay : {1100u, 2500u, 4500u}) {
        link.simulator().faults().replyDelayMs = delay;
        const ModuleIdentity id = identifyModule(link);
        EXPECT_EQ(id.missingLines, 0) << delay;
        EXPECT_EQ(id.deviceName, "ORVO");
        EXPECT_GE(id.answerMs, delay);
        const SetListing listing = listSets(link, setListingWaitMs(id));
        EXPECT_TRUE(listing.confirmed()) << delay;
        EXPECT_EQ(listing.count, 3);
        NewSet s;
        EXPECT_EQ(downloadSet(link, 2, 100, s.set, {}, listing.firstWaitMs).samples, 1) << delay;
    }
    link.simulator().faults() = sim::Faults{};
    link.simulator().faults().ignoreCommands = "s";
    const SetListing none = listSets(link, setListingWaitMs(identifyModule(link)));
    EXPECT_FALSE(none.listed());
    const std::vector<std::string> lines = moduleInfoLines(ModuleIdentity{}, none);
    EXPECT_EQ(lines.back().rfind("The module did not list its sets", 0), 0u) << lines.back();
    for (const std::string& line : lines)
        EXPECT_EQ(line.find("Memory contains"), std::string::npos);
}

TEST_F(ModuleExchangeTest, AnEmptyModuleThatIdentifiedAtOnceHoldsNoSetsAndASlowOneIsNotKnown) {
    const struct {
        const char* name;
        std::uint32_t replyDelayMs;
        std::uint32_t stallAfter; // of the listing (0: no stall)
        bool sets;                // the module holds one set
        bool empty;
    } cases[] = {
        {"prompt and empty", 0, 0, false, true},
        {"slow to identify", 400, 0, false, false},
        {"listing cut off", 0, 3, true, false},
        {"one set", 0, 0, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<sim::RecordedSet> held;
        if (c.sets) held.push_back(recorded(std::vector<std::uint16_t>(40, 7)));
        ASSERT_TRUE(link.simulator().setRecordedSets(held));
        link.simulator().faults() = sim::Faults{};
        link.simulator().faults().replyDelayMs = c.replyDelayMs;
        const ModuleIdentity id = identifyModule(link);
        ASSERT_EQ(id.missingLines, 0);
        link.simulator().faults().stallAfter = c.stallAfter;
        link.simulator().faults().stallMs = c.stallAfter ? 2000 : 0;
        const SetListing listing = listSetsOf(link, id);
        EXPECT_EQ(listing.empty, c.empty);
        const std::vector<std::string> lines = moduleInfoLines(id, listing);
        const bool zero =
            std::find(lines.begin(), lines.end(), "Memory contains 0 data sets.") != lines.end();
        EXPECT_EQ(zero, c.empty);
        if (!c.sets) {
            EXPECT_EQ(listing.confirmed(), c.empty);
        }
        clock.advance(3000);
    }
}
