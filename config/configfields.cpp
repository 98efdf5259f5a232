#include "config/configfields.h"

#include <cerrno>
#include <cstdlib>

namespace orvo {

namespace {

constexpr std::array<ConfigField, ConfigFieldCount> Fields{{
    {"Marker", 0, FieldType::U16, true, 0, 65535},
    {"IntervalTicks", 2, FieldType::U16, false, 1, 65535},
    {"Units", 4, FieldType::U8, false, 0, 2},
    {"BlankDisplay", 5, FieldType::U8, false, 0, 1},
    {"IntervalUnit", 6, FieldType::U16, false, 1, 65535},
    {"Reserved8", 8, FieldType::U16, true, 0, 65535},
    {"Reserved10", 10, FieldType::U16, true, 0, 65535},
    {"RevTrig", 12, FieldType::U8, false, 0, 1},
    {"Triggered", 13, FieldType::U8, false, 0, 1},
    {"AutoStartSec", 14, FieldType::U16, false, 0, 65535},
    {"AutoStopSec", 16, FieldType::U16, false, 0, 65535},
    {"AutoStartAltitude", 18, FieldType::U16, false, 0, 65535},
    {"AutoStopAltitude", 20, FieldType::U16, false, 0, 65535},
    {"AutoStart", 22, FieldType::U8, false, 0, 3},
    {"AutoStop", 23, FieldType::U8, false, 0, 2},
    {"AutoZero", 24, FieldType::U8, false, 0, 3},
    {"ModuleVersion", 25, FieldType::U8, false, 0, 255},
    {"MemorySize", 26, FieldType::U8, false, 0, 255},
    {"Reserved27", 27, FieldType::U8, true, 0, 255},
    {"AltMin", 28, FieldType::S16, false, -32768, 32767},
    {"AltMax", 30, FieldType::S16, false, -32768, 32767},
    {"AltStep", 32, FieldType::S16, false, -32768, 32767},
    {"AltBand", 34, FieldType::U8, false, 0, 255},
    {"ServoOff", 35, FieldType::U8, false, 20, 40},
    {"ServoOn", 36, FieldType::U8, false, 20, 40},
    {"ServoHold", 37, FieldType::U8, false, 0, 250},
}};

bool inRange(FieldType t, long v) {
    switch (t) {
    case FieldType::U8:
        return v >= 0 && v <= 0xFF;
    case FieldType::U16:
        return v >= 0 && v <= 0xFFFF;
    case FieldType::S16:
        return v >= -32768 && v <= 32767;
    }
    return false;
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

} // namespace

const std::array<ConfigField, ConfigFieldCount>& configFields() {
    return Fields;
}

const ConfigField* findConfigField(std::string_view name) {
    for (const ConfigField& f : Fields)
        if (name == f.name) return &f;
    return nullptr;
}

// Fields are read and written through the wire image, so the byte layout stays in toWire and
// fromWire alone.
long fieldValue(const ConfigBlock& block, const ConfigField& field) {
    const ConfigWire w = block.toWire();
    const auto o = static_cast<std::size_t>(field.offset);
    switch (field.type) {
    case FieldType::U8:
        return w[o];
    case FieldType::U16:
        return (w[o] << 8) | w[o + 1];
    case FieldType::S16:
        return static_cast<std::int16_t>(static_cast<std::uint16_t>((w[o] << 8) | w[o + 1]));
    }
    return 0;
}

bool setFieldValue(ConfigBlock& block, const ConfigField& field, long value) {
    if (!inRange(field.type, value)) return false;
    ConfigWire w = block.toWire();
    const auto o = static_cast<std::size_t>(field.offset);
    const auto bits = static_cast<std::uint16_t>(value);
    if (field.type == FieldType::U8) {
        w[o] = static_cast<std::uint8_t>(bits);
    } else {
        w[o] = static_cast<std::uint8_t>(bits >> 8);
        w[o + 1] = static_cast<std::uint8_t>(bits & 0xFF);
    }
    block = ConfigBlock::fromWire(w.data());
    return true;
}

std::string fieldRangeProblem(const ConfigField& field, long value) {
    if (value >= field.min && value <= field.max) return {};
    return std::string(field.name) + " must be from " + std::to_string(field.min) + " to " +
           std::to_string(field.max) + ", not " + std::to_string(value);
}

std::string configToText(const ConfigBlock& block) {
    std::string out;
    for (const ConfigField& f : Fields) {
        out += f.name;
        out += '=';
        out += std::to_string(fieldValue(block, f));
        out += '\n';
    }
    return out;
}

std::optional<FieldAssignment> parseFieldAssignment(std::string_view line, std::string* error) {
    auto fail = [&](std::string message) -> std::optional<FieldAssignment> {
        if (error) *error = std::move(message);
        return std::nullopt;
    };
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return fail("expected Name=value: " + std::string(line));
    const std::string_view name = trim(line.substr(0, eq));
    const std::string text(trim(line.substr(eq + 1)));
    const ConfigField* field = findConfigField(name);
    if (!field) return fail("unknown field: " + std::string(name));
    if (text.empty()) return fail(std::string(name) + ": missing value");
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 0);
    // strtol's base 0 would read a leading 0 as octal; only decimal and 0x are meant.
    const std::size_t d = (text[0] == '-' || text[0] == '+') ? 1 : 0;
    const bool octal = text.size() > d + 1 && text[d] == '0' && text[d + 1] != 'x' && text[d + 1] != 'X';
    if (errno != 0 || end == text.c_str() || *end != '\0' || octal)
        return fail(std::string(name) + ": not a number: " + text);
    if (!inRange(field->type, value)) return fail(std::string(name) + ": out of range: " + text);
    return FieldAssignment{field, value};
}

} // namespace orvo
