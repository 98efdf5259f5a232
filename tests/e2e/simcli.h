// orvo-cli's module commands run inside the test process, against the emulated module behind the
// "Simulator" port on a virtual clock: the same exit statuses and texts as the program on a
// terminal, but a module that pauses, answers late or erases its flash costs no waiting.
#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <functional>
#include <memory>

#include "clirun.h"
#include "link/clock.h"
#include "sim/module.h"

// A virtual clock that lets the test act while a command waits (between its steps).
class WatchedClock : public orvo::VirtualClock {
  public:
    void sleep(std::uint32_t ms) override {
        orvo::VirtualClock::sleep(ms);
        if (onSleep) onSleep();
    }
    std::function<void()> onSleep;
};

class SimCli {
  public:
    SimCli();
    ~SimCli();
    SimCli(const SimCli&) = delete;
    SimCli& operator=(const SimCli&) = delete;

    // A fresh module made as `orvo-cli sim` makes it from these options (--sets, --seed, --faults,
    // --listing, --unannounced; --no-pacing changes nothing on a virtual clock). Every command run
    // after this talks to it.
    void start(const QStringList& options = {});
    orvo::sim::Module& module() { return *m_module; }
    WatchedClock& clock() { return m_clock; }

    // Runs `orvo-cli args...` with no answer on standard input, XDG_DATA_HOME at dataHome and
    // workDir (when set) as the current folder.
    CliRun run(const QStringList& args);
    // Advances the clock until done() holds or ms have passed; whether it holds.
    bool waitFor(const std::function<bool()>& done, std::uint32_t ms);

    QString dataHome;
    QString workDir;

  private:
    WatchedClock m_clock;
    std::unique_ptr<orvo::sim::Module> m_module;
};
