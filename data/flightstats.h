// What happened in one recorded flight: ground level, liftoff, apogee, landing, flight time and
// the climb and descent rates, computed from a data set's samples alone. The Data Properties
// dialog and `orvo-cli show --stats` show these figures.
//
// Method (all figures in the set's own altitude unit and seconds):
//  1. The sample interval is the median of the positive time steps. Fewer than 5 samples, or
//     no positive step, is "too short": only the highest sample is given.
//  2. A running median over 5 samples smooths the altitudes, so that one or two wild samples
//     (a spike, a dropped bit) never make a rate. The noise level sigma is the mean absolute
//     second difference of the raw altitudes divided by 1.95 (its value for Gaussian noise),
//     leaving out the largest tenth (spikes, burnout, parachutes opening).
//  3. Ground level: the median of the raw samples of the first second (at least 3 samples, at
//     most a tenth of the set).
//  4. Apogee: the highest raw sample that lies at most max(6 sigma, 3 units) plus the larger
//     step between its outer neighbours above its smoothed value (so a spike is never the
//     apogee, while a sharp true peak is). The height of the highest smoothed sample above
//     ground must exceed max(10 sigma, 3 units), otherwise the set is "flat".
//  5. Liftoff: the threshold is max(5 sigma, 2 % of the apogee height) above ground. The first
//     smoothed sample above it before the apogee ends the walk back: liftoff is the last sample
//     at or below ground + 2 sigma before it. A set that starts above the threshold has none.
//  6. Landing: the set must end within the liftoff threshold of the ground level, otherwise it
//     is "still in the air". The landed level is the median of the raw samples from the first
//     smoothed sample after the apogee that is below the threshold to the end; landing is the
//     first sample from that crossing on within 2 sigma (at least half a unit) of that level.
//  7. Rates: the least-squares slope of the smoothed altitudes over a centred window of about
//     one second (at least 5 samples). The maximum climb rate is the highest slope from
//     liftoff to apogee, the maximum descent rate the steepest fall from apogee to landing (or
//     to the end). The descent rate before landing is the least-squares slope of the raw
//     samples over the 5 s that end half a second before landing (the second half of the
//     descent when that is shorter): the rate under the main parachute.
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

    // Why the missing figures are missing: "too short", "flat", "no liftoff", "still in the air
    // at its end"; empty for a whole flight.
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

// The figures as text lines for a person ("Apogee: 1523.0 at 15.30 s (11.10 s after liftoff)").
std::vector<std::string> describeFlightStatistics(const FlightStatistics& s, const std::string& rateUnit);
// One line of name=value pairs for scripts; a missing figure reads "-".
std::string flightStatisticsFields(const FlightStatistics& s, const std::string& rateUnit);

} // namespace orvo
