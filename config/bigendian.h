// Multi-byte numbers go big-endian on the module's serial line: the configuration block, a data
// set's header and samples, the calibration altitude, the boot loader's addresses. Every
// conversion between the wire and host order goes through these.
#pragma once

#include <cstdint>
#include <vector>

namespace orvo {

inline std::uint16_t readBigEndian16(const std::uint8_t* bytes) {
    return static_cast<std::uint16_t>((bytes[0] << 8) | bytes[1]);
}

inline void writeBigEndian16(std::uint8_t* bytes, std::uint16_t value) {
    bytes[0] = static_cast<std::uint8_t>(value >> 8);
    bytes[1] = static_cast<std::uint8_t>(value & 0xFF);
}

inline void appendBigEndian16(std::vector<std::uint8_t>& bytes, std::uint16_t value) {
    bytes.push_back(static_cast<std::uint8_t>(value >> 8));
    bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

} // namespace orvo
