// `orvo-cli edit`: the Data Properties corrections (time and altitude shifts, Fix Drift, Fix
// Offset, the photo list) and Crop, applied to a data file from a terminal, so a season of
// flights can be corrected in one batch. The operations are the dialog's own.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/datafiles.h"
#include "cli/options.h"
#include "data/datafile.h"
#include "data/liftoffalign.h"
#include "plot/plotfile.h"
#include "plot/plotview.h"
#include "plot/setedit.h"

namespace {

const char* editHelp =
    "Usage: orvo-cli edit IN -o OUT [operations...]\n"
    "Loads the data file IN, applies the operations in the order given and writes OUT: a plot file\n"
    "when IN is one, else a data set file of the edited set.\n\n"
    "Options:\n"
    "  -o, --output OUT       the file to write (required; may be IN itself)\n"
    "  --set N                the data set the following operations act on (0-based, default 0);\n"
    "                         operations given before the first --set use its value too\n"
    "  --shift-time DT        add DT seconds to every time of the set and its triggers\n"
    "  --shift-altitude DA    add DA to every altitude of the set and its triggers\n"
    "  --fix-drift            remove the drift between the lowest points of the first and last tenth\n"
    "  --fix-offset           subtract the lowest altitude of the first tenth (launch site reads 0)\n"
    "  --crop TMIN,TMAX       crop every data set to the times TMIN..TMAX, as the Crop button does\n"
    "  --photo-list FILE      write the set's trigger list (picture, time, altitude) to FILE\n"
    "  --align-liftoff        shift every data set in time so that its liftoff is at 0 s\n\n"
    "Shifts of 0.00001 or less change nothing. Fix Drift and Fix Offset need at least 10 samples;\n"
    "when one cannot be applied nothing is written and the reason is printed.\n";

enum class Op { ShiftTime, ShiftAltitude, FixDrift, FixOffset, Crop, PhotoList, AlignLiftoff };

struct Step {
    Step(Op o, int n) : op(o), set(n) {}
    Op op;
    int set; // -1: the first --set given (or 0)
    double a = 0.0, b = 0.0;
    std::string file;
};

int fail(const char* text, const std::string& detail = std::string()) {
    std::fprintf(stderr, "orvo-cli edit: %s%s\n", text, detail.c_str());
    return 1;
}

int usageError(const char* text, const std::string& detail = std::string()) {
    return orvo::cli::usageError("edit", text + detail, editHelp);
}

struct EditJob {
    std::string in, out;
    std::vector<Step> steps;
    int firstSet = -1; // the first --set given
};

// 0 when the options are complete, -1 after --help, else the exit status.
int parseEditOptions(const std::vector<std::string>& args, EditJob& job) {
    int currentSet = -1;
    std::string v;
    for (orvo::cli::ArgReader r(args); r.next();) {
        const std::string& a = r.word();
        if (r.helpShown(editHelp)) return -1;
        if (r.is("-o", "--output")) {
            if (!r.value(job.out)) return usageError("missing file after ", a);
        } else if (r.is("--set")) {
            double n = 0;
            if (!r.value(v) || !orvo::cli::parseNumber(v, n) || n < 0 || n != std::floor(n) || n > 1e9)
                return usageError("--set needs a data set number from 0");
            currentSet = static_cast<int>(n);
            if (job.firstSet < 0) job.firstSet = currentSet;
        } else if (r.is("--shift-time", "--shift-altitude")) {
            Step s(r.is("--shift-time") ? Op::ShiftTime : Op::ShiftAltitude, currentSet);
            if (!r.value(v) || !orvo::cli::parseNumber(v, s.a)) return usageError("a number must follow ", a);
            job.steps.push_back(s);
        } else if (r.is("--fix-drift")) {
            job.steps.emplace_back(Op::FixDrift, currentSet);
        } else if (r.is("--fix-offset")) {
            job.steps.emplace_back(Op::FixOffset, currentSet);
        } else if (r.is("--align-liftoff")) {
            job.steps.emplace_back(Op::AlignLiftoff, currentSet);
        } else if (r.is("--crop")) {
            Step s(Op::Crop, currentSet);
            const std::size_t comma = r.value(v) ? v.find(',') : std::string::npos;
            if (comma == std::string::npos || !orvo::cli::parseNumber(v.substr(0, comma), s.a) ||
                !orvo::cli::parseNumber(v.substr(comma + 1), s.b) || !(s.a < s.b))
                return usageError("--crop needs TMIN,TMAX with TMIN below TMAX");
            job.steps.push_back(s);
        } else if (r.is("--photo-list")) {
            Step s(Op::PhotoList, currentSet);
            if (!r.value(s.file) || s.file.empty()) return usageError("missing file after ", a);
            job.steps.push_back(s);
        } else if (r.isOption()) {
            return usageError("unknown option ", a);
        } else if (job.in.empty()) {
            job.in = a;
        } else {
            return usageError("more than one input file: ", a);
        }
    }
    if (job.in.empty()) return usageError("no input file given");
    if (job.out.empty()) return usageError("no output file given (-o OUT)");
    return 0;
}

// Applies one operation to set n (Crop and AlignLiftoff act on every set); 0, or the exit status.
int applyStep(const Step& s, int n, orvo::PlotState& plot, const orvo::PlotFileHeader& header) {
    switch (s.op) {
    case Op::ShiftTime:
        plot.settings.series.ShiftDataSet(n, s.a, 0.0);
        break;
    case Op::ShiftAltitude:
        plot.settings.series.ShiftDataSet(n, 0.0, s.a);
        break;
    case Op::FixDrift:
    case Op::FixOffset: {
        const orvo::EditResult r =
            s.op == Op::FixDrift ? orvo::applyFixDrift(plot, n) : orvo::applyFixOffset(plot, n);
        if (!r.ok())
            return fail(s.op == Op::FixDrift ? "fix-drift: " : "fix-offset: ",
                        orvo::describeEditResult(r) + " Nothing was written.");
        std::printf("%s set %d: lows %s at sample %d, highest altitude now %s\n",
                    s.op == Op::FixDrift ? "fix-drift" : "fix-offset", n, orvo::formatG(r.firstLow).c_str(),
                    r.firstLowIndex, orvo::formatG(r.maximum).c_str());
        break;
    }
    case Op::Crop:
        plot.settings.timeMin = s.a;
        plot.settings.timeMax = s.b;
        orvo::CropToView(plot.settings, plot.home);
        break;
    case Op::AlignLiftoff:
        std::printf("%s\n", orvo::alignAtLiftoff(plot.settings.series).message().c_str());
        break;
    case Op::PhotoList:
        if (const orvo::FileStatus w = orvo::writePhotoList(plot.settings, n, s.file);
            w != orvo::FileStatus::Ok) {
            orvo::cli::reportSaveFailure("orvo-cli edit: ", s.file, w, plot.settings.series, n, header);
            return 1;
        }
        std::printf("photo list of set %d: %d triggers in %s\n", n,
                    plot.settings.series.triggerSet(n).samples.count, s.file.c_str());
        break;
    }
    return 0;
}

int runEdit(const std::vector<std::string>& args) {
    EditJob job;
    if (const int s = parseEditOptions(args, job)) return s < 0 ? 0 : s;

    orvo::PlotState plot;
    orvo::PlotFileHeader header = orvo::plotFileHeader(plot.settings);
    orvo::LoadReport report;
    // What did not load as written (unreadable numbers, a block cut at the sample limit) is said
    // before the edit writes the file without it.
    if (!orvo::cli::loadDataFileReporting("orvo-cli edit: ", job.in, plot.settings.series, header, report))
        return 1;
    if (plot.settings.series.dataSetCount() == 0) return fail("no data set in ", job.in);
    // A plot file brings its texts and view; otherwise the program's defaults stand, as in convert.
    // Another program's file may have brought its altitude unit to the label.
    if (report.plotFile || report.foreign) orvo::applyPlotFileHeader(header, plot.settings);

    const int defaultSet = job.firstSet < 0 ? 0 : job.firstSet;
    int lastSet = defaultSet;
    for (const Step& s : job.steps) {
        const int n = s.set < 0 ? defaultSet : s.set;
        const bool allSets = s.op == Op::Crop || s.op == Op::AlignLiftoff;
        if (!allSets && !plot.settings.series.validSet(n)) {
            char text[80];
            std::snprintf(text, sizeof text, "%s holds %d data sets; there is no set %d", job.in.c_str(),
                          plot.settings.series.dataSetCount(), n);
            return fail(text);
        }
        if (!allSets) lastSet = n;
        if (const int status = applyStep(s, n, plot, header)) return status;
    }

    if (!report.plotFile && !plot.settings.series.validSet(lastSet))
        return fail("there is no data set to write");
    header = orvo::plotFileHeader(plot.settings);
    const orvo::FileStatus saved =
        report.plotFile ? orvo::savePlotFile(job.out, plot.settings.series, header)
                        : orvo::saveDataSetFile(job.out, plot.settings.series, lastSet, header);
    orvo::cli::reportSaveFailure("orvo-cli edit: ", job.out, saved, plot.settings.series,
                                 report.plotFile ? -1 : lastSet, header);
    return saved == orvo::FileStatus::Ok ? 0 : 1;
}

} // namespace

ORVO_CLI_COMMAND("edit", "shift, drift-correct, offset, crop a data file; write its photo list", runEdit);
