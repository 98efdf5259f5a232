// `orvo-cli config`: reads the module's configuration block and prints it as Name=value lines;
// changes fields, restores the module's defaults, and keeps a configuration in a text file so a
// module's settings can be backed up and restored.
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/options.h"
#include "config/configfields.h"
#include "data/datafile.h"
#include "data/inputfile.h"
#include "desktop/portlink.h"
#include "link/comm.h"
#include "link/configexchange.h"
#include "link/infolog.h"
#include "link/linkspeed.h"
#include "moduleops/moduleoperations.h"

namespace {

// The lines of the module operations go to stderr: stdout carries the block alone.
class StderrLog : public orvo::InfoLog {
  public:
    void clear() override {}
    void line(const std::string& text) override {
        std::fprintf(stderr, "orvo-cli config: %s\n", text.c_str());
    }
};

const std::string configHelp =
    "Usage: orvo-cli config --port P [--speed S] [--defaults] [--load FILE] [--set Name=value]...\n"
    "                       [--save FILE]\n"
    "Reads the module's configuration block and prints one Name=value line per field, in block\n"
    "order (Marker, IntervalTicks, Units, ...). With --load or --set the block is read until three\n"
    "reads agree (at most eight), then the changed block is written, read back the same way, and\n"
    "every field that did not take is reported.\n\n"
    "Options:\n"
    "  --port P         the module's port: a device path, a COM name, or Simulator\n"
    "  --speed S        " +
    orvo::linkSpeedList(", ", " or ") +
    " bits per second (default 115200)\n"
    "  --defaults       have the module restore its default configuration first, then read it\n"
    "  --load FILE      apply the Name=value lines of FILE (as written by --save; blank lines and\n"
    "                   lines starting with # are skipped). Marker and the Reserved fields keep\n"
    "                   the module's values.\n"
    "  --set Name=value change one field (repeatable, applied after --load; decimal or 0x hex).\n"
    "                   A value the field cannot hold is refused and nothing is sent (for example\n"
    "                   IntervalTicks and IntervalUnit 1..65535, Units 0..2, ServoOn 20..40).\n"
    "  --save FILE      write the block as finally read to FILE\n\n"
    "Exit status: 0 done, 1 the module did not answer, its answer was garbled or no three reads\n"
    "agreed (nothing is then written) or a field did not take, 2 usage or file error or a value a\n"
    "field cannot hold (nothing written), 3 the port did not open.\n";

struct Options {
    std::string port;
    int baud = 115200;
    bool defaults = false;
    std::string loadFile;
    std::string saveFile;
    std::vector<orvo::FieldAssignment> changes; // --load lines first, then --set, in order
    std::size_t fileChanges = 0;                // how many of changes came from --load
};

// The changes of a saved file. Fields the program never changes are left to the module.
bool loadChanges(const std::string& path, std::vector<orvo::FieldAssignment>* out) {
    // A saved configuration is a few hundred bytes; anything far larger is not one.
    std::string text, why;
    if (!orvo::readRegularFile(path, text, &why, 1 << 20)) {
        std::fprintf(stderr, "orvo-cli config: Unable to open %s! (%s)\n", path.c_str(), why.c_str());
        return false;
    }
    std::istringstream in{std::string(orvo::withoutByteOrderMark(text))};
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        const std::size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#') continue;
        std::string error;
        auto a = orvo::parseFieldAssignment(line, &error);
        if (!a) {
            std::fprintf(stderr, "orvo-cli config: %s:%d: %s\n", path.c_str(), number, error.c_str());
            return false;
        }
        if (!a->field->passThrough) out->push_back(*a);
    }
    return true;
}

// 0 when the options are complete, else the exit status.
int parseOptions(const std::vector<std::string>& args, Options* o) {
    std::vector<orvo::FieldAssignment> sets;
    std::string v;
    for (orvo::cli::ArgReader r(args); r.next();) {
        const std::string& a = r.word();
        if (r.helpShown(configHelp)) return -1;
        const bool takesValue = r.is("--port", "--speed") || r.is("--load", "--save") || r.is("--set");
        if (takesValue && !r.value(v)) {
            std::fprintf(stderr, "orvo-cli config: %s needs a value\n", a.c_str());
            return 2;
        }
        if (a == "--port") {
            o->port = v;
        } else if (a == "--speed") {
            if (!orvo::cli::parseLinkSpeed(v, o->baud)) {
                std::fprintf(stderr, "orvo-cli config: unsupported speed %s\n", v.c_str());
                return 2;
            }
        } else if (a == "--defaults") {
            o->defaults = true;
        } else if (a == "--load") {
            o->loadFile = v;
        } else if (a == "--save") {
            o->saveFile = v;
        } else if (a == "--set") {
            std::string error;
            auto assignment = orvo::parseFieldAssignment(v, &error);
            if (!assignment) {
                std::fprintf(stderr, "orvo-cli config: %s\n", error.c_str());
                return 2;
            }
            const std::string range = orvo::fieldRangeProblem(*assignment->field, assignment->value);
            if (!range.empty()) {
                std::fprintf(stderr, "orvo-cli config: %s; nothing was sent.\n", range.c_str());
                return 2;
            }
            sets.push_back(*assignment);
        } else {
            return orvo::cli::usageError("config", "unknown option " + a, configHelp.c_str());
        }
    }
    if (o->port.empty()) return orvo::cli::usageError("config", "--port is required", configHelp.c_str());
    // The file is checked before the port opens, so a bad file sends nothing.
    if (!o->loadFile.empty() && !loadChanges(o->loadFile, &o->changes)) return 2;
    o->fileChanges = o->changes.size();
    o->changes.insert(o->changes.end(), sets.begin(), sets.end());
    return 0;
}

