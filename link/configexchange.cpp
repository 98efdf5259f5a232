#include "link/configexchange.h"

#include "link/comm.h"

namespace orvo {

namespace {
bool sendCommand(char command) {
    CommFlush(); // stale input would be taken for the answer
    return CommWrite(&command, 1) == 1;
}
} // namespace

ConfigStatus readConfigBlock(ConfigBlock* block, std::string* doubt) {
    if (!sendCommand('r')) return ConfigStatus::WriteFailed;
    std::uint8_t scratch[ConfigBlockSize + 1]; // CommReadBlock terminates with a zero
    if (CommReadBlock(scratch, ConfigBlockSize, ConfigReadTimeoutMs) != ConfigBlockSize)
        return ConfigStatus::NoResponse;
    // Noise before the reply or a lost byte shifts every field; such a block written back would
    // set the module up with nonsense.
    const ConfigBlock received = ConfigBlock::fromWire(scratch);
    const std::string why = configBlockDoubt(received);
    if (!why.empty()) {
        if (doubt) *doubt = why;
        return ConfigStatus::Doubtful;
    }
    *block = received;
    return ConfigStatus::Ok;
}

ConfigStatus writeConfigBlock(const ConfigBlock& block) {
    // The wire copy is a scratch array: the in-memory block keeps its host-order numbers.
    const ConfigWire wire = block.toWire();
    if (!sendCommand('c')) return ConfigStatus::WriteFailed;
    CommSleep(ConfigWritePauseMs); // the module needs the pause to get ready for the block
    if (CommWrite(wire.data(), ConfigBlockSize) != ConfigBlockSize) return ConfigStatus::WriteFailed;
    return ConfigStatus::Ok;
}

ConfigStatus sendConfigDefaults() {
    if (!sendCommand('*')) return ConfigStatus::WriteFailed;
    CommSleep(ConfigDefaultsPauseMs);
    return ConfigStatus::Ok;
}

ConfigStatus resetConfigDefaults(ConfigBlock* block, std::string* doubt) {
    const ConfigStatus sent = sendConfigDefaults();
    if (sent != ConfigStatus::Ok) return sent;
    return readConfigBlock(block, doubt);
}

} // namespace orvo
