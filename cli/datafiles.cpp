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
    if (status == FileStatus::OpenFailed) {
        std::fprintf(stderr, "%sUnable to open %s!%s\n", prefix.c_str(), path.c_str(),
                     sentence(report.openError).c_str());
        return false;
    }
    if (status == FileStatus::NoMemory) {
        std::fprintf(stderr, "%snot enough memory to load %s; nothing of it was loaded.\n", prefix.c_str(),
                     path.c_str());
        return false;
    }
    if (status == FileStatus::NoData && !report.refused.empty()) {
        std::fprintf(stderr, "%s%s was not loaded. %s\n", prefix.c_str(), path.c_str(),
                     report.refused.c_str());
        return false;
    }
    if (status == FileStatus::NoData) {
        std::fprintf(stderr,
                     "%s%s holds no data: not one line is a sample line or a data file header; nothing "
                     "was loaded.\n",
                     prefix.c_str(), path.c_str());
        return false;
    }
    for (const std::string& note : report.notes)
        std::fprintf(stderr, "%s%s: %s\n", prefix.c_str(), path.c_str(), note.c_str());
    for (const std::string& problem : describeLoadProblems(report))
        std::fprintf(stderr, "%s%s: %s\n", prefix.c_str(), path.c_str(), problem.c_str());
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
