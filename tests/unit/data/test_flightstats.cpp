// Flight statistics against the emulator's flight model, whose own figures are known, and on
// sets that are not whole flights.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <tuple>

#include "data/flightstats.h"
#include "sim/module.h"

using namespace orvo;

namespace {

struct Flight {
    std::vector<double> time, altitude;
    sim::FlightTruth truth;
    double dt = 0.1;
};

Flight modelFlight(std::uint32_t seed, std::uint8_t units = 0, std::uint32_t intervalMs = 100) {
    sim::FlightOptions o;
    o.seed = seed;
    o.units = units;
    o.intervalMs = intervalMs;
    Flight f;
    f.dt = intervalMs / 1000.0;
    for (std::uint16_t w : sim::generateFlightWords(o, &f.truth)) {
        if ((w >> 8) == (sim::TriggerMarker >> 8)) continue;
        f.time.push_back(static_cast<double>(f.time.size()) * f.dt);
        f.altitude.push_back(static_cast<std::int16_t>(w));
    }
    return f;
}

FlightStatistics stats(const Flight& f) {
    return computeFlightStatistics(f.time, f.altitude, static_cast<int>(f.time.size()));
}

} // namespace

TEST(FlightStatistics, ModelFlightsGiveTheModelsTimingApogeeAndRates) {
    for (std::uint32_t seed : {1u, 7u, 42u, 1234u}) {
        for (std::uint8_t units : {std::uint8_t{0}, std::uint8_t{2}}) {
            const Flight f = modelFlight(seed, units);
            const sim::FlightTruth& m = f.truth;
            const double u = m.unitsPerMetre;
            const FlightStatistics s = stats(f);
            SCOPED_TRACE(testing::Message() << "seed " << seed << " units " << int(units));
            ASSERT_TRUE(s.reason.empty()) << s.reason;
            ASSERT_TRUE(s.hasLiftoff && s.hasLanding && s.hasClimbRate && s.hasDescentRate &&
                        s.hasLandingDescentRate);
            EXPECT_NEAR(s.groundLevel, 0.0, 2.0 * u);
            EXPECT_NEAR(s.liftoffTime, m.liftoffTime, 0.35);
            EXPECT_NEAR(s.apogee, m.apogee * u, 0.01 * m.apogee * u + 2.0 * u);
            EXPECT_NEAR(s.apogeeTime, m.apogeeTime, 1.0);
            EXPECT_NEAR(s.landingTime, m.landingTime, 0.8);
            EXPECT_NEAR(s.flightTime(), m.landingTime - m.liftoffTime, 0.9);
            EXPECT_NEAR(s.timeToApogee(), m.apogeeTime - m.liftoffTime, 1.2);
            EXPECT_NEAR(s.maxClimbRate, m.maxClimbRate * u, 0.12 * m.maxClimbRate * u);
            EXPECT_NEAR(s.maxDescentRate, m.drogueRate * u, 0.15 * m.drogueRate * u);
            EXPECT_NEAR(s.landingDescentRate, m.mainRate * u, 0.1 * m.mainRate * u);
            ASSERT_TRUE(s.hasMain);
            EXPECT_NEAR(s.drogueDescentRate, m.drogueRate * u, 0.1 * m.drogueRate * u);
            EXPECT_NEAR(s.mainDescentRate, m.mainRate * u, 0.1 * m.mainRate * u);
            EXPECT_NEAR(s.mainTime, m.mainTime, 1.0);
            EXPECT_NEAR(s.mainAltitude, m.mainAltitude * u, 0.1 * m.mainAltitude * u);
        }
    }
}

