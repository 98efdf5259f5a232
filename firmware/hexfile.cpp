// The Intel-HEX reader. A firmware image is programmed into a module that may not start again if
// it is wrong, so every line that claims to be a record must be one, whole and in hex; the
// checksums are counted here and the caller decides what to do about wrong ones.
#include "firmware/hexfile.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/platform.h"

namespace orvo {
namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The byte of the two hex digits at text[pos], or -1.
int hexByte(std::string_view text, std::size_t pos) {
    if (pos + 1 >= text.size()) return -1;
    const int hi = hexDigit(text[pos]), lo = hexDigit(text[pos + 1]);
    return hi < 0 || lo < 0 ? -1 : hi * 16 + lo;
}

const char HexUpper[] = "0123456789ABCDEF";

void appendHex(std::string& out, unsigned value, int digits) {
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        out += HexUpper[(value >> shift) & 0xF];
}

int refuse(FirmwareFile& file, const std::string& why) {
    file.refusal = "Line " + std::to_string(file.line) + " of the firmware file " + why + ".";
    return HexLineMalformed;
}

// The first position in text that is not a hex digit, or npos.
std::size_t firstNonHex(std::string_view text, std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to && i < text.size(); ++i)
        if (hexDigit(text[i]) < 0) return i;
    return std::string_view::npos;
}

// The whole file, when it is a regular file of at most the limit.
bool readBounded(const std::string& path, std::string* text, std::string* error) {
    // Opened without waiting: opening a FIFO with no writer must not wait for one.
    platform::File file = platform::openForReading(path, error);
    if (!file.isOpen()) return false;
    if (file.kind() != platform::FileKind::Regular) {
        *error = "not a regular file";
        return false;
    }
    text->clear();
    char chunk[16384];
    for (;;) {
        const std::ptrdiff_t n = file.read(chunk, sizeof chunk);
        if (n < 0) {
            *error = file.error();
            return false;
        }
        if (n == 0) break;
        text->append(chunk, static_cast<std::size_t>(n));
        if (text->size() > MaxFirmwareFileBytes) {
            *error =
                "larger than " + std::to_string(MaxFirmwareFileBytes / 1024) + " KiB, not a firmware file";
            return false;
        }
    }
    return true;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

// The start of a line as the refusal shows it: printable ASCII, other bytes as '?', cut short.
std::string shownText(std::string_view line) {
    std::string out;
    for (std::size_t i = 0; i < line.size() && i < 40; ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        out += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
    }
    if (line.size() > 40) out += "...";
    return out;
}

} // namespace

