// The emulated altitude module: what the real module answers on its serial line, including its
// boot loader. Used by Comm's built-in "Simulator" port, by `orvo-cli sim` on a pseudo-terminal
// and by the tests. Bytes from the host go in with feed(); bytes to the host come out of read()
// once their time on the wire has passed (the time source decides what "now" is).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "config/configblock.h"

namespace orvo::sim {

// One recorded data set as the module sends it after 'a'.
struct RecordedSet {
    std::uint8_t headerByte0 = 0;
    std::uint16_t intervalTicks = 1;  // H: sampling interval in IntervalUnit ticks
    bool triggered = false;           // header byte 5
    bool announceCount = true;        // false: the header says W = 0
    std::vector<std::uint16_t> words; // the body: samples and 0x82xx trigger markers
    // EEPROM bytes the set occupies (a 6-byte header plus its words).
    std::size_t storageBytes() const { return 6 + 2 * words.size(); }
    int sampleCount() const;
};

// A trigger marker word; the next word is the sample at which the trigger fired.
constexpr std::uint16_t TriggerMarker = 0x8200;

struct FlightOptions {
    std::uint32_t seed = 1;
    std::uint8_t units = 0;         // 0 feet, 1 yards, 2 meters
    std::uint32_t intervalMs = 100; // time between samples
    bool triggers = false;          // markers at apogee and at main deployment
    int minSamples = 0;             // lengthen the time on the ground after landing
};

// A model rocket flight (pad, boost, coast, apogee, drogue, main, landing) with barometric
// noise, as sample words with trigger markers where asked.
// truth, when given, receives the model's own figures (metres and seconds, before noise).
struct FlightTruth {
    double liftoffTime = 0;
    double apogee = 0;
    double apogeeTime = 0;
    double landingTime = 0;
    double maxClimbRate = 0;
    double drogueRate = 0;
    double mainRate = 0;
    double mainAltitude = 0; // metres above the ground where the main opened
    double mainTime = 0;
    double unitsPerMetre = 1;
};
std::vector<std::uint16_t> generateFlightWords(const FlightOptions& options, FlightTruth* truth = nullptr);

// Faults the module can be told to make.
struct Faults {
    double dropRate = 0;            // share of bytes to the host that get lost
    double corruptRate = 0;         // share of bytes to the host with one bit flipped
    std::uint32_t replyDelayMs = 0; // silence before every reply
    std::uint32_t stallAfter = 0;   // after this many bytes of a reply (0: never) ...
    std::uint32_t stallMs = 0;      // ... the module pauses this long
    int truncateWords = -1;         // a download sends at most this many body words (-1: all)
    std::string ignoreCommands;     // command bytes the module pretends not to hear
    int garbageBytes = 0;           // random bytes sent before every reply
    // Boot loader records are counted from 1 (every record the loader completes, whole life of
    // the module). Records rejectFrom .. rejectFrom + rejectCount - 1 are answered rejectReply
    // ('X' or 'R') and not carried out; records noEchoFrom .. noEchoFrom + noEchoCount - 1 are not
    // echoed (their answer still comes).
    std::uint32_t rejectFrom = 0, rejectCount = 0;
    char rejectReply = 'X';
    std::uint32_t noEchoFrom = 0, noEchoCount = 0;
};

// Reads "drop=0.01,delay=300,ignore=v,..." into faults (left unchanged on error).
bool parseFaults(const std::string& list, Faults* faults, std::string* error);
const char* faultsHelp(); // one line per fault name, for --help

struct Identity {
    std::string deviceName = "ORVO";
    std::string model = "MOD1";
    std::string softwareVersion = "0.03";
    std::string softwareDate = "08-27-03";
};

constexpr int CodeSpaceSize = 7616; // bytes of programmable code space
constexpr int FlashPageSize = 64;
constexpr int BootLoaderBaud = 4800;

class Module {
  public:
    enum class State { Running, Resetting, BootLoader };
    using TimeSource = std::function<std::uint32_t()>; // wrapping milliseconds

    explicit Module(std::size_t memoryBytes = 65536);

    // Time. Without a source the module uses the system's monotonic clock. Changing the source
    // keeps the module's own notion of time continuous.
    void setTimeSource(TimeSource source);

    // The line. hostBaud is the speed the program's port uses; the module runs at moduleBaud
    // (0: whatever the host uses) and at 4800 in its boot loader. Mismatched speeds garble every
    // byte both ways. With pacing, bytes leave at baud / 10 per second.
    void setHostBaud(int baud);
    void setModuleBaud(int baud);
    void setPacing(bool on) { m_pacing = on; }
    bool pacing() const { return m_pacing; }

    void feed(const std::uint8_t* bytes, std::size_t count);
    void feed(const std::string& bytes);
    // Bytes to the host whose time has come.
    std::size_t read(std::uint8_t* buffer, std::size_t capacity);
    std::string readAll();
    std::size_t available();
    // Milliseconds until the next byte to the host is due: 0 when one is due now, -1 when
    // nothing is on its way.
    std::int64_t msUntilOutput();
    void setBreak(bool on);
    // The host closed the port: what was on its way is lost, half-received commands are dropped.
    void hostClosed();

