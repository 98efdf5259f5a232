// The system's serial ports (USB adapters, built-in ports, pseudo-terminals) through QSerialPort.
#pragma once

#include <memory>

#include "link/serialdevice.h"

namespace orvo {

std::unique_ptr<SerialDevice> makeQtSerialDevice();

} // namespace orvo