TEST(FlightStatistics, AgreesWithAPlainRecomputationOnANoiselessFlight) {
    // Climb at 50/s for 4 s, fall at 20/s, then rest on the ground; 20 samples per second.
    std::vector<double> t, a;
    for (int i = 0; i < 1000; ++i) {
        const double x = i * 0.05;
        double h = 0;
        if (x > 2.0 && x <= 6.0) h = 50.0 * (x - 2.0);
        if (x > 6.0) h = std::max(0.0, 200.0 - 20.0 * (x - 6.0));
        t.push_back(x);
        a.push_back(std::round(h));
    }
    const FlightStatistics s = computeFlightStatistics(t, a, 1000);
    // The plain way: the highest sample, and the span of the samples above the ground.
    const double plainApogee = *std::max_element(a.begin(), a.end());
    std::size_t first = 0, last = a.size() - 1;
    while (a[first] <= 0)
        ++first;
    while (a[last] <= 0)
        --last;
    const double plainFlightTime = t[last + 1] - t[first - 1];
    EXPECT_DOUBLE_EQ(s.apogee, plainApogee);
    EXPECT_NEAR(s.flightTime(), plainFlightTime, 0.05 + 1e-9);
    EXPECT_NEAR(s.maxClimbRate, 50.0, 1.5);
    EXPECT_NEAR(s.maxDescentRate, 20.0, 0.5);
    EXPECT_NEAR(s.landingDescentRate, 20.0, 0.5);
}

TEST(FlightStatistics, OneSpikeChangesNeitherApogeeNorRates) {
    const Flight clean = modelFlight(99);
    Flight spiked = clean;
    const auto top = static_cast<std::size_t>(std::max_element(clean.altitude.begin(), clean.altitude.end()) -
                                              clean.altitude.begin());
    spiked.altitude[top + 30] += 5000.0; // one wild sample during the descent
    spiked.altitude[top / 2] -= 3000.0;  // and a drop-out in the climb
    const FlightStatistics a = stats(clean), b = stats(spiked);
    EXPECT_DOUBLE_EQ(b.apogee, a.apogee);
    EXPECT_DOUBLE_EQ(b.apogeeTime, a.apogeeTime);
    EXPECT_NEAR(b.maxClimbRate, a.maxClimbRate, 0.05 * a.maxClimbRate);
    EXPECT_NEAR(b.maxDescentRate, a.maxDescentRate, 0.05 * a.maxDescentRate);
    EXPECT_DOUBLE_EQ(b.flightTime(), a.flightTime());
}

TEST(FlightStatistics, SetsThatAreNoWholeFlightSayWhatIsMissing) {
    // Flat: a module left on the bench, with noise.
    std::vector<double> t, a;
    for (int i = 0; i < 600; ++i)
        t.push_back(i * 0.1), a.push_back(100.0 + (i * 7 % 5) - 2);
    FlightStatistics s = computeFlightStatistics(t, a, 600);
    EXPECT_EQ(s.reason, "flat");
    EXPECT_TRUE(s.hasGround);
    EXPECT_NEAR(s.groundLevel, 100.0, 2.0);
    EXPECT_FALSE(s.hasLiftoff || s.hasLanding || s.hasClimbRate || s.hasDescentRate);

    // Cut off during the descent: the climb and apogee are there, the landing is not.
    Flight f = modelFlight(5);
    const auto cut = static_cast<std::size_t>(f.truth.landingTime / f.dt) - 100;
    f.time.resize(cut);
    f.altitude.resize(cut);
    s = stats(f);
    EXPECT_EQ(s.reason, "still in the air at its end");
    EXPECT_TRUE(s.hasLiftoff && s.hasClimbRate && s.hasDescentRate);
    EXPECT_FALSE(s.hasLanding || s.hasLandingDescentRate);
    EXPECT_NEAR(s.apogee, f.truth.apogee * f.truth.unitsPerMetre,
                0.02 * f.truth.apogee * f.truth.unitsPerMetre);
    const auto missing = s.missing();
    EXPECT_NE(std::find(missing.begin(), missing.end(), "flight time"), missing.end());
    EXPECT_EQ(flightStatisticsFields(s, "ft/s").find("flight_time=-") != std::string::npos, true);

    // Started in the air (the recording began after liftoff): no liftoff, landing still found.
    Flight late = modelFlight(5);
    const auto start = static_cast<std::ptrdiff_t>(late.truth.apogeeTime / late.dt);
    late.time.erase(late.time.begin(), late.time.begin() + start);
    late.altitude.erase(late.altitude.begin(), late.altitude.begin() + start);
    s = stats(late);
    EXPECT_FALSE(s.hasLiftoff || s.hasClimbRate);

    // One sample: only its altitude.
    s = computeFlightStatistics({3.0}, {42.0}, 1);
    EXPECT_EQ(s.reason, "too short");
    EXPECT_TRUE(s.hasHighest);
    EXPECT_EQ(s.apogee, 42.0);
    EXPECT_FALSE(s.hasGround || s.hasLiftoff);
    const auto lines = describeFlightStatistics(s, "m/s");
    EXPECT_EQ(lines.front(), "Ground level: -");
    EXPECT_EQ(lines.back(), "Not a whole flight: too short");

    // No sample at all, and a count beyond the arrays, do no harm.
    s = computeFlightStatistics({}, {}, 5);
    EXPECT_FALSE(s.hasHighest);
}

