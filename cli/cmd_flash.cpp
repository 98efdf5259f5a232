// `orvo-cli flash`: "Update Firmware" from a terminal, through the same UpdateFirmware the window
// runs; its log lines go to standard output.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/options.h"
#include "desktop/portlink.h"
#include "firmware/isp.h"
#include "link/comm.h"
#include "link/linkspeed.h"
#include "moduleops/moduleoperations.h"
#include "platform/platform.h"

namespace {

constexpr int ExitUsage = 2;
constexpr int ExitPort = 3;
constexpr int ExitFile = 4;
constexpr int ExitNoSync = 5;
constexpr int ExitCommand = 6;
constexpr int ExitStopped = 7;

// The exit status the help lists for what came of the update.
int exitStatusOf(orvo::LinkStatus status) {
    switch (status) {
    case orvo::LinkStatus::Ok:
        return 0;
    case orvo::LinkStatus::NoSuchPort:
    case orvo::LinkStatus::OpenFailed:
        return ExitPort;
    case orvo::LinkStatus::NoSync:
    case orvo::LinkStatus::NoAnswer:
        return ExitNoSync;
    case orvo::LinkStatus::CommandFailed:
        return ExitCommand;
    case orvo::LinkStatus::Cancelled:
        return ExitStopped;
    case orvo::LinkStatus::WriteFailed:
    case orvo::LinkStatus::FileUnreadable:
    case orvo::LinkStatus::TooLarge:
    case orvo::LinkStatus::Refused:
        break;
    }
    return ExitFile; // unreadable, too large, refused
}

// Ctrl+C or SIGTERM during an update: the update stops at the next record boundary (a record cut
// in the middle would leave the loader waiting for its rest) and says how to finish.
volatile std::sig_atomic_t stopSignal = 0;

void onStopSignal(int sig) {
    if (stopSignal == 0)
        orvo::platform::writeToStandardError("\norvo-cli flash: stopping after the current record...\n");
    stopSignal = sig;
}

const std::string flashHelp =
    "Usage: orvo-cli flash --port P [--speed S] [--blank] [--force] FILE\n"
    "Programs the Intel-HEX firmware file FILE into the module through its boot loader, as\n"
    "\"Update Firmware\" does. The whole file is read and checked before anything is sent.\n"
    "Warning: the module's firmware is erased first; an interrupted update leaves the module\n"
    "in its boot loader until an update completes (run again with --blank).\n\nOptions:\n"
    "  --port P         the module's port: a device path, a COM name, or Simulator\n"
    "  --speed S        the running firmware's speed: " +
    orvo::linkSpeedList(", ", " or ") +
    "\n"
    "                   bits per second (default 115200); the loader always talks at 4800\n"
    "  --blank          \"Part is Blank\": the boot loader already runs (a new or interrupted part),\n"
    "                   so it is not asked to start\n"
    "  --force          program a file whose records have wrong checksums, or erase the module\n"
    "                   for a file with no data at all; both are refused without it\n"
    "\nCtrl+C or SIGTERM stops the update at the next record boundary; once every record is\n"
    "programmed the update finishes instead. A stopped update says how to finish it.\n"
    "\nExit status: 0 updated; 2 usage; 3 a port did not open; 4 the file cannot be read, does\n"
    "not fit the code space, or was refused before anything was sent; 5 no answer to the\n"
    "synchronisation; 6 a boot loader command failed; 7 stopped by Ctrl+C or SIGTERM (run again\n"
    "with --blank when the log says the firmware is incomplete).\n";

int runFlash(const std::vector<std::string>& args) {
    orvo::FirmwareUpdateOptions options;
    options.linkSpeed = 115200;
    options.recoveryHint = "To finish, run orvo-cli flash again with --blank.";
    bool force = false;
    std::string file;
    std::string v;
    for (orvo::cli::ArgReader r(args); r.next();) {
        const std::string& a = r.word();
        if (r.helpShown(flashHelp)) return 0;
        if (r.is("--port", "--speed")) {
            if (!r.value(v)) {
                std::fprintf(stderr, "orvo-cli flash: %s needs a value\n", a.c_str());
                return ExitUsage;
            }
            if (a == "--port") {
                options.portName = v;
            } else if (!orvo::cli::parseLinkSpeed(v, options.linkSpeed)) {
                std::fprintf(stderr, "orvo-cli flash: --speed must be one of %s\n",
                             orvo::linkSpeedList(" ", " ").c_str());
                return ExitUsage;
            }
        } else if (r.is("--blank")) {
            options.blankPart = true;
        } else if (r.is("--force")) {
            force = true;
        } else if (a.size() > 1 && a[0] == '-') {
            std::fprintf(stderr, "orvo-cli flash: unknown option %s\n%s", a.c_str(), flashHelp.c_str());
            return ExitUsage;
        } else if (file.empty()) {
            file = a;
        } else {
            std::fprintf(stderr, "orvo-cli flash: one firmware file only\n");
            return ExitUsage;
        }
    }
    if (options.portName.empty() || file.empty()) {
        std::fprintf(stderr, "orvo-cli flash: --port and a firmware file are required\n%s",
                     flashHelp.c_str());
        return ExitUsage;
    }

    orvo::FirmwareUpdateHooks hooks;
    hooks.acceptBadChecksums = [force](int, int) {
        if (!force)
            std::fprintf(stderr, "orvo-cli flash: the file may be damaged; --force programs it anyway\n");
        return force;
    };
    hooks.acceptNoData = [force] {
        if (!force)
            std::fprintf(stderr, "orvo-cli flash: with no data the update would only erase the module; "
                                 "--force does that\n");
        return force;
    };
    hooks.stopRequested = [] { return stopSignal != 0; };
    orvo::StdoutInfoLog log;
    stopSignal = 0;
    orvo::LinkStatus result;
    {
        const orvo::platform::InterruptGuard signals(onStopSignal);
        orvo::PortLink link;
        result = orvo::updateModuleFirmware(link, file, options, log, hooks);
    }
    return exitStatusOf(result);
}

} // namespace

ORVO_CLI_COMMAND("flash", "program a firmware file into the module", runFlash);
