#include "data/flightstats.h"

#include <algorithm>
#include <array>
#include <cctype>
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

// Running median over 5 samples. The two samples at each end take the median of their own
// altitude, their inner neighbour's smoothed altitude and the line through the two inner smoothed
// altitudes carried on to them, so that wild samples at an end of a record stay out as they do
// inside; a set of fewer than 5 samples takes the median of the 3 or 4 around each sample.
std::vector<double> runningMedian5(const std::vector<double>& a) {
    const std::size_t n = a.size();
    std::vector<double> f(n);
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
    auto median3 = [](double x, double y, double z) {
        return std::max(std::min(x, y), std::min(std::max(x, y), z));
    };
    for (std::size_t i = 2; i + 2 < n; ++i)
        f[i] = median5(a[i - 2], a[i - 1], a[i], a[i + 1], a[i + 2]);
    if (n >= 6) {
        for (std::size_t i : {std::size_t{1}, std::size_t{0}})
            f[i] = median3(a[i], f[i + 1], 2.0 * f[i + 1] - f[i + 2]);
        for (std::size_t i : {n - 2, n - 1})
            f[i] = median3(a[i], f[i - 1], 2.0 * f[i - 1] - f[i - 2]);
        return f;
    }
    double w[5];
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
    const double rise = std::max(4.0 * fl.sigma, 3.0);
    if (f[first] - f[0] > rise && slope(fl.t, f, 0, first) > 0 &&
        f[std::min<std::size_t>(4, p)] - f[0] > band) {
        // Recording began at launch, or moments before it: liftoff is the last sample near the
        // lowest before the climb, so that a short wobble on the pad is no climb.
        double lowest = f[0];
        std::size_t climb = 0;
        while (climb < p && f[climb] <= lowest + rise)
            lowest = std::min(lowest, f[climb++]);
        std::size_t liftoff = 0;
        for (std::size_t j = 0; j < climb; ++j)
            if (f[j] <= lowest + band) liftoff = j;
        // The first sample alone is the ground, unless it is wild.
        s.groundLevel = liftoff > 0              ? medianOfRange(fl.a, 0, liftoff + 1)
                        : fl.a[0] - f[0] > spike ? f[0]
                                                 : fl.a[0];
        s.liftoffTime = fl.t[liftoff];
        return liftoff;
    }
    const double base = medianOfRange(fl.a, 0, 5);
    const double threshold = std::max(5.0 * fl.sigma, 0.02 * (f[p] - base));
    std::size_t climbing = 0;
    while (climbing < p && f[climbing] <= base + threshold)
        ++climbing;
    // Liftoff: the last sample before the climb at or below the pad level + band; the ground:
    // the pad's last second before it, less the motor's ignition dip (the pressure rises as the
    // motor lights, so the altitude reads low just before the climb). The first five samples give
    // the pad level a first time, the ground found with it a second time.
    const auto second = std::max<std::size_t>(3, static_cast<std::size_t>(std::lround(1.0 / fl.dt)));
    std::size_t liftoff = 0;
    double level = base;
    for (int pass = 0; pass < 2; ++pass) {
        std::size_t j = climbing;
        while (j > 0 && f[j - 1] > level + band)
            --j;
        liftoff = j > 0 ? j - 1 : 0;
        // The pad samples of the last second, over the last three at most, that do not lie
        // below the level by more than a spike; all of the last second when none are left.
        std::vector<double> pad;
        for (std::size_t k = liftoff + 1; k-- > 0 && pad.size() < second && liftoff - k < 3 * second;)
            if (fl.a[k] >= level - spike) pad.push_back(fl.a[k]);
        level = pad.empty()
                    ? medianOfRange(fl.a, liftoff + 1 > second ? liftoff + 1 - second : 0, liftoff + 1)
                    : medianOf(std::move(pad));
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

// Sums for least-squares lines over any range of a set's samples: prefix sums from an origin
// near the points, so that each range costs a constant time.
class PrefixFit {
  public:
    PrefixFit(const std::vector<double>& t, const std::vector<double>& a, std::size_t lo, std::size_t hi)
        : m_sums(hi - lo + 2) {
        const long double t0 = t[lo], a0 = a[lo];
        for (std::size_t i = lo; i <= hi; ++i) {
            const long double x = t[i] - t0, y = a[i] - a0;
            const Sums& p = m_sums[i - lo];
            m_sums[i - lo + 1] = {p.t + x, p.a + y, p.tt + x * x, p.ta + x * y, p.aa + y * y};
        }
        m_lo = lo;
    }
    // Slope and sum of squared residuals of the line through samples from..to - 1.
    std::pair<double, double> fit(std::size_t from, std::size_t to) const {
        const Sums& p = m_sums[from - m_lo];
        const Sums& q = m_sums[to - m_lo];
        const long double n = static_cast<long double>(to - from);
        const long double st = q.t - p.t, sa = q.a - p.a;
        const long double sxx = q.tt - p.tt - st * st / n;
        const long double sxy = q.ta - p.ta - st * sa / n;
        const long double syy = q.aa - p.aa - sa * sa / n;
        if (sxx <= 0) return {0.0, static_cast<double>(std::max<long double>(syy, 0))};
        return {static_cast<double>(sxy / sxx),
                static_cast<double>(std::max<long double>(syy - sxy * sxy / sxx, 0))};
    }

  private:
    struct Sums {
        long double t = 0, a = 0, tt = 0, ta = 0, aa = 0;
    };
    std::vector<Sums> m_sums;
    std::size_t m_lo = 0;
};

// Step 7: the drogue and main descents.
void findDescents(const Flight& fl, std::optional<std::size_t> landing, FlightStatistics& s) {
    const std::vector<double>& t = fl.t;
    const std::vector<double>& f = fl.f;
    const std::size_t n = fl.size(), p = fl.apogee;
    const double low = *std::min_element(f.begin() + static_cast<std::ptrdiff_t>(p), f.end());
    const double turn = std::max({10.0 * fl.sigma, 3.0, 0.05 * (f[p] - low)});
    std::size_t lo = p + 1;
    while (lo < n && f[lo] > f[p] - turn)
        ++lo;
    const std::size_t end = landing.value_or(n - 1);
    std::size_t hi = end;
    while (landing && hi > lo && t[hi] > t[end] - 0.5)
        --hi;
    if (lo >= n || hi <= lo || hi - lo + 1 < 10 || t[hi] - t[lo] < 2.0) return;

    const PrefixFit sums(t, f, lo, hi);
    const std::size_t second = static_cast<std::size_t>(std::lround(1.0 / fl.dt));
    const std::size_t least = std::max<std::size_t>(5, second);
    std::size_t split = 0;
    double best = HUGE_VAL;
    for (std::size_t k = lo + least; k + least <= hi + 1; ++k) {
        const double sse = sums.fit(lo, k).second + sums.fit(k, hi + 1).second;
        if (sse < best) best = sse, split = k;
    }
    s.hasDrogueRate = true;
    s.descents = 1;
    s.drogueDescentRate = -sums.fit(lo, hi + 1).first;
    if (split == 0) return;
    const double first = -sums.fit(lo, split).first, then = -sums.fit(split, hi + 1).first;
    if (!(then > 0 && first >= 1.5 * then && first - then > std::max(2.0 * fl.sigma, 1.0))) return;
    // The canopy slows the rocket over seconds, so the best split lies after the opening: the
    // main opened where the altitudes first leave the drogue's line upwards.
    const std::size_t half = static_cast<std::size_t>(std::lround(0.5 / fl.dt));
    const std::size_t drogueEnd = split > lo + half + 5 ? split - half : split;
    LineFit drogue(t[lo]);
    for (std::size_t i = lo; i < drogueEnd; ++i)
        drogue.add(t[i], f[i]);
    const double off = std::max(3.0 * fl.sigma, 2.0);
    std::size_t opening = split;
    while (opening > lo + least / 2 && f[opening - 1] - drogue.valueAt(t[opening - 1]) > off)
        --opening;
    // The rates leave out the moments of the opening: half a second before it, the main's
    // first half.
    const std::size_t rateEnd = opening > lo + half + 5 ? opening - half : drogueEnd;
    const std::size_t mainStart = split + (hi + 1 - split) / 2;
    s.descents = 2;
    s.drogueDescentRate = -sums.fit(lo, rateEnd).first;
    s.hasMain = true;
    s.mainDescentRate = hi + 1 - mainStart >= 5 ? -sums.fit(mainStart, hi + 1).first : then;
    s.mainTime = t[opening];
    if (s.hasGround) {
        s.hasMainAltitude = true;
        s.mainAltitude = f[opening] - s.groundLevel;
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
    for (const FlightFigure& f : flightFigures())
        if (!f.has(*this)) {
            std::string label = f.label;
            label[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(label[0])));
            m.push_back(label);
        }
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
    findDescents(fl, landing, s);
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

std::string altitudeUnitOfRate(const std::string& rateUnit) {
    const std::size_t slash = rateUnit.rfind("/s");
    return slash == std::string::npos ? rateUnit : rateUnit.substr(0, slash);
}

const std::vector<FlightFigure>& flightFigures() {
    using S = FlightStatistics;
    using U = FlightFigure::Unit;
    static const std::vector<FlightFigure> figures{
        {"ground", "Ground level", 1, U::Altitude, [](const S& s) { return s.hasGround; },
         [](const S& s) { return s.groundLevel; }},
        {"liftoff", "Liftoff", 2, U::Seconds, [](const S& s) { return s.hasLiftoff; },
         [](const S& s) { return s.liftoffTime; }},
        {"apogee", "Apogee", 1, U::Altitude, [](const S& s) { return s.hasHighest; },
         [](const S& s) { return s.apogee; }},
        {"apogee_time", "Apogee time", 2, U::Seconds, [](const S& s) { return s.hasHighest; },
         [](const S& s) { return s.apogeeTime; }},
        {"time_to_apogee", "Time to apogee", 2, U::Seconds,
         [](const S& s) { return s.hasHighest && s.hasLiftoff; },
         [](const S& s) { return s.timeToApogee(); }},
        {"landing", "Landing", 2, U::Seconds, [](const S& s) { return s.hasLanding; },
         [](const S& s) { return s.landingTime; }},
        {"flight_time", "Flight time", 2, U::Seconds, [](const S& s) { return s.hasLanding && s.hasLiftoff; },
         [](const S& s) { return s.flightTime(); }},
        {"max_climb", "Max climb rate", 1, U::Rate, [](const S& s) { return s.hasClimbRate; },
         [](const S& s) { return s.maxClimbRate; }},
        {"max_descent", "Max descent rate", 1, U::Rate, [](const S& s) { return s.hasDescentRate; },
         [](const S& s) { return s.maxDescentRate; }},
        {"landing_descent", "Descent rate before landing", 1, U::Rate,
         [](const S& s) { return s.hasLandingDescentRate; }, [](const S& s) { return s.landingDescentRate; }},
        {"descents", "Descents", 0, U::Count, [](const S& s) { return s.descents > 0; },
         [](const S& s) { return static_cast<double>(s.descents); }},
        {"drogue_descent", "Drogue descent rate", 1, U::Rate, [](const S& s) { return s.hasDrogueRate; },
         [](const S& s) { return s.drogueDescentRate; }},
        {"main_descent", "Main descent rate", 1, U::Rate, [](const S& s) { return s.hasMain; },
         [](const S& s) { return s.mainDescentRate; }},
        {"main_altitude", "Main deployment altitude", 1, U::Altitude,
         [](const S& s) { return s.hasMainAltitude; }, [](const S& s) { return s.mainAltitude; }},
        {"main_time", "Main deployment time", 2, U::Seconds, [](const S& s) { return s.hasMain; },
         [](const S& s) { return s.mainTime; }},
    };
    return figures;
}

std::string figureText(const FlightFigure& f, const FlightStatistics& s) {
    return f.has(s) ? fixed(f.value(s), f.decimals) : std::string("-");
}

std::string figureUnit(const FlightFigure& f, const std::string& rateUnit) {
    switch (f.unit) {
    case FlightFigure::Unit::Altitude:
        return altitudeUnitOfRate(rateUnit);
    case FlightFigure::Unit::Seconds:
        return "s";
    case FlightFigure::Unit::Rate:
        return rateUnit;
    case FlightFigure::Unit::Count:
        break;
    }
    return "";
}

std::vector<std::string> describeFlightStatistics(const FlightStatistics& s, const std::string& unit) {
    std::vector<std::string> lines;
    for (const FlightFigure& f : flightFigures()) {
        std::string line = std::string(f.label) + ": " + figureText(f, s);
        const std::string u = figureUnit(f, unit);
        if (f.has(s) && !u.empty()) line += " " + u;
        // A flight under one parachute says so where the main's figures would be.
        if (f.unit == FlightFigure::Unit::Count && s.descents == 1) line += " (no main)";
        lines.push_back(line);
    }
    if (!s.reason.empty()) lines.push_back("Not a whole flight: " + s.reason);
    return lines;
}

std::string reasonField(const FlightStatistics& s) {
    std::string r = s.reason;
    std::replace(r.begin(), r.end(), ' ', '_');
    std::replace(r.begin(), r.end(), ',', ';');
    return r;
}

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string out = "\"";
    for (char c : text)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

std::string flightTableCsvHeader(bool withFile) {
    std::string out = withFile ? "file,name,unit,rate_unit" : "name,unit,rate_unit";
    for (const FlightFigure& f : flightFigures())
        out += std::string(",") + f.key;
    return out + ",not_a_flight\n";
}

std::string flightTableCsvRow(const Series& set, const FlightStatistics& s, const std::string* file) {
    const std::string unit = rateUnit(set);
    std::string out;
    if (file) out.append(csvField(*file)).push_back(',');
    out.append(csvField(set.name)).append(",").append(altitudeUnitOfRate(unit)).append(",").append(unit);
    for (const FlightFigure& f : flightFigures()) {
        out.push_back(',');
        if (f.has(s)) out.append(figureText(f, s));
    }
    return out.append(",").append(reasonField(s)).append("\n");
}

std::string flightStatisticsFields(const FlightStatistics& s, const std::string& unit) {
    std::string out = "stats";
    for (const FlightFigure& f : flightFigures())
        out += std::string(" ") + f.key + "=" + figureText(f, s);
    out += " rate_unit=" + unit;
    if (!s.reason.empty()) out += " not_a_flight=" + reasonField(s);
    return out;
}

} // namespace orvo
