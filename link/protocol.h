// The module's one-byte command transactions over the link they are handed: identification
// ('v'), the set listing ('s'), the data set download ('a' and the set index, a 6-byte header, then 16-bit
// words with trigger markers), erase ('x'), reset ('R') and calibration ('$', 't', two bytes). The main
// window and orvo-cli both run them; neither the connected flag nor any widget is known here.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "data/series.h"
#include "link/comm.h"
#include "link/linkstatus.h"

namespace orvo {

inline constexpr std::uint32_t IdentLineTimeoutMs = 1000; // per identification line
// The first identification line comes after the module's reply delay, which may exceed a
// second; the other lines follow it at once.
inline constexpr std::uint32_t IdentFirstLineTimeoutMs = 5000;
inline constexpr std::uint32_t SetLineTimeoutMs = 300; // per line of the set listing
// The least wait for the first line of the listing; a module that took longer to identify itself
// is given a few times that (setListingWaitMs).
inline constexpr std::uint32_t SetFirstLineTimeoutMs = IdentLineTimeoutMs;
inline constexpr std::uint32_t SetFirstLineMaxMs = 30000;
// After the listing seems to have ended, the line must stay quiet this long for it to count as
// whole: a module that pauses mid-listing goes on sending after the 300 ms that ended it.
inline constexpr std::uint32_t SetListingQuietMs = 1000;
inline constexpr std::uint32_t DownloadTimeoutMs = 1000;       // for the header and for every word
inline constexpr std::uint32_t DownloadIndexPauseMs = 20;      // between 'a' and the set index
inline constexpr std::uint32_t ResetWaitMs = 4000;             // the module restarts after 'R'
inline constexpr std::uint32_t CalibrateCommandPauseMs = 1500; // between '$' and 't'
inline constexpr std::uint32_t CalibrateBytePauseMs = 50;      // after each altitude byte
inline constexpr std::uint32_t CalibrateSettleMs = 200;        // before the configuration is read back
inline constexpr int MaxModuleSets = 256;
inline constexpr int MaxDownloadSamples = 65535;      // one less than the sample storage
inline constexpr double NoAltitudeMaximum = -99999.0; // the running maximum before any sample

// ---- identification and set listing ----

struct ModuleIdentity {
    std::string deviceName;
    std::string model;
    std::string softwareVersion; // at most 10 characters
    std::string softwareDate;    // at most 20 characters
    int missingLines = 0;        // identification lines that did not arrive (0..4)
    std::uint32_t answerMs = 0;  // from 'v' until its first line was in (0: none came)
};

// The identity "Download Info" shows while the target is simulated.
ModuleIdentity simulatedIdentity();

// Flush, 'v', four lines: 5000 ms for the first, 1000 ms for each further one. Nothing in the
// first 5000 ms leaves all four missing. A line that did not complete keeps what arrived of it.
// Each line is read whole and then cut to its field's size, so a long version text cannot spill
// into the date.
ModuleIdentity identifyModule(Link& link);

// How long to wait for the first line of the set listing from a module that identified itself
// as id: four times its answer time, at least 1000 ms, at most 30 s.
std::uint32_t setListingWaitMs(const ModuleIdentity& id);

// The two numbers of one listing line "%hu, %hu". The program does not interpret them beyond
// comparing two listings and matching the second against a saved set's sample count.
struct SetEntry {
    unsigned first = 0;
    unsigned second = 0;
    bool operator==(const SetEntry&) const = default;
};

struct SetListing {
    bool sent = false;      // the 's' went out
    int count = 0;          // lines received: the number of sets
    int malformedLines = 0; // lines that are not two numbers "%hu, %hu" (noise on the line)
    bool cutLine = false;   // the last line stopped part-way: the module paused or was cut off
    bool lateBytes = false; // more came after the listing seemed to have ended
    std::uint32_t firstWaitMs = SetFirstLineTimeoutMs;
    std::vector<SetEntry> entries; // the well-formed lines, in order
    // Nothing came from a module that had just identified itself at once (listSetsOf): it holds
    // no sets. Nothing from any other module cannot be told apart from one too slow to answer.
    bool empty = false;
    bool listed() const { return count > 0 || cutLine || lateBytes || empty; }
    bool doubtful() const { return malformedLines > 0 || cutLine || lateBytes; }
    // What the module holds is known: it listed sets (or is empty), every line is one, and the
    // listing ended.
    bool confirmed() const { return (count > 0 || empty) && !doubtful(); }
    // The line set index (0 = the first) was listed with; none when a garbled line leaves the
    // lines unmatched to the sets.
    const SetEntry* line(int index) const {
        if (malformedLines > 0 || index < 0 || index >= static_cast<int>(entries.size())) return nullptr;
        return &entries[static_cast<std::size_t>(index)];
    }
    // The same sets as other, both listings confirmed.
    bool agreesWith(const SetListing& other) const {
        return confirmed() && other.confirmed() && count == other.count && entries == other.entries;
    }
};

// Flush, 's', then one line per recorded set until a line does not arrive (firstLineWaitMs for
// the first, 300 ms for each further one) or an empty one comes; at most 256. A line cut off at
// its time-out, or bytes within SetListingQuietMs after the end, make the listing doubtful.
SetListing listSets(Link& link, std::uint32_t firstLineWaitMs = SetFirstLineTimeoutMs);
// listSets().count.
int listModuleSets(Link& link);

// A module that gave all four identification lines within this long answers 's' as promptly, so
// silence for the whole listing wait means it holds no sets; a slower one may only be too slow.
inline constexpr std::uint32_t PromptAnswerMs = SetFirstLineTimeoutMs / 4;
bool answeredAtOnce(const ModuleIdentity& id);
// listSets with setListingWaitMs(id); empty when nothing came and id answeredAtOnce.
SetListing listSetsOf(Link& link, const ModuleIdentity& id);

// What is wrong with a listing, one sentence each; empty for a confirmed one.
std::vector<std::string> listingProblems(const SetListing& listing);

// The lines "Download Info" writes under the identification: the aligned fields and the count.
std::vector<std::string> moduleInfoLines(const ModuleIdentity& id, int setCount);
// The same for a listing: the count only when the module listed its sets, then its problems.
std::vector<std::string> moduleInfoLines(const ModuleIdentity& id, const SetListing& listing);

// ---- download ----

struct DownloadHeader {
    std::uint8_t byte0 = 0;
    std::uint16_t intervalCount = 0; // H: the set's interval in IntervalUnit ticks
    std::uint16_t wordCount = 0;     // W: words that follow, markers included (0: not announced)
    std::uint8_t triggerFlag = 0;    // non-zero: recorded with external triggering

