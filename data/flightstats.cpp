#include "data/flightstats.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

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

// Least-squares line through points added and removed one at a time, so that a window sliding
// over a set costs a constant time per step. The sums are long double, with times taken from an
// origin near the points, so that removing points leaves no error that matters.
class LineFit {
  public:
    explicit LineFit(double origin) : m_origin(origin) {}
    void add(double t, double a, int sign = 1) {
        const long double x = static_cast<long double>(t) - m_origin;
        m_n += sign;
        m_st += sign * x;
        m_sa += sign * static_cast<long double>(a);
        m_stt += sign * x * x;
        m_sta += sign * x * a;
    }
    void remove(double t, double a) { add(t, a, -1); }
    // The line's altitude at time t; the mean altitude when the times do not spread.
    double valueAt(double t) const {
        if (m_n <= 0) return 0.0;
        const long double tm = m_st / m_n, am = m_sa / m_n;
        return static_cast<double>(am + slope() * (static_cast<long double>(t) - m_origin - tm));
    }
    // The slope; 0 when the times do not spread.
    double slope() const {
        const long double den = m_n * m_stt - m_st * m_st;
        return den > 0 ? static_cast<double>((m_n * m_sta - m_st * m_sa) / den) : 0.0;
    }

  private:
    double m_origin;
    long double m_n = 0, m_st = 0, m_sa = 0, m_stt = 0, m_sta = 0;
};

// Least-squares slope of a over t on the index range lo..hi (inclusive).
double slope(const std::vector<double>& t, const std::vector<double>& a, std::size_t lo, std::size_t hi) {
    LineFit fit(t[lo]);
    for (std::size_t i = lo; i <= hi; ++i)
        fit.add(t[i], a[i]);
    return fit.slope();
}

// The largest of sign * slope of a over the windows lo(i)..hi(i) = i - half .. i + half (cut to
// the set) centred on every i in from..to.
double steepestSlope(const std::vector<double>& t, const std::vector<double>& a, std::size_t from,
                     std::size_t to, std::size_t half, double sign) {
    const std::size_t n = t.size();
    auto lowEnd = [half](std::size_t i) { return i >= half ? i - half : 0; };
    auto highEnd = [half, n](std::size_t i) { return std::min(n - 1, i + half); };
    LineFit fit(t[from]);
    for (std::size_t k = lowEnd(from); k <= highEnd(from); ++k)
        fit.add(t[k], a[k]);
    double best = 0;
    for (std::size_t i = from;; ++i) {
        best = std::max(best, sign * fit.slope());
        if (i >= to) break;
        if (highEnd(i + 1) > highEnd(i)) fit.add(t[highEnd(i + 1)], a[highEnd(i + 1)]);
        if (lowEnd(i + 1) > lowEnd(i)) fit.remove(t[lowEnd(i)], a[lowEnd(i)]);
    }
    return best;
}

// First index whose time is at least t (linear: times are only expected to ascend).
std::size_t indexAtTime(const std::vector<double>& time, double t) {
    std::size_t i = 0;
    while (i < time.size() && time[i] < t)
        ++i;
    return i;
}

double medianOfRange(const std::vector<double>& a, std::size_t lo, std::size_t end) {
    return medianOf(std::vector<double>(a.begin() + static_cast<std::ptrdiff_t>(lo),
                                        a.begin() + static_cast<std::ptrdiff_t>(end)));
}

// The samples a computation works on: raw times and altitudes, their smoothed altitudes and
// what was learnt of them so far.
struct Flight {
    std::vector<double> t, a, f;
    double dt = 0;
    double sigma = 0;
    std::size_t apogee = 0; // index of the highest smoothed sample
    std::size_t size() const { return t.size(); }
};

// Only finite samples take part; the readers never store others, but a set may be edited.
Flight finiteSamples(const std::vector<double>& time, const std::vector<double>& altitude, int count) {
    const std::size_t limit =
        std::min({static_cast<std::size_t>(std::max(count, 0)), time.size(), altitude.size()});
    Flight fl;
    fl.t.reserve(limit);
    fl.a.reserve(limit);
    for (std::size_t i = 0; i < limit; ++i)
        if (std::isfinite(time[i]) && std::isfinite(altitude[i]))
            fl.t.push_back(time[i]), fl.a.push_back(altitude[i]);
    return fl;
}

