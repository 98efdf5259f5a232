#include "config/configblock.h"

#include <cstdio>

namespace orvo {

namespace {

struct Writer {
    ConfigWire& w;
    void u8(int off, std::uint8_t v) { w[static_cast<std::size_t>(off)] = v; }
    void u16(int off, std::uint16_t v) {
        w[static_cast<std::size_t>(off)] = static_cast<std::uint8_t>(v >> 8);
        w[static_cast<std::size_t>(off) + 1] = static_cast<std::uint8_t>(v & 0xFF);
    }
    void s16(int off, std::int16_t v) { u16(off, static_cast<std::uint16_t>(v)); }
};

struct Reader {
    const std::uint8_t* b;
    std::uint8_t u8(int off) const { return b[off]; }
    std::uint16_t u16(int off) const { return static_cast<std::uint16_t>((b[off] << 8) | b[off + 1]); }
    std::int16_t s16(int off) const { return static_cast<std::int16_t>(u16(off)); }
};

} // namespace

ConfigWire ConfigBlock::toWire() const {
    ConfigWire w{};
    Writer o{w};
    o.u16(0, Marker);
    o.u16(2, IntervalTicks);
    o.u8(4, Units);
    o.u8(5, BlankDisplay);
    o.u16(6, IntervalUnit);
    o.u16(8, Reserved8);
    o.u16(10, Reserved10);
    o.u8(12, RevTrig);
    o.u8(13, Triggered);
    o.u16(14, AutoStartSec);
    o.u16(16, AutoStopSec);
    o.u16(18, AutoStartAltitude);
    o.u16(20, AutoStopAltitude);
    o.u8(22, AutoStart);
    o.u8(23, AutoStop);
    o.u8(24, AutoZero);
    o.u8(25, ModuleVersion);
    o.u8(26, MemorySize);
    o.u8(27, Reserved27);
    o.s16(28, AltMin);
    o.s16(30, AltMax);
    o.s16(32, AltStep);
    o.u8(34, AltBand);
    o.u8(35, ServoOff);
    o.u8(36, ServoOn);
    o.u8(37, ServoHold);
    return w;
}

ConfigBlock ConfigBlock::fromWire(const std::uint8_t* bytes) {
    Reader r{bytes};
    ConfigBlock c;
    c.Marker = r.u16(0);
    c.IntervalTicks = r.u16(2);
    c.Units = r.u8(4);
    c.BlankDisplay = r.u8(5);
    c.IntervalUnit = r.u16(6);
    c.Reserved8 = r.u16(8);
    c.Reserved10 = r.u16(10);
    c.RevTrig = r.u8(12);
    c.Triggered = r.u8(13);
    c.AutoStartSec = r.u16(14);
    c.AutoStopSec = r.u16(16);
    c.AutoStartAltitude = r.u16(18);
    c.AutoStopAltitude = r.u16(20);
    c.AutoStart = r.u8(22);
    c.AutoStop = r.u8(23);
    c.AutoZero = r.u8(24);
    c.ModuleVersion = r.u8(25);
    c.MemorySize = r.u8(26);
    c.Reserved27 = r.u8(27);
    c.AltMin = r.s16(28);
    c.AltMax = r.s16(30);
    c.AltStep = r.s16(32);
    c.AltBand = r.u8(34);
    c.ServoOff = r.u8(35);
    c.ServoOn = r.u8(36);
    c.ServoHold = r.u8(37);
    return c;
}

std::string configBlockDoubt(const ConfigBlock& c) {
    std::string doubt;
    const auto add = [&doubt](const char* text) {
        if (!doubt.empty()) doubt += "; ";
        doubt += text;
    };
    char text[64];
    const struct {
        const char* name;
        std::uint8_t value;
    } flags[] = {{"BlankDisplay", c.BlankDisplay}, {"RevTrig", c.RevTrig}, {"Triggered", c.Triggered}};
    for (const auto& f : flags) {
        if (f.value > 1) {
            std::snprintf(text, sizeof text, "%s is %u, not 0 or 1", f.name, f.value);
            add(text);
        }
    }
    return doubt;
}

} // namespace orvo
