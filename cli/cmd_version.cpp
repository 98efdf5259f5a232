#include <cstdio>

#include "cli/command.h"

namespace {

int runVersion(const std::vector<std::string>&) {
    std::printf("Orvo %s\n", ORVO_VERSION_TEXT);
    return 0;
}

} // namespace

ORVO_CLI_COMMAND("version", "print the program version", runVersion);
