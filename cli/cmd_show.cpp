// `orvo-cli show`: a one-line summary of every data set in data files, loaded as the Load button
// does: name, samples, time range, highest altitude, trigger, climb and peak marks; with --stats a
// second line per set with the flight statistics as name=value pairs, or with --format the table
// of all flights (aligned text or CSV).
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

// The figures of --stats, named from the one table of them.
std::string showHelp() {
    std::string keys;
    for (const orvo::FlightFigure& f : orvo::flightFigures()) {
        if (!keys.empty()) keys += ", ";
        keys += f.key;
    }
    std::string wrapped, line = "          ";
    for (std::size_t at = 0; at < keys.size();) {
        std::size_t next = keys.find(' ', at);
        if (next == std::string::npos) next = keys.size();
        const std::string word = keys.substr(at, next - at);
        if (line.size() + word.size() + 1 > 95) wrapped += line + "\n", line = "          ";
        line += " " + word;
        at = next + 1;
    }
    wrapped += line + "\n";
    return "Usage: orvo-cli show [--stats [--format lines|table|csv]] FILE...\n"
           "Prints one line per data set of each data file: name, samples, time range, highest\n"
           "altitude, trigger marks, climb marks and peak marks. Other programs' CSV files are read by\n"
           "their column names; the columns taken are named on stderr.\n"
           "  --stats  after each set's line, a line \"FILE: NAME: stats name=value ...\" with the\n"
           "           flight's figures (times in seconds, altitudes and rates in the set's unit):\n" +
           wrapped +
           "           then rate_unit (the set's altitude unit per second, units/s when its file does\n"
           "           not name it); a missing figure reads \"-\" (main_descent, main_altitude and\n"
           "           main_time where the flight had one descent, descents=1), and not_a_flight says\n"
           "           why (too_short, flat, no_liftoff when the set begins in the air,\n"
           "           still_in_the_air_at_its_end).\n"
           "  --format table  instead, the table of all flights: one row per set, each figure with\n"
           "           its unit.\n"
           "  --format csv    the same table as CSV: file, name, unit, rate_unit, the figures by\n"
           "           name (a missing one empty), not_a_flight.\n";
}

std::string helpText() {
    return showHelp() + orvo::cli::ImportOptionsHelp;
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

// The table of all flights for a person: columns as wide as their widest cell.
void printTable(const std::vector<std::vector<std::string>>& rows) {
    std::vector<std::size_t> width;
    for (const auto& row : rows)
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (width.size() <= c) width.push_back(0);
            width[c] = std::max(width[c], row[c].size());
        }
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (c > 0) line += "  ";
            line += row[c] + std::string(width[c] - row[c].size(), ' ');
        }
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        std::printf("%s\n", line.c_str());
    }
}

int runShow(const std::vector<std::string>& given) {
    bool stats = false;
    std::string format = "lines";
    std::vector<std::string> args;
    std::vector<std::string> arguments = given;
    const std::string help = helpText();
    if (const std::string wrong = orvo::cli::takeImportOptions(arguments); !wrong.empty())
        return orvo::cli::usageError("show", wrong, help.c_str());
    for (orvo::cli::ArgReader r(arguments); r.next();) {
        if (r.helpShown(help)) return 0;
        if (r.is("--stats")) {
            stats = true;
        } else if (r.is("--format")) {
            if (!r.value(format) || (format != "lines" && format != "table" && format != "csv"))
                return orvo::cli::usageError("show", "--format takes lines, table or csv", help.c_str());
        } else {
            args.push_back(r.word());
        }
    }
    if (args.empty()) {
        std::fputs(help.c_str(), stderr);
        return 2;
    }
    if (format != "lines" && !stats)
        return orvo::cli::usageError("show", "--format goes with --stats", help.c_str());
    const bool tableForm = format != "lines";
    std::vector<std::vector<std::string>> table;
    if (format == "table") {
        std::vector<std::string> header{"file", "name", "unit"};
        for (const orvo::FlightFigure& f : orvo::flightFigures())
            header.push_back(f.key);
        header.push_back("not_a_flight");
        table.push_back(header);
    }
    if (format == "csv") std::fputs(orvo::flightTableCsvHeader(true).c_str(), stdout);
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
            // Each set's rates in its own unit (from its altitude label), "units/s" when unknown.
            const orvo::Series& set = list.dataSet(n);
            if (!tableForm) showSet(file, list, n);
            if (!stats) continue;
            const orvo::FlightStatistics s = orvo::computeFlightStatistics(set);
            const std::string unit = orvo::rateUnit(set);
            if (format == "lines") {
                std::printf("%s: %s: %s\n", file.c_str(), set.name.c_str(),
                            orvo::flightStatisticsFields(s, unit).c_str());
            } else if (format == "csv") {
                std::fputs(orvo::flightTableCsvRow(set, s, &file).c_str(), stdout);
            } else {
                std::vector<std::string> row{file, set.name, orvo::altitudeUnitOfRate(unit)};
                for (const orvo::FlightFigure& f : orvo::flightFigures()) {
                    std::string cell = orvo::figureText(f, s);
                    const std::string u = orvo::figureUnit(f, unit);
                    if (f.has(s) && !u.empty()) cell += " " + u;
                    row.push_back(cell);
                }
                row.push_back(s.reason.empty() ? "-" : orvo::reasonField(s));
                table.push_back(row);
            }
        }
    }
    if (format == "table") printTable(table);
    return status;
}

} // namespace

ORVO_CLI_COMMAND("show", "one line per data set of data files: samples, times, altitude, marks", runShow);
