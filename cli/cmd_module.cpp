// `orvo-cli info|download|erase|reset|calibrate`: the module buttons of the Connect page and
// the Configure page from a terminal, through the same transactions the window runs.
#include <QCoreApplication>
#include <QDate>
#include <QDir>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/options.h"
#include "data/datafile.h"
#include "desktop/downloadsfolder.h"
#include "desktop/portlink.h"
#include "link/comm.h"
#include "link/configexchange.h"
#include "link/infolog.h"
#include "link/linkspeed.h"
#include "link/protocol.h"
#include "moduleops/downloadarchive.h"
#include "moduleops/moduleoperations.h"
#include "plot/plotfile.h"
#include "plot/plotsettings.h"

namespace {

// Exit status: 0 done, 1 the module did not answer, 2 usage or file error, 3 the port did not open.
constexpr int ExitNoAnswer = 1;
constexpr int ExitUsage = 2;
constexpr int ExitPort = 3;

const std::string commonOptions =
    "  --port P         the module's port: a device path, a COM name, or Simulator\n"
    "  --speed S        " +
    orvo::linkSpeedList(", ", " or ") + " bits per second (default 115200)\n";

struct Options {
    std::string port;
    int baud = 115200;
    std::string set; // "all" or 1..256
    std::string output;
    bool yes = false;
    bool force = false;
    std::string altitude;
};

// Returns 0 when the options parsed, else the exit status (help printed: -1).
int parseOptions(const char* command, const std::vector<std::string>& args, const std::string& allowed,
                 const std::string& help, Options* o) {
    std::string v;
    for (orvo::cli::ArgReader r(args); r.next();) {
        const std::string& a = r.word();
        if (r.helpShown(help)) return -1;
        const bool takesValue = r.is("--port", "--speed") || r.is("--set", "-o") || r.is("--altitude");
        const std::string key = r.is("-o") ? "o" : a.substr(a.rfind('-') + 1);
        const bool flag = r.is("--yes", "--force");
        if ((takesValue || flag) && allowed.find("," + key + ",") == std::string::npos) {
            std::fprintf(stderr, "orvo-cli %s: %s is not an option of this command\n", command, a.c_str());
            return ExitUsage;
        }
        if (flag) {
            (r.is("--yes") ? o->yes : o->force) = true;
            continue;
        }
        if (!takesValue) {
            std::fprintf(stderr, "orvo-cli %s: unknown option %s\n%s", command, a.c_str(), help.c_str());
            return ExitUsage;
        }
        if (!r.value(v)) {
            std::fprintf(stderr, "orvo-cli %s: %s needs a value\n", command, a.c_str());
            return ExitUsage;
        }
        if (a == "--port") o->port = v;
        if (a == "--set") o->set = v;
        if (a == "-o") o->output = v;
        if (a == "--altitude") o->altitude = v;
        if (a == "--speed" && !orvo::cli::parseLinkSpeed(v, o->baud)) {
            std::fprintf(stderr, "orvo-cli %s: --speed must be one of %s\n", command,
                         orvo::linkSpeedList(" ", " ").c_str());
            return ExitUsage;
        }
    }
    if (o->port.empty()) {
        std::fprintf(stderr, "orvo-cli %s: --port is required\n%s", command, help.c_str());
        return ExitUsage;
    }
    return 0;
}

int openPort(orvo::Link& link, const char* command, const Options& o) {
    if (link.CommOpen(o.port, o.baud, 0) == orvo::LinkStatus::Ok) return 0;
    std::fprintf(stderr, "orvo-cli %s: Unable to open Serial Port %s: %s\n", command, o.port.c_str(),
                 link.CommLastError().c_str());
    return ExitPort;
}

struct PortCloser {
    orvo::Link& link;
    ~PortCloser() { link.CommClose(); }
};

// The downloads folder is the program's; the window and this tool share it.
void nameTheProgram() {
    if (QCoreApplication::organizationName().isEmpty())
        QCoreApplication::setOrganizationName(QStringLiteral("TamberlinSystems"));
    if (QCoreApplication::applicationName().isEmpty())
        QCoreApplication::setApplicationName(QStringLiteral("Orvo"));
}

// What is said after a configuration read that did not give the block.
bool configurationRead(orvo::ConfigStatus status, const std::string& doubt, orvo::InfoLog& log) {
    if (status == orvo::ConfigStatus::Doubtful) log.line(orvo::configDoubtText(doubt) + ".");
    if (status != orvo::ConfigStatus::Ok) {
        std::fprintf(stderr, "%s\n", orvo::ConfigReadFailedText);
        return false;
    }
    return true;
}

bool readConfiguration(orvo::Link& link, orvo::ConfigBlock* config) {
    orvo::StdoutInfoLog log;
    std::string doubt;
    return configurationRead(orvo::readModuleConfiguration(link, config, &doubt, false, log), doubt, log);
}

// The exit status of a command followed by a configuration read.
int commandAndReadStatus(const orvo::CommandAndRead& done, orvo::InfoLog& log) {
    if (done.command != orvo::LinkStatus::Ok || !configurationRead(done.read, done.doubt, log))
        return ExitNoAnswer;
    return 0;
}

// ---- info ----

int runInfo(const std::vector<std::string>& args) {
    const std::string help =
        std::string("Usage: orvo-cli info --port P [--speed S]\n"
                    "Identifies the module and counts its recorded data sets, and prints the\n"
                    "information lines as \"Download Info\" writes them.\n\nOptions:\n") +
        commonOptions +
        "\nExit status: 0 done (an empty module, which identifies itself at once and lists nothing,\n"
        "holds 0 data sets), 1 an identification line did not arrive, a slower module did not list\n"
        "its sets or its listing was cut off or garbled, 2 usage, 3 the port did not open.\n";
    Options o;
    if (int rc = parseOptions("info", args, ",port,speed,", help, &o)) return rc < 0 ? 0 : rc;
    orvo::PortLink link;
    if (int rc = openPort(link, "info", o)) return rc;
    PortCloser closer{link};
    orvo::StdoutInfoLog log;
    const orvo::ModuleSurvey survey = orvo::surveyModule(link, log);
    return survey.status() != orvo::LinkStatus::Ok || !survey.listing.confirmed() ? ExitNoAnswer : 0;
}

// ---- download ----

int runDownload(const std::vector<std::string>& args) {
    const std::string help =
        std::string(
            "Usage: orvo-cli download --port P [--speed S] --set N|all [-o FILE]\n"
            "Downloads data set N (1 = the first) or all data sets as \"Download Data\" does. One set\n"
            "is written to FILE as a data set file, all sets as a plot file, as Save writes them.\n"
            "Every downloaded set is also kept in the downloads folder of the program's data\n"
            "directory.\n\nOptions:\n") +
        commonOptions +
        "  --set N|all      which data set\n"
        "  -o FILE          the file to write\n"
        "\nExit status: 0 done, 1 the module did not answer, did not list its sets, its listing was\n"
        "cut off or garbled (the listed sets are still downloaded), or a set arrived incomplete or\n"
        "damaged (what arrived is still written), 2 usage or file error (a set that could not be kept in "
        "the\n"
        "downloads folder is written to the current folder when there is no -o), 3 the port did not\n"
        "open.\n";
    Options o;
    if (int rc = parseOptions("download", args, ",port,speed,set,o,", help, &o)) return rc < 0 ? 0 : rc;
    bool all = o.set == "all";
    int wanted = 0;
    if (!all) {
        char* end = nullptr;
        const long n = std::strtol(o.set.c_str(), &end, 10);
        if (o.set.empty() || *end != 0 || n < 1 || n > orvo::MaxModuleSets) {
            std::fprintf(stderr, "orvo-cli download: --set must be all or a number from 1 to 256\n");
            return ExitUsage;
        }
        wanted = static_cast<int>(n);
    }
    nameTheProgram();
    orvo::PortLink link;
    if (int rc = openPort(link, "download", o)) return rc;
    PortCloser closer{link};

    orvo::ConfigBlock config;
    const std::uint32_t askedAt = link.CommTickCount();
    if (!readConfiguration(link, &config)) return ExitNoAnswer;
    // The block's answer time shows how slow the module is; its listing gets a few times that.
    orvo::ModuleIdentity timing;
    timing.answerMs = link.CommTickCount() - askedAt;
    const orvo::SetListing listing = orvo::listSetsOf(link, timing);
    const int count = listing.count;
    if (count > 0 || listing.empty) std::printf("Memory contains %d data sets.\n", count);
    for (const std::string& problem : orvo::listingProblems(listing))
        std::printf("%s\n", problem.c_str());
    int status = listing.confirmed() ? 0 : ExitNoAnswer;
    int first = 0, last = count - 1;
    if (!all) {
        // A doubtful listing may have missed the set asked for; the module is asked all the same.
        if (wanted > count && !listing.doubtful()) {
            std::fprintf(stderr, "orvo-cli download: the module holds %d data sets; there is no set %d\n",
                         count, wanted);
            return ExitNoAnswer;
        }
        first = last = wanted - 1;
    }
    if (first > last) {
        if (listing.listed()) std::printf("No data sets to download.\n");
        return status;
    }

    orvo::PlotState plot;
    orvo::SeriesList& list = plot.settings.series;
    const std::string today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")).toStdString();
    orvo::StdoutInfoLog log;
    for (int i = first; i <= last; ++i) {
        const orvo::SetDownload got =
            orvo::downloadModuleSet(link, plot, i, listing, config, orvo::setListingWaitMs(timing), today,
                                    orvo::downloadsFolder(), log);
        if (got.result != orvo::LinkStatus::Ok) {
            status = ExitNoAnswer;
            break;
        }
        if (!got.outcome.complete() && status == 0) status = ExitNoAnswer;
        if (got.archived()) continue;
        status = ExitUsage;
        const int n = got.dataSetIndex;
        const orvo::PlotFileHeader header = orvo::plotFileHeader(plot.settings);
        std::string path, error;
        if (!o.output.empty()) continue; // the set goes into FILE below
        // Nothing else would keep the flight once this run ends: the current folder takes it.
        const std::string here = QDir::currentPath().toStdString();
        if (orvo::archiveDownloadedSet(list, n, header, i + 1, orvo::downloadRecord(listing, i, got.outcome),
                                       &path, &error, here))
            std::printf("The set was written to %s instead.\n", path.c_str());
        else
            std::fprintf(stderr,
                         "orvo-cli download: set %d could not be kept anywhere (%s); download it again "
                         "with -o FILE.\n",
                         i + 1, error.c_str());
    }
    if (!o.output.empty() && list.dataSetCount() > 0) {
        const orvo::PlotFileHeader header = orvo::plotFileHeader(plot.settings);
        const orvo::FileStatus saved = all ? orvo::savePlotFile(o.output, list, header)
                                           : orvo::saveDataSetFile(o.output, list, 0, header);
        if (saved != orvo::FileStatus::Ok) {
            std::fprintf(stderr, "orvo-cli download: Unable to write %s!\n", o.output.c_str());
            return ExitUsage;
        }
        std::printf("Wrote %s\n", o.output.c_str());
    }
    return status;
}

// ---- erase ----

int runErase(const std::vector<std::string>& args) {
    const std::string help =
        std::string("Usage: orvo-cli erase --port P [--speed S] [--yes] [--force]\n"
                    "Erases every recorded data set in the module, after asking on the terminal.\n"
                    "The module must first list its data sets; an empty, cut off or garbled listing\n"
                    "erases nothing unless --force is given. Before erasing, the sets are listed again:\n"
                    "the two listings must agree, and every listed set must have been downloaded whole\n"
                    "from the listing line the module gives now (a copy in the downloads folder of the\n"
                    "program's data directory); otherwise the sets not saved are named and nothing is\n"
                    "erased unless --force is given. A module that lists no sets is not erased\n"
                    "without --force.\n"
                    "\nOptions:\n") +
        commonOptions +
        "  --yes            do not ask\n"
        "  --force          erase even when the listing cannot confirm what the module holds, or a\n"
        "                   listed set was never saved\n"
        "\nExit status: 0 erased, 1 the module did not identify itself, its listing could not be\n"
        "confirmed, a set was never saved or the answer was No (nothing erased), 2 usage, 3 the port\n"
        "did not open.\n";
    Options o;
    if (int rc = parseOptions("erase", args, ",port,speed,yes,force,", help, &o)) return rc < 0 ? 0 : rc;
    nameTheProgram();
    orvo::PortLink link;
    if (int rc = openPort(link, "erase", o)) return rc;
    PortCloser closer{link};
    // The module does not answer 'x'; make sure one is there before erasing.
    const orvo::ModuleIdentity id = orvo::identifyModule(link);
    if (id.missingLines == 4) {
        std::printf("%s\n", orvo::NoReplyText);
        return ExitNoAnswer;
    }
    const std::uint32_t wait = orvo::setListingWaitMs(id);
    const orvo::SetListing listing = orvo::listSetsOf(link, id);
    const int count = listing.count;
    // A module too slow or too garbled to list its sets may still hold flights: erasing blind
    // would destroy what nobody has seen.
    if (!listing.confirmed() && !o.force) {
        for (const std::string& problem : orvo::listingProblems(listing))
            std::fprintf(stderr, "orvo-cli erase: %s\n", problem.c_str());
        std::fprintf(stderr, "orvo-cli erase: what the module holds is not confirmed; nothing was erased "
                             "(--force erases anyway).\n");
        return ExitNoAnswer;
    }
    if (!o.yes) {
        std::printf("%s holds %d data sets.\n%s [y/N] ", id.deviceName.c_str(), count,
                    orvo::EraseQuestionText);
        std::fflush(stdout);
        std::string answer;
        if (!std::getline(std::cin, answer) || (answer != "y" && answer != "Y" && answer != "yes")) {
            std::printf("%s\n", orvo::NothingErasedText);
            return ExitNoAnswer;
        }
    }
    // Listed again right before the erase: a set recorded or a listing garbled meanwhile, or a
    // set nobody downloaded, stops it.
    orvo::StdoutInfoLog log;
    const orvo::ModuleErase erase = orvo::eraseModuleData(
        link, listing, wait, orvo::downloadsFolder(),
        [&](const orvo::EraseCheck& check) {
            if (check.safe()) return true;
            for (const std::string& reason : check.reasons)
                std::fprintf(stderr, "orvo-cli erase: %s\n", reason.c_str());
            if (!o.force)
                std::fprintf(stderr, "orvo-cli erase: nothing was erased (--force erases anyway).\n");
            return o.force;
        },
        log);
    return erase.result == orvo::LinkStatus::Ok ? 0 : ExitNoAnswer;
}

// ---- reset and calibrate ----

int runReset(const std::vector<std::string>& args) {
    const std::string help =
        std::string("Usage: orvo-cli reset --port P [--speed S]\n"
                    "Restarts the module, waits 4 s and reads its configuration.\n\nOptions:\n") +
        commonOptions +
        "\nExit status: 0 done, 1 the module did not answer, 2 usage, 3 the port did not open.\n";
    Options o;
    if (int rc = parseOptions("reset", args, ",port,speed,", help, &o)) return rc < 0 ? 0 : rc;
    orvo::PortLink link;
    if (int rc = openPort(link, "reset", o)) return rc;
    PortCloser closer{link};
    orvo::ConfigBlock config;
    orvo::StdoutInfoLog log;
    return commandAndReadStatus(orvo::resetModuleAndRead(link, &config, false, log), log);
}

int runCalibrate(const std::vector<std::string>& args) {
    const std::string help =
        std::string("Usage: orvo-cli calibrate --port P [--speed S] --altitude A\n"
                    "Tells the module its actual current altitude (a whole number in its units), then reads\n"
                    "its configuration.\n\nOptions:\n") +
        commonOptions +
        "  --altitude A     the altitude, -32768..32767\n"
        "\nExit status: 0 done, 1 the module did not answer, 2 usage, 3 the port did not open.\n";
    Options o;
    if (int rc = parseOptions("calibrate", args, ",port,speed,altitude,", help, &o)) return rc < 0 ? 0 : rc;
    std::int16_t altitude = 0;
    const std::string problem = orvo::calibrationAltitudeProblem(o.altitude, &altitude);
    if (!problem.empty()) {
        std::fprintf(stderr, "orvo-cli calibrate: %s\n", problem.c_str());
        return ExitUsage;
    }
    orvo::PortLink link;
    if (int rc = openPort(link, "calibrate", o)) return rc;
    PortCloser closer{link};
    orvo::ConfigBlock config;
    orvo::StdoutInfoLog log;
    return commandAndReadStatus(orvo::calibrateModuleAndRead(link, altitude, &config, false, log), log);
}

} // namespace

ORVO_CLI_COMMAND("info", "identify the module and count its data sets", runInfo);
ORVO_CLI_COMMAND("download", "download one or all data sets into a data file", runDownload);
ORVO_CLI_COMMAND("erase", "erase every data set in the module", runErase);
ORVO_CLI_COMMAND("reset", "restart the module and read its configuration", runReset);
ORVO_CLI_COMMAND("calibrate", "set the module's current altitude", runCalibrate);
