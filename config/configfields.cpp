#include "config/configfields.h"

#include <cerrno>
#include <cstdlib>
#include <type_traits>
#include <utility>

#include "config/bigendian.h"

namespace orvo {

namespace {

template <auto Member> long getMember(const ConfigBlock& block) {
    return static_cast<long>(block.*Member);
}

template <auto Member> void putMember(ConfigBlock& block, long value) {
    using T = std::remove_cvref_t<decltype(block.*Member)>;
    block.*Member = static_cast<T>(value);
}

// Size and signedness come from the member's type.
template <auto Member>
constexpr ConfigField field(const char* name, int offset, bool passThrough, long min, long max) {
    using T = std::remove_cvref_t<decltype(std::declval<ConfigBlock>().*Member)>;
    return {name, offset, static_cast<int>(sizeof(T)), std::is_signed_v<T>, passThrough,
            min,  max,    &getMember<Member>,          &putMember<Member>};
}

constexpr std::array<ConfigField, ConfigFieldCount> Fields{{
    field<&ConfigBlock::Marker>("Marker", 0, true, 0, 65535),
    field<&ConfigBlock::IntervalTicks>("IntervalTicks", 2, false, 1, 65535),
    field<&ConfigBlock::Units>("Units", 4, false, 0, 2),
    field<&ConfigBlock::BlankDisplay>("BlankDisplay", 5, false, 0, 1),
    field<&ConfigBlock::IntervalUnit>("IntervalUnit", 6, false, 1, 65535),
    field<&ConfigBlock::Reserved8>("Reserved8", 8, true, 0, 65535),
    field<&ConfigBlock::Reserved10>("Reserved10", 10, true, 0, 65535),
    field<&ConfigBlock::RevTrig>("RevTrig", 12, false, 0, 1),
    field<&ConfigBlock::Triggered>("Triggered", 13, false, 0, 1),
    field<&ConfigBlock::AutoStartSec>("AutoStartSec", 14, false, 0, 65535),
    field<&ConfigBlock::AutoStopSec>("AutoStopSec", 16, false, 0, 65535),
    field<&ConfigBlock::AutoStartAltitude>("AutoStartAltitude", 18, false, 0, 65535),
    field<&ConfigBlock::AutoStopAltitude>("AutoStopAltitude", 20, false, 0, 65535),
    field<&ConfigBlock::AutoStart>("AutoStart", 22, false, 0, 3),
    field<&ConfigBlock::AutoStop>("AutoStop", 23, false, 0, 2),
    field<&ConfigBlock::AutoZero>("AutoZero", 24, false, 0, 3),
    field<&ConfigBlock::ModuleVersion>("ModuleVersion", 25, false, 0, 255),
    field<&ConfigBlock::MemorySize>("MemorySize", 26, false, 0, 255),
    field<&ConfigBlock::Reserved27>("Reserved27", 27, true, 0, 255),
    field<&ConfigBlock::AltMin>("AltMin", 28, false, -32768, 32767),
    field<&ConfigBlock::AltMax>("AltMax", 30, false, -32768, 32767),
    field<&ConfigBlock::AltStep>("AltStep", 32, false, -32768, 32767),
    field<&ConfigBlock::AltBand>("AltBand", 34, false, 0, 255),
    field<&ConfigBlock::ServoOff>("ServoOff", 35, false, 20, 40),
    field<&ConfigBlock::ServoOn>("ServoOn", 36, false, 20, 40),
    field<&ConfigBlock::ServoHold>("ServoHold", 37, false, 0, 250),
}};

// What the field's bytes can carry at all, whatever the module makes of it.
bool inRange(const ConfigField& f, long v) {
    if (f.isSigned) return v >= -(1L << (8 * f.size - 1)) && v < (1L << (8 * f.size - 1));
    return v >= 0 && v < (1L << (8 * f.size));
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

long fieldValue(const ConfigBlock& block, const ConfigField& field) {
    return field.get(block);
}

bool setFieldValue(ConfigBlock& block, const ConfigField& field, long value) {
    if (!inRange(field, value)) return false;
    field.put(block, value);
    return true;
}

ConfigWire ConfigBlock::toWire() const {
    ConfigWire w{};
    for (const ConfigField& f : Fields) {
        const long value = f.get(*this);
        std::uint8_t* at = w.data() + f.offset;
        if (f.size == 1)
            *at = static_cast<std::uint8_t>(value);
        else
            writeBigEndian16(at, static_cast<std::uint16_t>(value));
    }
    return w;
}

ConfigBlock ConfigBlock::fromWire(const std::uint8_t* bytes) {
    ConfigBlock c;
    for (const ConfigField& f : Fields) {
        const std::uint8_t* at = bytes + f.offset;
        long value = f.size == 1 ? *at : readBigEndian16(at);
        if (f.isSigned)
            value = f.size == 1 ? static_cast<std::int8_t>(value) : static_cast<std::int16_t>(value);
        f.put(c, value);
    }
    return c;
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
    if (!inRange(*field, value)) return fail(std::string(name) + ": out of range: " + text);
    return FieldAssignment{field, value};
}

} // namespace orvo
