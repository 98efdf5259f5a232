// The module's 38-byte configuration block. The in-memory copy holds host-order numbers;
// toWire/fromWire are the one place where the big-endian wire layout is produced and read, both
// made from the field table of configfields.h.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace orvo {

constexpr int ConfigBlockSize = 38;
// The Marker the simulated module reports. The program never interprets a Marker: whatever a
// module sends is kept and sent back unchanged.
constexpr std::uint16_t ConfigMarker = 0xABCD;
using ConfigWire = std::array<std::uint8_t, ConfigBlockSize>;

struct ConfigBlock {
    std::uint16_t Marker = 0;            // 0: passed back unchanged
    std::uint16_t IntervalTicks = 0;     // 2: sampling interval in IntervalUnit ticks
    std::uint8_t Units = 0;              // 4: 0 Feet, 1 Yards, 2 Meters
    std::uint8_t BlankDisplay = 0;       // 5
    std::uint16_t IntervalUnit = 0;      // 6: milliseconds per tick
    std::uint16_t Reserved8 = 0;         // 8
    std::uint16_t Reserved10 = 0;        // 10
    std::uint8_t RevTrig = 0;            // 12
    std::uint8_t Triggered = 0;          // 13
    std::uint16_t AutoStartSec = 0;      // 14
    std::uint16_t AutoStopSec = 0;       // 16
    std::uint16_t AutoStartAltitude = 0; // 18
    std::uint16_t AutoStopAltitude = 0;  // 20
    std::uint8_t AutoStart = 0;          // 22
    std::uint8_t AutoStop = 0;           // 23
    std::uint8_t AutoZero = 0;           // 24
    std::uint8_t ModuleVersion = 0;      // 25
    std::uint8_t MemorySize = 0;         // 26: units of 8 KiB
    std::uint8_t Reserved27 = 0;         // 27
    std::int16_t AltMin = 0;             // 28
    std::int16_t AltMax = 0;             // 30
    std::int16_t AltStep = 0;            // 32
    std::uint8_t AltBand = 0;            // 34
    std::uint8_t ServoOff = 0;           // 35
    std::uint8_t ServoOn = 0;            // 36
    std::uint8_t ServoHold = 0;          // 37: units of 20 ms

    ConfigWire toWire() const;
    static ConfigBlock fromWire(const std::uint8_t* bytes); // reads ConfigBlockSize bytes

    bool operator==(const ConfigBlock&) const = default;
};

// An on/off byte (BlankDisplay, RevTrig, Triggered) is on when it is not zero; a module may hold
// any value there.
inline bool configFlagOn(std::uint8_t byte) {
    return byte != 0;
}
// The byte to send for an on/off control: the byte as it came while the control still shows what
// it meant, else 1 or 0.
inline std::uint8_t configFlagByte(std::uint8_t asRead, bool checked) {
    return checked == configFlagOn(asRead) ? asRead : (checked ? 1 : 0);
}

} // namespace orvo
