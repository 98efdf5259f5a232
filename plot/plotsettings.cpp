#include "plot/plotsettings.h"

#include <cmath>

namespace orvo {

void PlotSettings::resetTextsAndView() {
    view() = ViewRange{};
    timeShift = altitudeShift = 0.0;
    texts() = PlotTexts{};
    credit1 = "Created by Orvo - Get an Altitude!";
    credit2 = MakerWebAddress;
}

AxisRange roundRange(double lo, double hi) {
    double span = hi - lo;
    if (span == 0.0) span = 1.0;
    // Integer truncation toward zero as the module's own tools do, kept in doubles so a huge
    // value cannot overflow an int.
    const double step = std::pow(10.0, std::trunc(std::log10(span)));
    const double width = (std::trunc(span / step) + 1.0) * step;
    const double minimum = std::trunc(lo / step) * step + 0.0; // never "-0" in a file
    double maximum = minimum + width;
    if (hi >= maximum) maximum += step;
    return {minimum, maximum};
}

namespace {

// lo/hi over the stored values of every data set; false when there is no finite sample.
template <typename Member> bool extent(const PlotSettings& plot, Member member, double& lo, double& hi) {
    lo = 99999.0;
    hi = -99999.0;
    bool any = false;
    for (int n = 0; n < plot.series.dataSetCount(); ++n) {
        const SampleBuffer& b = plot.series.dataSet(n).samples;
        const SampleColumn<double>& v = b.*member;
        for (int i = 0; i < b.count && i < MaxSamples; ++i) {
            const double x = v[static_cast<std::size_t>(i)];
            if (!std::isfinite(x)) continue;
            any = true;
            if (x < lo) lo = x;
            if (x > hi) hi = x;
        }
    }
    return any;
}

} // namespace

void AutoScaleTime(PlotSettings& plot, HomeView& home) {
    double lo, hi;
    if (!extent(plot, &SampleBuffer::time, lo, hi)) return;
    const AxisRange r = roundRange(lo, hi);
    plot.timeMin = home.timeMin = r.minimum;
    plot.timeMax = home.timeMax = r.maximum;
}

void AutoScaleAltitude(PlotSettings& plot, HomeView& home) {
    double lo, hi;
    if (!extent(plot, &SampleBuffer::altitude, lo, hi)) return;
    const AxisRange r = roundRange(lo, hi);
    plot.altitudeMin = home.altitudeMin = r.minimum;
    plot.altitudeMax = home.altitudeMax = r.maximum;
}

} // namespace orvo
