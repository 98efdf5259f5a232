// The altitude units the module records in, picked by its configuration's Units byte. The
// Configure page, a download's axis label, the flight statistics' rates, the emulator's flights
// and the readers of other programs' files all read a unit from this one table, and every word a
// file may name a unit with is in the word table below it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvo {

struct AltitudeUnit {
    std::uint8_t code;     // the configuration block's Units byte
    const char* name;      // "Feet": the Configure page's choice and its altitude edits' label
    const char* axisLabel; // "Altitude (feet)": the altitude axis of a downloaded set
    const char* rateUnit;  // "ft/s": climb and descent rates in this unit
    double perMetre;       // units in one metre, as the emulator's flights were made
    double metres;         // metres in one unit, exactly: conversions between units
    const char* shortName; // "ft": what orvo-cli's --unit takes and the import messages say
};

inline constexpr std::array<AltitudeUnit, 3> AltitudeUnits{{
    {0, "Feet", "Altitude (feet)", "ft/s", 3.28084, 0.3048, "ft"},
    {1, "Yards", "Altitude (yards)", "yd/s", 1.0936133, 0.9144, "yd"},
    {2, "Meters", "Altitude (meters)", "m/s", 1.0, 1.0, "m"},
}};

// A word that names an altitude unit in a file: the unit, and how many of that unit one of the
// word's makes (a kilometre column is read as 1000 meters a unit).
struct AltitudeUnitWord {
    const char* word; // lower case
    std::uint8_t code;
    double scale;
};

inline constexpr std::array<AltitudeUnitWord, 17> AltitudeUnitWords{{
    {"ft", 0, 1.0},
    {"feet", 0, 1.0},
    {"foot", 0, 1.0},
    {"'", 0, 1.0},
    {"yd", 1, 1.0},
    {"yds", 1, 1.0},
    {"yard", 1, 1.0},
    {"yards", 1, 1.0},
    {"m", 2, 1.0},
    {"meter", 2, 1.0},
    {"meters", 2, 1.0},
    {"metre", 2, 1.0},
    {"metres", 2, 1.0},
    {"km", 2, 1000.0},
    {"kilometers", 2, 1000.0},
    {"kilometres", 2, 1000.0},
    {"mtr", 2, 1.0},
}};

// The rate unit of an altitude in no known unit.
inline constexpr const char* UnknownRateUnit = "units/s";

// The unit of a Units code; nullptr for a code the module does not define.
const AltitudeUnit* altitudeUnitOfCode(int code);
// The unit the module records in for a Units code: any code beyond the table reads as meters.
const AltitudeUnit& altitudeUnitRecorded(int code);
// The unit an axis label names ("Altitude (feet)", "(yards)", "(meters)" in any case, "metres",
// "(ft", "(yd", "(m)"): its first word that the word table holds with scale 1; nullptr when it
// names none.
const AltitudeUnit* altitudeUnitOfLabel(const std::string& label);
// The unit one word names (any case: "Ft", "metres", "km"), with *scale (when given) the number of
// units one of the word's makes; nullptr for any other word.
const AltitudeUnit* altitudeUnitOfWord(std::string_view word, double* scale = nullptr);
// The unit a short name names ("ft", "yd", "m"); nullptr for any other text.
const AltitudeUnit* altitudeUnitOfShortName(const std::string& unit);
// "feet", "yards", "meters": the unit's name in lower case, as the messages and labels write it;
// "" for nullptr.
std::string unitWord(const AltitudeUnit* unit);

} // namespace orvo