int ParseHexLine(std::string_view line, FirmwareFile& file) {
    while (!line.empty() && isBlank(line.front()))
        line.remove_prefix(1);
    while (!line.empty() && isBlank(line.back()))
        line.remove_suffix(1);
    if (line.empty()) return HexLineIgnored;
    if (line[0] != ':') return refuse(file, "does not begin with ':' (\"" + shownText(line) + "\")");
    // ":" nn aaaa tt, then nn data bytes and the checksum.
    if (line.size() < 3) return refuse(file, "is shorter than a record");
    if (std::size_t bad = firstNonHex(line, 1, 3); bad != std::string_view::npos)
        return refuse(file, "holds a character that is not a hex digit at column " + std::to_string(bad + 1));
    const int count = hexByte(line, 1);
    const std::size_t recordEnd = 11 + 2 * static_cast<std::size_t>(count);
    if (std::size_t bad = firstNonHex(line, 3, recordEnd); bad != std::string_view::npos)
        return refuse(file, "holds a character that is not a hex digit at column " + std::to_string(bad + 1));
    if (line.size() < recordEnd)
        return refuse(file, "is shorter than its byte count of " + std::to_string(count) + " says");
    if (line.size() > recordEnd) return refuse(file, "has characters after its checksum");

    const int address = hexByte(line, 3) * 256 + hexByte(line, 5);
    const int type = hexByte(line, 7);
    unsigned sum = 0;
    for (std::size_t i = 1; i < recordEnd; i += 2)
        sum += static_cast<unsigned>(hexByte(line, i));
    if ((sum & 0xFF) != 0 && file.badChecksums++ == 0) file.firstBadChecksumLine = file.line;

    if (type == 0x02 || type == 0x04) {
        // Address extension. Files for this module carry a zero base, if any.
        if (count != 2) return refuse(file, "is an address record without its two address bytes");
        const std::uint32_t value = static_cast<std::uint32_t>(hexByte(line, 9) * 256 + hexByte(line, 11));
        file.base = type == 0x02 ? value << 4 : value << 16;
        return HexLineTaken;
    }
    if (type != 0x00) return HexLineTaken; // end of file, start addresses: nothing to load
    if (file.base != 0 || address + count > FirmwareSize) {
        file.refusal = "Hex file exceeds code space";
        return HexLineBeyondCodeSpace;
    }
    for (int i = 0; i < count; ++i) {
        const auto at = static_cast<std::size_t>(address + i);
        const auto value = static_cast<std::uint8_t>(hexByte(line, 9 + 2 * static_cast<std::size_t>(i)));
        if (file.writtenBy[at] != 0 && file.FirmwareImage[at] != value) {
            char where[8];
            std::snprintf(where, sizeof where, "%04X", static_cast<unsigned>(at));
            return refuse(file, std::string("gives address 0x") + where + " another value than line " +
                                    std::to_string(file.writtenBy[at]) +
                                    " did; the file does not say which is meant");
        }
    }
    for (int i = 0; i < count; ++i) {
        const auto at = static_cast<std::size_t>(address + i);
        file.FirmwareImage[at] =
            static_cast<std::uint8_t>(hexByte(line, 9 + 2 * static_cast<std::size_t>(i)));
        file.writtenBy[at] = file.line;
    }
    if (count > 0) {
        const auto last = static_cast<std::uint16_t>(address + count - 1);
        if (!file.hasData || last > file.HighestAddress) file.HighestAddress = last;
        file.hasData = true;
        ++file.dataRecords;
    }
    return HexLineTaken;
}

FirmwareLoadResult LoadFirmwareText(std::string_view text, FirmwareFile& file) {
    file.clear();
    // Editors on some systems begin a text file with a UTF-8 byte-order mark.
    if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = pos;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r')
            ++end;
        ++file.line;
        const int result = ParseHexLine(text.substr(pos, end - pos), file);
        if (result == HexLineMalformed) return {FirmwareLoadStatus::Malformed, file.refusal};
        if (result == HexLineBeyondCodeSpace) return {FirmwareLoadStatus::BeyondCodeSpace, file.refusal};
        // CR LF is one line end.
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
        pos = end + 1;
    }
    return {FirmwareLoadStatus::Ok, {}};
}

FirmwareLoadResult LoadFirmwareFile(const std::string& path, FirmwareFile& file) {
    file.clear();
    std::string text, error;
    if (!readBounded(path, &text, &error)) return {FirmwareLoadStatus::Unreadable, path + ": " + error};
    return LoadFirmwareText(text, file);
}

std::string AppendHexChecksum(const std::string& text) {
    unsigned sum = 0;
    const std::size_t start = text.find(':');
    if (start != std::string::npos) {
        for (std::size_t i = start + 1; i + 1 < text.size(); i += 2) {
            if (text[i] == '\r' || text[i] == '\n') break;
            const int b = hexByte(text, i);
            if (b < 0) break;
            sum += static_cast<unsigned>(b);
        }
    }
    std::string out = text;
    appendHex(out, (0x100 - (sum & 0xFF)) & 0xFF, 2);
    return out;
}

std::string programRecord(const FirmwareFile& file, int address, int count) {
    std::string text = ":";
    appendHex(text, static_cast<unsigned>(count), 2);
    appendHex(text, static_cast<unsigned>(address), 4);
    text += "00";
    for (int i = 0; i < count; ++i)
        appendHex(text, file.FirmwareImage[static_cast<std::size_t>(address + i)], 2);
    return AppendHexChecksum(text);
}

} // namespace orvo
