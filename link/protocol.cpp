#include "link/protocol.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <string_view>

#include "config/bigendian.h"
#include "link/comm.h"

namespace orvo {
namespace {

bool sendByte(Link& link, std::uint8_t b) {
    return link.CommWrite(&b, 1) == 1;
}

// Every command starts from an empty input, so stale bytes are never taken for its reply.
bool sendCommand(Link& link, char command) {
    link.CommFlush();
    return sendByte(link, static_cast<std::uint8_t>(command));
}

std::string format(const char* fmt, auto... args) {
    char text[320];
    std::snprintf(text, sizeof text, fmt, args...);
    return text;
}

// Reads and drops bytes until none has come for quietMs (or a whole set's worth was dropped).
void drainUntilQuiet(Link& link, std::uint32_t quietMs) {
    std::uint8_t b[2];
    for (int dropped = 0; dropped < 2 * MaxSamples + 16; ++dropped)
        if (link.CommReadBlock(b, 1, quietMs) != 1) return;
}

} // namespace

// ---- identification and set listing ----

ModuleIdentity simulatedIdentity() {
    ModuleIdentity id;
    id.deviceName = "ORVO";
    id.model = "MOD1";
    id.softwareVersion = "0.03";
    id.softwareDate = "08-27-03";
    return id;
}

ModuleIdentity identifyModule(Link& link) {
    ModuleIdentity id;
    std::string* fields[4] = {&id.deviceName, &id.model, &id.softwareVersion, &id.softwareDate};
    const std::size_t sizes[4] = {256, 256, 10, 20};
    if (!sendCommand(link, 'v')) {
        id.missingLines = 4;
        return id;
    }
    const std::uint32_t start = link.CommTickCount();
    for (int i = 0; i < 4; ++i) {
        char line[257];
        const int n = link.CommReadLine(line, 256, i == 0 ? IdentFirstLineTimeoutMs : IdentLineTimeoutMs);
        *fields[i] = cutText(line, sizes[i]);
        if (n == 0) ++id.missingLines;
        if (i == 0 && n == 0 && line[0] == 0) {
            // Nothing at all: the module is not there, or not listening.
            id.missingLines = 4;
            break;
        }
        if (i == 0) id.answerMs = link.CommTickCount() - start;
    }
    return id;
}

std::uint32_t setListingWaitMs(const ModuleIdentity& id) {
    return std::clamp<std::uint32_t>(4 * id.answerMs, SetFirstLineTimeoutMs, SetFirstLineMaxMs);
}

namespace {

// "%hu, %hu" as the module writes it: two numbers of 0..65535, a comma, blanks around it.
bool isSetLine(std::string_view line, SetEntry* entry) {
    const auto skipBlanks = [&line] {
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
    };
    const auto number = [&line](unsigned* value) {
        const auto [end, ec] = std::from_chars(line.data(), line.data() + line.size(), *value);
        if (ec != std::errc() || *value > 65535) return false;
        line.remove_prefix(static_cast<std::size_t>(end - line.data()));
        return true;
    };
    skipBlanks();
    if (!number(&entry->first)) return false;
    skipBlanks();
    if (line.empty() || line.front() != ',') return false;
    line.remove_prefix(1);
    skipBlanks();
    if (!number(&entry->second)) return false;
    skipBlanks();
    return line.empty();
}

} // namespace

SetListing listSets(Link& link, std::uint32_t firstLineWaitMs) {
    SetListing listing;
    listing.firstWaitMs = firstLineWaitMs;
    if (!sendCommand(link, 's')) return listing;
    listing.sent = true;
    char line[257];
    // The number of lines is the number of sets; their form tells a listing from noise.
    for (std::uint32_t wait = firstLineWaitMs; listing.count < MaxModuleSets; wait = SetLineTimeoutMs) {
        const int n = link.CommReadLine(line, 256, wait);
        if (n <= 0) {
            // A time-out with part of a line in: the module paused mid-line or was cut off, and
            // the set on that line is one more it holds.
            if (n == 0 && line[0] != 0) listing.cutLine = true;
            break;
        }
        ++listing.count;
        SetEntry entry;
        if (isSetLine(std::string_view(line, static_cast<std::size_t>(n)), &entry))
            listing.entries.push_back(entry);
        else
            ++listing.malformedLines;
    }
    if (listing.count > 0 || listing.cutLine) {
        // A pause longer than a line's wait ended the listing early when more comes now.
        std::uint8_t b[2];
        if (link.CommReadBlock(b, 1, SetListingQuietMs) == 1) {
            listing.lateBytes = true;
            drainUntilQuiet(link, SetLineTimeoutMs);
        }
    }
    return listing;
}

std::vector<std::string> listingProblems(const SetListing& l) {
    std::vector<std::string> lines;
    if (!l.listed()) {
        lines.push_back(format("The module did not list its sets (nothing came within %.1f s): what it "
                               "holds is not known.",
                               l.firstWaitMs / 1000.0));
        return lines;
    }
    if (l.cutLine)
        lines.push_back(format("The set listing is doubtful: its last line was cut off, so the module may "
                               "hold more than %d data sets.",
                               l.count));
    if (l.lateBytes)
        lines.push_back(format("The set listing is doubtful: more came after it seemed to have ended, so "
                               "the module may hold more than %d data sets.",
                               l.count));
    if (l.malformedLines > 0)
        lines.push_back(format("The set listing is doubtful: %d of its %d lines were garbled.",
                               l.malformedLines, l.count));
    return lines;
}

int listModuleSets(Link& link) {
    return listSets(link).count;
}

bool answeredAtOnce(const ModuleIdentity& id) {
    return id.missingLines == 0 && id.answerMs <= PromptAnswerMs;
}

SetListing listSetsOf(Link& link, const ModuleIdentity& id) {
    SetListing listing = listSets(link, setListingWaitMs(id));
    // An empty module answers 's' with no line at all.
    if (listing.sent && !listing.listed() && answeredAtOnce(id)) listing.empty = true;
    return listing;
}

std::vector<std::string> moduleInfoLines(const ModuleIdentity& id, int setCount) {
    return {"     Device Name: " + id.deviceName,
            "           Model: " + id.model,
            "",
            "Software Version: " + id.softwareVersion,
            "   Software Date: " + id.softwareDate,
            "",
            "",
            format("Memory contains %d data sets.", setCount)};
}

std::vector<std::string> moduleInfoLines(const ModuleIdentity& id, const SetListing& listing) {
    std::vector<std::string> lines = moduleInfoLines(id, listing.count);
    // Not "0 data sets" unless the module is known to be empty: nobody knows.
    if (listing.count == 0 && !listing.empty) lines.pop_back();
    for (std::string& problem : listingProblems(listing))
        lines.push_back(std::move(problem));
    return lines;
}

// ---- download ----

DownloadHeader DownloadHeader::fromWire(const std::uint8_t* b) {
    DownloadHeader h;
    h.byte0 = b[0];
    h.intervalCount = readBigEndian16(b + 1);
    h.wordCount = readBigEndian16(b + 3);
    h.triggerFlag = b[5];
    return h;
}

DownloadOutcome decodeSetStream(const ByteReader& read, std::uint16_t intervalUnitMs, Series& set,
                                const DownloadProgress& progress) {
    DownloadOutcome out;
    SampleBuffer& samples = set.samples;
    SampleBuffer* triggers = set.companion ? &set.companion->samples : nullptr;
    samples.count = 0;
    if (triggers) triggers->count = 0;

    std::uint8_t buf[8];
    if (!read(buf, 6)) return out;
    out.header = DownloadHeader::fromWire(buf);
    const unsigned W = out.header.wordCount;
    const double H = out.header.intervalCount;

    const auto isMarker = [](std::uint16_t w) { return (w >> 8) == 0x82; };
    int j = 0;
    int k = 0;
    for (;;) {
        if (!read(buf, 2)) {
            out.end = DownloadEnd::WordMissing;
            break;
        }
        ++out.wordsRead;
        std::uint16_t word = readBigEndian16(buf);
        const bool marker = isMarker(word);
        if (marker) {
            if (out.header.triggerFlag == 0 || (W != 0 && out.wordsRead >= static_cast<int>(W)))
                ++out.misplacedMarkers;
            // The word after a marker is the sample the trigger fired at. Without it there is
            // nothing to store: keeping the marker would invent a sample.
            if (!read(buf, 2)) {
                out.markerWithoutSample = true;
                out.end = DownloadEnd::WordMissing;
                break;
            }
            ++out.wordsRead;
            word = readBigEndian16(buf);
            // Stored as the sample all the same, but no module sends two markers in a row.
            if (isMarker(word)) ++out.misplacedMarkers;
        }
        const double t = H * j * intervalUnitMs * 0.001;
        const double value = static_cast<std::int16_t>(word);
        samples.time[j] = t;
        samples.altitude[j] = value;
        if (marker) {
            if (triggers && k < triggers->capacity()) {
                triggers->time[k] = t;
                triggers->altitude[k] = value;
            }
            ++k;
        }
        if (value > out.maxAltitude) out.maxAltitude = value;
        out.lastTime = t;
        ++j;
        // The counts follow the loop so a repaint during the download shows what has arrived.
        samples.count = j;
        if (triggers) triggers->count = k;

        const int percent = W ? static_cast<int>(100u * static_cast<unsigned>(j) / W) : 0;
        const bool goOn = progress ? progress(j, percent) : true;
        if (W != 0 && static_cast<unsigned>(j + k) >= W) {
            out.end = DownloadEnd::CountReached;
            break;
        }
        if (j >= MaxDownloadSamples) {
            out.end = DownloadEnd::StorageFull;
            break;
        }
        if (!goOn) {
            out.end = DownloadEnd::Cancelled;
            break;
        }
    }
    out.samples = j;
    out.triggers = k;
    return out;
}

DownloadOutcome downloadSet(Link& link, int index, std::uint16_t intervalUnitMs, Series& set,
                            const DownloadProgress& progress, std::uint32_t headerWaitMs) {
    // Without the command on the wire no header can come; do not wait a second for it.
    const auto noHeader = [](const std::uint8_t*, int) { return false; };
    if (!sendCommand(link, 'a')) return decodeSetStream(noHeader, intervalUnitMs, set);
    link.CommSleep(DownloadIndexPauseMs);
    if (!sendByte(link, static_cast<std::uint8_t>(index)))
        return decodeSetStream(noHeader, intervalUnitMs, set);
    bool header = true;
    const ByteReader fromPort = [&link, &header, headerWaitMs](std::uint8_t* buffer, int count) {
        const std::uint32_t wait = header ? std::max(headerWaitMs, DownloadTimeoutMs) : DownloadTimeoutMs;
        header = false;
        return link.CommReadBlock(buffer, count, wait) == count;
    };
    DownloadOutcome out = decodeSetStream(fromPort, intervalUnitMs, set, progress);
    // A module that paused mid-set may still send the rest; the next command's flush only
    // drops what has arrived by then, and a late tail would pass for the next set's header and
    // samples. Wait until the line has been quiet for two word time-outs (a module silent for
    // longer than that is taken to have given up on the set).
    // (With W = 0 a missing word is the normal end, and the quiet second has passed already.)
    if (out.end == DownloadEnd::WordMissing && out.header.wordCount != 0)
        drainUntilQuiet(link, 2 * DownloadTimeoutMs);
    return out;
}

std::vector<std::string> downloadProblems(const DownloadOutcome& out, int setNumber) {
    std::vector<std::string> lines;
    if (!out.headerArrived()) return lines;
    if (out.endedShort())
        lines.push_back(format("Set %d ended after %d of %d words: it is incomplete. The %d samples "
                               "received are kept.",
                               setNumber, out.wordsRead, static_cast<int>(out.header.wordCount),
                               out.samples));
    if (out.misplacedMarkers > 0)
        lines.push_back(format("Set %d is damaged: %d trigger marker%s came where a module puts none, so "
                               "bytes were lost on the line and later samples may be wrong.",
                               setNumber, out.misplacedMarkers, out.misplacedMarkers == 1 ? "" : "s"));
    return lines;
}

void finishDownloadedSet(Series& set, const DownloadOutcome& outcome, int setNumber,
                         std::uint16_t intervalUnitMs, const std::string& dateText) {
    set.samples.count = outcome.samples;
    if (set.companion)
        set.companion->samples.count = std::min(outcome.triggers, set.companion->samples.capacity());
    for (int i = 0; i < outcome.samples && i < static_cast<int>(set.samples.peakMark.size()); ++i)
        set.samples.peakMark[i] = 0;
    for (ClimbMark& m : set.climbMarks)
        m.inUse = 0;
    set.note2 = cutText(format("%s  Set %d, %d samples", dateText.c_str(), setNumber, outcome.samples),
                        MaxTextLength);
    if (set.companion) set.companion->DisplayFlag = outcome.header.triggerFlag != 0 ? 1 : 0;
    const double H = outcome.header.intervalCount;
    const double duration = H * outcome.samples * intervalUnitMs * 0.001;
    const double interval = H * intervalUnitMs * 0.001;
    set.note3 = cutText(format("%lg sec, interval=%lg sec, max=%lg", duration, interval, outcome.maxAltitude),
                        MaxTextLength);
}

double downloadTimeAxisMax(double lastTime) {
    return static_cast<double>(static_cast<long long>((lastTime * 0.1 + 0.5) * 10));
}

// ---- erase, reset, calibration ----

LinkStatus eraseModuleMemory(Link& link) {
    return sendCommand(link, 'x') ? LinkStatus::Ok : LinkStatus::WriteFailed;
}

LinkStatus resetModule(Link& link) {
    if (!sendCommand(link, 'R')) return LinkStatus::WriteFailed;
    link.CommSleep(ResetWaitMs);
    return LinkStatus::Ok;
}

bool parseCalibrationAltitude(const std::string& text, std::int16_t* altitude) {
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return false;
    std::size_t last = text.find_last_not_of(" \t");
    std::string_view digits(text.data() + first, last - first + 1);
    // from_chars takes a minus but no plus; after a plus only digits may follow.
    if (!digits.empty() && digits.front() == '+') {
        digits.remove_prefix(1);
        if (digits.empty() || digits.front() < '0' || digits.front() > '9') return false;
    }
    int value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc() || end != digits.data() + digits.size()) return false;
    if (value < -32768 || value > 32767) return false;
    *altitude = static_cast<std::int16_t>(value);
    return true;
}

LinkStatus calibrateModule(Link& link, std::int16_t altitude) {
    std::uint8_t raw[2];
    writeBigEndian16(raw, static_cast<std::uint16_t>(altitude));
    if (!sendCommand(link, '$')) return LinkStatus::WriteFailed;
    link.CommSleep(CalibrateCommandPauseMs);
    if (!sendByte(link, 't')) return LinkStatus::WriteFailed;
    // The altitude goes big-endian, one byte at a time, each given time to be taken in.
    if (!sendByte(link, raw[0])) return LinkStatus::WriteFailed;
    link.CommSleep(CalibrateBytePauseMs);
    if (!sendByte(link, raw[1])) return LinkStatus::WriteFailed;
    link.CommSleep(CalibrateBytePauseMs);
    link.CommSleep(CalibrateSettleMs);
    return LinkStatus::Ok;
}

} // namespace orvo
