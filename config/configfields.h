// The configuration block's fields in block order: the one table from which the block's wire
// layout (toWire, fromWire), the range checks and the "Name=value" lines that orvo-cli prints,
// accepts with --set and keeps in a saved configuration file are made.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "config/configblock.h"

namespace orvo {

struct ConfigField {
    const char* name;
    int offset;    // in the wire block
    int size;      // 1 or 2 bytes; two go big-endian
    bool isSigned; // two's complement on the wire

    // Not interpreted by the program and never changed by it: a restored file leaves them as the
    // module has them.
    bool passThrough;
    // What may be set in the field: the sampling interval is never zero, on/off bytes are set
    // as 0 or 1 (a module may hold any value there, non-zero being on), codes are those of their
    // lists, servo values those of their bars.
    long min;
    long max;
    // The field's member of the in-memory block.
    long (*get)(const ConfigBlock&);
    void (*put)(ConfigBlock&, long);
};

constexpr int ConfigFieldCount = 26;
const std::array<ConfigField, ConfigFieldCount>& configFields();
const ConfigField* findConfigField(std::string_view name); // exact, case-sensitive name

long fieldValue(const ConfigBlock& block, const ConfigField& field);
// False (block unchanged) when value is outside the field's range.
bool setFieldValue(ConfigBlock& block, const ConfigField& field, long value);

// Empty when value is one the field can hold, else a message naming the field and its range
// ("IntervalTicks must be from 1 to 65535, not 0").
std::string fieldRangeProblem(const ConfigField& field, long value);

// One "Name=value\n" line per field, in block order.
std::string configToText(const ConfigBlock& block);

// A parsed "Name=value" line (decimal, or hexadecimal with 0x).
struct FieldAssignment {
    const ConfigField* field = nullptr;
    long value = 0;
};
// Empty with a message in *error when the line is not an assignment of a known field in range.
std::optional<FieldAssignment> parseFieldAssignment(std::string_view line, std::string* error);

} // namespace orvo
