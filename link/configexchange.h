// The three exchanges of the module's configuration block over Comm: read ('r', answered by the
// 38-byte block), write ('c', a pause, the block) and reset to the module's defaults ('*').
// The Configure page and `orvo-cli config` both use them; neither checks the connected flag,
// which is the caller's business.
#pragma once

#include <cstdint>
#include <string>

#include "config/configblock.h"

namespace orvo {

inline constexpr std::uint32_t ConfigReadTimeoutMs = 5000;
inline constexpr std::uint32_t ConfigWritePauseMs = 40;     // between 'c' and the block
inline constexpr std::uint32_t ConfigDefaultsPauseMs = 200; // after '*', before reading back

enum class ConfigStatus {
    Ok,
    NoResponse,  // the 38 bytes did not all arrive in time
    Doubtful,    // 38 bytes came but cannot be the module's block (bytes lost or added on the line)
    WriteFailed, // the port did not take every byte (closed, or the connection is gone)
};

// Flush, 'r', then the 38 bytes within 5000 ms. On success *block holds the module's block in
// host order; otherwise *block is untouched. A block that fails configBlockDoubt is Doubtful, and
// *doubt (optional) says why.
ConfigStatus readConfigBlock(ConfigBlock* block, std::string* doubt = nullptr);

// Flush, 'c', 40 ms, then the block in wire order. The module does not answer, so Ok only
// means the port took the bytes.
ConfigStatus writeConfigBlock(const ConfigBlock& block);

// Flush, '*', 200 ms. The module sets its own defaults; nothing else is sent.
ConfigStatus sendConfigDefaults();

// sendConfigDefaults, then readConfigBlock.
ConfigStatus resetConfigDefaults(ConfigBlock* block, std::string* doubt = nullptr);

} // namespace orvo
