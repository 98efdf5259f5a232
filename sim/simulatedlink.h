// A link with the built-in "Simulator" port: its own emulated module in this process, paced at
// the speed the port was opened with and timed by the link's clock (so tests on a virtual clock
// run the whole conversation without waiting). The window and orvo-cli use PortLink, which adds
// the system's serial ports; tests of the layers below use this one.
#pragma once

#include <memory>

#include "link/comm.h"
#include "link/serialdevice.h"

namespace orvo::sim {

class Module;

class SimulatedLink : public Link {
  public:
    SimulatedLink();
    ~SimulatedLink();

    // The emulated module behind the "Simulator" port, made at first use with three recorded
    // flights (or the shared one, see shareSimulator); its memory and configuration outlive
    // closing and reopening the port.
    Module& simulator();

  protected:
    // The ports other than "Simulator" (none by default).
    void setOtherPorts(SerialDeviceFactory factory);

  private:
    Module* m_shared = nullptr;
    std::unique_ptr<Module> m_module;
    SerialDeviceFactory m_otherPorts;
};

// For tests that run whole commands, which make their own link, in this process: every
// SimulatedLink made while a module is shared talks to that module behind "Simulator" and keeps
// time by clock (when given). Neither is owned; shareSimulator(nullptr, nullptr) gives each new
// link its own module and the real clock again.
void shareSimulator(Module* module, Clock* clock);

// The "Simulator" device of a link: module, paced at the open speed and timed by link's clock.
std::unique_ptr<SerialDevice> makeSimulatorDevice(Module& module, Link& link);

} // namespace orvo::sim
