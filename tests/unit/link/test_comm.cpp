// Comm's reading rules on a virtual clock against a scripted device: results, zero
// terminators, line rules, time-outs across a tick-count wrap, and no busy waiting.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "link/comm.h"

using namespace orvo;

namespace {

// Bytes that arrive at given virtual times; counts how Comm waits.
struct Script {
    struct Chunk {
        std::uint32_t at;
        std::string bytes;
    };
    std::deque<Chunk> chunks;
    std::string written;
    std::vector<std::pair<bool, std::uint32_t>> breaks;
    int waits = 0;
    bool dead = false;
    bool failOpen = false;
    std::string openedName;
    LineSettings settings;
};

class ScriptedDevice : public SerialDevice {
  public:
    ScriptedDevice(Script& s, VirtualClock& c) : m_s(s), m_clock(c) {}
    bool open(const std::string& name, const LineSettings& settings, std::string* error) override {
        if (m_s.failOpen) {
            *error = "No such device: " + name;
            return false;
        }
        m_s.openedName = name;
        m_s.settings = settings;
        return true;
    }
    void close() override {}
    int write(const std::uint8_t* b, int n) override {
        if (m_s.dead) return 0;
        m_s.written.append(reinterpret_cast<const char*>(b), n);
        return n;
    }
    int read(std::uint8_t* buf, int cap) override {
        if (m_s.dead) return 0;
        int n = 0;
        while (n < cap && !m_s.chunks.empty() && m_s.chunks.front().at <= m_clock.tickCount()) {
            Script::Chunk& c = m_s.chunks.front();
            std::size_t take = std::min<std::size_t>(c.bytes.size(), static_cast<std::size_t>(cap - n));
            std::memcpy(buf + n, c.bytes.data(), take);
            n += static_cast<int>(take);
            c.bytes.erase(0, take);
            if (c.bytes.empty()) m_s.chunks.pop_front();
        }
        return n;
    }
    bool waitForInput(Clock& clock, std::uint32_t ms) override {
        ++m_s.waits;
        if (!m_s.dead && !m_s.chunks.empty()) {
            std::uint32_t until = m_s.chunks.front().at - clock.tickCount();
            if (until < ms) ms = until;
        }
        clock.sleep(ms);
        return !m_s.dead && !m_s.chunks.empty() && m_s.chunks.front().at <= clock.tickCount();
    }
    void setBreak(bool on) override { m_s.breaks.push_back({on, m_clock.tickCount()}); }
    bool alive() const override { return !m_s.dead; }

  private:
    Script& m_s;
    VirtualClock& m_clock;
};

class CommTest : public ::testing::Test {
  protected:
    void SetUp() override {
        link.CommSetClock(&clock);
        link.CommSetDeviceFactory(
            [this](const std::string&) { return std::make_unique<ScriptedDevice>(script, clock); });
        ASSERT_EQ(link.CommOpen("/dev/ttyTEST", 5, 0), LinkStatus::Ok);
    }
    void TearDown() override {
        link.CommSetTrace(nullptr);
        link.CommClose();
        link.CommSetDeviceFactory(nullptr);
        link.CommSetClock(nullptr);
    }
    // Schedules bytes at the given time after now.
    void arrive(std::uint32_t after, const std::string& bytes) {
        script.chunks.push_back({clock.tickCount() + after, bytes});
    }

    VirtualClock clock{1000};
    Script script;
    Link link; // goes before the script and the clock its device uses
};

} // namespace

TEST_F(CommTest, OpenPassesRateForIndexAndBaud) {
    EXPECT_EQ(script.openedName, "/dev/ttyTEST");
    EXPECT_EQ(script.settings.baud, 115200);
    link.CommClose();
    ASSERT_EQ(link.CommOpen("/dev/ttyTEST", 1, 0), LinkStatus::Ok);
    EXPECT_EQ(script.settings.baud, 4800);
    link.CommClose();
    ASSERT_EQ(link.CommOpen("/dev/ttyTEST", 57600, 1), LinkStatus::Ok);
    EXPECT_EQ(script.settings.baud, 57600);
    EXPECT_EQ(script.settings.mode, 1);
}

