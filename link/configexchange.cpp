#include "link/configexchange.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "link/comm.h"

namespace orvo {

namespace {
bool sendCommand(Link& link, char command) {
    link.CommFlush(); // stale input would be taken for the answer
    return link.CommWrite(&command, 1) == 1;
}
} // namespace

ConfigStatus readConfigBlock(Link& link, ConfigBlock* block, std::string* doubt) {
    if (!sendCommand(link, 'r')) return ConfigStatus::WriteFailed;
    std::uint8_t scratch[ConfigBlockSize + 1]; // CommReadBlock terminates with a zero
    if (link.CommReadBlock(scratch, ConfigBlockSize, ConfigReadTimeoutMs) != ConfigBlockSize)
        return ConfigStatus::NoResponse;
    // Noise before the reply shifts every field, and the module's own bytes then go on arriving
    // after the 38: such a block written back would set the module up with nonsense.
    std::uint8_t late[2];
    if (link.CommReadBlock(late, 1, link.CommQuietMs()) == 1) {
        if (doubt) *doubt = "more bytes came after the 38-byte block";
        return ConfigStatus::Doubtful;
    }
    // Any value of any byte is one a module may hold (an erased memory holds 0xFF in its on/off
    // bytes): only the line's faults make a read doubtful.
    *block = ConfigBlock::fromWire(scratch);
    return ConfigStatus::Ok;
}

ConfigStatus readConfirmedConfigBlock(Link& link, ConfigBlock* block, std::string* doubt) {
    // Each block read so far, with how often it came.
    std::vector<std::pair<ConfigBlock, int>> seen;
    std::string lastDoubt;
    for (int attempt = 0; attempt < ConfigConfirmReads; ++attempt) {
        ConfigBlock received;
        std::string why;
        const ConfigStatus status = readConfigBlock(link, &received, &why);
        if (status == ConfigStatus::WriteFailed) return status;
        // A module that does not answer at all is not asked seven more times, 5 s each.
        if (status == ConfigStatus::NoResponse && attempt == 0) return status;
        if (status != ConfigStatus::Ok) {
            lastDoubt = status == ConfigStatus::NoResponse ? "a read got no whole answer" : why;
            continue;
        }
        const auto same = std::find_if(seen.begin(), seen.end(),
                                       [&received](const auto& s) { return s.first == received; });
        const int times = same == seen.end() ? 1 : ++same->second;
        if (same == seen.end()) seen.emplace_back(received, 1);
        if (times == ConfigAgreeingReads) {
            *block = received;
            return ConfigStatus::Ok;
        }
    }
    if (doubt) {
        *doubt = "no " + std::to_string(ConfigAgreeingReads) + " of " + std::to_string(ConfigConfirmReads) +
                 " reads agreed";
        if (!lastDoubt.empty()) *doubt += "; " + lastDoubt;
    }
    return ConfigStatus::Doubtful;
}

ConfigStatus writeConfigBlock(Link& link, const ConfigBlock& block) {
    // The wire copy is a scratch array: the in-memory block keeps its host-order numbers.
    const ConfigWire wire = block.toWire();
    if (!sendCommand(link, 'c')) return ConfigStatus::WriteFailed;
    link.CommSleep(ConfigWritePauseMs); // the module needs the pause to get ready for the block
    if (link.CommWrite(wire.data(), ConfigBlockSize) != ConfigBlockSize) return ConfigStatus::WriteFailed;
    return ConfigStatus::Ok;
}

ConfigStatus sendConfigDefaults(Link& link) {
    if (!sendCommand(link, '*')) return ConfigStatus::WriteFailed;
    link.CommSleep(ConfigDefaultsPauseMs);
    return ConfigStatus::Ok;
}

} // namespace orvo
