// What happened in one recorded flight: ground level, liftoff, apogee, landing, flight time and
// the climb and descent rates, computed from a data set's samples alone. The Data Properties
// dialog and `orvo-cli show --stats` show these figures.
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
//     two wild samples never make a rate.
//  3. Apogee: the highest raw sample that lies at most max(6 sigma, 3 units) plus the larger
//     step between its outer neighbours above its smoothed value (so a spike is never the
//     apogee, while a sharp true peak is). The highest smoothed sample must lie more than
//     max(10 sigma, 3 units) above the lowest, otherwise the set is "flat" (ground level: the
//     median of all samples).
//  4. Start: the set begins in the air when it begins more than a quarter of the way from the
//     lowest smoothed altitude after the apogee up to the apogee (a crop, a late start): it has
//     no liftoff ("no liftoff") and no ground level from its start. It begins climbing
//     (recording started at launch) when its smoothed altitudes rise over its first half second
//     (at least 5 samples) by more than max(4 sigma, 3 units): liftoff is its first sample and the ground
//     level that sample's altitude. Otherwise it begins on the pad, at the level L of the median of its first
//     five samples: with the liftoff threshold max(5 sigma, 2 % of the apogee height) above L, the first
//     smoothed sample above it ends a walk back, and liftoff is the last sample at or below L + max(2 sigma,
//     1 unit) before it. The ground level is the median of the pad samples of the last second before liftoff;
//     with it as L, liftoff and the ground level are found once more.
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

// The figures as text lines for a person ("Apogee: 1523.0 at 15.30 s (11.10 s after liftoff)").
std::vector<std::string> describeFlightStatistics(const FlightStatistics& s, const std::string& rateUnit);
// One line of name=value pairs for scripts; a missing figure reads "-".
std::string flightStatisticsFields(const FlightStatistics& s, const std::string& rateUnit);

} // namespace orvo
