// Firmware files for the tests: Intel-HEX text written from bytes, and a file on disk to load.
#pragma once

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace hexkit {

// One record with its correct checksum (plus `checksumError` added to it), upper-case.
inline std::string record(int type, int address, const std::vector<std::uint8_t>& data,
                          int checksumError = 0) {
    char buf[16];
    std::string line = ":";
    unsigned sum = static_cast<unsigned>(data.size()) + (address >> 8) + (address & 0xFF) + type;
    std::snprintf(buf, sizeof buf, "%02X%04X%02X", static_cast<unsigned>(data.size()), address & 0xFFFF,
                  type);
    line += buf;
    for (std::uint8_t b : data) {
        std::snprintf(buf, sizeof buf, "%02X", b);
        line += buf;
        sum += b;
    }
    std::snprintf(buf, sizeof buf, "%02X", (0x100 - (sum & 0xFF) + checksumError) & 0xFF);
    return line + buf;
}

// bytes at `start` in records of `perRecord` bytes, then the end-of-file record; `eol` ends lines.
inline std::string hexText(const std::vector<std::uint8_t>& bytes, int start = 0, int perRecord = 16,
                           const std::string& eol = "\n") {
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); i += static_cast<std::size_t>(perRecord)) {
        const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(perRecord), bytes.size() - i);
        text += record(0, start + static_cast<int>(i),
                       std::vector<std::uint8_t>(bytes.begin() + static_cast<long>(i),
                                                 bytes.begin() + static_cast<long>(i + n))) +
                eol;
    }
    return text + ":00000001FF" + eol;
}

// A firmware image of `size` bytes of pseudo-random code.
inline std::vector<std::uint8_t> randomImage(std::size_t size, unsigned seed = 3) {
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> image(size);
    for (auto& b : image)
        b = static_cast<std::uint8_t>(rng());
    return image;
}

inline bool writeFile(const std::string& path, const std::string& text) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace hexkit
