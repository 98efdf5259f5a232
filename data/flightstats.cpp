#include "data/flightstats.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>

#include "data/drift.h"

namespace orvo {

namespace {

// Half the width of the window the climb and descent rates are fitted over, in seconds.
constexpr double RateWindowHalf = 0.5;

double medianOf(std::vector<double> v) {
    if (v.empty()) return 0.0;
    const auto mid = v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2);
    std::nth_element(v.begin(), mid, v.end());
    return *mid;
}

// Running median over 5 samples (3 or 4 at the ends).
std::vector<double> runningMedian5(const std::vector<double>& a) {
    const std::size_t n = a.size();
    std::vector<double> f(n);
    double w[5];
    // Inside: the median of five by a fixed network of compare-exchanges (no branches).
    auto median5 = [](double x0, double x1, double x2, double x3, double x4) {
        auto order = [](double& lo, double& hi) {
            const double l = std::min(lo, hi);
            hi = std::max(lo, hi);
            lo = l;
        };
        order(x0, x1);
        order(x3, x4);
        order(x0, x3);
        order(x1, x4);
        order(x1, x2);
        order(x2, x3);
        order(x1, x2);
        return x2;
    };
    for (std::size_t i = 2; i + 2 < n; ++i)
        f[i] = median5(a[i - 2], a[i - 1], a[i], a[i + 1], a[i + 2]);
    for (std::size_t i : {std::size_t{0}, std::size_t{1}, n - 2, n - 1}) {
        if (i >= n) continue;
        const std::size_t lo = i >= 2 ? i - 2 : 0;
        const std::size_t hi = std::min(n - 1, i + 2);
        std::size_t m = 0;
        for (std::size_t k = lo; k <= hi; ++k) {
            std::size_t j = m++;
            for (; j > 0 && w[j - 1] > a[k]; --j)
                w[j] = w[j - 1];
            w[j] = a[k];
        }
        f[i] = w[m / 2];
    }
    return f;
}

// Least-squares slope of a over t on the index range lo..hi (inclusive); 0 when the times do not
// spread.
double slope(const std::vector<double>& t, const std::vector<double>& a, std::size_t lo, std::size_t hi) {
    const double m = static_cast<double>(hi - lo + 1);
    double st = 0, sa = 0;
    for (std::size_t i = lo; i <= hi; ++i)
        st += t[i], sa += a[i];
    const double tm = st / m, am = sa / m;
    double num = 0, den = 0;
    for (std::size_t i = lo; i <= hi; ++i) {
        num += (t[i] - tm) * (a[i] - am);
        den += (t[i] - tm) * (t[i] - tm);
    }
    return den > 0 ? num / den : 0.0;
}

// First index whose time is at least t (linear: times are only expected to ascend).
std::size_t indexAtTime(const std::vector<double>& time, double t) {
    std::size_t i = 0;
    while (i < time.size() && time[i] < t)
        ++i;
    return i;
}

std::string fixed(double v, int decimals) {
    return formatFixed(v, 0, decimals);
}

} // namespace

std::vector<std::string> FlightStatistics::missing() const {
    std::vector<std::string> m;
    if (!hasGround) m.push_back("ground level");
    if (!hasLiftoff) m.push_back("liftoff");
    if (!hasHighest) m.push_back("apogee");
    if (!hasLiftoff || !hasHighest) m.push_back("time to apogee");
    if (!hasLanding) m.push_back("landing");
    if (!hasLanding || !hasLiftoff) m.push_back("flight time");
    if (!hasClimbRate) m.push_back("climb rate");
    if (!hasDescentRate) m.push_back("descent rate");
    if (!hasLandingDescentRate) m.push_back("descent rate before landing");
    return m;
}

