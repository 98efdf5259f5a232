// The plot renderer: one routine that draws the altitude-versus-time picture on any QPainter
// (the plot box, a printer page, an export image, SVG/PDF in orvo-cli) from the surface's pixels
// per inch; it returns the layout it drew, which the data <-> pixel transforms of the mouse tools
// map against.
#pragma once

#include <QImage>
#include <QSize>
#include <memory>

#include "plot/plotsettings.h"

class QPainter;

namespace orvo {

// Where a render put its pieces, in surface pixels.
struct PlotFrame {
    int yLabelX = 0;
    int titleY = 0;
    int plotLeft = 0;
    int plotTop = 0;
    int plotRight = 0;
    int plotBottom = 0;
    int xLabelY = 0;
};

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

// The average climb of data set 0 over the view (0 when it cannot be computed).
double AverageClimb(const PlotSettings& plot);

// The logo of ours that the plot shows behind the data when ShowBackground is on.
const QImage& PlotBackground();
// On a printed or PDF page the logo is drawn at no more than this many dots per inch.
inline constexpr int LogoMaxPpi = 300;

// The background picture stretched to the size a surface draws it at. A surface that repaints at
// one size over and over (the plot box) keeps one, so the logo is stretched once, not per paint.
class ScaledImageCache {
  public:
    const QImage& scaled(const QImage& source, QSize size);

  private:
    QImage m_scaled;
    qint64 m_key = 0;
    QSize m_size;
};

// What the plot box keeps between renders at one size: the stretched logo, the picture of the
// frame, texts and ticks, and for every set the line reduced to what the pixel columns show, the
// symbols that show and the legend's counts. Each is kept with the inputs it was made from (the
// samples by a hash of their values) and made again when any of them differs.
class PlotRenderCache {
  public:
    PlotRenderCache();
    ~PlotRenderCache();
    PlotRenderCache(const PlotRenderCache&) = delete;
    PlotRenderCache& operator=(const PlotRenderCache&) = delete;
    ScaledImageCache logo;
    struct Kept;

  private:
    friend PlotFrame RenderPlot(QPainter&, int, int, const PlotSettings&, const OutputSettings&,
                                const ShowFlags&, const QImage&, PlotRenderCache&);
    std::unique_ptr<Kept> m_kept;
};

// Draws the whole plot and returns where it put its pieces; leaves the painter with a 1-pixel
// pen, no clipping and the last font it set. logoCache, when given, keeps the stretched
// background between renders.
PlotFrame RenderPlot(QPainter& canvas, int ppiX, int ppiY, const PlotSettings& plot,
                     const OutputSettings& output, const ShowFlags& show, const QImage& background,
                     ScaledImageCache* logoCache = nullptr);
// The same picture through a cache. It paints every pixel of the surface: what lies outside the
// output area is white.
PlotFrame RenderPlot(QPainter& canvas, int ppiX, int ppiY, const PlotSettings& plot,
                     const OutputSettings& output, const ShowFlags& show, const QImage& background,
                     PlotRenderCache& cache);
inline PlotFrame RenderPlot(QPainter& canvas, int ppiX, int ppiY, const PlotState& state) {
    return RenderPlot(canvas, ppiX, ppiY, state.settings, state.output, state.show, PlotBackground());
}

// How many times the series drawing ran since the program started; the plot view checks that a
// cursor move never redraws the data.
long SeriesDrawCount();

} // namespace orvo
