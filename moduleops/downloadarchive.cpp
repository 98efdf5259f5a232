#include "moduleops/downloadarchive.h"

#include <cstdio>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace orvo {

namespace {

constexpr const char* RecordTitle = "Orvo download record";

QString recordPathOf(const QString& dataFile) {
    QString path = dataFile;
    if (path.endsWith(QStringLiteral(".csv"))) path.chop(4);
    return path + QStringLiteral(".listing");
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
bool readRecord(const QString& path, DownloadRecord* r) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return false;
    if (file.readLine(200).trimmed() != RecordTitle) return false;
    bool haveWhole = false, haveSamples = false;
    while (!file.atEnd()) {
        const std::string line = file.readLine(200).trimmed().toStdString();
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

CopyState copyState(const QDir& folder, int setNumber, const SetEntry& line) {
    const QString stem = QStringLiteral("*_set%1").arg(setNumber, 3, 10, QLatin1Char('0'));
    // The newest copies (their names begin with the date) are looked at first.
    const QStringList files =
        folder.entryList({stem + QStringLiteral(".csv"), stem + QStringLiteral("_*.csv")},
                         QDir::Files | QDir::Readable, QDir::Name | QDir::Reversed);
    CopyState state = files.isEmpty() ? CopyState::None : CopyState::Unmatched;
    for (const QString& name : files) {
        const QString path = folder.filePath(name);
        DownloadRecord record;
        const bool recorded = readRecord(recordPathOf(path), &record);
        // A record that names another line is another flight's; the file need not be read.
        if (recorded && !(record.hasLine && record.line == line)) continue;
        SeriesList list;
        PlotFileHeader header;
        LoadReport report;
        if (loadDataFile(path.toStdString(), list, header, report) != FileStatus::Ok ||
            list.dataSetCount() != 1)
            continue;
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

std::string downloadsFolder() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return QDir(base).filePath(QStringLiteral("downloads")).toStdString();
}

bool archiveDownloadedSet(const SeriesList& list, int n, const PlotFileHeader& plot, int moduleSetNumber,
                          const DownloadRecord& record, std::string* path, std::string* error,
                          const std::string& where) {
    const QString folder = QString::fromStdString(where.empty() ? downloadsFolder() : where);
    if (!QDir().mkpath(folder)) {
        if (error) *error = "cannot create " + folder.toStdString();
        return false;
    }
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_HHmmss"));
    const QString stem = QStringLiteral("%1_set%2").arg(stamp).arg(moduleSetNumber, 3, 10, QLatin1Char('0'));
    // Two downloads within one second (an "All" of short sets) must not overwrite each other.
    QString file = QDir(folder).filePath(stem + QStringLiteral(".csv"));
    for (int i = 2; QFileInfo::exists(file); ++i)
        file = QDir(folder).filePath(QStringLiteral("%1_%2.csv").arg(stem).arg(i));
    const std::string target = QDir::toNativeSeparators(file).toStdString();
    if (saveDataSetFile(file.toStdString(), list, n, plot) != FileStatus::Ok) {
        if (error) *error = "cannot write " + target;
        return false;
    }
    if (path) *path = target;
    // Without its record the copy still holds the flight, but an erase cannot match it to a line.
    if (writeFileSafely(recordPathOf(file).toStdString(), recordText(record, moduleSetNumber)) !=
        FileStatus::Ok) {
        if (error) *error = "cannot write " + QDir::toNativeSeparators(recordPathOf(file)).toStdString();
    }
    return true;
}

EraseCheck checkBeforeErase(const SetListing& last, const SetListing& now, const std::string& where) {
    EraseCheck check;
    const QString folderPath = QString::fromStdString(where.empty() ? downloadsFolder() : where);
    const std::string shown = QDir::toNativeSeparators(folderPath).toStdString();
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
    const QDir folder(folderPath);
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