FlightStatistics computeFlightStatistics(const std::vector<double>& time, const std::vector<double>& altitude,
                                         int count) {
    FlightStatistics s;
    // Only finite samples take part; the readers never store others, but a set may be edited.
    const std::size_t limit =
        std::min({static_cast<std::size_t>(std::max(count, 0)), time.size(), altitude.size()});
    std::vector<double> t, a;
    t.reserve(limit);
    a.reserve(limit);
    for (std::size_t i = 0; i < limit; ++i)
        if (std::isfinite(time[i]) && std::isfinite(altitude[i]))
            t.push_back(time[i]), a.push_back(altitude[i]);
    const std::size_t n = t.size();
    s.samples = static_cast<int>(n);
    if (n == 0) {
        s.reason = "no samples";
        return s;
    }

    // 1. Sample interval.
    std::vector<double> steps;
    steps.reserve(n);
    for (std::size_t i = 1; i < n; ++i)
        if (t[i] > t[i - 1]) steps.push_back(t[i] - t[i - 1]);
    const auto highestRaw = static_cast<std::size_t>(std::max_element(a.begin(), a.end()) - a.begin());
    if (n < 5 || steps.empty()) {
        s.hasHighest = true;
        s.apogee = a[highestRaw];
        s.apogeeTime = t[highestRaw];
        s.reason = "too short";
        return s;
    }
    const double dt = medianOf(steps);
    s.sampleInterval = dt;

    // 2. Smoothing and noise.
    const std::vector<double> f = runningMedian5(a);
    // Noise from the second differences, which a smooth flight leaves near zero: for Gaussian
    // noise their mean absolute value is about 1.95 sigma. The largest tenth (spikes, motor
    // burnout, parachutes opening) is left out.
    std::vector<double> second;
    second.reserve(n);
    for (std::size_t i = 1; i + 1 < n; ++i)
        second.push_back(std::fabs(a[i + 1] - 2.0 * a[i] + a[i - 1]));
    const std::size_t kept = std::max<std::size_t>(1, second.size() * 9 / 10);
    if (kept < second.size())
        std::nth_element(second.begin(), second.begin() + static_cast<std::ptrdiff_t>(kept), second.end());
    double sum = 0;
    for (std::size_t i = 0; i < kept; ++i)
        sum += second[i];
    const double sigma = sum / static_cast<double>(kept) / 1.95;
    s.noise = sigma;

    // 3. Ground level from the first second.
    const std::size_t firstSecond = std::max<std::size_t>(1, static_cast<std::size_t>(std::lround(1.0 / dt)));
    const std::size_t groundCount =
        std::max<std::size_t>(1, std::min(std::max<std::size_t>(3, firstSecond), n / 10));
    const double ground =
        medianOf(std::vector<double>(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(groundCount)));
    s.hasGround = true;
    s.groundLevel = ground;

    // 4. Apogee.
    const auto p = static_cast<std::size_t>(std::max_element(f.begin(), f.end()) - f.begin());
    const double spike = std::max(6.0 * sigma, 3.0);
    s.hasHighest = true;
    s.apogee = f[p];
    s.apogeeTime = t[p];
    for (std::size_t i = 0; i < n; ++i) {
        if (a[i] <= s.apogee) continue;
        // A sharp but true peak sits above its median by about one step of its neighbours.
        double step = 0;
        if (i >= 2) step = std::fabs(a[i - 1] - a[i - 2]);
        if (i + 2 < n) step = std::max(step, std::fabs(a[i + 2] - a[i + 1]));
        if (a[i] - f[i] <= spike + step) s.apogee = a[i], s.apogeeTime = t[i];
    }
    const double height = f[p] - ground;
    if (height <= std::max(10.0 * sigma, 3.0)) {
        s.reason = "flat";
        return s;
    }

    // 5. Liftoff.
    const double threshold = std::max(5.0 * sigma, 0.02 * height);
    const double band = 2.0 * sigma;
    std::size_t crossing = 0;
    while (crossing < p && f[crossing] <= ground + threshold)
        ++crossing;
    std::size_t liftoff = 0;
    if (crossing > 0 && f[crossing] > ground + threshold) {
        std::size_t j = crossing;
        while (j > 0 && f[j - 1] > ground + band)
            --j;
        liftoff = j > 0 ? j - 1 : 0;
        s.hasLiftoff = true;
        s.liftoffTime = t[liftoff];
    } else {
        s.reason = "no liftoff";
    }

    // 6. Landing.
    std::size_t landing = n - 1;
    if (f[n - 1] <= ground + threshold) {
        std::size_t down = p + 1;
        while (down < n && f[down] > ground + threshold)
            ++down;
        const double landed =
            medianOf(std::vector<double>(a.begin() + static_cast<std::ptrdiff_t>(down), a.end()));
        const double landedBand = std::max(band, 0.5);
        landing = down;
        while (landing < n - 1 && f[landing] > landed + landedBand)
            ++landing;
        s.hasLanding = true;
        s.landingTime = t[landing];
    } else if (s.reason.empty()) {
        s.reason = "still in the air at its end";
    } else {
        s.reason += ", still in the air at its end";
    }

    // 7. Rates over a centred window of about one second.
    const std::size_t half =
        std::max<std::size_t>(2, static_cast<std::size_t>(std::lround(RateWindowHalf / dt)));
    auto windowSlope = [&](std::size_t i) {
        const std::size_t lo = i >= half ? i - half : 0;
        const std::size_t hi = std::min(n - 1, i + half);
        return slope(t, f, lo, hi);
    };
    if (s.hasLiftoff) {
        double best = 0;
        for (std::size_t i = liftoff; i <= p; ++i)
            best = std::max(best, windowSlope(i));
        s.hasClimbRate = true;
        s.maxClimbRate = best;
    }
    if (landing > p) {
        double best = 0;
        for (std::size_t i = p; i <= landing; ++i)
            best = std::max(best, -windowSlope(i));
        s.hasDescentRate = true;
        s.maxDescentRate = best;
    }
    if (s.hasLanding && landing > p) {
        const double descent = t[landing] - t[p];
        const double end = t[landing] - std::min(0.5, descent / 4.0);
        const double start = std::max(end - 5.0, t[p] + descent / 2.0);
        const std::size_t lo = indexAtTime(t, start);
        std::size_t hi = indexAtTime(t, end);
        if (hi >= n || (hi > 0 && t[hi] > end)) --hi;
        if (hi < n && lo < hi && hi - lo + 1 >= 3) {
            s.hasLandingDescentRate = true;
            s.landingDescentRate = -slope(t, a, lo, hi);
        }
    }
    return s;
}

