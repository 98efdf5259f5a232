#include "desktop/portlink.h"

#include "desktop/qtserialdevice.h"

namespace orvo {

PortLink::PortLink() {
    setOtherPorts([](const std::string&) { return makeQtSerialDevice(); });
}

} // namespace orvo