// A flyer's flight in whole feet: 2 s on the pad at 0 ft, 3 s of boost to 600 ft/s, coast to
// apogee, a drogue at 60 ft/s down to 1000 ft, a main at 15 ft/s, then rest (a main at apogee
// height or above: one descent under the drogue).
struct FlyerFlight {
    double drogueRate = 60, mainAltitude = 1000, mainRate = 15, thrust = 200; // ft/s/s net
    double liftoff = 2.0, burnout = liftoff + 600.0 / thrust, apogeeTime = burnout + 600.0 / 32.0;
    double apogee = 600.0 * 600.0 / (2 * thrust) + 600.0 * 600.0 / 64.0;
    double mainAt = apogeeTime + std::max(0.0, apogee - mainAltitude) / drogueRate;
    double landing = mainAt + std::min(apogee, mainAltitude) / mainRate;

    explicit FlyerFlight(double boost = 200) : thrust(boost) {}
    double at(double t) const {
        if (t < liftoff) return 0.0;
        if (t < burnout) return thrust / 2 * (t - liftoff) * (t - liftoff);
        if (t < apogeeTime) return apogee - 16.0 * (apogeeTime - t) * (apogeeTime - t);
        if (t < mainAt) return apogee - drogueRate * (t - apogeeTime);
        return std::max(0.0, std::min(apogee, mainAltitude) - mainRate * (t - mainAt));
    }
    // Samples from..to (seconds), perSecond of them a second, with Gaussian noise of the given sigma.
    std::pair<std::vector<double>, std::vector<double>> samples(double from, double to, double sigma,
                                                                int perSecond = 20) const {
        std::mt19937 rng(11);
        std::normal_distribution<double> noise(0.0, sigma);
        std::vector<double> t, a;
        const double step = 1.0 / perSecond;
        for (int i = static_cast<int>(std::lround(from * perSecond)); i * step <= to + 1e-9; ++i) {
            t.push_back(i * step);
            a.push_back(std::round(at(t.back()) + noise(rng)));
        }
        return {t, a};
    }
};

