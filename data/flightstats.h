// What happened in one recorded flight: ground level, liftoff, apogee, landing, flight time and
// the climb and descent rates, the drogue and main descents, computed from a data set's samples
// alone. The Data Properties dialog, the table of all flights and `orvo-cli show --stats` show
// these figures.
//
// Method (all figures in the set's own altitude unit and seconds):
//  1. The sample interval is the median of the positive time steps. Fewer than 5 samples, or
//     no positive step, is "too short": only the highest sample is given.
//  2. The noise level sigma is the mean absolute second difference of the altitudes divided by
//     1.95 (its value for Gaussian noise), leaving out the largest tenth (spikes, burnout,
//     parachutes opening). A run of samples that read exactly 0, over at most two seconds,
//     between two samples more than max(6 sigma, 3 units) away from 0 is a dropout (the module
//     browned out): those samples take no further part, so a dropout is never a landing and
//     makes no rate. A running median over 5 samples then smooths the altitudes, so that one or
//     two wild samples never make a rate. The two samples at each end, which have no five
//     around them, take the median of their raw altitude, their inner neighbour's smoothed
//     altitude and the line through the two inner smoothed altitudes carried on to them (so two
//     wild samples at the end of a record are no more than the samples before them).
//  3. Apogee: the highest raw sample that lies at most max(6 sigma, 3 units) plus the larger
//     step between its outer neighbours above its smoothed value (so a spike is never the
//     apogee, while a sharp true peak is). The highest smoothed sample must lie more than
//     max(10 sigma, 3 units) above the lowest, otherwise the set is "flat" (ground level: the
//     median of all samples).
//  4. Start: the set begins in the air when it begins more than a quarter of the way from the
//     lowest smoothed altitude after the apogee up to the apogee (a crop, a late start): it has
//     no liftoff ("no liftoff") and no ground level from its start. It begins climbing
//     (recording started at launch) when its smoothed altitudes rise over its first half second
//     (at least 5 samples) by more than max(4 sigma, 3 units) and rise over its first five samples
//     too: liftoff is the last sample, before the smoothed altitudes first rise that much above
//     the lowest of them so far, that lies within max(2 sigma, 1 unit) of that lowest (a short
//     wobble on the pad is no climb), the ground level the median of the raw samples up to it
//     (the first sample's own altitude when liftoff is the first sample). Otherwise it begins on
//     the pad, at the level L of the median of its first five samples: with the liftoff threshold
//     max(5 sigma, 2 % of the apogee height) above L, the first smoothed sample above it ends a
//     walk back, and liftoff is the last sample at or below L + max(2 sigma, 1 unit) before it.
//     The ground level is the median of the pad samples of the last second before liftoff, less
//     the motor's ignition dip: the samples that lie more than max(6 sigma, 3 units) below L
//     are left out, looking back over three seconds at most (all of the last second when none
//     is left). With it as L, liftoff and the ground level are found once more.
//  5. Landing: near the ground means within max(5 sigma, 3 units, min(20 units, 10 % of the
//     apogee height)) of the ground level (a recording stopped on the way down, a ground level
//     that drifted during the flight). A set ends at rest when the least-squares line through the
//     raw altitudes of its last two seconds falls by at most max(3 sigma, 1 unit), or that of
//     its last half second by at most max(2 sigma, 1 unit) with the smoothed altitudes there
//     spread over at most max(4 sigma, 2 units) (at least 5 samples each); its
//     level, the median of the last half second, must lie well below the apogee and near the
//     ground when the ground level is known. The landed level is then the median of the raw
//     samples from the first smoothed sample after the apogee within max(5 sigma, 3 units) of
//     that level; landing is the first smoothed sample after the apogee within 2 sigma (at
//     least half a unit) of the landed level. A set that begins in the air takes the landed
//     level as its ground level. A set that does not end at rest but ends descending (the line
//     through its last second) near the ground, or within one and a half seconds of its
//     descent of it, lands at its end. Any other set is "still in the air at its end".
//  6. Rates: the least-squares slope of the smoothed altitudes over a centred window of about
//     one second (at least 5 samples), kept in running sums. The maximum climb rate is the
//     highest slope from liftoff to apogee, the maximum descent rate the steepest fall from
//     apogee to landing (or to the end). The descent rate before landing is the least-squares
//     slope of the raw samples over the 5 s that end half a second before landing (the second
//     half of the descent when that is shorter): the rate under the main parachute.
//  7. Drogue and main: the descent runs from the first smoothed sample after the apogee that lies
//     more than max(10 sigma, 3 units, 5 % of the apogee height above the lowest smoothed
//     sample) below the apogee (the turn over the top left out) to half a second before landing
//     (or the end). It must last 2 s and hold 10 samples, else there are no descent figures.
//     Two least-squares lines are fitted to its smoothed altitudes, split at every sample that
//     leaves each at least a second and 5 samples (prefix sums: linear in the samples); the split
//     with the least sum of squared residuals is the main's opening when the first line falls at
//     least 1.5 times as fast as the second, the second falls, and the two rates differ by more
//     than max(2 sigma, 1 unit) per second. As the canopy slows the rocket over seconds, the
//     split lies after the opening: the main opened at the first sample, walking back from the
//     split, from which on the smoothed altitudes lie more than max(3 sigma, 2 units) above the
//     line through those of the descent up to half a second before the split. Its time is that
//     sample's, its altitude that sample's smoothed altitude above the ground level (when the
//     ground is known). The drogue descent rate is the slope of the smoothed altitudes from the
//     start of the descent to half a second before the opening, the main descent rate their
//     slope over the second half of the line after the split (the whole line when that holds
//     fewer than 5 samples). Otherwise
//     the flight had one descent: the drogue descent rate is the slope of the whole descent, and
//     there is no main.
#pragma once

