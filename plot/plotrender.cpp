#include "plot/plotrender.h"

#include <QFont>
#include <QFontMetrics>
#include <QPaintEngine>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "plot/seriesdraw.h"

namespace orvo {

namespace {

long g_seriesDraws = 0;

// Conversion toward zero that never sees a NaN or an out-of-range double: the picture of a
// degenerate view is odd but defined.
int truncInt(double v) {
    if (!(v == v)) return 0;
    if (v > 1.0e9) return 1000000000;
    if (v < -1.0e9) return -1000000000;
    return static_cast<int>(v);
}

QColor toQColor(Colour c) {
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

// Sets a font whose character cell (ascent + descent) is cellHeight pixels.
void setFontCell(QPainter& p, QFont f, int cellHeight) {
    cellHeight = std::max(1, cellHeight);
    f.setPixelSize(cellHeight);
    const int got = QFontMetrics(f).height();
    if (got > 0 && got != cellHeight) {
        f.setPixelSize(std::max(1, int(std::lround(double(cellHeight) * cellHeight / got))));
    }
    p.setFont(f);
}

// Text with its top-left corner at (x, y), in colour c, on the background colour.
void textAt(QPainter& p, int x, int y, const QString& s, const QColor& c) {
    const QPen keep = p.pen();
    p.setPen(c);
    p.drawText(QPoint(x, y + p.fontMetrics().ascent()), s);
    p.setPen(keep);
}

int textWidth(const QPainter& p, const QString& s) {
    return p.fontMetrics().horizontalAdvance(s);
}

// A horizontal or vertical line from a to b without the pixel b, as the layout rules count
// lengths (a tick of ppi/17 covers ppi/17 pixels).
void lineExcl(QPainter& p, QPoint a, QPoint b) {
    if (a == b) return;
    if (a.x() == b.x())
        b.ry() += (b.y() > a.y()) ? -1 : 1;
    else if (a.y() == b.y())
        b.rx() += (b.x() > a.x()) ? -1 : 1;
    p.drawLine(a, b);
}

QString numberText(const char* format, int decimals, double v) {
    char buf[512];
    std::snprintf(buf, sizeof buf, format, decimals, v);
    return QString::fromLatin1(buf);
}

Qt::PenStyle penStyleOf(int lineStyle) {
    switch (lineStyle) {
    case LineDot:
        return Qt::DotLine;
    case LineDash:
        return Qt::DashLine;
    case LineDashDot:
        return Qt::DashDotLine;
    case LineDashDotDot:
        return Qt::DashDotDotLine;
    default:
        return Qt::SolidLine;
    }
}

// Maps a series' samples to surface points. Inside the view it is the arithmetic of TimeToPixel
// and AltitudeToPixel; outside it the points keep their true position (up to a far limit)
// instead of the transforms' edge values, so the clip cuts them: a line leaving the view keeps
// its slope up to the edge, and nothing is drawn along the edge for data beyond it.
constexpr double FarPixels = 100000.0;

struct PointMapper {
    const PlotSettings& plot;
    const PlotFrame& f;
    const Series& s;
    double tLo, tHi, tFactor, aLo, aHi, aFactor;
    int h;

    PointMapper(const PlotSettings& p, const PlotFrame& frame, const Series& series)
        : plot(p), f(frame), s(series) {
        tLo = p.timeMin + p.timeShift;
        tHi = p.timeMax + p.timeShift;
        tFactor = double(f.plotRight - f.plotLeft) / (p.timeMax - p.timeMin);
        aLo = p.altitudeMin + p.altitudeShift;
        aHi = p.altitudeMax + p.altitudeShift;
        h = f.plotBottom - f.plotTop;
        aFactor = double(h) / (p.altitudeMax - p.altitudeMin);
    }
    static int far(double v) { return truncInt(std::clamp(v, -FarPixels, FarPixels)); }
    int x(double t) const { return far((t - tLo) * tFactor); }
    int y(double a) const {
        const int y = h - far((a - aLo) * aFactor) - 1;
        return (a >= aLo && a <= aHi) ? std::clamp(y, 0, std::max(h, 0)) : y;
    }
    QPoint at(int i) const {
        const auto k = static_cast<std::size_t>(i);
        return QPoint(f.plotLeft + x(s.samples.time[k] * s.timeScale + s.timeOffset),
                      f.plotTop + y(s.samples.altitude[k] * s.altitudeScale + s.altitudeOffset));
    }
};

int sampleCount(const Series& s) {
    return std::clamp(s.samples.count, 0, int(s.samples.time.size()));
}

// The index range whose line can show in the view, with one sample beyond each side so the
// segments that cross the edges are drawn. Sets whose times do not ascend, or that are mirrored
// by their time scale, are drawn whole (the clip and the column reduction keep that cheap).
void visibleRange(const PlotSettings& plot, const Series& s, int n, int& i0, int& i1) {
    i0 = 0;
    i1 = n - 1;
    if (n < 2 || !(s.timeScale > 0.0) || !std::isfinite(s.timeScale)) return;
    const double* t = s.samples.time.data();
    for (int i = 1; i < n; ++i)
        if (!(t[i] >= t[i - 1])) return;
    const double lo = (plot.timeMin + plot.timeShift - s.timeOffset) / s.timeScale;
    const double hi = (plot.timeMax + plot.timeShift - s.timeOffset) / s.timeScale;
    if (!(lo <= hi)) return;
    const int a = int(std::lower_bound(t, t + n, lo) - t);
    const int b = int(std::upper_bound(t, t + n, hi) - t);
    i0 = std::max(a - 1, 0);
    i1 = std::min(b, n - 1);
}

// Whether the segment a-b crosses or touches rectangle r (Liang-Barsky clipping).
bool segmentMeets(QPoint a, QPoint b, const QRect& r) {
    if (std::max(a.x(), b.x()) < r.left() || std::min(a.x(), b.x()) > r.right() ||
        std::max(a.y(), b.y()) < r.top() || std::min(a.y(), b.y()) > r.bottom())
        return false;
    double t0 = 0.0, t1 = 1.0;
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {double(a.x() - r.left()), double(r.right() - a.x()), double(a.y() - r.top()),
                         double(r.bottom() - a.y())};
    for (int k = 0; k < 4; ++k) {
        if (p[k] == 0.0) {
            if (q[k] < 0) return false;
            continue;
        }
        const double t = q[k] / p[k];
        if (p[k] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1) return false;
    }
    return true;
}

// What a series' drawing keeps between renders through a PlotRenderCache: the reduced line, the
// symbols that show and the legend's counts, each with the inputs it was made from. A render
// without a cache makes them afresh every time, by the same code.
struct SeriesEntry {
    QByteArray key; // the samples, their scales and offsets, the view and the plot area
    bool haveLine = false;
    std::vector<QPoint> line;
    bool haveSymbols = false;
    int symbolKey[4] = {0, 0, 0, 0}; // dot or not, hx, hy, pen width
    QRect symbolClip;
    std::vector<QPoint> symbols;
    bool haveHidden = false;
    bool hiddenLine = false;
    QRect hiddenRects[4];
    long hidden[4] = {0, 0, 0, 0};
    // The points of the samples whose line can show (from sample mappedFirst on), mapped once for
    // the line, the legend's counts and the symbols.
    bool haveMapped = false;
    bool mappedAscending = false; // the points' x never falls
    int mappedFirst = 0;
    std::vector<QPoint> mapped;
    // Forgets what was made, keeping the lists' memory for what is made next (a pan makes all of
    // it again).
    void forget() {
        haveLine = haveSymbols = haveHidden = haveMapped = false;
        line.clear();
        symbols.clear();
        mapped.clear();
    }
};

// The entry's points of the samples whose line can show in the view, mapped on first use.
const std::vector<QPoint>& visiblePoints(SeriesEntry& e, const PlotSettings& plot, const PlotFrame& f,
                                         const Series& s) {
    if (!e.haveMapped) {
        e.mapped.clear();
        e.mappedFirst = 0;
        const int n = sampleCount(s);
        if (n > 0) {
            int i0 = 0, i1 = n - 1;
            visibleRange(plot, s, n, i0, i1);
            const PointMapper map(plot, f, s);
            e.mapped.resize(std::size_t(i1 - i0 + 1));
            QPoint* out = e.mapped.data();
            bool ascending = true;
            for (int i = i0; i <= i1; ++i) {
                *out = map.at(i);
                ascending = ascending && (out == e.mapped.data() || out[-1].x() <= out->x());
                ++out;
            }
            e.mappedFirst = i0;
            e.mappedAscending = ascending;
        }
        e.haveMapped = true;
    }
    return e.mapped;
}

// How much of a data set each of the rectangles r would hide: the segments of its drawn line
// (line), or its symbols, that each meets, of the points the line can show. One pass over the
// points for all of them.
void hiddenData(const std::vector<QPoint>& points, bool ascending, bool line, const QRect (&r)[4],
                long (&hidden)[4]) {
    for (long& h : hidden)
        h = 0;
    if (points.empty()) return;
    if (ascending) {
        // Points in time order: only those within a rectangle's columns can meet it, and they lie
        // together. Point i ends the segment from point i - 1.
        const auto xBelow = [](const QPoint& a, int x) { return a.x() < x; };
        const auto xAbove = [](int x, const QPoint& a) { return x < a.x(); };
        for (int k = 0; k < 4; ++k) {
            // The first point at or right of the rectangle, and the first right of it.
            const auto from = std::lower_bound(points.begin(), points.end(), r[k].left(), xBelow);
            const auto to = std::upper_bound(from, points.end(), r[k].right(), xAbove);
            if (!line) {
                for (auto it = from; it != to; ++it)
                    if (r[k].contains(*it)) ++hidden[k];
                continue;
            }
            if (r[k].contains(points.front())) ++hidden[k];
            // Segments that end at or right of the left edge and start at or left of the right edge.
            const std::size_t first = std::max<std::size_t>(std::size_t(from - points.begin()), 1);
            const std::size_t last = std::min(std::size_t(to - points.begin()), points.size() - 1);
            for (std::size_t i = first; i <= last; ++i)
                if (segmentMeets(points[i - 1], points[i], r[k])) ++hidden[k];
        }
        return;
    }
    QRect any = r[0];
    for (const QRect& q : r)
        any |= q;
    QPoint before = points[0];
    for (int k = 0; k < 4; ++k)
        if (r[k].contains(before)) ++hidden[k];
    for (std::size_t i = 1; i < points.size(); ++i) {
        const QPoint at = points[i];
        const bool near =
            line
                ? !(std::max(at.x(), before.x()) < any.left() || std::min(at.x(), before.x()) > any.right() ||
                    std::max(at.y(), before.y()) < any.top() || std::min(at.y(), before.y()) > any.bottom())
                : any.contains(at);
        if (near)
            for (int k = 0; k < 4; ++k)
                if (line ? segmentMeets(before, at, r[k]) : r[k].contains(at)) ++hidden[k];
        before = at;
    }
}

template <typename T> void appendRaw(QByteArray& key, const T& v) {
    key.append(reinterpret_cast<const char*>(&v), sizeof v);
}
void appendText(QByteArray& key, const std::string& t) {
    appendRaw(key, t.size());
    key.append(t.data(), qsizetype(t.size()));
}

// A 64-bit hash of n doubles (four independent lanes, folded and mixed at the end).
std::uint64_t hashDoubles(const double* v, int n, std::uint64_t seed) {
    constexpr std::uint64_t P1 = 0x9E3779B185EBCA87ULL, P2 = 0xC2B2AE3D27D4EB4FULL;
    auto rotl = [](std::uint64_t x, int r) { return (x << r) | (x >> (64 - r)); };
    auto round = [&](std::uint64_t acc, double d) {
        std::uint64_t x;
        std::memcpy(&x, &d, sizeof x);
        return rotl(acc + x * P2, 31) * P1;
    };
    std::uint64_t a = seed + P1 + P2, b = seed + P2, c = seed, e = seed - P1;
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        a = round(a, v[i]);
        b = round(b, v[i + 1]);
        c = round(c, v[i + 2]);
        e = round(e, v[i + 3]);
    }
    for (; i < n; ++i)
        a = round(a, v[i]);
    std::uint64_t h = rotl(a, 1) + rotl(b, 7) + rotl(c, 12) + rotl(e, 18) + std::uint64_t(n);
    h ^= h >> 33;
    h *= P2;
    h ^= h >> 29;
    h *= P1;
    h ^= h >> 32;
    return h;
}

QByteArray seriesKey(const PlotSettings& plot, const PlotFrame& f, const Series& s) {
    QByteArray key;
    const int n = sampleCount(s);
    const int nt = std::min(n, int(s.samples.time.size()));
    const int na = std::min(n, int(s.samples.altitude.size()));
    appendRaw(key, n);
    appendRaw(key, nt);
    appendRaw(key, na);
    appendRaw(key, hashDoubles(s.samples.time.data(), nt, 1));
    appendRaw(key, hashDoubles(s.samples.altitude.data(), na, 2));
    for (double v : {s.timeScale, s.timeOffset, s.altitudeScale, s.altitudeOffset, plot.timeMin, plot.timeMax,
                     plot.timeShift, plot.altitudeMin, plot.altitudeMax, plot.altitudeShift})
        appendRaw(key, v);
    appendRaw(key, f);
    return key;
}

// The entries of one render: a cache's, checked against the series, or fresh ones.
class SeriesEntries {
  public:
    SeriesEntries(std::vector<SeriesEntry>* kept, const PlotSettings& plot, const PlotFrame& f)
        : m_kept(kept), m_plot(plot), m_frame(f) {
        if (m_kept) m_kept->resize(std::size_t(plot.series.size()));
        m_checked.assign(std::size_t(plot.series.size()), 0);
        m_fresh.resize(std::size_t(plot.series.size()));
    }
    SeriesEntry& at(int si) {
        const auto k = std::size_t(si);
        if (!m_kept) return m_fresh[k];
        SeriesEntry& e = (*m_kept)[k];
        if (!m_checked[k]) {
            m_checked[k] = 1;
            QByteArray key = seriesKey(m_plot, m_frame, m_plot.series.at(si));
            if (key != e.key) {
                e.forget();
                e.key = std::move(key);
            }
        }
        return e;
    }