FlightStatistics computeFlightStatistics(const Series& set) {
    const SampleBuffer& b = set.samples;
    const std::size_t n = std::min(static_cast<std::size_t>(std::max(b.count, 0)), b.time.size());
    std::vector<double> time(n), altitude(n);
    for (std::size_t i = 0; i < n; ++i) {
        time[i] = b.time[i];
        altitude[i] = b.altitude[i];
    }
    return computeFlightStatistics(time, altitude, static_cast<int>(n));
}

std::string rateUnit(const std::string& altitudeLabel) {
    std::string lower = altitudeLabel;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower.find("feet") != std::string::npos || lower.find("(ft") != std::string::npos) return "ft/s";
    if (lower.find("yard") != std::string::npos) return "yd/s";
    if (lower.find("meter") != std::string::npos || lower.find("metre") != std::string::npos) return "m/s";
    return "units/s";
}

std::vector<std::string> describeFlightStatistics(const FlightStatistics& s, const std::string& unit) {
    std::vector<std::string> lines;
    const std::string na = "-";
    lines.push_back("Ground level: " + (s.hasGround ? fixed(s.groundLevel, 1) : na));
    lines.push_back("Liftoff: " + (s.hasLiftoff ? fixed(s.liftoffTime, 2) + " s" : na));
    std::string apogee = "Apogee: " + na;
    if (s.hasHighest) {
        apogee = "Apogee: " + fixed(s.apogee, 1) + " at " + fixed(s.apogeeTime, 2) + " s";
        if (s.hasLiftoff) apogee += " (" + fixed(s.timeToApogee(), 2) + " s after liftoff)";
    }
    lines.push_back(apogee);
    lines.push_back("Landing: " + (s.hasLanding ? fixed(s.landingTime, 2) + " s" : na));
    lines.push_back("Flight time: " + (s.hasLanding && s.hasLiftoff ? fixed(s.flightTime(), 2) + " s" : na));
    lines.push_back("Max climb rate: " + (s.hasClimbRate ? fixed(s.maxClimbRate, 1) + " " + unit : na));
    lines.push_back("Max descent rate: " + (s.hasDescentRate ? fixed(s.maxDescentRate, 1) + " " + unit : na));
    lines.push_back("Descent rate before landing: " +
                    (s.hasLandingDescentRate ? fixed(s.landingDescentRate, 1) + " " + unit : na));
    if (!s.reason.empty()) lines.push_back("Not a whole flight: " + s.reason);
    return lines;
}

std::string flightStatisticsFields(const FlightStatistics& s, const std::string& unit) {
    auto field = [](const char* name, bool has, double v, int decimals) {
        return std::string(" ") + name + "=" + (has ? fixed(v, decimals) : std::string("-"));
    };
    std::string out = "stats";
    out += field("ground", s.hasGround, s.groundLevel, 1);
    out += field("liftoff", s.hasLiftoff, s.liftoffTime, 2);
    out += field("apogee", s.hasHighest, s.apogee, 1);
    out += field("apogee_time", s.hasHighest, s.apogeeTime, 2);
    out += field("time_to_apogee", s.hasHighest && s.hasLiftoff, s.timeToApogee(), 2);
    out += field("landing", s.hasLanding, s.landingTime, 2);
    out += field("flight_time", s.hasLanding && s.hasLiftoff, s.flightTime(), 2);
    out += field("max_climb", s.hasClimbRate, s.maxClimbRate, 1);
    out += field("max_descent", s.hasDescentRate, s.maxDescentRate, 1);
    out += field("landing_descent", s.hasLandingDescentRate, s.landingDescentRate, 1);
    out += " rate_unit=" + unit;
    if (!s.reason.empty()) {
        std::string r = s.reason;
        std::replace(r.begin(), r.end(), ' ', '_');
        std::replace(r.begin(), r.end(), ',', ';');
        out += " not_a_flight=" + r;
    }
    return out;
}

} // namespace orvo