#include <string>
#include <vector>

#include "data/series.h"

namespace orvo {

struct FlightStatistics {
    // Which figures exist; a figure whose flag is false holds 0 and must not be shown.
    bool hasHighest = false;
    bool hasGround = false;
    bool hasLiftoff = false;
    bool hasLanding = false;
    bool hasClimbRate = false;
    bool hasDescentRate = false;
    bool hasLandingDescentRate = false;
    bool hasDrogueRate = false;   // any descent rate under a parachute (the one of a single deploy)
    bool hasMain = false;         // a second, slower descent: a main parachute opened
    bool hasMainAltitude = false; // the main's opening above a known ground level

    int samples = 0;
    double sampleInterval = 0.0; // seconds
    double noise = 0.0;          // sigma of the barometric noise
    double groundLevel = 0.0;
    double liftoffTime = 0.0;
    double apogee = 0.0; // highest (smoothed) altitude
    double apogeeTime = 0.0;
    double landingTime = 0.0;
    double maxClimbRate = 0.0;   // units per second, positive
    double maxDescentRate = 0.0; // units per second, positive when falling
    double landingDescentRate = 0.0;
    double drogueDescentRate = 0.0; // units per second, positive when falling
    double mainDescentRate = 0.0;
    double mainAltitude = 0.0; // above the ground level
    double mainTime = 0.0;
    int descents = 0; // 1: one descent (single deploy), 2: drogue and main; 0: no descent figures

    // Why the missing figures are missing: "too short", "flat", "no liftoff" (the set begins in
    // the air), "still in the air at its end"; empty for a whole flight.
    std::string reason;

    double timeToApogee() const { return apogeeTime - liftoffTime; }
    double flightTime() const { return landingTime - liftoffTime; }
    // The names of the figures that are missing, in display order ("liftoff", "landing", ...).
    std::vector<std::string> missing() const;
};

FlightStatistics computeFlightStatistics(const std::vector<double>& time, const std::vector<double>& altitude,
                                         int count);
FlightStatistics computeFlightStatistics(const Series& set);

// The rate unit for an altitude axis label: "ft/s", "yd/s", "m/s" when the label names feet,
// yards or meters, else "units/s".
std::string rateUnit(const std::string& altitudeLabel);
// The rate unit of a data set's own altitude unit; "units/s" when the set's unit is not known.
std::string rateUnit(const Series& set);
// The altitude unit of a rate unit: "ft" of "ft/s", "units" of "units/s".
std::string altitudeUnitOfRate(const std::string& rateUnit);

// One figure of the flight statistics, as every list of them shows it: the Flight Statistics
// box, the table of all flights, `orvo-cli show --stats` and its CSV form.
struct FlightFigure {
    enum class Unit { Altitude, Seconds, Rate, Count };
    const char* key;   // "apogee_time": show --stats and the CSV header
    const char* label; // "Apogee time": the Flight Statistics box and the table's header
    int decimals;
    Unit unit;
    bool (*has)(const FlightStatistics&);
    double (*value)(const FlightStatistics&);
};
// The figures in display order.
const std::vector<FlightFigure>& flightFigures();
// A figure's value as text, without its unit; "-" when the set lacks it.
std::string figureText(const FlightFigure& f, const FlightStatistics& s);
// A figure's unit ("ft", "s", "ft/s", or empty for a count) for a set whose rates are in rateUnit.
std::string figureUnit(const FlightFigure& f, const std::string& rateUnit);

// The figures as text lines for a person ("Apogee: 1523.0 ft"), units from the rate unit.
std::vector<std::string> describeFlightStatistics(const FlightStatistics& s, const std::string& rateUnit);
// One line of name=value pairs for scripts; a missing figure reads "-".
std::string flightStatisticsFields(const FlightStatistics& s, const std::string& rateUnit);
// The table of all flights as CSV, one row per set: file (when withFile), name, unit (of its
// altitudes), rate_unit, every figure by its key (a missing one empty), not_a_flight. Rows end
// in a newline.
std::string flightTableCsvHeader(bool withFile);
std::string flightTableCsvRow(const Series& set, const FlightStatistics& s,
                              const std::string* file = nullptr);
// A CSV field: quoted when it holds a comma, a quote or a line break.
std::string csvField(const std::string& text);

// Why a set is no whole flight, as one word for scripts ("still_in_the_air_at_its_end"); empty
// for a whole flight.
std::string reasonField(const FlightStatistics& s);

} // namespace orvo
