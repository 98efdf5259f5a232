// The firmware file reader: an Intel-HEX text file read into an image of the module's code space.
// UpdateFirmware (isp.h) loads through here, and nothing is sent to the module unless the whole
// file was read and checked first. Also builds the checksums of the boot loader's commands.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvo {

// The module's programmable code space, 0x0000..0x1DBF.
inline constexpr int FirmwareSize = 7616;
// Erase pages and programming records are 64 bytes; a file record of any length (up to 255 data
// bytes) goes into the image, which is programmed in records of this size.
inline constexpr int FirmwareBlockSize = 64;
// A firmware file is a few tens of kilobytes; anything this large is not one.
inline constexpr std::size_t MaxFirmwareFileBytes = 1 << 20;

// ParseHexLine's answer for one line.
enum HexLineResult : int {
    HexLineIgnored = 0,         // a blank line
    HexLineTaken = 1,           // a record: its data stored, or the record skipped on purpose
    HexLineBeyondCodeSpace = 2, // a data record that does not fit the code space
    HexLineMalformed = 3,       // not a whole record, or data that contradicts an earlier record;
                                // see FirmwareFile::refusal
};

// One firmware file as loaded: the image and what the reader noticed on the way.
struct FirmwareFile {
    // The code space as it will be programmed; bytes no record loaded stay 0x00.
    std::array<std::uint8_t, FirmwareSize> FirmwareImage{};
    // The highest image address a data record wrote (0 before any); meaningful when hasData.
    std::uint16_t HighestAddress = 0;
    bool hasData = false; // at least one data byte was loaded

    int line = 0;         // number of the line being read (1-based)
    int dataRecords = 0;  // data records loaded
    int badChecksums = 0; // records whose checksum field does not match their bytes
    int firstBadChecksumLine = 0;
    std::uint32_t base = 0; // address base set by the last address-extension record
    std::string refusal;    // why a line was refused (HexLineMalformed, HexLineBeyondCodeSpace)
    // The line that wrote each image byte (0: none yet): two records may give a byte the same
    // value, but a file that gives it two values is ambiguous and refused.
    std::array<int, FirmwareSize> writtenBy{};

    // Back to the state before a load: image all 0x00, nothing noticed.
    void clear() { *this = FirmwareFile(); }
    // Bytes the programming will send: every block from 0 up to the one holding HighestAddress.
    int imageEnd() const { return hasData ? HighestAddress + 1 : 0; }
};

// Reads one line (without its line end) into file. Blanks (spaces, tabs) around the line do not
// count, and a blank line is ignored. Records are ":" nn aaaa tt data cc in hex digits (either
// case). Any other line, and a line that starts with ':' but is not a whole record, is refused
// (HexLineMalformed) rather than skipped or loaded with invented values: a firmware image with a
// hole in it would be programmed as zeros. Data records (tt 00) of any length are copied into the
// image; a byte that an earlier record set to another value is refused, naming both lines. The
// end-of-file record does not end the reading, and other records load nothing. A data record
// after an address-extension record with a non-zero base is meant for an address far beyond the
// code space and is refused like any other record that does not fit.
int ParseHexLine(std::string_view line, FirmwareFile& file);

enum class FirmwareLoadStatus {
    Ok,
    Unreadable,      // missing, not a regular file, too large, or a read error
    Malformed,       // a line that is not a whole record
    BeyondCodeSpace, // a data record beyond 0x1DBF
};

struct FirmwareLoadResult {
    FirmwareLoadStatus status = FirmwareLoadStatus::Unreadable;
    std::string error; // for the user: why the file was not loaded
};

// Clears file, then reads the whole file line by line (LF, CR LF or CR line ends) into it; a
// leading UTF-8 byte-order mark is not part of the first line. Stops at the first refused line. Only regular
// files of at most MaxFirmwareFileBytes are read, so a FIFO or a device cannot hang the program or fill its
// memory.
FirmwareLoadResult LoadFirmwareFile(const std::string& path, FirmwareFile& file);
// The same reader on text already in memory (tests, fuzzing).
FirmwareLoadResult LoadFirmwareText(std::string_view text, FirmwareFile& file);

// Appends the record checksum to a boot loader command: the two's complement of the 8-bit sum of
// the hex-digit pairs after ':' (up to the end, a CR or a LF), as two upper-case hex digits.
std::string AppendHexChecksum(const std::string& text);

// Builds the programming record of image bytes [address, address + count): ":" nn aaaa "00"
// data and checksum, upper-case, no line end.
std::string programRecord(const FirmwareFile& file, int address, int count);

} // namespace orvo
