// The module behind the "Simulator" port: one per process, so its memory and configuration
// survive closing and reopening the port, as a real module's would. Tests and the window may
// set it up (recorded sets, faults) before connecting.
#pragma once

#include "sim/module.h"

namespace orvo {

sim::Module& simulatorModule();

} // namespace orvo
