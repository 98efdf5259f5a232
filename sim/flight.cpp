// Model rocket flights for the emulated module's memory: a short wait on the pad, a motor
// burn, coasting to apogee, a fast drogue descent, the main parachute, landing, and a while on
// the ground; the barometric altitude carries some noise.
#include <algorithm>
#include <cmath>
#include <random>

#include "data/altitudeunit.h"
#include "sim/module.h"

namespace orvo::sim {

int RecordedSet::sampleCount() const {
    int n = 0;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if ((words[i] >> 8) == (TriggerMarker >> 8)) continue;
        ++n;
    }
    return n;
}

std::vector<std::uint16_t> generateFlightWords(const FlightOptions& o, FlightTruth* truth) {
    const double unit = altitudeUnitRecorded(o.units).perMetre;
    const double dt = std::max<std::uint32_t>(o.intervalMs, 1) / 1000.0;

    std::mt19937 rng(o.seed);
    auto uniform = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); };
    std::normal_distribution<double> noise(0.0, 0.45);

    const double padTime = uniform(2.0, 6.0);
    const double burnTime = uniform(1.0, 2.5);
    const double thrustAccel = uniform(50.0, 150.0);
    const double dragK = uniform(0.0006, 0.0016); // per metre: drag deceleration = k v^2
    const double drogueRate = uniform(15.0, 25.0);
    const double mainAltitude = uniform(120.0, 250.0);
    const double mainRate = uniform(4.0, 7.0);
    const double groundTime = uniform(4.0, 8.0);
    const double g = 9.81;
    FlightTruth model;
    model.liftoffTime = padTime;
    model.drogueRate = drogueRate;
    model.mainRate = mainRate;
    model.mainAltitude = mainAltitude;
    model.unitsPerMetre = unit;

    enum Phase { Pad, Boost, Coast, Drogue, Main, Landed } phase = Pad;
    double t = 0, alt = 0, v = 0, landedAt = -1;
    bool apogeeMark = false, mainMark = false;
    const double h = std::min(0.005, dt);
    double nextSample = 0;
    std::vector<std::uint16_t> words;
    int samples = 0;

    auto emit = [&](double altitude) {
        if (apogeeMark || mainMark) {
            if (o.triggers) words.push_back(static_cast<std::uint16_t>(TriggerMarker | (apogeeMark ? 1 : 2)));
            apogeeMark = mainMark = false;
        }
        double value = std::round((altitude + noise(rng)) * unit);
        // 0x82xx is reserved for trigger markers; altitudes never get that low anyway.
        value = std::clamp(value, -32000.0, 32767.0);
        words.push_back(static_cast<std::uint16_t>(static_cast<std::int16_t>(value)));
        ++samples;
    };

    while (words.size() < 65000) {
        while (t + 1e-9 >= nextSample) {
            emit(alt);
            nextSample += dt;
        }
        if (phase == Landed && t - landedAt >= groundTime && samples >= o.minSamples) break;
        double a = 0;
        switch (phase) {
        case Pad:
            if (t >= padTime) phase = Boost;
            break;
        case Boost:
            a = thrustAccel - g - dragK * v * std::fabs(v);
            if (t >= padTime + burnTime) phase = Coast;
            break;
        case Coast:
            a = -g - dragK * v * std::fabs(v);
            if (v + a * h <= 0) {
                phase = Drogue;
                model.apogee = alt;
                model.apogeeTime = t;
                apogeeMark = true;
            }
            break;
        case Drogue:
            a = (-drogueRate - v) / 0.8;
            if (alt <= mainAltitude) {
                phase = Main;
                mainMark = true;
                model.mainTime = t;
            }
            break;
        case Main:
            a = (-mainRate - v) / 1.5;
            if (alt <= 0) {
                phase = Landed;
                landedAt = t;
                model.landingTime = t;
                alt = 0;
                v = 0;
            }
            break;
        case Landed:
            break;
        }
        if (phase != Pad && phase != Landed) {
            v += a * h;
            alt += v * h;
            model.maxClimbRate = std::max(model.maxClimbRate, v);
            if (phase == Boost && alt < 0) alt = v = 0;
        }
        // On the ground nothing moves: go straight to the next sample.
        t = phase == Landed ? std::max(t + h, nextSample) : t + h;
    }
    if (truth) *truth = model;
    return words;
}

} // namespace orvo::sim
