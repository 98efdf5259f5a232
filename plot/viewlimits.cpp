#include "plot/viewlimits.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "data/linescan.h"

namespace orvo {

std::string limitText(double value) {
    if (value == 0.0) value = 0.0; // "-0" would read as a sign the user never typed
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    return r.ec == std::errc() ? std::string(buf, r.ptr) : std::string("0");
}

bool scanLimit(std::string_view text, double& value) {
    double v = 0.0;
    if (scanLine(text.substr(0, LimitTextLength), "%lf", {&v}) != 1 || !std::isfinite(v)) return false;
    value = v;
    return true;
}

ViewLimitTexts viewLimitTexts(const PlotSettings& plot) {
    return {limitText(plot.timeMin), limitText(plot.timeMax), limitText(plot.altitudeMin),
            limitText(plot.altitudeMax)};
}

ViewLimitTexts autoScaleView(PlotSettings& plot, HomeView& home) {
    AutoScaleTime(plot, home);
    AutoScaleAltitude(plot, home);
    return {"0", limitText(plot.timeMax), limitText(plot.altitudeMin), limitText(plot.altitudeMax)};
}

void applyViewLimitTexts(const ViewLimitTexts& texts, PlotSettings& plot, HomeView& home) {
    scanLimit(texts.timeMin, plot.timeMin);
    scanLimit(texts.timeMax, plot.timeMax);
    scanLimit(texts.altitudeMin, plot.altitudeMin);
    scanLimit(texts.altitudeMax, plot.altitudeMax);
    home = {plot.timeMin, plot.timeMax, plot.altitudeMin, plot.altitudeMax};
}

bool liesPartlyOutsideView(const PlotSettings& plot, const Series& set) {
    const SampleBuffer& b = set.samples;
    const int n = std::clamp(b.count, 0, static_cast<int>(std::min(b.time.size(), b.altitude.size())));
    const double t0 = plot.timeMin + plot.timeShift, t1 = plot.timeMax + plot.timeShift;
    const double a0 = plot.altitudeMin + plot.altitudeShift, a1 = plot.altitudeMax + plot.altitudeShift;
    for (int i = 0; i < n; ++i) {
        const double t = b.time[static_cast<std::size_t>(i)] * set.timeScale + set.timeOffset;
        const double a = b.altitude[static_cast<std::size_t>(i)] * set.altitudeScale + set.altitudeOffset;
        if (!std::isfinite(t) || !std::isfinite(a)) continue;
        if (t < t0 || t > t1 || a < a0 || a > a1) return true;
    }
    return false;
}

} // namespace orvo