    static DownloadHeader fromWire(const std::uint8_t* bytes); // reads 6 bytes
};

enum class DownloadEnd {
    NoHeader,     // the 6-byte header did not arrive; nothing was stored
    WordMissing,  // a word did not arrive in time (the usual end when W is 0)
    CountReached, // j + k reached the announced W
    StorageFull,  // 65535 samples stored
    Cancelled,    // the progress callback asked to stop
};

struct DownloadOutcome {
    DownloadEnd end = DownloadEnd::NoHeader;
    DownloadHeader header;
    int samples = 0;  // j
    int triggers = 0; // k
    double maxAltitude = NoAltitudeMaximum;
    double lastTime = 0.0; // time of the last stored sample, seconds
    // A trigger marker came but the sample after it did not: the marker was dropped.
    bool markerWithoutSample = false;
    int wordsRead = 0; // body words taken from the line, markers included
    // Markers where a module never puts one: in a set recorded without triggering, right after
    // another marker, or as the last announced word. Lost bytes shift every later word, and this
    // is where it shows.
    int misplacedMarkers = 0;

    bool headerArrived() const { return end != DownloadEnd::NoHeader; }
    // The stream stopped before the announced W words (stall, truncation, unplugged, lost bytes).
    bool endedShort() const {
        return end == DownloadEnd::WordMissing && header.wordCount != 0 && wordsRead < header.wordCount;
    }
    // Arrived whole and undamaged as far as can be seen (a cancelled download is not complete).
    bool complete() const {
        return headerArrived() && !endedShort() && misplacedMarkers == 0 && end != DownloadEnd::Cancelled;
    }
};

// The lines that say what went wrong with a set that arrived (empty when nothing did), after
// "Downloaded N data samples.": where it ended short of its count, and misplaced markers.
std::vector<std::string> downloadProblems(const DownloadOutcome& outcome, int setNumber);

// Reads exactly count bytes into buffer (room for count + 1); false when they did not all arrive.
using ByteReader = std::function<bool(std::uint8_t* buffer, int count)>;
// Called after every stored sample with the sample count and the progress in percent (0 while
// W is 0). Returning false ends the download after that sample.
using DownloadProgress = std::function<bool(int samples, int percent)>;

// The stream after 'a' and the index: header, then words until one is missing, W words have
// been read or the storage is full. Samples go into set (times from H and intervalUnitMs), the
// trigger copies into set.companion. The counts of both are set to what was stored.
DownloadOutcome decodeSetStream(const ByteReader& read, std::uint16_t intervalUnitMs, Series& set,
                                const DownloadProgress& progress = {});

// Flush, 'a', 20 ms, the index byte, then decodeSetStream on Comm with 1000 ms per read (the
// header may take headerWaitMs: a module that is slow to answer is as slow to begin a set). A set
// that ended short of its announced count is followed by a wait until the line has been quiet
// for 2000 ms, so the late rest of it cannot be taken for the next set.
DownloadOutcome downloadSet(Link& link, int index, std::uint16_t intervalUnitMs, Series& set,
                            const DownloadProgress& progress = {},
                            std::uint32_t headerWaitMs = DownloadTimeoutMs);

// After a set arrived: clears its peak marks, frees its climb marks, and writes Note 2 (the date
// text, "Set setNumber" and the count), the trigger set's display flag and Note 3 (duration,
// interval and maximum).
void finishDownloadedSet(Series& set, const DownloadOutcome& outcome, int setNumber,
                         std::uint16_t intervalUnitMs, const std::string& dateText);

// The plot's time-axis maximum after a set whose last sample is at lastTime: 5 s later, in
// whole seconds.
double downloadTimeAxisMax(double lastTime);
inline constexpr const char* DownloadTimeLabel = "Time (seconds)";

// ---- erase, reset, calibration ----

// Flush, 'x'. The module erases every recorded set and does not answer.
LinkStatus eraseModuleMemory(Link& link);

// Flush, 'R', then 4000 ms while the module restarts.
LinkStatus resetModule(Link& link);

// A calibration altitude typed by the user: a whole decimal number (blanks around it allowed)
// that fits the module's signed 16-bit altitude. False for anything else.
bool parseCalibrationAltitude(const std::string& text, std::int16_t* altitude);

// Flush, '$', 1500 ms, 't', high byte, 50 ms, low byte, 50 ms, then 200 ms.
LinkStatus calibrateModule(Link& link, std::int16_t altitude);

} // namespace orvo
