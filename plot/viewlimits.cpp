#include "plot/viewlimits.h"

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

} // namespace orvo
