#include "cli/datafiles.h"

#include <cctype>
#include <cstdio>

#include "data/inputfile.h"

namespace orvo::cli {

namespace {

// " It is a FIFO, not a regular file." from a reason, or "" without one.
std::string sentence(std::string reason) {
    if (reason.empty()) return reason;
    reason[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(reason[0])));
    return " " + reason + ".";
}

} // namespace

bool loadDataFileReporting(const std::string& prefix, const std::string& path, SeriesList& list,
                           PlotFileHeader& header, LoadReport& report, LoadBudget* budget) {
    const FileStatus status =
        loadDataFile(path, list, header, report, budget ? budget->next() : LoadOptions());
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
    if (report.unitAssumed)
        std::fprintf(stderr,
                     "%s%s: its altitudes were taken as %s; give --unit ft, --unit yd or --unit m to "
                     "read them in another unit.\n",
                     prefix.c_str(), path.c_str(),
                     report.assumedUnit ? unitWord(report.assumedUnit).c_str() : "they stand, in no unit");
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
