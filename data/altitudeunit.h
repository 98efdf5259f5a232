// The altitude units the module records in, picked by its configuration's Units byte. The
// Configure page, a download's axis label, the flight statistics' rates and the emulator's
// flights all read a unit from this one table.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace orvo {

struct AltitudeUnit {
    std::uint8_t code;     // the configuration block's Units byte
    const char* name;      // "Feet": the Configure page's choice and its altitude edits' label
    const char* axisLabel; // "Altitude (feet)": the altitude axis of a downloaded set
    const char* rateUnit;  // "ft/s": climb and descent rates in this unit
    double perMetre;       // units in one metre, as the emulator's flights were made
    double metres;         // metres in one unit, exactly: conversions between units
};

inline constexpr std::array<AltitudeUnit, 3> AltitudeUnits{{
    {0, "Feet", "Altitude (feet)", "ft/s", 3.28084, 0.3048},
    {1, "Yards", "Altitude (yards)", "yd/s", 1.0936133, 0.9144},
    {2, "Meters", "Altitude (meters)", "m/s", 1.0, 1.0},
}};

// The rate unit of an altitude in no known unit.
inline constexpr const char* UnknownRateUnit = "units/s";

// The unit of a Units code; nullptr for a code the module does not define.
const AltitudeUnit* altitudeUnitOfCode(int code);
// The unit the module records in for a Units code: any code beyond the table reads as meters.
const AltitudeUnit& altitudeUnitRecorded(int code);
// The unit an axis label names ("Altitude (feet)", "(yards)", "(meters)" in any case, "metres",
// "(ft", "(yd", "(m)"); nullptr when it names none.
const AltitudeUnit* altitudeUnitOfLabel(const std::string& label);

} // namespace orvo
