#include "moduleops/downloadarchive.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "data/inputfile.h"
#include "platform/platform.h"

namespace orvo {

namespace {

constexpr const char* RecordTitle = "Orvo download record";

bool endsWith(const std::string& s, const std::string& end) {
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

std::string recordPathOf(const std::string& dataFile) {
    std::string path = dataFile;
    if (endsWith(path, ".csv")) path.resize(path.size() - 4);
    return path + ".listing";
}

std::string trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return std::string(s);
}

// "2024-03-23_134138" of the local time now.
std::string localTimeStamp() {
    const std::time_t now = std::time(nullptr);
    char text[32] = "0000-00-00_000000";
    if (const std::tm* t = std::localtime(&now)) std::strftime(text, sizeof text, "%Y-%m-%d_%H%M%S", t);
    return text;
}

// "set007" of set 7.
std::string setTag(int setNumber) {
    char tag[16];
    std::snprintf(tag, sizeof tag, "set%03d", setNumber);
    return tag;
}

std::string recordText(const DownloadRecord& r, int setNumber) {
    std::string text = std::string(RecordTitle) + "\n";
    text += "set=" + std::to_string(setNumber) + "\n";
    text +=
        "listing=" + (r.hasLine ? std::to_string(r.line.first) + ", " + std::to_string(r.line.second) : "") +
        "\n";
    text += std::string("whole=") + (r.whole ? "1" : "0") + "\n";
    text += "words=" + std::to_string(r.words) + "\n";
    text += "samples=" + std::to_string(r.samples) + "\n";
    return text;
}

// False when there is no record or it is not one.
bool readRecord(const std::string& path, DownloadRecord* r) {
    std::string text;
    if (!readRegularFile(path, text, nullptr, 4096)) return false;
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        lines.push_back(trimmed(std::string_view(text).substr(at, end - at)));
        at = end + 1;
    }
    if (lines.empty() || lines[0] != RecordTitle) return false;
    bool haveWhole = false, haveSamples = false;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        unsigned a = 0, b = 0;
        int n = 0;
        char end = 0;
        if (std::sscanf(line.c_str(), "listing=%u, %u%c", &a, &b, &end) == 2 && a <= 65535 && b <= 65535) {
            r->hasLine = true;
            r->line = {a, b};
        } else if (std::sscanf(line.c_str(), "whole=%d%c", &n, &end) == 1) {
            r->whole = n == 1;
            haveWhole = true;
        } else if (std::sscanf(line.c_str(), "words=%d%c", &n, &end) == 1) {
            r->words = n;
        } else if (std::sscanf(line.c_str(), "samples=%d%c", &n, &end) == 1) {
            r->samples = n;
            haveSamples = true;
        }
    }
    return haveWhole && haveSamples;
}

// What the downloads folder holds of one module set.
enum class CopyState {
    None,       // no copy of that set number at all
    Saved,      // a whole copy made from the line the module lists now (or an old one that matches)
    Incomplete, // made from that line, but the download ended short or damaged
    Unmatched,  // copies of other flights, or old ones whose counts do not fit the line
};

CopyState copyState(const std::string& folder, int setNumber, const SetEntry& line) {
    // "<time>_set007.csv", or "<time>_set007_2.csv" for a second download within one second.
    std::string tag(1, '_');
    tag += setTag(setNumber);
    std::vector<std::string> files;
    for (const std::string& name : platform::filesIn(folder))
        if (endsWith(name, ".csv") &&
            (endsWith(name, tag + ".csv") || name.find(tag + "_") != std::string::npos))
            files.push_back(name);
    // The newest copies (their names begin with the date) are looked at first.
    std::sort(files.rbegin(), files.rend());
    CopyState state = files.empty() ? CopyState::None : CopyState::Unmatched;
    for (const std::string& name : files) {
        const std::string path = platform::joinPath(folder, name);
        DownloadRecord record;
        const bool recorded = readRecord(recordPathOf(path), &record);
        // A record that names another line is another flight's; the file need not be read.
        if (recorded && !(record.hasLine && record.line == line)) continue;
        SeriesList list;
        PlotFileHeader header;
        LoadReport report;
        if (loadDataFile(path, list, header, report) != FileStatus::Ok || list.dataSetCount() != 1) continue;
        const Series& set = list.dataSet(0);
        const int samples = set.samples.count;
        if (recorded) {
            // The file must still hold what was downloaded.
            if (samples != record.samples) continue;
            if (record.whole) return CopyState::Saved;
            state = CopyState::Incomplete;
            continue;
        }
        // Kept before the line was recorded with it: a module lists either the samples or the
        // words (one more per trigger mark, its marker), and only a whole download holds that count.
        const int triggers = set.companion ? set.companion->samples.count : 0;
        if (static_cast<unsigned>(samples) == line.second ||
            static_cast<unsigned>(samples + triggers) == line.second)
            return CopyState::Saved;
    }
    return state;
}

std::string setNumbers(const std::vector<int>& sets) {
    std::string list;
    for (std::size_t i = 0; i < sets.size(); ++i) {
        if (i > 0) list += i + 1 == sets.size() ? " and " : ", ";
        list += std::to_string(sets[i]);
    }
    return std::string(sets.size() == 1 ? "Set " : "Sets ") + list;
}

} // namespace

