// orvo-cli: the module and file operations of the program, from a terminal.
#include <QCoreApplication>
#include <QGuiApplication>

#include <algorithm>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cli/command.h"
#include "platform/platform.h"

namespace orvo::cli {

std::vector<Command>& commands() {
    static std::vector<Command> list;
    return list;
}

} // namespace orvo::cli

static void usage(FILE* out) {
    std::fprintf(out, "Usage: orvo-cli <command> [options]\n\nCommands:\n");
    auto list = orvo::cli::commands();
    std::sort(list.begin(), list.end(),
              [](const auto& a, const auto& b) { return std::strcmp(a.name, b.name) < 0; });
    for (const auto& c : list)
        std::fprintf(out, "  %-10s %s\n", c.name, c.help);
    std::fprintf(out, "\n'orvo-cli <command> --help' describes a command's options;\n"
                      "'orvo-cli --version' prints the program version.\n");
}

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    std::setlocale(LC_NUMERIC, "C"); // files and texts always use a full stop
    if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h") ||
        !std::strcmp(argv[1], "help")) {
        usage(argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    if (!std::strcmp(argv[1], "--version")) {
        std::printf("Orvo %s\n", ORVO_VERSION_TEXT);
        return 0;
    }
    // Over a file-size limit a write must fail and be reported, not kill the process.
    orvo::platform::ignoreFileSizeSignal();
    const std::string name = argv[1];
    for (const auto& c : orvo::cli::commands()) {
        if (name != c.name) continue;
        // Serial ports and timers want an application object; drawing text wants the GUI layer,
        // which runs without a window on the offscreen platform.
        int qtArgc = 1;
        std::unique_ptr<QCoreApplication> app;
        if (c.gui) {
            orvo::platform::setEnvironmentDefault("QT_QPA_PLATFORM", "offscreen");
            app = std::make_unique<QGuiApplication>(qtArgc, argv);
        } else {
            app = std::make_unique<QCoreApplication>(qtArgc, argv);
        }
        std::setlocale(LC_NUMERIC, "C");
        QCoreApplication::setOrganizationName(QStringLiteral("TamberlinSystems"));
        QCoreApplication::setApplicationName(QStringLiteral("Orvo"));
        return c.run(std::vector<std::string>(argv + 2, argv + argc));
    }
    std::fprintf(stderr, "orvo-cli: unknown command '%s'\n\n", argv[1]);
    usage(stderr);
    return 2;
}
