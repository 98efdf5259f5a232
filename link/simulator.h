// The module behind the program link's "Simulator" port (defaultLink().simulator()): its memory
// and configuration survive closing and reopening the port, as a real module's would. Tests and
// the window may set it up (recorded sets, faults) before connecting.
#pragma once

#include "sim/module.h"

namespace orvo {

sim::Module& simulatorModule();

} // namespace orvo
