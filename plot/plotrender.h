// The plot renderer: one routine that draws the altitude-versus-time picture on any QPainter
// (the plot box, a printer page, an export image, SVG/PDF in orvo-cli) from the surface's pixels
// per inch, plus the layout of the latest render and the data <-> pixel transforms the mouse
// tools read.
#pragma once

#include <QImage>

#include "plot/plotsettings.h"

class QPainter;

namespace orvo {

// Where the latest render put its pieces, in surface pixels.
struct PlotFrame {
    int yLabelX = 0;
    int titleY = 0;
    int plotLeft = 0;
    int plotTop = 0;
    int plotRight = 0;
    int plotBottom = 0;
    int xLabelY = 0;
};

// The layout of the most recent RenderPlot, whatever its surface; the mouse tools read it.
const PlotFrame& LatestPlotFrame();
// Lets a caller that shows a cached picture put back the frame that picture was drawn with
// after something else (a print, an export) rendered in between.
void SetLatestPlotFrame(const PlotFrame& frame);

// The frame RenderPlot computes for a W x H pixel output whose top-left corner is (x0, y0).
PlotFrame ComputePlotFrame(int w, int h, double x0, double y0);

struct AxisTickSet {
    double first = 0.0;
    double last = 0.0;
    double step = 1.0;
    int decimals = 0;
    int count = 0; // ticks from first to last; 0 when the range cannot be ticked (not finite)
};

// Round tick positions for the range lo..hi: a step of range/10 cut to two significant digits,
// doubled until at most 12 steps span the axis.
AxisTickSet AxisTicks(double lo, double hi, double shift);

// Data value -> offset from plot left (plot top). Values below the view give -1 (plot height),
// above it 9999 (0), so they land outside the clip or on the edge.
int TimeToPixel(const PlotSettings& plot, const PlotFrame& frame, double t);
int AltitudeToPixel(const PlotSettings& plot, const PlotFrame& frame, double a);
// Surface x (y) -> data value.
double PixelToTime(const PlotSettings& plot, const PlotFrame& frame, int x);
double PixelToAltitude(const PlotSettings& plot, const PlotFrame& frame, int y);

inline int TimeToPixel(const PlotSettings& p, double t) {
    return TimeToPixel(p, LatestPlotFrame(), t);
}
inline int AltitudeToPixel(const PlotSettings& p, double a) {
    return AltitudeToPixel(p, LatestPlotFrame(), a);
}
inline double PixelToTime(const PlotSettings& p, int x) {
    return PixelToTime(p, LatestPlotFrame(), x);
}
inline double PixelToAltitude(const PlotSettings& p, int y) {
    return PixelToAltitude(p, LatestPlotFrame(), y);
}

// The average climb of data set 0 over the view (0 when it cannot be computed).
double AverageClimb(const PlotSettings& plot);

// The logo of ours that the plot shows behind the data when ShowBackground is on.
const QImage& PlotBackground();
// On a printed or PDF page the logo is drawn at no more than this many dots per inch.
inline constexpr int LogoMaxPpi = 300;

// Draws the whole plot. Rewrites LatestPlotFrame() and the spans of plot; leaves the painter
// with a 1-pixel pen, no clipping and the last font it set.
void RenderPlot(QPainter& canvas, int ppiX, int ppiY, PlotSettings& plot, const OutputSettings& output,
                const ShowFlags& show, const QImage& background);
inline void RenderPlot(QPainter& canvas, int ppiX, int ppiY, PlotState& state) {
    RenderPlot(canvas, ppiX, ppiY, state.settings, state.output, state.show, PlotBackground());
}

// How many times the series drawing ran since the program started; the plot view checks that a
// cursor move never redraws the data.
long SeriesDrawCount();

} // namespace orvo
