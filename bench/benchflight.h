// The synthetic flight the plot benchmarks draw: boost to apogee, a fast drogue descent, a slow main
// descent and sensor noise, MaxSamples samples 0.05 s apart.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <random>

#include "data/series.h"

namespace benchflight {

inline void fillFlight(orvo::Series& s, int set, std::mt19937& rng) {
    std::normal_distribution<double> noise(0.0, 1.5);
    const double apogee = 1500.0 + 300.0 * set;
    for (int i = 0; i < orvo::MaxSamples; ++i) {
        const double t = i * 0.05;
        double a;
        if (t < 20)
            a = apogee * std::sin(t / 20 * M_PI / 2);
        else if (t < 120)
            a = apogee - (t - 20) * apogee * 0.006;
        else
            a = std::max(0.0, apogee * 0.4 - (t - 120) * apogee * 0.4 / 3000);
        s.samples.time[std::size_t(i)] = t;
        s.samples.altitude[std::size_t(i)] = a + noise(rng);
    }
    s.samples.count = orvo::MaxSamples;
}

} // namespace benchflight
