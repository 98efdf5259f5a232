// Sub-command registry of orvo-cli: each cmd_<name>.cpp registers itself, main.cpp dispatches.
#pragma once

#include <string>
#include <vector>

namespace orvo::cli {

// args holds the words after the sub-command name. Returns the process exit status.
using CommandFn = int (*)(const std::vector<std::string>& args);

struct Command {
    const char* name;
    const char* help;
    CommandFn run;
    bool gui = false; // draws text: runs under a (windowless) QGuiApplication
};

std::vector<Command>& commands();

struct Registrar {
    Registrar(const char* name, const char* help, CommandFn fn, bool gui = false) {
        commands().push_back({name, help, fn, gui});
    }
};

} // namespace orvo::cli

#define ORVO_CLI_CONCAT2(a, b) a##b
#define ORVO_CLI_CONCAT(a, b) ORVO_CLI_CONCAT2(a, b)
#define ORVO_CLI_COMMAND(name, help, fn)                                                                     \
    static ::orvo::cli::Registrar ORVO_CLI_CONCAT(orvoCliRegistrar_, __LINE__)(name, help, fn)
#define ORVO_CLI_GUI_COMMAND(name, help, fn)                                                                 \
    static ::orvo::cli::Registrar ORVO_CLI_CONCAT(orvoCliRegistrar_, __LINE__)(name, help, fn, true)
