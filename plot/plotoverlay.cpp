#include "plot/plotoverlay.h"

#include <QPaintEngine>
#include <QPainter>
#include <algorithm>

namespace orvo {

namespace {

// The cursor colour 0x00FFFF00 (blue and green): on white the circle shows red.
const QColor CursorColour(0x00, 0xFF, 0xFF);
constexpr int Radius = 5;

QRect bandRect(const PlotOverlay& o) {
    return QRect(o.bandStart, o.bandEnd).normalized();
}

} // namespace

QRegion OverlayRegion(const PlotOverlay& o) {
    QRegion r;
    if (o.circle)
        r += QRect(o.centre.x() - Radius - 2, o.centre.y() - Radius - 2, 2 * Radius + 5, 2 * Radius + 5);
    if (o.zoomBand) {
        const QRect b = bandRect(o);
        // Only the outline: a thin strip along each side.
        r += QRect(b.left() - 1, b.top() - 1, b.width() + 2, 3);
        r += QRect(b.left() - 1, b.bottom() - 1, b.width() + 2, 3);
        r += QRect(b.left() - 1, b.top() - 1, 3, b.height() + 2);
        r += QRect(b.right() - 1, b.top() - 1, 3, b.height() + 2);
    }
    if (o.climbBand) {
        const int h = std::max(o.bottom - o.top, 0) + 3;
        r += QRect(o.bandStart.x() - 1, o.top - 1, 3, h);
        r += QRect(o.bandEnd.x() - 1, o.top - 1, 3, h);
    }
    return r;
}

void DrawPlotOverlay(QPainter& p, const PlotOverlay& o) {
    if (!o.circle && !o.zoomBand && !o.climbBand) return;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBrush(Qt::NoBrush);
    // XOR needs the raster engine; elsewhere the overlay is drawn plainly in the cursor colour.
    if (p.paintEngine() && p.paintEngine()->hasFeature(QPaintEngine::RasterOpModes))
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    if (o.circle) {
        p.setPen(QPen(CursorColour, 2));
        p.drawEllipse(QRect(o.centre.x() - Radius, o.centre.y() - Radius, 2 * Radius, 2 * Radius));
    }
    p.setPen(QPen(CursorColour, 0, Qt::DashLine));
    p.setBackgroundMode(Qt::TransparentMode);
    if (o.zoomBand) p.drawRect(bandRect(o));
    if (o.climbBand) {
        p.drawLine(o.bandStart.x(), o.top, o.bandStart.x(), o.bottom);
        if (o.bandEnd.x() != o.bandStart.x()) p.drawLine(o.bandEnd.x(), o.top, o.bandEnd.x(), o.bottom);
    }
    p.restore();
}

} // namespace orvo