    // Configuration block; defaultConfig() is what '*' restores.
    const ConfigBlock& config() const { return m_config; }
    void setConfig(const ConfigBlock& config) { m_config = config; }
    ConfigBlock defaultConfig() const;

    // Recorded sets in the emulated EEPROM.
    const std::vector<RecordedSet>& recordedSets() const { return m_sets; }
    // Replaces the memory's contents; false (and nothing changed) when they do not fit.
    bool setRecordedSets(std::vector<RecordedSet> sets);
    // Records one more set; false when the memory has no room for it.
    bool recordSet(RecordedSet set);
    // Records a flight with the current units and interval; a full memory ends it early.
    bool recordFlight(std::uint32_t seed, int minSamples = 0, bool triggers = false);
    // Records up to count flights from seed on; returns how many fitted.
    int generateFlights(int count, std::uint32_t seed, int minSamples = 0);
    std::size_t memoryBytes() const { return m_memoryBytes; }
    std::size_t memoryUsed() const;

    Faults& faults() { return m_faults; }
    Identity& identity() { return m_identity; }

    // What the second number of each 's' line counts. Modules differ: some list the samples of
    // a set, others the words it takes (its samples and one marker word per trigger mark).
    enum class ListingCount { Samples, Words };
    void setListingCount(ListingCount count) { m_listingCount = count; }
    ListingCount listingCount() const { return m_listingCount; }

    State state();
    bool logging() const { return m_logging; }
    std::int16_t calibrationAltitude() const { return m_calibration; }
    std::uint32_t resetMs() const { return m_resetMs; }
    void setResetMs(std::uint32_t ms) { m_resetMs = ms; }

    // Boot loader: the 7616-byte code image, its status byte (01 while an update is incomplete,
    // which keeps the module in its loader across resets) and the configuration byte.
    void enterBootLoader(); // as when powered up with S2 held
    const std::vector<std::uint8_t>& codeImage() const { return m_code; }
    std::uint8_t statusByte() const { return m_status; }
    std::uint8_t configByte() const { return m_configByte; }
    // How many programming records and page erases the loader accepted.
    int programmedRecords() const { return m_programmed; }
    int erasedPages() const { return m_erased; }
    // Records the loader completed (carried out or not), counted as the loader faults count them.
    std::uint32_t loaderRecords() const { return m_loaderRecords; }

    // Every command byte the running firmware acted on, in order (for tests).
    const std::string& commandLog() const { return m_commandLog; }

  private:
    enum class Await { Command, ConfigBlock, SetIndex, CalibrateT, CalibrateBytes };

    void advance();
    std::int64_t nowUs();
    int lineBaud() const;
    bool garbled() const;
    void handleByte(std::uint8_t b);
    void runningByte(std::uint8_t b);
    void command(std::uint8_t b);
    void loaderByte(std::uint8_t b);
    char loaderRecord();
    void reply(const std::vector<std::uint8_t>& bytes, std::uint32_t extraDelayMs = 0);
    void replyText(const std::string& text) { reply(std::vector<std::uint8_t>(text.begin(), text.end())); }
    void sendSet(std::size_t index);
    void emitLogLines();
    void finishReset();
    std::uint8_t garble(std::uint8_t b) const {
        return static_cast<std::uint8_t>(0x80 | ((b * 37u + 11u) & 0x7F));
    }

    TimeSource m_source;
    std::uint32_t m_lastTick = 0;
    bool m_haveTick = false;
    std::int64_t m_nowMs = 0;

    int m_hostBaud = 115200;
    int m_moduleBaud = 0;
    bool m_pacing = false;
    struct Out {
        double readyUs;
        std::uint8_t byte;
    };
    std::deque<Out> m_out;
    double m_lineFreeUs = 0; // when the line has sent everything queued so far

    ConfigBlock m_config;
    std::vector<RecordedSet> m_sets;
    std::size_t m_memoryBytes;
    Faults m_faults;
    Identity m_identity;
    ListingCount m_listingCount = ListingCount::Samples;
    std::mt19937 m_rng{12345};

    State m_state = State::Running;
    std::int64_t m_resetDoneMs = 0;
    std::uint32_t m_resetMs = 2500;
    Await m_await = Await::Command;
    std::int64_t m_awaitDeadlineMs = 0;
    std::vector<std::uint8_t> m_collect;
    bool m_logging = false;
    std::int64_t m_nextLogMs = 0;
    std::int16_t m_calibration = 0;
    std::string m_commandLog;

    std::vector<std::uint8_t> m_code;
    std::uint8_t m_status = 0;
    std::uint8_t m_configByte = 0;
    std::string m_record; // the boot loader's record in progress, from ':' on
    bool m_inRecord = false;
    int m_programmed = 0;
    int m_erased = 0;
    std::uint32_t m_loaderRecords = 0;
    bool m_echo = true; // the loader echoes the record in progress
};

} // namespace orvo::sim
