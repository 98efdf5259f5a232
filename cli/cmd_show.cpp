// `orvo-cli show`: a one-line summary of every data set in data files, loaded as the Load button
// does: name, samples, time range, highest altitude, trigger, climb and peak marks; with --stats a
// second line per set with the flight statistics as name=value pairs.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/datafiles.h"
#include "cli/options.h"
#include "data/datafile.h"
#include "data/flightstats.h"

namespace {

const char* showHelp =
    "Usage: orvo-cli show [--stats] FILE...\n"
    "Prints one line per data set of each data file: name, samples, time range, highest\n"
    "altitude, trigger marks, climb marks and peak marks. Other programs' CSV files are read by\n"
    "their column names; the columns taken are named on stderr.\n"
    "Options:\n"
    "  --stats  after each set's line, a line \"FILE: NAME: stats name=value ...\" with ground,\n"
    "           liftoff, apogee, apogee_time, time_to_apogee, landing, flight_time (seconds),\n"
    "           max_climb, max_descent, landing_descent (rate_unit: the set's altitude unit per\n"
    "           second, units/s when its file does not name it); a missing figure reads \"-\" and\n"
    "           not_a_flight says why (too_short, flat, no_liftoff when the set begins in the air,\n"
    "           still_in_the_air_at_its_end).\n";

std::string helpText() {
    return std::string(showHelp) + orvo::cli::ImportOptionsHelp;
}

void showSet(const std::string& file, const orvo::SeriesList& list, int n) {
    const orvo::Series& s = list.dataSet(n);
    const orvo::SampleBuffer& b = s.samples;
    std::string range = "-";
    std::string highest = "-";
    if (b.count > 0) {
        double lo = b.time[0], hi = b.time[0], top = b.altitude[0];
        for (std::size_t i = 1; i < static_cast<std::size_t>(b.count); ++i) {
            lo = std::min(lo, b.time[i]);
            hi = std::max(hi, b.time[i]);
            top = std::max(top, b.altitude[i]);
        }
        char text[96];
        std::snprintf(text, sizeof text, "%g to %g s", lo, hi);
        range = text;
        std::snprintf(text, sizeof text, "%g", top);
        highest = text;
    }
    std::printf("%s: %s: %d samples, time %s, highest altitude %s, %d trigger marks, %d climb marks, "
                "%d peak marks\n",
                file.c_str(), s.name.c_str(), b.count, range.c_str(), highest.c_str(),
                list.triggerSet(n).samples.count, s.climbMarkCount(), s.peakMarkCount());
}

int runShow(const std::vector<std::string>& given) {
    bool stats = false;
    std::vector<std::string> args;
    std::vector<std::string> arguments = given;
    if (const std::string wrong = orvo::cli::takeImportOptions(arguments); !wrong.empty())
        return orvo::cli::usageError("show", wrong, helpText().c_str());
    for (const std::string& a : arguments) {
        if (a == "--stats")
            stats = true;
        else
            args.push_back(a);
    }
    if (args.empty()) {
        std::fputs(helpText().c_str(), stderr);
        return 2;
    }
    if (args[0] == "--help" || args[0] == "-h") {
        std::fputs(helpText().c_str(), stdout);
        return 0;
    }
    int status = 0;
    for (const std::string& file : args) {
        orvo::SeriesList list;
        orvo::PlotFileHeader header;
        orvo::LoadReport report;
        if (!orvo::cli::loadDataFileReporting("", file, list, header, report)) {
            status = 1;
            continue;
        }
        for (int n = 0; n < list.dataSetCount(); ++n) {
            showSet(file, list, n);
            // Each set's rates in its own unit (from its altitude label), "units/s" when unknown.
            const orvo::Series& set = list.dataSet(n);
            if (stats)
                std::printf(
                    "%s: %s: %s\n", file.c_str(), set.name.c_str(),
                    orvo::flightStatisticsFields(orvo::computeFlightStatistics(set), orvo::rateUnit(set))
                        .c_str());
        }
    }
    return status;
}

} // namespace

ORVO_CLI_COMMAND("show", "one line per data set of data files: samples, times, altitude, marks", runShow);