// Sends the changed block and reads it back into *block; 0, or 1 with every field that did not
// take named. *readBack is false when the write or the read after it failed.
int writeAndVerify(orvo::Link& link, orvo::ConfigBlock* block,
                   const std::vector<orvo::FieldAssignment>& changes, bool* readBack, orvo::InfoLog& log) {
    *readBack = false;
    orvo::ConfigBlock wanted = *block;
    for (const orvo::FieldAssignment& c : changes)
        orvo::setFieldValue(wanted, *c.field, c.value);
    if (orvo::writeModuleConfiguration(link, wanted, log) != orvo::ConfigStatus::Ok) return 1;
    std::string doubt;
    const orvo::ConfigStatus back = orvo::readModuleConfiguration(link, block, &doubt, true, log);
    if (back == orvo::ConfigStatus::Doubtful) {
        std::fprintf(stderr,
                     "orvo-cli config: the block read back after the write is doubtful (%s); what the "
                     "module holds is not confirmed.\n",
                     doubt.c_str());
        return 1;
    }
    if (back != orvo::ConfigStatus::Ok) return 1; // the read said so
    *readBack = true;
    int status = 0;
    for (const orvo::ConfigField& f : orvo::configFields()) {
        const long want = orvo::fieldValue(wanted, f);
        const long have = orvo::fieldValue(*block, f);
        if (want != have) {
            std::fprintf(stderr, "orvo-cli config: %s did not take: wrote %ld, module has %ld\n", f.name,
                         want, have);
            status = 1;
        }
    }
    return status;
}

int runConfig(const std::vector<std::string>& args) {
    Options o;
    if (const int s = parseOptions(args, &o)) return s < 0 ? 0 : s;

    orvo::PortLink link;
    if (link.CommOpen(o.port, o.baud, 0) != orvo::LinkStatus::Ok) {
        std::fprintf(stderr, "orvo-cli config: Unable to open Serial Port %s: %s\n", o.port.c_str(),
                     link.CommLastError().c_str());
        return 3;
    }
    orvo::ConfigBlock block;
    std::string doubt;
    StderrLog log;
    // A block that is written back is taken only when three reads agree.
    const bool writing = !o.changes.empty();
    orvo::ConfigStatus read = orvo::ConfigStatus::WriteFailed;
    if (o.defaults) {
        const orvo::CommandAndRead done = orvo::restoreModuleDefaults(link, &block, writing, log);
        if (done.command == orvo::LinkStatus::Ok) read = done.read;
        doubt = done.doubt;
    } else {
        read = orvo::readModuleConfiguration(link, &block, &doubt, writing, log);
    }
    if (read == orvo::ConfigStatus::Doubtful) {
        // Changes go into the block as read: a garbled one would be written back whole.
        std::fprintf(stderr, "orvo-cli config: %s; nothing was %s.\n", orvo::configDoubtText(doubt).c_str(),
                     o.changes.empty() ? "printed" : "written");
        link.CommClose();
        return 1;
    }
    if (read != orvo::ConfigStatus::Ok) { // the exchange has said what failed
        link.CommClose();
        return 1;
    }
    // A saved file holds what a module had; a value no field can take is refused only where it
    // would change what this module holds.
    for (std::size_t i = 0; i < o.fileChanges; ++i) {
        const orvo::FieldAssignment& c = o.changes[i];
        const std::string range = orvo::fieldRangeProblem(*c.field, c.value);
        if (!range.empty() && orvo::fieldValue(block, *c.field) != c.value) {
            std::fprintf(stderr, "orvo-cli config: %s: %s; nothing was written.\n", o.loadFile.c_str(),
                         range.c_str());
            link.CommClose();
            return 2;
        }
    }
    int status = 0;
    bool current = true; // block is what the module now holds
    if (!o.changes.empty()) status = writeAndVerify(link, &block, o.changes, &current, log);
    link.CommClose();
    if (!current) return status;

    const std::string text = orvo::configToText(block);
    std::fputs(text.c_str(), stdout);
    if (!o.saveFile.empty()) {
        // A full disk leaves the previous backup whole instead of an empty or cut file.
        const orvo::FileStatus saved = orvo::writeFileSafely(o.saveFile, text);
        if (saved != orvo::FileStatus::Ok) {
            const std::string why = orvo::notRegularFileReason(o.saveFile);
            std::fprintf(stderr, "orvo-cli config: Unable to %s %s!%s%s%s\n",
                         saved == orvo::FileStatus::WriteFailed ? "write" : "open", o.saveFile.c_str(),
                         why.empty() ? "" : " (", why.c_str(), why.empty() ? "" : ")");
            return 2;
        }
    }
    return status;
}

} // namespace

ORVO_CLI_COMMAND("config", "read, change, reset, save or restore the module's configuration", runConfig);
