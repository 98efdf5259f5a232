#include "plot/plotfile.h"

namespace orvo {

PlotFileHeader plotFileHeader(const PlotSettings& plot) {
    PlotFileHeader h;
    h.title = plot.title;
    h.xLabel = plot.xLabel;
    h.yLabel = plot.yLabel;
    h.info1 = plot.info1;
    h.info2 = plot.info2;
    h.info3 = plot.info3;
    h.timeMin = plot.timeMin;
    h.altitudeMin = plot.altitudeMin;
    h.timeMax = plot.timeMax;
    h.altitudeMax = plot.altitudeMax;
    return h;
}

void applyPlotFileHeader(const PlotFileHeader& header, PlotSettings& plot) {
    plot.title = header.title;
    plot.xLabel = header.xLabel;
    plot.yLabel = header.yLabel;
    plot.info1 = header.info1;
    plot.info2 = header.info2;
    plot.info3 = header.info3;
    plot.timeMin = header.timeMin;
    plot.altitudeMin = header.altitudeMin;
    plot.timeMax = header.timeMax;
    plot.altitudeMax = header.altitudeMax;
}

} // namespace orvo