  private:
    std::vector<SeriesEntry>* m_kept;
    const PlotSettings& m_plot;
    const PlotFrame& m_frame;
    std::vector<std::uint8_t> m_checked;
    std::vector<SeriesEntry> m_fresh;
};

// Step 16.5: the legend, one row per shown data set (its line, its symbol, its name), boxed in
// the corner of the plot area where it hides the least data: top right, top left, bottom right,
// bottom left, the first of those that hide least.
void drawLegend(QPainter& p, int ppiX, int H, const PlotSettings& plot, const PlotFrame& f, bool colour,
                const QColor& backColour, const QColor& frameColour, const QColor& textColour, int hx, int hy,
                int markWidth, SeriesEntries& entries) {
    std::vector<int> sets;
    for (int n = 0; n < plot.series.dataSetCount(); ++n)
        if (plot.series.dataSet(n).DisplayFlag != 0) sets.push_back(n);
    if (sets.size() < 2) return;
    QFont lf = p.font();
    lf.setFamily(QStringLiteral("Arial"));
    setFontCell(p, lf, H / 35);
    const int lh = std::max(p.fontMetrics().height(), 2 * hy + 2);
    const int pad = std::max(ppiX / 20, 2);
    const int sample = std::max(ppiX / 3, 4 * hx);
    int nameWidth = 0;
    for (int n : sets)
        nameWidth = std::max(nameWidth, textWidth(p, QString::fromStdString(plot.series.dataSet(n).name)));
    const int w = pad + sample + pad + nameWidth + pad;
    const int h = pad + int(sets.size()) * lh + pad;
    const int inset = std::max(ppiX / 20, 2);
    const int left = f.plotLeft + inset, right = f.plotRight - inset - w;
    const int top = f.plotTop + inset, bottom = f.plotBottom - inset - h;
    const QPoint corners[4] = {{right, top}, {left, top}, {right, bottom}, {left, bottom}};
    QRect rects[4];
    for (int k = 0; k < 4; ++k)
        rects[k] = QRect(corners[k], QSize(w, h));
    long total[4] = {0, 0, 0, 0};
    for (int n : sets) {
        SeriesEntry& e = entries.at(2 * n);
        const bool line = plot.series.dataSet(n).lineStyle != LineNone;
        if (!e.haveHidden || e.hiddenLine != line || !std::equal(rects, rects + 4, e.hiddenRects)) {
            const std::vector<QPoint>& points = visiblePoints(e, plot, f, plot.series.dataSet(n));
            hiddenData(points, e.mappedAscending, line, rects, e.hidden);
            e.hiddenLine = line;
            std::copy(rects, rects + 4, e.hiddenRects);
            e.haveHidden = true;
        }
        for (int k = 0; k < 4; ++k)
            total[k] += e.hidden[k];
    }
    QRect box = rects[0];
    long least = -1;
    for (int k = 0; k < 4; ++k)
        if (least < 0 || total[k] < least) least = total[k], box = rects[k];
    p.fillRect(box, backColour);
    p.setPen(QPen(frameColour, 0, Qt::SolidLine));
    p.drawRect(box.adjusted(0, 0, -1, -1));
    const QColor black(Qt::black);
    for (std::size_t k = 0; k < sets.size(); ++k) {
        const Series& s = plot.series.dataSet(sets[k]);
        const int yc = box.top() + pad + int(k) * lh + lh / 2;
        const int x0 = box.left() + pad;
        if (s.lineStyle != LineNone) {
            const int width = s.lineStyle == LineSolid ? std::max(ppiX / 150, 2) : 1;
            p.setPen(QPen(colour ? toQColor(s.lineColour) : black, width == 1 ? 0 : width,
                          penStyleOf(s.lineStyle), Qt::FlatCap));
            p.drawLine(x0, yc, x0 + sample, yc);
        }
        if (s.pointStyle != PointNone) {
            p.setPen(QPen(colour ? toQColor(s.pointColour) : black, markWidth == 1 ? 0 : markWidth,
                          Qt::SolidLine));
            DrawPointSymbol(p, s.pointStyle, QPoint(x0 + sample / 2, yc), hx, hy, toQColor(s.pointColour));
        }
        textAt(p, x0 + sample + pad, yc - p.fontMetrics().height() / 2, QString::fromStdString(s.name),
               textColour);
    }
}

} // namespace

const QImage& ScaledImageCache::scaled(const QImage& source, QSize size) {
    if (m_key != source.cacheKey() || m_size != size) {
        m_scaled = source.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        m_key = source.cacheKey();
        m_size = size;
    }
    return m_scaled;
}
long SeriesDrawCount() {
    return g_seriesDraws;
}

PlotFrame ComputePlotFrame(int w, int h, double x0, double y0) {
    PlotFrame f;
    f.yLabelX = truncInt(w / 20 + x0);
    f.titleY = truncInt(h / 30 + y0);
    f.plotLeft = w / 10 + f.yLabelX;
    f.plotTop = h / 7 + f.titleY;
    f.plotRight = truncInt(w - w / 12 + x0);
    f.plotBottom = truncInt(h - 2 * h / 12 + y0);
    f.xLabelY = truncInt(h - h / 12 + y0);
    return f;
}

AxisTickSet AxisTicks(double lo, double hi, double shift) {
    AxisTickSet r;
    if (!std::isfinite(lo) || !std::isfinite(hi) || !std::isfinite(shift)) return r;
    if (lo >= hi) hi = lo + 1.0;
    const double range = hi - lo;
    if (!(range > 0.0) || !std::isfinite(range)) return r; // lo so large that lo + 1 == lo
    const double f = range * 0.1;
    const double g = std::pow(10.0, std::trunc(std::log10(f)) - 1.0);
    double step = g * std::trunc(f / g);
    if (!(step > 0.0) || !std::isfinite(step)) return r;
    while (std::trunc(range / step) > 12.0)
        step *= 2.0;
    double first = std::trunc((lo + shift) / step) * step;
    if (first < lo) first += step;
    // Count the ticks by the same additions the axis drawing repeats; a step too small to move
    // the value, or a far-off shift, cannot make it run away.
    double v = first;
    int count = 0;
    double last = first;
    while (v <= hi + shift && count < 1000) {
        last = v;
        ++count;
        const double next = v + step;
        if (next == v) break;
        v = next;
    }
    if (count == 0) last = first - step; // the step back when no tick fits
    const int u = truncInt(std::trunc(std::log10(step))) - 1;
    r.first = first;
    r.last = last;
    r.step = step;
    r.decimals = std::min(u > 0 ? 0 : -u, 20);
    r.count = count;
    return r;
}

int TimeToPixel(const PlotSettings& p, const PlotFrame& f, double t) {
    const double lo = p.timeMin + p.timeShift;
    if (t < lo) return -1;
    if (t > p.timeMax + p.timeShift) return 9999;
    return truncInt((t - lo) * (double(f.plotRight - f.plotLeft) / (p.timeMax - p.timeMin)));
}

int AltitudeToPixel(const PlotSettings& p, const PlotFrame& f, double a) {
    const int h = f.plotBottom - f.plotTop;
    const double lo = p.altitudeMin + p.altitudeShift;
    if (a < lo) return h;
    if (a > p.altitudeMax + p.altitudeShift) return 0;
    const int y = h - truncInt((a - lo) * (double(h) / (p.altitudeMax - p.altitudeMin))) - 1;
    return std::clamp(y, 0, std::max(h, 0));
}

double PixelToTime(const PlotSettings& p, const PlotFrame& f, int x) {
    const int w = f.plotRight - f.plotLeft;
    if (w == 0) return p.timeMin;
    return double(x - f.plotLeft) * (p.timeMax - p.timeMin) / w + p.timeMin;
}

double PixelToAltitude(const PlotSettings& p, const PlotFrame& f, int y) {
    const int h = f.plotBottom - f.plotTop;
    if (h == 0) return p.altitudeMax;
    return p.altitudeMax - double(y - f.plotTop) * (p.altitudeMax - p.altitudeMin) / h;
}

double AverageClimb(const PlotSettings& plot) {
    if (plot.series.size() < 1) return 0.0;
    const Series& s = plot.series.at(0);
    const int n = sampleCount(s);
    int first = -1, last = -1;
    for (int i = 0; i < n; ++i) {
        const double t = s.samples.time[std::size_t(i)];
        if (first < 0 && t >= plot.timeMin) first = i;
        if (t <= plot.timeMax) last = i;
    }
    if (first < 0 || last < 0) return 0.0;
    const double dt = s.samples.time[std::size_t(last)] - s.samples.time[std::size_t(first)];
    if (dt == 0.0) return 0.0;
    const double rate = (s.samples.altitude[std::size_t(last)] - s.samples.altitude[std::size_t(first)]) / dt;
    return std::isfinite(rate) ? rate : 0.0;
}

namespace {

// The device image RenderPlot may copy the kept backdrop onto: a raster image without transform
// or device pixel scaling, drawn on opaquely, no other copy sharing its pixels.
QImage* backdropTarget(QPainter& p) {
    const QPaintEngine* engine = p.paintEngine();
    QPaintDevice* d = p.device();
    if (!engine || engine->type() != QPaintEngine::Raster || !d || d->devType() != QInternal::Image)
        return nullptr;
    if (!p.combinedTransform().isIdentity() || p.opacity() != 1.0 ||
        p.compositionMode() != QPainter::CompositionMode_SourceOver)
        return nullptr;
    QImage* img = static_cast<QImage*>(d);
    if (img->devicePixelRatio() != 1.0 || !img->isDetached() || img->depth() != 32) return nullptr;
    return img;
}

} // namespace

struct PlotRenderCache::Kept {
    QImage layer; // steps 1-14 on a white image of the device's size
    QByteArray layerKey;
    QByteArray seenKey; // the backdrop last drawn straight onto the surface
    QFont font;
    QPen pen;
    QBrush brush, background;
    Qt::BGMode backgroundMode = Qt::OpaqueMode;
    std::vector<SeriesEntry> series;
};

PlotRenderCache::PlotRenderCache() : m_kept(std::make_unique<Kept>()) {}
PlotRenderCache::~PlotRenderCache() = default;

namespace {

PlotFrame renderPlot(QPainter& p, int ppiX, int ppiY, const PlotSettings& plot, const OutputSettings& output,
                     const ShowFlags& show, const QImage& background, ScaledImageCache* logoCache,
                     PlotRenderCache::Kept* kept) {
    ppiX = std::max(ppiX, 1);
    ppiY = std::max(ppiY, 1);
    const bool colour = output.colour != 0;
    // Outputs beyond any real page are cut so pixel arithmetic stays in range.
    const int W = std::clamp(truncInt(ppiX * output.width), 0, 200000);
    const int H = std::clamp(truncInt(ppiY * output.height), 0, 200000);
    const double X0 = std::clamp(ppiX * output.left, -1.0e6, 1.0e6);
    const double Y0 = std::clamp(ppiY * output.top, -1.0e6, 1.0e6);
    const int X0i = truncInt(X0), Y0i = truncInt(Y0);
    const int X1i = truncInt(W + X0), Y1i = truncInt(H + Y0);

    const QColor black(Qt::black);
    const QColor backColour = colour ? toQColor(plot.backgroundColour) : QColor(Qt::white);
    const QColor gridColour = colour ? toQColor(plot.gridColour) : black;
    const QColor scaleColour = toQColor(plot.scaleColour);
    const QColor labelColour = toQColor(plot.labelColour);
    const QColor infoColour = toQColor(plot.infoColour);
    const QColor numberColour = colour ? scaleColour : black;

    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setClipping(false);

    // Steps 1-14 draw the same pixels for the same inputs: a cache keeps them as an image of the
    // device's size and copies it in.
    auto backdrop = [&](QPainter& p) {
        // 1. Bold fixed-pitch font for the axis numbers. Every render uses the same face so screen,
        // printer and image look alike.
        QFont font(QStringLiteral("Arial"));
        font.setStyleHint(QFont::SansSerif);
        font.setBold(true);
        font.setFixedPitch(true);
        setFontCell(p, font, H / 27);

        // 2. Output area: background fill with a 1-pixel outline. Filled symbols, text cells and the
        // gaps of dotted and dashed lines are painted in the background colour too.
        const QBrush brush(backColour);
        p.setBrush(brush);
        p.setBackground(brush);
        p.setBackgroundMode(Qt::OpaqueMode);
        const QRect outRect(X0i, Y0i, X1i - X0i, Y1i - Y0i);
        p.fillRect(outRect, backColour);
        p.setPen(QPen(gridColour, 0));
        if (outRect.width() > 0 && outRect.height() > 0) p.drawRect(outRect.adjusted(0, 0, -1, -1));

        // 3. Background picture.
        if (show.ShowBackground && !background.isNull()) {
            const int bl = truncInt(X0 + 1), bt = truncInt(Y0 + 1);
            const QRect target(bl, bt, truncInt(X0 + W - 1) - bl, truncInt(Y0 + H - 1) - bt);
            if (target.width() > 0 && target.height() > 0) {
                // A printer or PDF page keeps the picture it is given: at a printer's 600 or 1200 dpi a
                // full-resolution logo is tens of millions of pixels in the document. A faint logo
                // needs no more than 300 dpi there; the page scales it to the same place.
                QSize size = target.size();
                const bool page = p.paintEngine() && p.paintEngine()->type() != QPaintEngine::Raster;
                if (page && (ppiX > LogoMaxPpi || ppiY > LogoMaxPpi))
                    size = QSize(std::max(1, int(std::int64_t(size.width()) * LogoMaxPpi /
                                                 std::max(ppiX, LogoMaxPpi))),
                                 std::max(1, int(std::int64_t(size.height()) * LogoMaxPpi /
                                                 std::max(ppiY, LogoMaxPpi))));
                ScaledImageCache once;
                const QImage& scaled = (logoCache ? *logoCache : once).scaled(background, size);
                if (size == target.size())
                    p.drawImage(target.topLeft(), scaled);
                else
                    p.drawImage(target, scaled);
            }
        }

        // 4-5.
        const PlotFrame f = ComputePlotFrame(W, H, X0, Y0);

        const QPen solid1(gridColour, 0, Qt::SolidLine);
        const QPen dotted1(gridColour, 0, Qt::DotLine);

        // 6. Time axis.
        {
            const AxisTickSet t = AxisTicks(plot.timeMin, plot.timeMax, plot.timeShift);
            double v = t.first;
            for (int k = 0; k < t.count; ++k, v += t.step) {
                const int x = f.plotLeft + TimeToPixel(plot, f, v);
                p.setPen(solid1);
                lineExcl(p, QPoint(x, f.plotBottom), QPoint(x, f.plotBottom + ppiY / 17));
                p.setPen(dotted1);
                lineExcl(p, QPoint(x, f.plotTop), QPoint(x, f.plotBottom));
                const QString label = numberText("%.*f", t.decimals, v);
                textAt(p, x - textWidth(p, label) / 2, f.plotBottom + ppiY / 15, label, numberColour);
            }
        }
        // 7. Altitude axis.
        {
            const AxisTickSet a = AxisTicks(plot.altitudeMin, plot.altitudeMax, plot.altitudeShift);
            double v = a.first;
            for (int k = 0; k < a.count; ++k, v += a.step) {
                const int y = f.plotTop + AltitudeToPixel(plot, f, v);
                p.setPen(solid1);
                lineExcl(p, QPoint(f.plotLeft - 1, y), QPoint(f.plotLeft - ppiX / 17, y));
                p.setPen(dotted1);
                lineExcl(p, QPoint(f.plotLeft, y), QPoint(f.plotRight, y));
                const QString label = numberText("%.*f", a.decimals, v);
                textAt(p, f.plotLeft - textWidth(p, label) - ppiX / 15, y - p.fontMetrics().height() / 2,
                       label, numberColour);
            }
        }
        // 8. Zero line (on the bottom or top edge when 0 is outside the view).
        {
            const int y0 = f.plotTop + AltitudeToPixel(plot, f, 0.0);
            p.setPen(solid1);
            lineExcl(p, QPoint(f.plotLeft, y0), QPoint(f.plotRight, y0));
        }
        auto centredLeft = [&](const QString& s) {
            return f.plotLeft + (f.plotRight - f.plotLeft) / 2 - textWidth(p, s) / 2;
        };
        // 9. Title.
        {
            QFont tf = p.font();
            tf.setFixedPitch(false);
            setFontCell(p, tf, H / 20);
            const QString title = QString::fromStdString(plot.title);
            textAt(p, centredLeft(title), f.titleY, title, labelColour);
        }
        // 10. Info lines.
        if (show.ShowInfo) {
            setFontCell(p, p.font(), H / 50);
            const int lh = p.fontMetrics().height();
            const QString i1 = QString::fromStdString(plot.info1);
            textAt(p, centredLeft(i1), f.titleY + 2 * lh, i1, infoColour);
            const int left = X0i + (X1i - X0i) / 40;
            const int bottom = Y1i - (Y1i - Y0i) / 40;
            textAt(p, left, bottom - 2 * lh, QString::fromStdString(plot.info2), infoColour);
            textAt(p, left, bottom - lh, QString::fromStdString(plot.info3), infoColour);
        }
        // 11. X-axis label.
        {
            setFontCell(p, p.font(), H / 25);
            const QString xl = QString::fromStdString(plot.xLabel);
            textAt(p, centredLeft(xl), f.xLabelY, xl, labelColour);
        }
        // 12. Credit lines, right-aligned at the bottom right.
        {
            QFont cf = p.font();
            cf.setFamily(QStringLiteral("Arial"));
            setFontCell(p, cf, H / 35);
            const int lh = p.fontMetrics().height();
            const int right = X1i - (X1i - X0i) / 40;
            const int bottom = Y1i - (Y1i - Y0i) / 40;
            const QString c1 = QString::fromStdString(plot.credit1);
            const QString c2 = QString::fromStdString(plot.credit2);
            textAt(p, right - textWidth(p, c1), bottom - 2 * lh, c1, scaleColour);
            textAt(p, right - textWidth(p, c2), bottom - lh, c2, scaleColour);
        }
        // 13. Average climb of data set 0 over the view.
        if (show.ShowAvgROC && plot.series.size() > 0) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "Avg Climb = %.3g", AverageClimb(plot));
            const QString s = QString::fromLatin1(buf);
            textAt(p, centredLeft(s), truncInt(1.5 * p.fontMetrics().height() + f.xLabelY), s, scaleColour);
        }
        // 14. Y-axis label, reading bottom to top, centred on the plot area.
        {
            const QString yl = QString::fromStdString(plot.yLabel);
            const int refY = f.plotTop + (f.plotBottom - f.plotTop) / 2 + textWidth(p, yl) / 2;
            p.save();
            p.translate(f.yLabelX, refY);
            p.rotate(-90.0);
            textAt(p, 0, 0, yl, scaleColour);
            p.restore();
        }
    };
    const PlotFrame f = ComputePlotFrame(W, H, X0, Y0);
    QImage* target = kept ? backdropTarget(p) : nullptr;
    if (target) {
        QByteArray key;
        for (double v : {X0, Y0, plot.timeMin, plot.timeMax, plot.timeShift, plot.altitudeMin,
                         plot.altitudeMax, plot.altitudeShift})
            appendRaw(key, v);
        for (int v : {W, H, ppiX, ppiY, int(colour), int(show.ShowInfo), int(show.ShowBackground),
                      int(show.ShowAvgROC), int(plot.series.size() > 0), target->width(), target->height(),
                      int(target->format()), int(p.renderHints())})
            appendRaw(key, v);
        for (Colour c :
             {plot.backgroundColour, plot.gridColour, plot.scaleColour, plot.labelColour, plot.infoColour})
            appendRaw(key, c);
        for (const std::string* t : {&plot.title, &plot.xLabel, &plot.yLabel, &plot.info1, &plot.info2,
                                     &plot.info3, &plot.credit1, &plot.credit2})
            appendText(key, *t);
        appendRaw(key, show.ShowBackground ? background.cacheKey() : qint64(0));
        if (show.ShowAvgROC) appendRaw(key, AverageClimb(plot));
        // The output area's opaque fill covers what white would (the plot box's own output).
        const bool outputCovers = X0i <= 0 && Y0i <= 0 && X1i >= target->width() && Y1i >= target->height();
        const bool layerKept = key == kept->layerKey && !kept->layer.isNull();
        if (!layerKept && key != kept->seenKey) {
            // A view painted for the first time (a pan, a zoom) is drawn straight onto the surface:
            // while the view moves, each picture is seen once, and copying it through the layer
            // would cost 33 MB of copying at 4K. The layer is made when the view is painted again.
            kept->seenKey = std::move(key);
            if (!outputCovers) target->fill(Qt::white);
            backdrop(p);
        } else {
            if (!layerKept) {
                kept->layerKey.clear();
                // The kept image is painted over where it can be: a new one of 33 MB at 4K would cost
                // the system a page fault for every 4 KiB of it, on every pan.
                QImage& layer = kept->layer;
                if (layer.size() != target->size() || layer.format() != target->format())
                    layer = QImage(target->size(), target->format());
                layer.setDotsPerMeterX(target->dotsPerMeterX());
                layer.setDotsPerMeterY(target->dotsPerMeterY());
                if (!outputCovers) layer.fill(Qt::white);
                {
                    QPainter lp(&layer);
                    lp.setRenderHints(p.renderHints());
                    lp.setRenderHints(~p.renderHints(), false);
                    backdrop(lp);
                    kept->font = lp.font();
                    kept->pen = lp.pen();
                    kept->brush = lp.brush();
                    kept->background = lp.background();
                    kept->backgroundMode = lp.backgroundMode();
                }
                kept->layerKey = key;
            }
            const QImage& layer = kept->layer;
            if (layer.bytesPerLine() == target->bytesPerLine())
                std::memcpy(target->bits(), layer.constBits(), std::size_t(layer.sizeInBytes()));
            else
                for (int y = 0; y < layer.height(); ++y)
                    std::memcpy(target->scanLine(y), layer.constScanLine(y), std::size_t(layer.width()) * 4);
            p.setFont(kept->font);
            p.setPen(kept->pen);
            p.setBrush(kept->brush);
            p.setBackground(kept->background);
            p.setBackgroundMode(kept->backgroundMode);
        }
    } else {
        if (kept && p.device()) {
            // The whole surface is painted, white where the plot leaves it.
            p.save();
            p.resetTransform();
            p.fillRect(QRect(0, 0, p.device()->width(), p.device()->height()), Qt::white);
            p.restore();
        }
        backdrop(p);
    }
    SeriesEntries entries(kept ? &kept->series : nullptr, plot, f);