TEST(FlightStatistics, FlyersLogsOfEveryShapeGiveTheFlightsFigures) {
    const FlyerFlight m;
    const double none = std::nan("");
    // What is expected per set: ground level, liftoff, landing (NaN: must be missing).
    struct Case {
        const char* shape;
        double from, to, sigma;
        std::vector<std::tuple<double, int, double>> wild; // time, samples, added (0: reads 0)
        double ground, liftoff, landing;
        int perSecond = 20;
        const FlyerFlight* flight = nullptr; // another than m
    };
    const FlyerFlight fast(600); // a motor that leaves the pad at once
    const double touchdown = m.landing;
    const double dip = m.liftoff - 0.05, glitch = m.apogeeTime + 30;
    const Case cases[] = {
        {"pad start", 0, touchdown + 60, 1, {}, 0, m.liftoff, touchdown},
        {"short pad", m.liftoff - 0.3, touchdown + 60, 1, {}, 0, m.liftoff, touchdown},
        {"launch start at 4 ft", m.liftoff + 0.2, touchdown + 60, 1, {}, 4, m.liftoff + 0.2, touchdown},
        {"in-air start at 5 s", m.liftoff + 5, touchdown + 60, 1, {}, 0, none, touchdown},
        {"in-air start at 40 s", m.liftoff + 40, touchdown + 60, 1, {}, 0, none, touchdown},
        {"dropouts of 3 and 4 samples at 10 s and 60 s",
         0,
         touchdown + 60,
         1,
         {{10, 3, 0}, {60, 4, 0}},
         0,
         m.liftoff,
         touchdown},
        {"dropouts of 4 and 3 samples at 10 s and 60 s",
         0,
         touchdown + 60,
         1,
         {{10, 4, 0}, {60, 3, 0}},
         0,
         m.liftoff,
         touchdown},
        {"auto stop below 15 ft", 0, touchdown - 14.0 / 15, 1, {}, 0, m.liftoff, touchdown - 14.0 / 15},
        {"auto stop 0.75 s after touchdown", 0, touchdown + 0.75, 1, {}, 0, m.liftoff, touchdown},
        {"ends 97 ft up, descending", 0, touchdown - 97.0 / 15, 1, {}, 0, m.liftoff, none},
        {"spikes",
         0,
         touchdown + 60,
         1,
         {{4, 1, -900}, {30, 1, 2000}, {150, 2, -800}},
         0,
         m.liftoff,
         touchdown},
        {"noisy", 0, touchdown + 60, 2, {}, 0, m.liftoff, touchdown},
        // The motor's ignition dip in the last moments of a 1.2 s pad.
        {"ignition dip",
         m.liftoff - 1.2,
         touchdown + 60,
         1,
         {{dip - 0.1, 1, -45}, {dip - 0.05, 1, -85}, {dip, 1, -156}},
         0,
         m.liftoff,
         touchdown},
        {"ignition dip, 5 samples a second",
         m.liftoff - 1.2,
         touchdown + 60,
         1,
         {{m.liftoff - 0.6, 1, -45}, {m.liftoff - 0.4, 1, -85}, {m.liftoff - 0.2, 1, -156}},
         0,
         m.liftoff,
         touchdown,
         5},
        // Two wild samples end a record cut in the drogue descent.
        {"glitch at the end",
         0,
         glitch,
         1,
         {{glitch - 0.05, 1, -300}, {glitch, 1, -800}},
         0,
         m.liftoff,
         none},
        {"glitch at the end, 2 samples a second",
         0,
         glitch,
         1,
         {{glitch - 0.5, 1, -250}, {glitch, 1, -700}},
         0,
         m.liftoff,
         none,
         2},
        // The pad wobbles a few feet for 0.3 s before the climb.
        {"pad wobble",
         m.liftoff - 0.3,
         fast.landing + 60,
         0.3,
         {{1.7, 1, 1.1}, {1.75, 2, 2.2}, {1.85, 1, 1.1}},
         0,
         m.liftoff,
         fast.landing,
         20,
         &fast},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shape);
        const FlyerFlight& f = c.flight ? *c.flight : m;
        auto [t, a] = f.samples(c.from, c.to, c.sigma, c.perSecond);
        for (const auto& [when, count, added] : c.wild)
            for (int k = 0; k < count; ++k) {
                // The last sample at or before when (a record's end need not fall on the grid).
                const auto at = static_cast<std::size_t>(std::floor((when - t[0]) * c.perSecond + 1e-6)) +
                                static_cast<std::size_t>(k);
                ASSERT_LT(at, a.size());
                a[at] = added == 0 ? 0 : a[at] + added;
            }
        const FlightStatistics s = computeFlightStatistics(t, a, static_cast<int>(t.size()));
        if (c.from < f.apogeeTime) {
            EXPECT_NEAR(s.apogee, f.apogee, 3 * c.sigma + 1);
            EXPECT_NEAR(s.maxDescentRate, 60, 6 + c.sigma);
        }
        EXPECT_NEAR(s.groundLevel, c.ground, 5);
        EXPECT_EQ(s.hasLiftoff, !std::isnan(c.liftoff));
        if (s.hasLiftoff) {
            EXPECT_NEAR(s.liftoffTime, c.liftoff, std::min(0.3, 3.0 / c.perSecond) + 1e-9);
        }
        if (s.hasLiftoff) {
            EXPECT_NEAR(s.timeToApogee(), f.apogeeTime - c.liftoff, 0.5);
        }
        EXPECT_EQ(s.hasLanding, !std::isnan(c.landing));
        if (s.hasLanding) {
            EXPECT_NEAR(s.landingTime, c.landing, 0.3);
        }
        if (!s.hasLanding) {
            EXPECT_NE(s.reason.find("still in the air at its end"), std::string::npos);
        }
        if (s.hasClimbRate) {
            EXPECT_NEAR(s.maxClimbRate, 600, 60);
        }
        if (s.hasLandingDescentRate) {
            EXPECT_NEAR(s.landingDescentRate, 15, 1.5);
        }
    }
}