// The median positive time step; 0 when there is none.
double sampleInterval(const std::vector<double>& t) {
    std::vector<double> steps;
    steps.reserve(t.size());
    for (std::size_t i = 1; i < t.size(); ++i)
        if (t[i] > t[i - 1]) steps.push_back(t[i] - t[i - 1]);
    return steps.empty() ? 0.0 : medianOf(std::move(steps));
}

// Noise from the second differences, which a smooth flight leaves near zero: for Gaussian noise
// their mean absolute value is about 1.95 sigma. The largest tenth (spikes, motor burnout,
// parachutes opening, dropouts) is left out.
double noiseLevel(const std::vector<double>& a) {
    std::vector<double> second;
    second.reserve(a.size());
    for (std::size_t i = 1; i + 1 < a.size(); ++i)
        second.push_back(std::fabs(a[i + 1] - 2.0 * a[i] + a[i - 1]));
    if (second.empty()) return 0.0;
    const std::size_t kept = std::max<std::size_t>(1, second.size() * 9 / 10);
    if (kept < second.size())
        std::nth_element(second.begin(), second.begin() + static_cast<std::ptrdiff_t>(kept), second.end());
    double sum = 0;
    for (std::size_t i = 0; i < kept; ++i)
        sum += second[i];
    return sum / static_cast<double>(kept) / 1.95;
}

// Takes out the runs of samples reading exactly 0, over at most two seconds, that lie between two
// samples farther than jump from 0: the module browned out there, the rocket did not land.
void dropDropouts(Flight& fl, double jump) {
    std::size_t out = 0;
    const std::size_t n = fl.size();
    for (std::size_t i = 0; i < n;) {
        std::size_t end = i;
        while (end < n && fl.a[end] == 0.0)
            ++end;
        // A brown-out lasts moments; a longer run of zeros may be a rest on a zero ground level.
        const bool dropout = end > i && i > 0 && end < n && std::fabs(fl.a[i - 1]) > jump &&
                             std::fabs(fl.a[end]) > jump && fl.t[end - 1] - fl.t[i] <= 2.0;
        if (end == i) end = i + 1;
        for (std::size_t k = i; k < end; ++k)
            if (!dropout) fl.t[out] = fl.t[k], fl.a[out] = fl.a[k], ++out;
        i = end;
    }
    fl.t.resize(out);
    fl.a.resize(out);
}

// Step 3: the apogee, and whether the set is more than flat.
bool findApogee(Flight& fl, FlightStatistics& s) {
    const std::vector<double>& a = fl.a;
    const std::vector<double>& f = fl.f;
    const std::size_t n = fl.size();
    const std::size_t p = fl.apogee =
        static_cast<std::size_t>(std::max_element(f.begin(), f.end()) - f.begin());
    const double spike = std::max(6.0 * fl.sigma, 3.0);
    s.hasHighest = true;
    s.apogee = f[p];
    s.apogeeTime = fl.t[p];
    for (std::size_t i = 0; i < n; ++i) {
        if (a[i] <= s.apogee) continue;
        // A sharp but true peak sits above its median by about one step of its neighbours.
        double step = 0;
        if (i >= 2) step = std::fabs(a[i - 1] - a[i - 2]);
        if (i + 2 < n) step = std::max(step, std::fabs(a[i + 2] - a[i + 1]));
        if (a[i] - f[i] <= spike + step) s.apogee = a[i], s.apogeeTime = fl.t[i];
    }
    const double lowest = *std::min_element(f.begin(), f.end());
    if (f[p] - lowest > std::max(10.0 * fl.sigma, 3.0)) return true;
    s.reason = "flat";
    s.hasGround = true;
    s.groundLevel = medianOf(a);
    return false;
}