    // 15. Everything from here stays inside the plot area.
    p.setClipRect(QRect(f.plotLeft, f.plotTop, f.plotRight + 1 - f.plotLeft, f.plotBottom + 1 - f.plotTop));
    const QRect clip(f.plotLeft, f.plotTop, f.plotRight + 1 - f.plotLeft, f.plotBottom + 1 - f.plotTop);

    // 16. Series in list order.
    const int hx = std::max(ppiX / 50, 3), hy = std::max(ppiY / 50, 3);
    const int markWidth = std::max(ppiX / 300, 1);
    const int seriesCount = plot.series.size();
    std::vector<QPoint> pts;
    for (int si = 0; si < seriesCount; ++si) {
        const Series& s = plot.series.at(si);
        if (s.DisplayFlag == 0) continue;
        ++g_seriesDraws;
        const int n = sampleCount(s);
        const PointMapper map(plot, f, s);
        const QColor lineColour = colour ? toQColor(s.lineColour) : black;
        const QColor pointColour = colour ? toQColor(s.pointColour) : black;
        // 16.1 Line.
        if (s.lineStyle != LineNone && n > 1) {
            SeriesEntry& e = entries.at(si);
            if (!e.haveLine) {
                PolylineReducer reducer(e.line);
                for (const QPoint q : visiblePoints(e, plot, f, s))
                    reducer.add(q);
                reducer.finish();
                e.haveLine = true;
            }
            const int width = s.lineStyle == LineSolid ? std::max(ppiX / 150, 2) : 1;
            QPen pen(lineColour, width == 1 ? 0 : width, penStyleOf(s.lineStyle), Qt::RoundCap,
                     Qt::RoundJoin);
            DrawSeriesLine(p, e.line, pen);
        }
        // 16.2 Point symbols, for every sample (the clip cuts those outside the view).
        if (s.pointStyle != PointNone && n > 0) {
            p.setPen(QPen(pointColour, markWidth == 1 ? 0 : markWidth, Qt::SolidLine));
            const bool raster = p.paintEngine() && p.paintEngine()->type() == QPaintEngine::Raster &&
                                p.worldTransform().isIdentity();
            const int pw = p.pen().width();
            const int symbolKey[4] = {s.pointStyle == PointDot ? 1 : 2, hx, hy, pw};
            if (!raster || !(s.pointStyle >= PointDot && s.pointStyle <= PointTriangle)) {
                pts.clear();
                for (int i = 0; i < n; ++i)
                    pts.push_back(map.at(i));
                DrawPointSymbols(p, s.pointStyle, pts, hx, hy, toQColor(s.pointColour), clip);
            } else {
                SeriesEntry& e = entries.at(si);
                if (!e.haveSymbols || !std::equal(symbolKey, symbolKey + 4, e.symbolKey) ||
                    e.symbolClip != clip) {
                    // Every sample has a symbol; the line's points serve when the whole set shows.
                    const std::vector<QPoint>& shown = visiblePoints(e, plot, f, s);
                    const bool whole = e.mappedFirst == 0 && int(shown.size()) == n;
                    if (!whole) {
                        // The samples beyond the line's are mapped here, the line's copied.
                        const int first = e.mappedFirst, end = first + int(shown.size());
                        pts.clear();
                        pts.reserve(std::size_t(n));
                        for (int i = 0; i < first; ++i)
                            pts.push_back(map.at(i));
                        pts.insert(pts.end(), shown.begin(), shown.end());
                        for (int i = end; i < n; ++i)
                            pts.push_back(map.at(i));
                    }
                    KeepShownSymbols(s.pointStyle, whole ? shown : pts, hx, hy, pw, clip, e.symbols);
                    std::copy(symbolKey, symbolKey + 4, e.symbolKey);
                    e.symbolClip = clip;
                    e.haveSymbols = true;
                }
                DrawKeptSymbols(p, s.pointStyle, e.symbols, hx, hy, toQColor(s.pointColour), clip);
            }
        }
        // 16.3 Peak marks: an open cross-hair with the altitude above it.
        if (!s.isTriggerSet()) {
            QFont pf = p.font();
            setFontCell(p, pf, H / 35);
            p.setPen(QPen(pointColour, markWidth == 1 ? 0 : markWidth, Qt::SolidLine));
            const int m = std::min(n, int(s.samples.peakMark.size()));
            for (int i = 0; i < m; ++i) {
                if (!s.samples.peakMark[std::size_t(i)]) continue;
                const QPoint c = map.at(i);
                const int x = c.x(), y = c.y();
                lineExcl(p, QPoint(x - 3 * hx, y), QPoint(x - hx, y));
                lineExcl(p, QPoint(x + hx, y), QPoint(x + 3 * hx, y));
                lineExcl(p, QPoint(x, y - 3 * hy), QPoint(x, y - hy));
                lineExcl(p, QPoint(x, y + hy), QPoint(x, y + 3 * hy));
                const QString txt = numberText("%.*f", 2, s.samples.altitude[std::size_t(i)]);
                textAt(p, x - textWidth(p, txt) / 2, y - 3 * hy - p.fontMetrics().height(), txt, scaleColour);
            }
        }
        // 16.4 Climb marks: a bracket over the segment with its rate of climb.
        if (!s.isTriggerSet() && s.climbMarkCount() > 0) {
            QPen pen = p.pen();
            pen.setColor(colour ? infoColour : black);
            p.setPen(pen);
            for (const ClimbMark& cm : s.climbMarks) {
                if (!cm.inUse || cm.start < 0 || cm.end < 0 || cm.start >= n || cm.end >= n) continue;
                const double t1 = s.samples.time[std::size_t(cm.start)];
                const double t2 = s.samples.time[std::size_t(cm.end)];
                if (t1 < plot.timeMin || t1 > plot.timeMax || t2 < plot.timeMin || t2 > plot.timeMax)
                    continue;
                const QPoint p1 = map.at(cm.start), p2 = map.at(cm.end);
                const int x1 = p1.x(), y1 = p1.y(), x2 = p2.x(), y2 = p2.y();
                const QPoint bracket[4] = {p1, {x1, y1 - 10 * hy}, {x2, y2 - 10 * hy}, {x2, y2 + hy}};
                p.drawPolyline(bracket, 4);
                const double dt = t2 - t1;
                if (dt == 0.0) continue; // no rate for a segment without duration
                const double rate =
                    (s.samples.altitude[std::size_t(cm.end)] - s.samples.altitude[std::size_t(cm.start)]) /
                    dt;
                const QString txt = numberText("%.*f", 2, rate);
                const int th = p.fontMetrics().height(), tw = textWidth(p, txt);
                const int top = truncInt((y1 + y2) / 2.0 - 6.0 * hy - 2.0 * th);
                // Integer slope, as the layout has always placed it: only a steep rise puts the
                // text on the left.
                const bool rises = (x2 != x1) ? (y1 - y2) / (x2 - x1) > 0 : y1 > y2;
                const int left =
                    rises ? truncInt((x1 + x2) / 2.0 - 2.0 * tw) : truncInt((x1 + x2) / 2.0 + tw);
                textAt(p, left, top, txt, scaleColour);
            }
        }
    }

