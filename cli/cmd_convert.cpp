// `orvo-cli convert`: loads data files as the Load button does (data set files, plot files, plain
// sample files) and writes them as the Save button would: one plot file of every data set read,
// or the data set file of one of them.
#include <charconv>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/datafiles.h"
#include "cli/options.h"
#include "data/datafile.h"
#include "data/liftoffalign.h"
#include "plot/plotfile.h"
#include "plot/plotsettings.h"

namespace {

const char* convertHelp =
    "Usage: orvo-cli convert IN... -o OUT [--set N] [--align-liftoff]\n"
    "Loads every IN in order and writes OUT: a plot file of all loaded data sets, or with --set N\n"
    "(0-based) the data set file of that one set. The plot's texts and limits come from the first\n"
    "plot file read, else the texts are the program's defaults and the limits fit every data set\n"
    "(after --align-liftoff they always do). Other programs' CSV files are read by their column\n"
    "names; every set is converted into the altitude unit of the first set whose unit is known.\n"
    "  --align-liftoff  shift every set in time so that its liftoff is at 0 s (a set without a\n"
    "                   liftoff stays where it is and is named on stderr)\n";

int runConvert(const std::vector<std::string>& given) {
    const std::string help = std::string(convertHelp) + orvo::cli::ImportOptionsHelp;
    std::vector<std::string> args = given;
    if (const std::string wrong = orvo::cli::takeImportOptions(args); !wrong.empty())
        return orvo::cli::usageError("convert", wrong, help.c_str());
    std::vector<std::string> inputs;
    std::string output;
    int set = -1;
    bool align = false;
    std::string v;
    for (orvo::cli::ArgReader r(args); r.next();) {
        const std::string& a = r.word();
        if (r.helpShown(help)) return 0;
        if (r.is("--align-liftoff")) {
            align = true;
        } else if (r.is("-o", "--output") && r.value(output)) { // the file to write
        } else if (r.is("--set") && r.value(v)) {
            const auto c = std::from_chars(v.data(), v.data() + v.size(), set);
            if (c.ec != std::errc{} || c.ptr != v.data() + v.size() || set < 0) {
                std::fprintf(stderr, "convert: --set needs a data set number from 0, not \"%s\"\n",
                             v.c_str());
                return 2;
            }
        } else if (r.isOption()) {
            std::fprintf(stderr, "convert: unknown option %s\n%s", a.c_str(), convertHelp);
            return 2;
        } else {
            inputs.push_back(a);
        }
    }
    if (inputs.empty() || output.empty()) {
        std::fputs(convertHelp, stderr);
        return 2;
    }

    orvo::PlotSettings plot;
    orvo::PlotFileHeader header = orvo::plotFileHeader(plot);
    bool haveHeader = false;
    orvo::LoadBudget budget; // the input files are one load
    for (const std::string& in : inputs) {
        orvo::PlotFileHeader later = header; // plot files after the first do not change the texts
        orvo::LoadReport report;
        if (!orvo::cli::loadDataFileReporting("", in, plot.series, haveHeader ? later : header, report,
                                              &budget))
            return 1;
        haveHeader = haveHeader || report.plotFile;
    }
    if (align) std::fprintf(stderr, "%s\n", orvo::alignAtLiftoff(plot.series).message().c_str());
    // A plot opened in the window shows its saved limits: without a plot file's own, they are the
    // view of every set (the defaults would show the first 20 s and 20 units).
    if (!haveHeader || align) {
        orvo::HomeView home;
        plot.timeMin = header.timeMin, plot.timeMax = header.timeMax;
        plot.altitudeMin = header.altitudeMin, plot.altitudeMax = header.altitudeMax;
        orvo::AutoScaleTime(plot, home);
        orvo::AutoScaleAltitude(plot, home);
        header.timeMin = plot.timeMin, header.timeMax = plot.timeMax;
        header.altitudeMin = plot.altitudeMin, header.altitudeMax = plot.altitudeMax;
    }

    orvo::FileStatus status;
    if (set >= 0) {
        if (!plot.series.validSet(set)) {
            std::fprintf(stderr, "convert: there is no data set %d; %d data set(s) were loaded\n", set,
                         plot.series.dataSetCount());
            return 2;
        }
        status = orvo::saveDataSetFile(output, plot.series, set, header);
    } else {
        status = orvo::savePlotFile(output, plot.series, header);
    }
    orvo::cli::reportSaveFailure("", output, status, plot.series, set, header);
    return status == orvo::FileStatus::Ok ? 0 : 1;
}

} // namespace

ORVO_CLI_COMMAND("convert", "load data files as Load does and write a plot file or one data set file",
                 runConvert);