// Step 4: liftoff and the ground level, from the samples before liftoff. Returns the liftoff
// index; none when the set begins in the air.
std::optional<std::size_t> findLiftoff(const Flight& fl, FlightStatistics& s) {
    const std::vector<double>& f = fl.f;
    const std::size_t p = fl.apogee;
    const double low = *std::min_element(f.begin() + static_cast<std::ptrdiff_t>(p), f.end());
    if (p == 0 || f[0] - low > 0.25 * (f[p] - low)) {
        s.reason = "no liftoff";
        return std::nullopt;
    }
    s.hasGround = s.hasLiftoff = true;
    const double spike = std::max(6.0 * fl.sigma, 3.0);
    const double band = std::max(2.0 * fl.sigma, 1.0); // a unit at least: samples are whole units
    const std::size_t first =
        std::min(p, std::max<std::size_t>(4, static_cast<std::size_t>(std::lround(0.5 / fl.dt))));
    if (f[first] - f[0] > std::max(4.0 * fl.sigma, 3.0) && slope(fl.t, f, 0, first) > 0) {
        // Recording began at launch: the first sample is the ground, unless it is wild.
        s.groundLevel = fl.a[0] - f[0] > spike ? f[0] : fl.a[0];
        s.liftoffTime = fl.t[0];
        return 0;
    }
    const double base = medianOfRange(fl.a, 0, 5);
    const double threshold = std::max(5.0 * fl.sigma, 0.02 * (f[p] - base));
    std::size_t climbing = 0;
    while (climbing < p && f[climbing] <= base + threshold)
        ++climbing;
    // Liftoff: the last sample before the climb at or below the pad level + band; the ground:
    // the pad's last second before it. The first five samples give the pad level a first time,
    // the ground found with it a second time.
    const auto second = std::max<std::size_t>(3, static_cast<std::size_t>(std::lround(1.0 / fl.dt)));
    std::size_t liftoff = 0;
    double level = base;
    for (int pass = 0; pass < 2; ++pass) {
        std::size_t j = climbing;
        while (j > 0 && f[j - 1] > level + band)
            --j;
        liftoff = j > 0 ? j - 1 : 0;
        level = medianOfRange(fl.a, liftoff + 1 > second ? liftoff + 1 - second : 0, liftoff + 1);
    }
    s.groundLevel = level;
    s.liftoffTime = fl.t[liftoff];
    return liftoff;
}

// Step 5: the landing. Returns its index; none when the set is still in the air at its end.
std::optional<std::size_t> findLanding(const Flight& fl, FlightStatistics& s) {
    const std::vector<double>& a = fl.a;
    const std::vector<double>& f = fl.f;
    const std::size_t n = fl.size(), p = fl.apogee;
    const double sigma = fl.sigma;
    auto samplesIn = [&fl](double seconds) {
        return std::max<std::size_t>(5, static_cast<std::size_t>(std::lround(seconds / fl.dt)));
    };
    // The line through the raw samples of the set's last seconds (cut to the descent).
    auto endFit = [&](double seconds) {
        LineFit fit(fl.t[n - 1]);
        for (std::size_t k = n - std::min(n - p - 1, samplesIn(seconds)); k < n; ++k)
            fit.add(fl.t[k], a[k]);
        return fit;
    };
    // At rest over its last seconds: the line through the raw altitudes falls no more than drop
    // over them and, when spread is given, the smoothed ones stay that close together.
    auto restsOver = [&](double seconds, double drop, double spread) {
        const std::size_t count = samplesIn(seconds);
        if (n - 1 <= p + count) return false;
        const auto [lo, hi] = std::minmax_element(f.end() - static_cast<std::ptrdiff_t>(count), f.end());
        const double span = fl.t[n - 1] - fl.t[n - count];
        return *hi - *lo <= spread && std::fabs(endFit(seconds).slope()) * span <= drop;
    };
    // Within this of the ground level a set may land: a recording stopped on the way down, or the
    // ground level having drifted during the flight.
    const double nearGround = std::max({5.0 * sigma, 3.0, std::min(20.0, 0.1 * (f[p] - s.groundLevel))});
    const std::size_t restCount = samplesIn(0.5);
    // Two seconds tell a rest from a slow descent surely; half a second finds a short rest.
    if (restsOver(2.0, std::max(3.0 * sigma, 1.0), HUGE_VAL) ||
        restsOver(0.5, std::max(2.0 * sigma, 1.0), std::max(4.0 * sigma, 2.0))) {
        const double restLevel = medianOfRange(a, n - restCount, n);
        if (f[p] - restLevel > std::max(10.0 * sigma, 3.0) &&
            (!s.hasGround || restLevel - s.groundLevel <= nearGround)) {
            std::size_t down = p + 1;
            while (down < n - 1 && f[down] > restLevel + std::max(5.0 * sigma, 3.0))
                ++down;
            const double landed = medianOfRange(a, down, n);
            std::size_t landing = p + 1;
            while (landing < n - 1 && f[landing] > landed + std::max(2.0 * sigma, 0.5))
                ++landing;
            s.hasLanding = true;
            s.landingTime = fl.t[landing];
            if (!s.hasGround) s.hasGround = true, s.groundLevel = landed;
            return landing;
        }
    }
    if (s.hasGround && n - 1 > p + 1) {
        // Stopped on the way down: lands at its end when that is just above the ground.
        const LineFit fit = endFit(1.0);
        const double descent = -fit.slope();
        const double height = fit.valueAt(fl.t[n - 1]) - s.groundLevel;
        if (descent >= 0 && height <= std::max(nearGround, 1.5 * descent) &&
            f[p] - f[n - 1] > std::max(10.0 * sigma, 3.0)) {
            s.hasLanding = true;
            s.landingTime = fl.t[n - 1];
            return n - 1;
        }
    }
    s.reason += s.reason.empty() ? "still in the air at its end" : ", still in the air at its end";
    return std::nullopt;
}

