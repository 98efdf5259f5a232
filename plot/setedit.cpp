#include "plot/setedit.h"

namespace orvo {

namespace {

void afterCorrection(PlotState& plot, const EditResult& r) {
    if (!r.ok()) return;
    AutoScaleAltitude(plot.settings, plot.home);
    plot.settings.info3 = rewriteMaxText(plot.settings.info3, r.maximum);
}

} // namespace

EditResult applyFixDrift(PlotState& plot, int n) {
    const EditResult r = FixDrift(plot.settings.series, n);
    afterCorrection(plot, r);
    return r;
}

EditResult applyFixOffset(PlotState& plot, int n) {
    const EditResult r = FixOffset(plot.settings.series, n);
    afterCorrection(plot, r);
    return r;
}

std::array<std::string, 6> photoListHeaderTexts(const PlotSettings& plot) {
    return {plot.title, plot.xLabel, plot.yLabel, plot.info1, plot.info2, plot.info3};
}

FileStatus writePhotoList(const PlotSettings& plot, int n, const std::string& path) {
    if (!plot.series.validSet(n)) return FileStatus::OpenFailed;
    return writeFileSafely(path, photoListText(photoListHeaderTexts(plot), plot.series.triggerSet(n)));
}

} // namespace orvo
