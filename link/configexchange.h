// The three exchanges of the module's configuration block over the link they are handed: read
// ('r', answered by the 38-byte block), write ('c', a pause, the block) and reset to the module's defaults
// ('*'). The Configure page and `orvo-cli config` both use them; neither checks the connected flag, which is
// the caller's business.
#pragma once

#include <cstdint>
#include <string>

#include "config/configblock.h"
#include "link/comm.h"

namespace orvo {

inline constexpr std::uint32_t ConfigReadTimeoutMs = 5000;
inline constexpr std::uint32_t ConfigWritePauseMs = 40;     // between 'c' and the block
inline constexpr std::uint32_t ConfigDefaultsPauseMs = 200; // after '*', before reading back
// A block that is written back must have come this many times the same, within at most
// ConfigConfirmReads reads. With one bit in a hundred flipped on the line, two equal reads still
// pass the same flipped bit about once in a thousand writes; three make it one in millions.
inline constexpr int ConfigAgreeingReads = 3;
inline constexpr int ConfigConfirmReads = 8;

enum class ConfigStatus {
    Ok,
    NoResponse,  // the 38 bytes did not all arrive in time
    Doubtful,    // 38 bytes came but cannot be the module's block (bytes lost or added on the line),
                 // or not enough reads agreed
    WriteFailed, // the port did not take every byte (closed, or the connection is gone)
};

// Flush, 'r', then the 38 bytes within 5000 ms. On success *block holds the module's block in
// host order; otherwise *block is untouched. A block followed by more bytes before the line has
// been quiet for CommQuietMs (noise added bytes, so every field after them is shifted) is
// Doubtful, and *doubt (optional) says why. Any value in any byte is taken as the module's.
ConfigStatus readConfigBlock(Link& link, ConfigBlock* block, std::string* doubt = nullptr);

// The block to build a write on: readConfigBlock until the same block has come
// ConfigAgreeingReads times, at most ConfigConfirmReads reads. A bit flipped on the line leaves 38
// bytes that look like any other block; only reading again shows it. NoResponse when the first
// read gets no answer; Doubtful when no block came often enough.
ConfigStatus readConfirmedConfigBlock(Link& link, ConfigBlock* block, std::string* doubt = nullptr);

// Flush, 'c', 40 ms, then the block in wire order. The module does not answer, so Ok only
// means the port took the bytes.
ConfigStatus writeConfigBlock(Link& link, const ConfigBlock& block);

// Flush, '*', 200 ms. The module sets its own defaults; nothing else is sent.
ConfigStatus sendConfigDefaults(Link& link);

} // namespace orvo