TEST_F(CommTest, FailedOpenSaysSoAndKeepsTheReason) {
    link.CommClose();
    script.failOpen = true;
    EXPECT_EQ(link.CommOpen("/dev/ttyNONE", 5, 0), LinkStatus::OpenFailed);
    EXPECT_FALSE(link.CommIsOpen());
    EXPECT_EQ(link.CommLastError(), "No such device: /dev/ttyNONE");
    // A name no device answers to is told from a device that would not open.
    Link plain;
    EXPECT_EQ(plain.CommOpen("COM9", 5, 0), LinkStatus::NoSuchPort);
    EXPECT_EQ(plain.CommLastError(), "No such serial port: COM9");
    // Closed: nothing goes anywhere and reads end by their time-out.
    EXPECT_EQ(link.CommWrite("v"), 0);
    char buf[8];
    const std::uint32_t t0 = clock.tickCount();
    EXPECT_EQ(link.CommReadBlock(buf, 4, 300), 0);
    EXPECT_EQ(clock.tickCount() - t0, 300u);
    script.failOpen = false;
    EXPECT_EQ(link.CommOpen("/dev/ttyTEST", 5, 0), LinkStatus::Ok);
    EXPECT_EQ(link.CommLastError(), "");
}

TEST_F(CommTest, TraceHookSeesOpenAndClose) {
    std::vector<std::string> lines;
    link.CommSetTrace([&](const std::string& s) { lines.push_back(s); });
    link.CommClose();
    link.CommOpen("/dev/ttyTEST", 5, 0);
    link.CommClose();
    EXPECT_EQ(lines, (std::vector<std::string>{"Comm port closed", "Opening /dev/ttyTEST",
                                               "/dev/ttyTEST Opened.", "Comm port closed"}));
}

TEST_F(CommTest, ReadReturnsAtOnceWithWhatArrived) {
    char buf[16] = {};
    EXPECT_EQ(link.CommRead(buf, 10), 0);
    arrive(0, "abc");
    arrive(50, "def");
    EXPECT_EQ(link.CommRead(buf, 2), 2);
    EXPECT_EQ(link.CommRead(buf + 2, 10), 1);
    EXPECT_EQ(std::string(buf, 3), "abc");
    EXPECT_EQ(clock.tickCount(), 1000u);
}

TEST_F(CommTest, FlushCountsAndDiscardsPendingInput) {
    EXPECT_EQ(link.CommFlush(), 0);
    arrive(0, "12345");
    char b;
    ASSERT_EQ(link.CommRead(&b, 1), 1); // the rest now sits in Comm's own buffer
    arrive(0, "678");
    EXPECT_EQ(link.CommFlush(), 7);
    EXPECT_EQ(link.CommRead(&b, 1), 0);
    arrive(10, "later"); // not yet arrived: not flushed
    EXPECT_EQ(link.CommFlush(), 0);
}

TEST_F(CommTest, ReadBlockAllInTimeIsZeroTerminated) {
    arrive(10, "\x01\x02");
    arrive(400, "\x03");
    char buf[5];
    std::memset(buf, 'Z', sizeof buf);
    EXPECT_EQ(link.CommReadBlock(buf, 3, 1000), 3);
    EXPECT_EQ(std::memcmp(buf, "\x01\x02\x03\0", 4), 0);
    EXPECT_EQ(buf[4], 'Z');
    EXPECT_EQ(clock.tickCount(), 1400u); // returned when the last byte came
}

TEST_F(CommTest, ReadBlockOneShortTimesOutAfterExactlyTheTimeOut) {
    arrive(0, "ab");
    char buf[4];
    EXPECT_EQ(link.CommReadBlock(buf, 3, 1000), 0);
    EXPECT_EQ(clock.tickCount(), 2000u);
    // A byte arriving only at the deadline is too late.
    arrive(1000, "xyz");
    EXPECT_EQ(link.CommReadBlock(buf, 3, 1000), 0);
}

TEST_F(CommTest, TimeOutsSurviveTickCountWrap) {
    clock.set(0xFFFFFF00u);
    arrive(600, "OK"); // arrives after the count wrapped past zero
    char buf[3];
    EXPECT_EQ(link.CommReadBlock(buf, 2, 1000), 2);
    EXPECT_STREQ(buf, "OK");
    clock.set(0xFFFFFFF0u);
    EXPECT_EQ(link.CommReadBlock(buf, 1, 5000), 0);
    EXPECT_EQ(clock.tickCount(), 0xFFFFFFF0u + 5000u);
    clock.set(0xFFFFFFFFu);
    arrive(2, "line\n");
    char line[16];
    EXPECT_EQ(link.CommReadLine(line, 15, 300), 4);
    clock.set(0xFFFFFFFEu);
    arrive(5, "U");
    EXPECT_EQ(link.CommWaitFor("U", 1000), 1);
}

