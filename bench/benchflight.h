// The synthetic flight the plot benchmarks and the renderer's picture tests draw: boost to apogee,
// a fast drogue descent, a slow main descent and sensor noise, over 3277 s (n samples, 0.05 s
// apart when n is MaxSamples). With what the plot benchmarks share: the best time of some runs,
// the size asked for on the command line and the plot of eight such flights.
#pragma once

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <random>

#include "data/series.h"
#include "plot/plotsettings.h"
#include "plot/plotview.h"

namespace benchflight {

inline void fillFlight(orvo::Series& s, int set, std::mt19937& rng, int n = orvo::MaxSamples) {
    std::normal_distribution<double> noise(0.0, 1.5);
    const double apogee = 1500.0 + 300.0 * set;
    for (int i = 0; i < n; ++i) {
        const double t = i * 0.05 * 65536.0 / n;
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
    s.samples.count = n;
}

// The best of runs timings of f, in milliseconds.
template <typename F> double bestMs(int runs, F&& f) {
    using Clock = std::chrono::steady_clock;
    double best = 1e9;
    for (int r = 0; r < runs; ++r) {
        const auto t0 = Clock::now();
        f();
        best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
    return best;
}

// The size a WxH argument asks for, up to 3840x2160; the default when none does.
inline void sizeFromArgs(int argc, char** argv, int& width, int& height) {
    for (int i = 1; i < argc; ++i) {
        int w = 0, h = 0;
        if (std::sscanf(argv[i], "%dx%d", &w, &h) == 2 && w >= 200 && h >= 120 && w <= 3840 && h <= 2160)
            width = w, height = h;
    }
}

// Eight flights scaled to fit, for a colour output of width x height pixels at 96 pixels per inch.
inline void eightFlights(orvo::PlotState& state, int width, int height) {
    std::mt19937 rng(7);
    for (int k = 0; k < 8; ++k)
        fillFlight(state.settings.series.CreateDataSet(), k, rng);
    orvo::HomeView home;
    orvo::AutoScaleTime(state.settings, home);
    orvo::AutoScaleAltitude(state.settings, home);
    state.output.width = double(width) / 96;
    state.output.height = double(height) / 96;
    state.output.colour = 1;
}

} // namespace benchflight
