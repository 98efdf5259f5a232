// Flight statistics of a full data set: an emulated flight of 65536 samples at 20 per second
// (a long time on the ground after landing fills it up). Prints the best and median time.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "data/flightstats.h"
#include "sim/module.h"

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

    std::vector<double> ms;
    orvo::FlightStatistics s;
    for (int run = 0; run < 30; ++run) {
        const auto t0 = std::chrono::steady_clock::now();
        s = orvo::computeFlightStatistics(time, altitude, orvo::MaxSamples);
        const auto t1 = std::chrono::steady_clock::now();
        ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    std::sort(ms.begin(), ms.end());
    std::printf("flight statistics, %d samples: best %.3f ms, median %.3f ms (target < 5 ms)\n",
                orvo::MaxSamples, ms.front(), ms[ms.size() / 2]);
    std::printf("  %s\n", orvo::flightStatisticsFields(s, "ft/s").c_str());
    return 0;
}