    // 16.5 Legend, when two or more data sets are shown.
    if (show.ShowLegend)
        drawLegend(p, ppiX, H, plot, f, colour, backColour, gridColour, numberColour, hx, hy, markWidth,
                   entries);

    // 17. Frame of the plot area.
    p.setPen(QPen(gridColour, std::max(ppiX / 75, 1) == 1 ? 0 : std::max(ppiX / 75, 1), Qt::SolidLine));
    p.drawLine(f.plotLeft, f.plotTop, f.plotRight, f.plotTop);
    p.drawLine(f.plotRight, f.plotTop, f.plotRight, f.plotBottom);
    p.drawLine(f.plotRight, f.plotBottom, f.plotLeft, f.plotBottom);
    p.drawLine(f.plotLeft, f.plotBottom, f.plotLeft, f.plotTop);

    // 18. The caller gets a 1-pixel pen, no clip and the last font.
    const QFont lastFont = p.font();
    p.restore();
    p.setFont(lastFont);
    QPen end = p.pen();
    end.setWidth(1);
    p.setPen(end);
    p.setClipping(false);
    return f;
}

} // namespace

PlotFrame RenderPlot(QPainter& p, int ppiX, int ppiY, const PlotSettings& plot, const OutputSettings& output,
                     const ShowFlags& show, const QImage& background, ScaledImageCache* logoCache) {
    return renderPlot(p, ppiX, ppiY, plot, output, show, background, logoCache, nullptr);
}

PlotFrame RenderPlot(QPainter& p, int ppiX, int ppiY, const PlotSettings& plot, const OutputSettings& output,
                     const ShowFlags& show, const QImage& background, PlotRenderCache& cache) {
    return renderPlot(p, ppiX, ppiY, plot, output, show, background, &cache.logo, cache.m_kept.get());
}

} // namespace orvo