bool endedAsASetEnds(const DownloadOutcome& out) {
    if (!out.headerArrived() || out.misplacedMarkers > 0 || out.markerWithoutSample) return false;
    if (out.end == DownloadEnd::CountReached) return true;
    return out.header.wordCount == 0 && out.end == DownloadEnd::WordMissing;
}

DownloadRecord downloadRecord(const SetListing& listing, int index, const DownloadOutcome& outcome) {
    DownloadRecord r;
    if (const SetEntry* line = listing.line(index)) {
        r.hasLine = true;
        r.line = *line;
    }
    r.whole = endedAsASetEnds(outcome);
    r.words = outcome.header.wordCount;
    r.samples = outcome.samples;
    return r;
}

bool archiveDownloadedSet(const SeriesList& list, int n, const PlotFileHeader& plot, int moduleSetNumber,
                          const DownloadRecord& record, std::string* path, std::string* error,
                          const std::string& folder, const std::string& timeStamp) {
    if (!platform::makeFolders(folder)) {
        if (error) *error = "cannot create " + folder;
        return false;
    }
    const std::string stem =
        (timeStamp.empty() ? localTimeStamp() : timeStamp) + "_" + setTag(moduleSetNumber);
    // Two downloads within one second (an "All" of short sets) must not overwrite each other.
    std::string file = platform::joinPath(folder, stem + ".csv");
    for (int i = 2; platform::kindOfPath(file) != platform::FileKind::None; ++i)
        file = platform::joinPath(folder, stem + "_" + std::to_string(i) + ".csv");
    const std::string& target = file;
    if (saveDataSetFile(file, list, n, plot) != FileStatus::Ok) {
        if (error) *error = "cannot write " + target;
        return false;
    }
    if (path) *path = target;
    // Without its record the copy still holds the flight, but an erase cannot match it to a line.
    if (writeFileSafely(recordPathOf(file), recordText(record, moduleSetNumber)) != FileStatus::Ok) {
        if (error) *error = "cannot write " + recordPathOf(file);
    }
    return true;
}

EraseCheck checkBeforeErase(const SetListing& last, const SetListing& now, const std::string& folder) {
    EraseCheck check;
    const std::string& shown = folder;
    for (const std::string& problem : listingProblems(now))
        check.reasons.push_back(problem);
    check.listingsAgree = now.agreesWith(last);
    if (now.empty) {
        // Nothing to lose if it is empty; but a module that only ignored 's' would lose all.
        check.listingsAgree = false;
        check.reasons.push_back("The module lists no data sets: there is nothing to erase.");
    } else if (now.confirmed() && !check.listingsAgree) {
        check.reasons.push_back(last.confirmed()
                                    ? "The module now lists " + std::to_string(now.count) +
                                          " data sets, not the same as the last listing (" +
                                          std::to_string(last.count) + "): what it holds has changed."
                                    : "The module's sets were not listed cleanly before: what it holds is "
                                      "not confirmed.");
    }
    std::vector<int> never, incomplete, unmatched, garbled;
    for (int i = 0; i < now.count; ++i) {
        const int number = i + 1;
        const SetEntry* line = now.line(i);
        if (!line) {
            // Lines that did not read as a set leave every set unmatched to its line.
            garbled.push_back(number);
            check.unsaved.push_back(number);
            continue;
        }
        switch (copyState(folder, number, *line)) {
        case CopyState::Saved:
            continue;
        case CopyState::None:
            never.push_back(number);
            break;
        case CopyState::Incomplete:
            incomplete.push_back(number);
            break;
        case CopyState::Unmatched:
            unmatched.push_back(number);
            break;
        }
        check.unsaved.push_back(number);
    }
    const auto plural = [](const std::vector<int>& sets, const char* one, const char* more) {
        return sets.size() == 1 ? one : more;
    };
    if (!never.empty())
        check.reasons.push_back(setNumbers(never) + plural(never, " was", " were") +
                                " never saved to the downloads folder " + shown + ": erasing loses " +
                                plural(never, "it.", "them."));
    if (!incomplete.empty())
        check.reasons.push_back(setNumbers(incomplete) + " in the downloads folder " + shown + " " +
                                plural(incomplete, "is", "are") +
                                " only from a download that ended short: erasing loses what did not "
                                "arrive. Download " +
                                plural(incomplete, "it", "them") + " again first.");
    if (!unmatched.empty())
        check.reasons.push_back(setNumbers(unmatched) + plural(unmatched, " has", " have") +
                                " copies in the downloads folder " + shown +
                                ", but none can be matched to the line the module lists " +
                                plural(unmatched, "it", "them") +
                                " with now (another flight, or kept by an earlier version without its "
                                "listing line): download " +
                                plural(unmatched, "it", "them") + " again before erasing.");
    if (!garbled.empty())
        check.reasons.push_back(setNumbers(garbled) +
                                " cannot be matched to copies in the downloads folder " + shown +
                                ": the listing is garbled.");
    return check;
}

} // namespace orvo
