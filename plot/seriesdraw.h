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

} // namespace orvo
