#include "plot/seriesdraw.h"

#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <algorithm>
#include <cstdint>

namespace orvo {

void ReducePolyline(const QPoint* in, int n, std::vector<QPoint>& out) {
    out.clear();
    if (n <= 0) return;
    out.reserve(static_cast<std::size_t>(std::min(n, 4096)));
    auto push = [&out](QPoint p) {
        if (out.empty() || out.back() != p) out.push_back(p);
    };
    int i = 0;
    while (i < n) {
        // One run of points in the same pixel column.
        const int x = in[i].x();
        int j = i;
        int lo = i, hi = i;
        while (j + 1 < n && in[j + 1].x() == x) {
            ++j;
            if (in[j].y() < in[lo].y()) lo = j;
            if (in[j].y() > in[hi].y()) hi = j;
        }
        // The points next to the column's ends keep the directions in which the line enters
        // and leaves it: the raster engine's choice of joint pixels depends on them.
        int second = i, before = j;
        while (second < j && in[second] == in[i])
            ++second;
        while (before > i && in[before] == in[j])
            --before;
        int keep[6] = {i, second, lo, hi, before, j};
        std::sort(keep, keep + 6);
        for (int k : keep)
            push(in[k]);
        i = j + 1;
    }
}

namespace {

bool rasterTarget(const QPainter& painter) {
    const QPaintEngine* engine = painter.paintEngine();
    return engine && engine->type() == QPaintEngine::Raster && painter.worldTransform().isIdentity();
}

} // namespace

void DrawSeriesLine(QPainter& painter, const std::vector<QPoint>& pts, const QPen& pen) {
    if (pts.empty()) return;
    painter.setPen(pen);
    if (pts.size() == 1) {
        painter.drawPoint(pts.front());
        return;
    }
    const bool wide = pen.width() > 1 && !pen.isCosmetic();
    if (!wide || !rasterTarget(painter)) {
        painter.drawPolyline(pts.data(), static_cast<int>(pts.size()));
        return;
    }
    // A wide pen over one long polyline sends the raster engine through one huge self-
    // overlapping path with curved joins, which is slow. A solid line a few pixels wide is
    // drawn instead as that many 1-pixel lines side by side, offset across each segment's
    // major direction: the same band of pixels, through the fast cosmetic line drawer.
    const int w = pen.width();
    if (pen.style() == Qt::SolidLine && w <= 16) {
        QPen thin = pen;
        thin.setWidth(0);
        thin.setCapStyle(Qt::FlatCap);
        painter.setPen(thin);
        std::vector<QLine> lines;
        lines.reserve(pts.size() * std::size_t(w));
        const int from = -(w - 1) / 2, to = w / 2;
        auto thick = [&](QPoint a, QPoint b) {
            const bool flat = std::abs(b.x() - a.x()) >= std::abs(b.y() - a.y());
            for (int o = from; o <= to; ++o) {
                const QPoint d = flat ? QPoint(0, o) : QPoint(o, 0);
                lines.emplace_back(a + d, b + d);
            }
        };
        // The segments inside one pixel column are all vertical: together they are the one
        // line from the column's lowest to its highest point.
        std::size_t i = 0;
        while (i < pts.size()) {
            const int x = pts[i].x();
            int lo = pts[i].y(), hi = lo;
            std::size_t j = i;
            while (j + 1 < pts.size() && pts[j + 1].x() == x) {
                ++j;
                lo = std::min(lo, pts[j].y());
                hi = std::max(hi, pts[j].y());
            }
            if (i > 0) thick(pts[i - 1], pts[i]);
            if (lo != hi) thick(QPoint(x, lo), QPoint(x, hi));
            i = j + 1;
        }
        painter.drawLines(lines.data(), static_cast<int>(lines.size()));
        painter.setPen(pen);
        return;
    }
    painter.drawPolyline(pts.data(), static_cast<int>(pts.size()));
}

void DrawPointSymbol(QPainter& painter, int style, QPoint p, int hx, int hy, const QColor& dotColour) {
    const int x = p.x(), y = p.y();
    switch (style) {
    case 1: { // Dot: one pixel in the point colour, whatever the output
        const QPen keep = painter.pen();
        painter.setPen(QPen(dotColour, 1));
        painter.drawPoint(p);
        painter.setPen(keep);
        break;
    }
    case 2: // Circle in the box x-hx..x+hx-1, filled with the brush
        painter.drawEllipse(QRect(x - hx, y - hy, 2 * hx - 1, 2 * hy - 1));
        break;
    case 3: // Square, filled with the brush
        painter.drawRect(QRect(x - hx, y - hy, 2 * hx - 1, 2 * hy - 1));
        break;
    case 4: // Cross
        painter.drawLine(x - hx, y, x + hx, y);
        painter.drawLine(x, y - hy, x, y + hy);
        break;
    case 5: // X
        painter.drawLine(x - hx, y - hy, x + hx, y + hy);
        painter.drawLine(x - hx, y + hy, x + hx, y - hy);
        break;
    case 6: { // Diamond
        const QPoint d[5] = {{x, y - hy}, {x - hx, y}, {x, y + hy}, {x + hx, y}, {x, y - hy}};
        painter.drawPolyline(d, 5);
        break;
    }
    case 7: { // Triangle
        const QPoint t[4] = {{x, y - hy}, {x - hx, y + hy}, {x + hx, y + hy}, {x, y - hy}};
        painter.drawPolyline(t, 4);
        break;
    }
    default:
        break;
    }
}

void DrawPointSymbols(QPainter& painter, int style, const std::vector<QPoint>& pts, int hx, int hy,
                      const QColor& dotColour, const QRect& clip) {
    if (style < 1 || style > 7 || pts.empty()) return;
    const int pw = std::max(1, painter.pen().width());
    const int rx = hx + pw + 1, ry = hy + pw + 1; // what a symbol can touch around its point
    const QRect reach = clip.adjusted(-rx, -ry, rx, ry);
    auto visible = [&reach](QPoint p) { return reach.contains(p); };

    if (style == 1) {
        std::vector<QPoint> dots;
        dots.reserve(pts.size());
        for (const QPoint& p : pts)
            if (clip.contains(p) && (dots.empty() || dots.back() != p)) dots.push_back(p);
        const QPen keep = painter.pen();
        painter.setPen(QPen(dotColour, 1));
        painter.drawPoints(dots.data(), static_cast<int>(dots.size()));
        painter.setPen(keep);
        return;
    }

    if (!rasterTarget(painter)) {
        QPoint last(INT32_MIN, INT32_MIN);
        for (const QPoint& p : pts) {
            if (p == last || !visible(p)) continue;
            DrawPointSymbol(painter, style, p, hx, hy, dotColour);
            last = p;
        }
        return;
    }
    // Draw the symbol once into a small transparent image and stamp it: every pixel of the
    // stamp is either untouched or fully opaque, so stamping gives the same picture.
    QImage stamp(2 * rx + 1, 2 * ry + 1, QImage::Format_ARGB32_Premultiplied);
    stamp.fill(Qt::transparent);
    {
        QPainter sp(&stamp);
        sp.setPen(painter.pen());
        sp.setBrush(painter.brush());
        sp.setRenderHints(painter.renderHints());
        DrawPointSymbol(sp, style, QPoint(rx, ry), hx, hy, dotColour);
    }
    // A later stamp on the same pixel covers an earlier one exactly, so only the last symbol at
    // each position is drawn, and the order of the others is kept.
    const int gw = reach.width(), gh = reach.height();
    std::vector<std::uint8_t> taken(std::size_t(std::max(gw, 0)) * std::size_t(std::max(gh, 0)), 0);
    std::vector<std::uint8_t> keep(pts.size(), 0);
    for (std::size_t k = pts.size(); k-- > 0;) {
        const QPoint& p = pts[k];
        if (!visible(p)) continue;
        const std::size_t cell =
            std::size_t(p.y() - reach.top()) * std::size_t(gw) + std::size_t(p.x() - reach.left());
        if (taken[cell]) continue;
        taken[cell] = 1;
        keep[k] = 1;
    }
    for (std::size_t k = 0; k < pts.size(); ++k)
        if (keep[k]) painter.drawImage(pts[k].x() - rx, pts[k].y() - ry, stamp);
}

} // namespace orvo
