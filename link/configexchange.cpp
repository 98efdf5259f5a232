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
    // Noise before the reply shifts every field, and the module's own bytes then go on arriving
    // after the 38: such a block written back would set the module up with nonsense.
    std::uint8_t late[2];
    if (CommReadBlock(late, 1, CommQuietMs()) == 1) {
        if (doubt) *doubt = "more bytes came after the 38-byte block";
        return ConfigStatus::Doubtful;
    }
    const ConfigBlock received = ConfigBlock::fromWire(scratch);
    const std::string why = configBlockDoubt(received);
    if (!why.empty()) {
        if (doubt) *doubt = why;
        return ConfigStatus::Doubtful;
    }
    *block = received;
    return ConfigStatus::Ok;
}

ConfigStatus readConfirmedConfigBlock(ConfigBlock* block, std::string* doubt) {
    // Two reads in a row must be equal: the same flipped bit in two answers, one after the other,
    // is far rarer than a clean answer twice.
    ConfigBlock previous;
    bool havePrevious = false;
    std::string lastDoubt;
    for (int attempt = 0; attempt < ConfigConfirmReads; ++attempt) {
        ConfigBlock received;
        std::string why;
        const ConfigStatus status = readConfigBlock(&received, &why);
        if (status == ConfigStatus::WriteFailed) return status;
        // A module that does not answer at all is not asked four more times, 5 s each.
        if (status == ConfigStatus::NoResponse && attempt == 0) return status;
        if (status != ConfigStatus::Ok) {
            lastDoubt = status == ConfigStatus::NoResponse ? "a read got no whole answer" : why;
            havePrevious = false;
            continue;
        }
        if (havePrevious && previous == received) {
            *block = received;
            return ConfigStatus::Ok;
        }
        previous = received;
        havePrevious = true;
    }
    if (doubt) {
        *doubt = "no two of " + std::to_string(ConfigConfirmReads) + " reads in a row agreed";
        if (!lastDoubt.empty()) *doubt += "; " + lastDoubt;
    }
    return ConfigStatus::Doubtful;
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

ConfigStatus resetConfigDefaults(ConfigBlock* block, std::string* doubt, bool confirmed) {
    const ConfigStatus sent = sendConfigDefaults();
    if (sent != ConfigStatus::Ok) return sent;
    return confirmed ? readConfirmedConfigBlock(block, doubt) : readConfigBlock(block, doubt);
}

} // namespace orvo