TEST_F(CommTest, IdleWaitBlocksInsteadOfSpinning) {
    char buf[4];
    EXPECT_EQ(link.CommReadBlock(buf, 4, 5000), 0);
    EXPECT_LE(script.waits, 2);
    script.waits = 0;
    for (int i = 0; i < 10; ++i)
        arrive(100 * i, "x");
    EXPECT_EQ(link.CommWaitFor("never", 5000), 0);
    EXPECT_LE(script.waits, 12);
}

TEST_F(CommTest, DeadConnectionReadsNothingUntilTheTimeOut) {
    arrive(0, "lost");
    script.dead = true;
    char buf[8];
    EXPECT_EQ(link.CommReadBlock(buf, 1, 1000), 0);
    EXPECT_EQ(clock.tickCount(), 2000u);
    EXPECT_EQ(link.CommReadLine(buf, 7, 300), 0);
    EXPECT_EQ(link.CommWrite("v"), 0);
    EXPECT_LE(script.waits, 3);
}

TEST_F(CommTest, ReadLineDropsCarriageReturnsAndEndsAtLineFeed) {
    arrive(0, "ORVO\r\nMOD1\r\n");
    char buf[257];
    EXPECT_EQ(link.CommReadLine(buf, 256, 1000), 4);
    EXPECT_STREQ(buf, "ORVO");
    EXPECT_EQ(link.CommReadLine(buf, 256, 1000), 4);
    EXPECT_STREQ(buf, "MOD1");
    arrive(0, "a\rb\r\r\n");
    EXPECT_EQ(link.CommReadLine(buf, 256, 1000), 2);
    EXPECT_STREQ(buf, "ab");
}

TEST_F(CommTest, ReadLineEmptyLineAndTimeOutBothGiveZero) {
    arrive(0, "\n");
    char buf[11];
    EXPECT_EQ(link.CommReadLine(buf, 10, 300), 0);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(clock.tickCount(), 1000u); // the empty line came at once; no time-out needed
    arrive(0, "0.0");
    EXPECT_EQ(link.CommReadLine(buf, 10, 300), 0);
    EXPECT_STREQ(buf, "0.0"); // what arrived is kept, but it counts as not arrived
    EXPECT_EQ(clock.tickCount(), 1300u);
}

TEST_F(CommTest, ReadLineCutsLongLinesAtCapacity) {
    arrive(0, "0123456789\r\n");
    char buf[5];
    EXPECT_EQ(link.CommReadLine(buf, 4, 300), 4);
    EXPECT_STREQ(buf, "0123");
    EXPECT_EQ(link.CommReadLine(buf, 4, 300), 4);
    EXPECT_STREQ(buf, "4567");
    EXPECT_EQ(link.CommReadLine(buf, 4, 300), 2);
    EXPECT_STREQ(buf, "89");
    // A line of exactly capacity characters leaves its terminator as an empty line.
    arrive(0, "abcd\n");
    EXPECT_EQ(link.CommReadLine(buf, 4, 300), 4);
    EXPECT_EQ(link.CommReadLine(buf, 4, 300), 0);
}

TEST_F(CommTest, WaitForFindsBytesAfterNoiseAndAcrossReads) {
    arrive(0, "garbage:02000");
    arrive(250, "00203");
    arrive(400, "01F8");
    EXPECT_EQ(link.CommWaitFor(":020000020301F8", 1000), 1);
    EXPECT_EQ(clock.tickCount(), 1400u);
    // Overlapping candidates: the window slides one byte at a time.
    arrive(0, "aaab");
    EXPECT_EQ(link.CommWaitFor("aab", 100), 1);
    arrive(0, "UUx");
    EXPECT_EQ(link.CommWaitFor("Ux", 100), 1);
    arrive(0, "nope");
    EXPECT_EQ(link.CommWaitFor("yes", 1000), 0);
    EXPECT_EQ(clock.tickCount(), 2400u);
}

TEST_F(CommTest, SendBreakHoldsTheLineForTheDuration) {
    link.CommSendBreak(200);
    ASSERT_EQ(script.breaks.size(), 2u);
    EXPECT_TRUE(script.breaks[0].first);
    EXPECT_FALSE(script.breaks[1].first);
    EXPECT_EQ(script.breaks[1].second - script.breaks[0].second, 200u);
}

TEST_F(CommTest, WriteSendsBytesAsGiven) {
    const std::uint8_t block[3] = {'c', 0x00, 0xFF};
    EXPECT_EQ(link.CommWrite(block, 3), 3);
    EXPECT_EQ(script.written, std::string("c\0\xFF", 3));
}
