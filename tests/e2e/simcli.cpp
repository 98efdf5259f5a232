#include "simcli.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <vector>

#include "cli/command.h"
#include "sim/simulatedlink.h"

// The command registry that orvo-cli's main() keeps; the commands register themselves here.
namespace orvo::cli {

std::vector<Command>& commands() {
    static std::vector<Command> list;
    return list;
}

} // namespace orvo::cli

namespace {

// One of the process's standard streams sent elsewhere while a command runs.
class Redirect {
  public:
    Redirect(int fd, int to) : m_fd(fd), m_saved(::dup(fd)) { ::dup2(to, fd); }
    ~Redirect() {
        ::dup2(m_saved, m_fd);
        ::close(m_saved);
    }
    Redirect(const Redirect&) = delete;
    Redirect& operator=(const Redirect&) = delete;

  private:
    int m_fd;
    int m_saved;
};

void flushAll() {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
}

QString contents(QTemporaryFile& f) {
    f.seek(0);
    return QString::fromUtf8(f.readAll());
}

} // namespace

SimCli::SimCli() {
    start();
}

SimCli::~SimCli() {
    orvo::sim::shareSimulator(nullptr, nullptr);
}

void SimCli::start(const QStringList& options) {
    orvo::sim::shareSimulator(nullptr, nullptr);
    int sets = 3, unannounced = 0;
    std::uint32_t seed = 1;
    std::string faults;
    bool words = false;
    for (qsizetype i = 0; i < options.size(); ++i) {
        const QString& o = options[i];
        const QString value = o == QStringLiteral("--no-pacing") ? QString() : options.value(++i);
        if (o == QStringLiteral("--sets"))
            sets = value.toInt();
        else if (o == QStringLiteral("--seed"))
            seed = value.toUInt();
        else if (o == QStringLiteral("--faults"))
            faults = value.toStdString();
        else if (o == QStringLiteral("--listing"))
            words = value == QStringLiteral("words");
        else if (o == QStringLiteral("--unannounced"))
            unannounced = value.toInt();
        else if (o != QStringLiteral("--no-pacing"))
            ADD_FAILURE() << "no emulator option " << o.toStdString();
    }
    m_module = std::make_unique<orvo::sim::Module>();
    const int made = m_module->generateFlights(sets, seed);
    if (unannounced > 0 && unannounced <= made) {
        std::vector<orvo::sim::RecordedSet> recorded = m_module->recordedSets();
        recorded[static_cast<std::size_t>(unannounced - 1)].announceCount = false;
        m_module->setRecordedSets(std::move(recorded));
    }
    if (words) m_module->setListingCount(orvo::sim::Module::ListingCount::Words);
    std::string error;
    EXPECT_TRUE(orvo::sim::parseFaults(faults, &m_module->faults(), &error)) << error;
    orvo::sim::shareSimulator(m_module.get(), &m_clock);
}

CliRun SimCli::run(const QStringList& args) {
    CliRun result;
    const std::string name = args.value(0).toStdString();
    const orvo::cli::Command* command = nullptr;
    for (const orvo::cli::Command& c : orvo::cli::commands())
        if (name == c.name) command = &c;
    if (!command) {
        ADD_FAILURE() << "no command " << name;
        return result;
    }
    std::vector<std::string> words;
    for (qsizetype i = 1; i < args.size(); ++i)
        words.push_back(args[i].toStdString());

    // The program's own data folder and current folder, not the test's private ones.
    const QByteArray oldDataHome = qgetenv("XDG_DATA_HOME");
    const bool hadDataHome = qEnvironmentVariableIsSet("XDG_DATA_HOME");
    if (!dataHome.isEmpty()) qputenv("XDG_DATA_HOME", dataHome.toLocal8Bit());
    QStandardPaths::setTestModeEnabled(false);
    const QString oldDir = QDir::currentPath();
    if (!workDir.isEmpty()) QDir::setCurrent(workDir);

    QTemporaryFile out, err;
    EXPECT_TRUE(out.open() && err.open());
    const int nothing = ::open("/dev/null", O_RDONLY);
    flushAll();
    {
        const Redirect in(STDIN_FILENO, nothing), o(STDOUT_FILENO, out.handle()),
            e(STDERR_FILENO, err.handle());
        std::clearerr(stdin);
        std::cin.clear();
        result.status = command->run(words);
        flushAll();
    }
    ::close(nothing);
    std::clearerr(stdin);
    std::cin.clear();
    result.out = contents(out);
    result.err = contents(err);

    QDir::setCurrent(oldDir);
    QStandardPaths::setTestModeEnabled(true);
    if (hadDataHome)
        qputenv("XDG_DATA_HOME", oldDataHome);
    else
        qunsetenv("XDG_DATA_HOME");
    return result;
}

bool SimCli::waitFor(const std::function<bool()>& done, std::uint32_t ms) {
    // With the port closed the module keeps the system's time; here it keeps the test's.
    m_module->setTimeSource([this] { return m_clock.tickCount(); });
    const std::uint32_t start = m_clock.tickCount();
    bool held = done();
    while (!held && m_clock.tickCount() - start < ms) {
        m_clock.advance(10);
        held = done();
    }
    m_module->setTimeSource(nullptr);
    return held;
}
