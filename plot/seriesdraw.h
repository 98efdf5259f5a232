// Fast drawing of a series' line and point symbols for the renderer: draws only what the
// pixels can show, so 65536-sample sets stay quick on the raster engine without changing the
// picture (no peak or dip is dropped). Used by RenderPlot and its tests.
#pragma once

#include <QColor>
#include <QPen>
#include <QPoint>
#include <QRect>
#include <vector>

class QPainter;

namespace orvo {

// Keeps, for every run of consecutive points in the same pixel column, the first, the lowest,
// the highest and the last point and the neighbours of the first and last (in their original
// order), dropping repeats. A 1-pixel
// polyline through the result covers the same pixels as one through the input.
void ReducePolyline(const QPoint* in, int n, std::vector<QPoint>& out);

// ReducePolyline fed one point at a time, so a series is reduced as it is mapped, without the
// whole mapped polyline in memory. Gives exactly what ReducePolyline gives for the same points.
class PolylineReducer {
  public:
    explicit PolylineReducer(std::vector<QPoint>& out);
    void add(QPoint p);
    // Ends the last column; call once after the last point.
    void finish();

  private:
    struct Kept {
        int index;
        QPoint point;
    };
    void flush();
    std::vector<QPoint>& m_out;
    int m_next = 0;      // index of the next point
    bool m_open = false; // a column run is open
    Kept m_first{}, m_second{}, m_lo{}, m_hi{}, m_last{}, m_beforeTail{};
    bool m_haveSecond = false, m_haveBeforeTail = false;
};

// Draws the polyline through pts with pen; wide pens are drawn in a way the raster engine
// handles quickly. pts should already be reduced.
void DrawSeriesLine(QPainter& painter, const std::vector<QPoint>& pts, const QPen& pen);

// One symbol of the given point style centred on p, with the painter's pen and brush
// (the Dot style sets the one pixel to dotColour).
void DrawPointSymbol(QPainter& painter, int style, QPoint p, int hx, int hy, const QColor& dotColour);

// Symbols at every point, in order, with the painter's current pen and brush. Points whose
// symbol lies wholly outside clip are skipped, and so is a repeat on the same pixel as the
// point before.
void DrawPointSymbols(QPainter& painter, int style, const std::vector<QPoint>& pts, int hx, int hy,
                      const QColor& dotColour, const QRect& clip);

// The two halves of DrawPointSymbols on the raster engine, so the plot box can keep the first
// between paints. KeepShownSymbols picks, in order, the points whose symbol shows: for a Dot
// inside clip and not a repeat of the dot before; for the other styles near enough to clip to
// touch it (penWidth is the painter's pen width) and the last symbol at its position.
void KeepShownSymbols(int style, const std::vector<QPoint>& pts, int hx, int hy, int penWidth,
                      const QRect& clip, std::vector<QPoint>& kept);
// Draws the symbols at the kept points with the painter's pen and brush; on a 32-bit image the
// symbol is drawn once and its pixels copied to each point.
void DrawKeptSymbols(QPainter& painter, int style, const std::vector<QPoint>& kept, int hx, int hy,
                     const QColor& dotColour, const QRect& clip);

} // namespace orvo
