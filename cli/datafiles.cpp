#include "cli/datafiles.h"

#include <cctype>
#include <cstdio>

#include "data/csvimport.h"
#include "data/inputfile.h"

namespace orvo::cli {

namespace {

// " It is a FIFO, not a regular file." from a reason, or "" without one.
std::string sentence(std::string reason) {
    if (reason.empty()) return reason;
    reason[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(reason[0])));
    return " " + reason + ".";
}

// The columns and unit the command line chose for other programs' files.
orvo::CsvChoice importChoice;

} // namespace

const char* const ImportOptionsHelp =
    "  --time-column COLUMN      read another program's file with this time column (its name, in\n"
    "                            any case, or its number from 1)\n"
    "  --altitude-column COLUMN  ... and this altitude column\n"
    "  --unit ft|yd|m            ... in this altitude unit, whatever the file says\n";

std::string takeImportOptions(std::vector<std::string>& args) {
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool time = a == "--time-column", altitude = a == "--altitude-column", unit = a == "--unit";
        if (!time && !altitude && !unit) {
            rest.push_back(a);
            continue;
        }
        if (i + 1 >= args.size() || args[i + 1].empty()) return "missing value after " + a;
        const std::string& v = args[++i];
        if (time) importChoice.timeColumn = v;
        if (altitude) importChoice.altitudeColumn = v;
        if (unit) {
            importChoice.unit = orvo::altitudeUnitOfShortName(v);
            if (!importChoice.unit) importChoice.unit = orvo::altitudeUnitOfWord(v);
            if (!importChoice.unit) return "--unit takes ft, yd or m, not " + v;
        }
    }
    args = rest;
    return std::string();
}

bool loadDataFileReporting(const std::string& prefix, const std::string& path, SeriesList& list,
                           PlotFileHeader& header, LoadReport& report, LoadBudget* budget) {
    LoadOptions options = budget ? budget->next() : LoadOptions();
    if (!importChoice.empty()) options.choice = &importChoice;
    const FileStatus status = loadDataFile(path, list, header, report, options);
    if (budget) budget->spent(report);
    if (report.cancelled) return false;
    if (const LoadMessage m = describeLoadFailure(path, status, report); !m.text.empty()) {
        std::fprintf(stderr, "%s%s%s%s\n", prefix.c_str(), m.text.c_str(), m.details.empty() ? "" : " ",
                     m.details.c_str());
        return false;
    }
    for (const std::string& note : report.notes)
        std::fprintf(stderr, "%s%s: %s\n", prefix.c_str(), path.c_str(), note.c_str());
    for (const std::string& problem : describeLoadProblems(report))
        std::fprintf(stderr, "%s%s: %s\n", prefix.c_str(), path.c_str(), problem.c_str());
    // The unit a file left unnamed was assumed: say so, and how to choose another.
    if (report.unitAssumed) {
        const std::string assumed = report.assumedUnit ? "in " + unitWord(report.assumedUnit)
                                                       : std::string("as they stand, in no unit");
        std::fprintf(stderr,
                     "%s%s: the file does not name its altitude unit, so its altitudes were taken %s; "
                     "give --unit ft, yd or m (and --time-column, --altitude-column) to read it otherwise.\n",
                     prefix.c_str(), path.c_str(), assumed.c_str());
    }
    return true;
}

void reportSaveFailure(const std::string& prefix, const std::string& path, FileStatus status,
                       const SeriesList& list, int n, const PlotFileHeader& header) {
    switch (status) {
    case FileStatus::Ok:
        return;
    case FileStatus::OpenFailed:
    case FileStatus::NoData:
    case FileStatus::NoMemory:
        std::fprintf(stderr, "%sUnable to open %s!%s\n", prefix.c_str(), path.c_str(),
                     sentence(notRegularFileReason(path)).c_str());
        return;
    case FileStatus::WriteFailed:
        std::fprintf(stderr, "%sUnable to write %s!\n", prefix.c_str(), path.c_str());
        return;
    case FileStatus::NotFinite:
        std::fprintf(stderr, "%sUnable to write %s: %s; nothing was written.\n", prefix.c_str(), path.c_str(),
                     nonFiniteValue(list, n, header).c_str());
        return;
    }
}

} // namespace orvo::cli
