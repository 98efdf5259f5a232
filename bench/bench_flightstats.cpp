// Flight statistics of full data sets, 65536 samples at 20 per second each: an emulated flight (a
// long time on the ground after landing fills it up) and the plot benchmarks' flight, whose main
// parachute descent lasts 50 minutes. Prints the best and median time of each.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include "bench/benchflight.h"
#include "data/flightstats.h"
#include "sim/module.h"

namespace {

void measure(const char* name, const std::vector<double>& time, const std::vector<double>& altitude) {
    std::vector<double> ms;
    orvo::FlightStatistics s;
    for (int run = 0; run < 30; ++run) {
        const auto t0 = std::chrono::steady_clock::now();
        s = orvo::computeFlightStatistics(time, altitude, static_cast<int>(time.size()));
        const auto t1 = std::chrono::steady_clock::now();
        ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    std::sort(ms.begin(), ms.end());
    std::printf("flight statistics, %s, %zu samples: best %.3f ms, median %.3f ms (target < 5 ms)\n", name,
                time.size(), ms.front(), ms[ms.size() / 2]);
    std::printf("  %s\n", orvo::flightStatisticsFields(s, "ft/s").c_str());
}

} // namespace

int main() {
    orvo::sim::FlightOptions o;
    o.seed = 3;
    o.intervalMs = 50;
    o.minSamples = orvo::MaxSamples;
    std::vector<double> time, altitude;
    for (std::uint16_t w : orvo::sim::generateFlightWords(o)) {
        if ((w >> 8) == (orvo::sim::TriggerMarker >> 8)) continue;
        altitude.push_back(static_cast<std::int16_t>(w));
    }
    altitude.resize(orvo::MaxSamples, altitude.back()); // the emulator stops at 65000 words
    for (int i = 0; i < orvo::MaxSamples; ++i)
        time.push_back(i * 0.05);
    measure("emulated flight", time, altitude);

    orvo::Series set(true);
    std::mt19937 rng(7);
    benchflight::fillFlight(set, 0, rng);
    const std::vector<double>& t = set.samples.time;
    const std::vector<double>& a = set.samples.altitude;
    measure("long descent", t, a);
    return 0;
}