TEST(FlightStatistics, DrogueAndMainDescentsAndWhereTheMainOpened) {
    struct Case {
        const char* shape;
        FlyerFlight flight;
        double sigma;
        std::vector<std::pair<double, double>> wild; // time, added
        bool main;
    };
    auto flight = [](double drogue, double mainAltitude, double main) {
        FlyerFlight f;
        f.drogueRate = drogue, f.mainAltitude = mainAltitude, f.mainRate = main;
        f.mainAt = f.apogeeTime + std::max(0.0, f.apogee - mainAltitude) / drogue;
        f.landing = f.mainAt + std::min(f.apogee, mainAltitude) / main;
        return f;
    };
    const FlyerFlight dual = flight(60, 1000, 15);
    const Case cases[] = {
        {"dual deploy", dual, 1, {}, true},
        {"dual deploy, noisy", dual, 3, {}, true},
        {"dual deploy, spikes at the opening",
         dual,
         1,
         {{dual.mainAt, 700}, {dual.mainAt + 0.05, -500}, {dual.mainAt - 20, 900}},
         true},
        {"low main, fast drogue", flight(110, 300, 20), 1, {}, true},
        {"single deploy", flight(22, 1e6, 22), 1, {}, false},
        {"single deploy, noisy", flight(22, 1e6, 22), 3, {{60, 800}}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shape);
        const FlyerFlight& m = c.flight;
        auto [t, a] = m.samples(0, m.landing + 30, c.sigma);
        for (const auto& [when, added] : c.wild)
            a[static_cast<std::size_t>(std::lround(when * 20))] += added;
        const FlightStatistics s = computeFlightStatistics(t, a, static_cast<int>(t.size()));
        ASSERT_TRUE(s.hasDrogueRate);
        EXPECT_NEAR(s.drogueDescentRate, m.drogueRate, 0.03 * m.drogueRate + 0.2 * c.sigma);
        EXPECT_EQ(s.hasMain, c.main);
        EXPECT_EQ(s.descents, c.main ? 2 : 1);
        if (!c.main) {
            EXPECT_FALSE(s.hasMainAltitude);
            EXPECT_NE(flightStatisticsFields(s, "ft/s").find(" main_descent=- main_altitude=- main_time=- "),
                      std::string::npos);
            continue;
        }
        EXPECT_NEAR(s.mainDescentRate, m.mainRate, 0.05 * m.mainRate + 0.1 * c.sigma);
        EXPECT_NEAR(s.mainTime, m.mainAt, 0.5);
        ASSERT_TRUE(s.hasMainAltitude);
        EXPECT_NEAR(s.mainAltitude, m.mainAltitude, 0.5 * m.drogueRate);
    }
}

TEST(FlightStatistics, RateUnitFollowsTheAltitudeLabel) {
    EXPECT_EQ(rateUnit("Altitude (Feet)"), "ft/s");
    EXPECT_EQ(rateUnit("Altitude (Meters)"), "m/s");
    EXPECT_EQ(rateUnit("Altitude (Yards)"), "yd/s");
    EXPECT_EQ(rateUnit("Height"), "units/s");
    // A set's own unit, never another label's.
    Series set(true);
    EXPECT_EQ(rateUnit(set), "units/s");
    set.altitudeUnit = altitudeUnitOfLabel("Altitude (meters)");
    EXPECT_EQ(rateUnit(set), "m/s");
}
