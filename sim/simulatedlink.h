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
    // flights; its memory and configuration outlive closing and reopening the port.
    Module& simulator();

  protected:
    // The ports other than "Simulator" (none by default).
    void setOtherPorts(SerialDeviceFactory factory);

  private:
    std::unique_ptr<Module> m_module;
    SerialDeviceFactory m_otherPorts;
};

// The "Simulator" device of a link: module, paced at the open speed and timed by link's clock.
std::unique_ptr<SerialDevice> makeSimulatorDevice(Module& module, Link& link);

} // namespace orvo::sim
