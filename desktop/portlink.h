// The link the window and orvo-cli talk over: the built-in "Simulator" port and every other name
// opened as a serial port of the system.
#pragma once

#include "sim/simulatedlink.h"

namespace orvo {

class PortLink : public sim::SimulatedLink {
  public:
    PortLink();
};

} // namespace orvo
