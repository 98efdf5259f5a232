#include "plot/plotview.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace orvo {

namespace {

void zoomAxis(double& lo, double& hi, double factor) {
    const double centre = (lo + hi) / 2.0;
    double span = (hi - lo) * factor;
    if (!(span >= 10.0)) span = 10.0; // also a reversed or undefined view
    lo = centre - span / 2.0;
    hi = lo + span;
}

int sampleCount(const Series& s) {
    return std::clamp(s.samples.count, 0, int(s.samples.time.size()));
}

int truncInt(double v) {
    if (!(v == v)) return 0;
    return int(std::clamp(v, -2.0e9, 2.0e9));
}

} // namespace

void ZoomView(PlotSettings& plot, double factor) {
    zoomAxis(plot.timeMin, plot.timeMax, factor);
    zoomAxis(plot.altitudeMin, plot.altitudeMax, factor);
}

void PanTime(PlotSettings& plot, double fraction) {
    const double d = fraction * (plot.timeMax - plot.timeMin);
    plot.timeMin += d;
    plot.timeMax += d;
}

void PanAltitude(PlotSettings& plot, double fraction) {
    const double d = fraction * (plot.altitudeMax - plot.altitudeMin);
    plot.altitudeMin += d;
    plot.altitudeMax += d;
}

void ResetView(PlotSettings& plot, const HomeView& home) {
    plot.timeMin = home.timeMin;
    plot.timeMax = home.timeMax;
    plot.altitudeMin = home.altitudeMin;
    plot.altitudeMax = home.altitudeMax;
}

bool CropDataSet(Series& set, Series* triggers, double tMin, double tMax) {
    SampleBuffer& b = set.samples;
    const int n = sampleCount(set);
    int i0 = -1;
    for (int i = 0; i < n; ++i)
        if (b.time[std::size_t(i)] >= tMin) {
            i0 = i;
            break;
        }
    if (i0 < 0) return false;
    int i1 = -1;
    for (int i = n - 1; i >= i0; --i)
        if (b.time[std::size_t(i)] <= tMax) {
            i1 = i;
            break;
        }
    if (i1 < 0) return false;
    const auto u = [](int i) { return std::size_t(i); };
    const double t0 = b.time[u(i0)], t1 = b.time[u(i1)];
    const int kept = i1 - i0 + 1;

    // The kept samples take the times of the first samples of the set. That is right for the
    // evenly spaced times a module records; a set whose spacing varies gets its own times moved
    // along instead, so no altitude ends up at another sample's time.
    bool even = true;
    for (int k = 0; k < kept && even; ++k) {
        const double moved = b.time[u(i0 + k)] - t0, fixed = b.time[u(k)] - b.time[0];
        even = std::fabs(moved - fixed) <= 1e-9 * std::max(1.0, std::fabs(moved));
    }
    // How far the kept samples move in time; the triggers move with them so they stay on their
    // samples (for a set that starts at 0 this is time[i0]).
    const double shift = t0 - b.time[0];

    if (triggers) {
        SampleBuffer& tb = triggers->samples;
        const int tn = sampleCount(*triggers);
        int out = 0;
        for (int i = 0; i < tn; ++i) {
            const double t = tb.time[u(i)];
            if (t < t0 || t > t1) continue;
            // A mark on a sample takes exactly the time that sample gets: t - shift can differ
            // from it in the last bit (13.7 - 0.1 against 13.6), and the data file puts a mark
            // on the first sample at or after its time, so it would move to the next sample.
            double moved = t - shift;
            const double* first = b.time.data() + i0;
            const double* last = b.time.data() + i1 + 1;
            const double* on = std::lower_bound(first, last, t);
            if (even && on != last && *on == t) moved = b.time[u(int(on - first))];
            tb.time[u(out)] = moved;
            tb.altitude[u(out)] = tb.altitude[u(i)];
            ++out;
        }
        tb.count = out;
    }
    for (int k = 0; k < kept; ++k) {
        b.altitude[u(k)] = b.altitude[u(i0 + k)];
        if (!b.peakMark.empty()) b.peakMark[u(k)] = b.peakMark[u(i0 + k)];
        if (!even) b.time[u(k)] = b.time[u(i0 + k)] - shift;
    }
    b.count = kept;
    for (ClimbMark& cm : set.climbMarks) {
        if (!cm.inUse) continue;
        if (cm.start < i0 || cm.start > i1 || cm.end < i0 || cm.end > i1) {
            cm = ClimbMark{};
            continue;
        }
        cm.start -= i0;
        cm.end -= i0;
    }
    return true;
}

void CropToView(PlotSettings& plot, HomeView& home) {
    for (int n = 0; n < plot.series.dataSetCount(); ++n)
        CropDataSet(plot.series.dataSet(n), &plot.series.triggerSet(n), plot.timeMin, plot.timeMax);
    AutoScaleTime(plot, home);
    AutoScaleAltitude(plot, home);
}

int NearestSample(const Series& s, double t) {
    const int n = sampleCount(s);
    if (n == 0) return -1;
    if (n == 1 || !(t == t)) return 0;
    const double* times = s.samples.time.data();
    // Times ascend: the neighbours of t by binary search; equal distance goes to the later one,
    // as rounding t / interval does.
    const int hi = int(std::lower_bound(times, times + n, t) - times);
    if (hi <= 0) return 0;
    if (hi >= n) return n - 1;
    return (t - times[hi - 1] < times[hi] - t) ? hi - 1 : hi;
}

bool DragIsBigEnough(double startTime, double startAltitude, double endTime, double endAltitude) {
    return std::fabs(std::trunc(startTime - endTime)) > 1.0 &&
           std::fabs(std::trunc(startAltitude - endAltitude)) > 1.0;
}

QString CursorPositionText(const Series& s, int k) {
    if (k < 0 || k >= sampleCount(s)) return QString();
    char buf[128];
    std::snprintf(buf, sizeof buf, "Time = %8.1f, Altitude = %4d", s.samples.time[std::size_t(k)],
                  truncInt(s.samples.altitude[std::size_t(k)]));
    return QString::fromLatin1(buf);
}

QString CursorRateText(const Series& s, int k) {
    if (k <= 0 || k >= sampleCount(s)) return QString();
    const double dt = s.samples.time[std::size_t(k)] - s.samples.time[std::size_t(k - 1)];
    if (dt == 0.0) return QString();
    const double rate = (s.samples.altitude[std::size_t(k)] - s.samples.altitude[std::size_t(k - 1)]) / dt;
    char buf[512];
    std::snprintf(buf, sizeof buf, "Rate of Climb = %8.3f units/sec", rate);
    return QString::fromLatin1(buf);
}

} // namespace orvo