// Step 6: the climb and descent rates.
void findRates(const Flight& fl, std::optional<std::size_t> liftoff, std::optional<std::size_t> landing,
               FlightStatistics& s) {
    const std::vector<double>& t = fl.t;
    const std::size_t n = fl.size(), p = fl.apogee;
    const std::size_t half =
        std::max<std::size_t>(2, static_cast<std::size_t>(std::lround(RateWindowHalf / fl.dt)));
    if (liftoff) {
        s.hasClimbRate = true;
        s.maxClimbRate = steepestSlope(t, fl.f, *liftoff, p, half, 1.0);
    }
    const std::size_t end = landing.value_or(n - 1);
    if (end > p) {
        s.hasDescentRate = true;
        s.maxDescentRate = steepestSlope(t, fl.f, p, end, half, -1.0);
    }
    if (landing && end > p) {
        const double descent = t[end] - t[p];
        const double stop = t[end] - std::min(0.5, descent / 4.0);
        const double start = std::max(stop - 5.0, t[p] + descent / 2.0);
        const std::size_t lo = indexAtTime(t, start);
        std::size_t hi = indexAtTime(t, stop);
        if (hi >= n || (hi > 0 && t[hi] > stop)) --hi;
        if (hi < n && lo < hi && hi - lo + 1 >= 3) {
            s.hasLandingDescentRate = true;
            s.landingDescentRate = -slope(t, fl.a, lo, hi);
        }
    }
}

std::string fixed(double v, int decimals) {
    // A figure that rounds to zero reads "0.0", never "-0.0".
    if (std::fabs(v) < 0.5 * std::pow(10.0, -decimals)) v = 0.0;
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
    Flight fl = finiteSamples(time, altitude, count);
    s.samples = static_cast<int>(fl.size());
    if (fl.size() == 0) {
        s.reason = "no samples";
        return s;
    }

    // 1. Sample interval.
    fl.dt = sampleInterval(fl.t);
    if (fl.size() >= 5 && fl.dt > 0) {
        // 2. Noise, dropouts, smoothing.
        fl.sigma = noiseLevel(fl.a);
        dropDropouts(fl, std::max(6.0 * fl.sigma, 3.0));
    }
    if (fl.size() < 5 || fl.dt <= 0) {
        const auto top = static_cast<std::size_t>(std::max_element(fl.a.begin(), fl.a.end()) - fl.a.begin());
        s.hasHighest = true;
        s.apogee = fl.a[top];
        s.apogeeTime = fl.t[top];
        s.reason = "too short";
        return s;
    }
    s.sampleInterval = fl.dt;
    s.noise = fl.sigma;
    fl.f = runningMedian5(fl.a);

    if (!findApogee(fl, s)) return s;
    const std::optional<std::size_t> liftoff = findLiftoff(fl, s);
    const std::optional<std::size_t> landing = findLanding(fl, s);
    findRates(fl, liftoff, landing, s);
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
    const AltitudeUnit* unit = altitudeUnitOfLabel(altitudeLabel);
    return unit ? unit->rateUnit : UnknownRateUnit;
}

std::string rateUnit(const Series& set) {
    return set.altitudeUnit ? set.altitudeUnit->rateUnit : UnknownRateUnit;
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
