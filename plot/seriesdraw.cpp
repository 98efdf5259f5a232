#include "plot/seriesdraw.h"

#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <algorithm>
#include <cstdint>
#include <cstring>

namespace orvo {

PolylineReducer::PolylineReducer(std::vector<QPoint>& out) : m_out(out) {
    m_out.clear();
}

void PolylineReducer::add(QPoint p) {
    const Kept k{m_next++, p};
    if (m_open && p.x() == m_first.point.x()) {
        if (!m_haveSecond && p != m_first.point) m_second = k, m_haveSecond = true;
        if (p.y() < m_lo.point.y()) m_lo = k;
        if (p.y() > m_hi.point.y()) m_hi = k;
        // The point before the trailing repeats of the column's last point.
        if (p != m_last.point) m_beforeTail = m_last, m_haveBeforeTail = true;
        m_last = k;
        return;
    }
    if (m_open) flush();
    m_open = true;
    m_first = m_lo = m_hi = m_last = k;
    m_haveSecond = m_haveBeforeTail = false;
}

void PolylineReducer::flush() {
    // The points next to the column's ends keep the directions in which the line enters and
    // leaves it: the raster engine's choice of joint pixels depends on them.
    Kept keep[6] = {m_first, m_haveSecond ? m_second : m_last,          m_lo,
                    m_hi,    m_haveBeforeTail ? m_beforeTail : m_first, m_last};
    std::sort(keep, keep + 6, [](const Kept& a, const Kept& b) { return a.index < b.index; });
    for (const Kept& k : keep)
        if (m_out.empty() || m_out.back() != k.point) m_out.push_back(k.point);
}

void PolylineReducer::finish() {
    if (m_open) flush();
    m_open = false;
}

void ReducePolyline(const QPoint* in, int n, std::vector<QPoint>& out) {
    out.reserve(static_cast<std::size_t>(std::clamp(n, 0, 4096)));
    PolylineReducer r(out);
    for (int i = 0; i < n; ++i)
        r.add(in[i]);
    r.finish();
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

void KeepShownSymbols(int style, const std::vector<QPoint>& pts, int hx, int hy, int penWidth,
                      const QRect& clip, std::vector<QPoint>& kept) {
    kept.clear();
    if (style < 1 || style > 7 || pts.empty()) return;
    if (style == 1) {
        for (const QPoint& p : pts)
            if (clip.contains(p) && (kept.empty() || kept.back() != p)) kept.push_back(p);
        return;
    }
    const int pw = std::max(1, penWidth);
    const int rx = hx + pw + 1, ry = hy + pw + 1; // what a symbol can touch around its point
    const QRect reach = clip.adjusted(-rx, -ry, rx, ry);
    // A later symbol on the same pixel covers an earlier one exactly, so only the last symbol at
    // each position is kept, and the order of the others stays. Points of a series whose times
    // ascend come column by column: a repeat can only be in the same column, and one column's
    // worth of marks finds it. Others take a mark per pixel of the reach.
    const std::size_t n = pts.size();
    std::vector<std::uint8_t> keep(n, 0);
    bool columns = true;
    for (std::size_t k = 1; k < n && columns; ++k)
        columns = pts[k].x() >= pts[k - 1].x();
    const int gh = std::max(reach.height(), 0);
    if (columns) {
        std::vector<std::uint8_t> taken(std::size_t(gh), 0);
        std::size_t k = n;
        while (k > 0) {
            // One column, from its end.
            const int x = pts[k - 1].x();
            std::size_t begin = k;
            while (begin > 0 && pts[begin - 1].x() == x)
                --begin;
            if (x >= reach.left() && x <= reach.right()) {
                for (std::size_t m = k; m-- > begin;) {
                    const int y = pts[m].y();
                    if (y < reach.top() || y > reach.bottom()) continue;
                    std::uint8_t& t = taken[std::size_t(y - reach.top())];
                    if (!t) t = 1, keep[m] = 1;
                }
                for (std::size_t m = begin; m < k; ++m) {
                    const int y = pts[m].y();
                    if (y >= reach.top() && y <= reach.bottom()) taken[std::size_t(y - reach.top())] = 0;
                }
            }
            k = begin;
        }
    } else {
        const int gw = std::max(reach.width(), 0);
        std::vector<std::uint8_t> taken(std::size_t(gw) * std::size_t(gh), 0);
        for (std::size_t k = n; k-- > 0;) {
            const QPoint& p = pts[k];
            if (!reach.contains(p)) continue;
            const std::size_t cell =
                std::size_t(p.y() - reach.top()) * std::size_t(gw) + std::size_t(p.x() - reach.left());
            if (taken[cell]) continue;
            taken[cell] = 1;
            keep[k] = 1;
        }
    }
    for (std::size_t k = 0; k < n; ++k)
        if (keep[k]) kept.push_back(pts[k]);
}

namespace {

// The device image of a painter that draws straight onto it: raster engine, no transform, no
// device pixel scaling, a 32-bit format and no other copy sharing its pixels.
QImage* directImage(QPainter& painter) {
    if (!rasterTarget(painter) || !painter.combinedTransform().isIdentity()) return nullptr;
    if (painter.opacity() != 1.0 || painter.compositionMode() != QPainter::CompositionMode_SourceOver)
        return nullptr;
    QPaintDevice* d = painter.device();
    if (!d || d->devType() != QInternal::Image) return nullptr;
    QImage* img = static_cast<QImage*>(d);
    const QImage::Format f = img->format();
    if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32_Premultiplied) return nullptr;
    if (img->devicePixelRatio() != 1.0 || !img->isDetached()) return nullptr;
    return img;
}

} // namespace

void DrawKeptSymbols(QPainter& painter, int style, const std::vector<QPoint>& kept, int hx, int hy,
                     const QColor& dotColour, const QRect& clip) {
    if (style < 1 || style > 7 || kept.empty()) return;
    if (style == 1) {
        const QPen keep = painter.pen();
        painter.setPen(QPen(dotColour, 1));
        painter.drawPoints(kept.data(), static_cast<int>(kept.size()));
        painter.setPen(keep);
        return;
    }
    if (!rasterTarget(painter)) {
        for (const QPoint& p : kept)
            DrawPointSymbol(painter, style, p, hx, hy, dotColour);
        return;
    }
    const int pw = std::max(1, painter.pen().width());
    const int rx = hx + pw + 1, ry = hy + pw + 1;
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
    QImage* img = directImage(painter);
    bool opaque = true;
    for (int y = 0; y < stamp.height() && opaque; ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(stamp.constScanLine(y));
        for (int x = 0; x < stamp.width(); ++x)
            if (qAlpha(row[x]) != 0 && qAlpha(row[x]) != 255) opaque = false;
    }
    if (!img || !opaque) {
        for (const QPoint& p : kept)
            painter.drawImage(p.x() - rx, p.y() - ry, stamp);
        return;
    }
    // The stamp's opaque pixels as runs per row, copied straight into the image inside the clip.
    struct Run {
        int dy, dx, length;
    };
    std::vector<Run> runs;
    for (int y = 0; y < stamp.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(stamp.constScanLine(y));
        for (int x = 0; x < stamp.width();) {
            if (qAlpha(row[x]) == 0) {
                ++x;
                continue;
            }
            int e = x;
            while (e < stamp.width() && qAlpha(row[e]) != 0)
                ++e;
            runs.push_back({y, x, e - x});
            x = e;
        }
    }
    QRect area = clip & img->rect();
    if (painter.hasClipping()) {
        const QRegion r = painter.clipRegion();
        if (r.rectCount() > 1) {
            for (const QPoint& p : kept)
                painter.drawImage(p.x() - rx, p.y() - ry, stamp);
            return;
        }
        area &= r.boundingRect();
    }
    uchar* bits = img->bits();
    const qsizetype bpl = img->bytesPerLine();
    for (const QPoint& p : kept) {
        const int left = p.x() - rx, top = p.y() - ry;
        for (const Run& r : runs) {
            const int y = top + r.dy;
            if (y < area.top() || y > area.bottom()) continue;
            int x0 = left + r.dx, x1 = x0 + r.length - 1;
            const int skip = std::max(0, area.left() - x0);
            x0 += skip;
            x1 = std::min(x1, area.right());
            if (x0 > x1) continue;
            const QRgb* src = reinterpret_cast<const QRgb*>(stamp.constScanLine(r.dy)) + r.dx + skip;
            std::memcpy(bits + y * bpl + qsizetype(x0) * 4, src, std::size_t(x1 - x0 + 1) * 4);
        }
    }
}

void DrawPointSymbols(QPainter& painter, int style, const std::vector<QPoint>& pts, int hx, int hy,
                      const QColor& dotColour, const QRect& clip) {
    if (style >= 2 && style <= 7 && !rasterTarget(painter)) {
        // A page or vector file keeps every symbol but a repeat on the pixel of the one before.
        const int pw = std::max(1, painter.pen().width());
        const int rx = hx + pw + 1, ry = hy + pw + 1;
        const QRect reach = clip.adjusted(-rx, -ry, rx, ry);
        QPoint last(INT32_MIN, INT32_MIN);
        for (const QPoint& p : pts) {
            if (p == last || !reach.contains(p)) continue;
            DrawPointSymbol(painter, style, p, hx, hy, dotColour);
            last = p;
        }
        return;
    }
    std::vector<QPoint> kept;
    KeepShownSymbols(style, pts, hx, hy, painter.pen().width(), clip, kept);
    DrawKeptSymbols(painter, style, kept, hx, hy, dotColour, clip);
}

} // namespace orvo
