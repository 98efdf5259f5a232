// RenderPlot on a QImage at fixed pixels per inch: the layout rules (frame, ticks, pen widths,
// zero line, colours in monochrome), the tick algorithm, the transforms and the degenerate views
// that must still give a finite picture. Checks positions and pixel colours, not image hashes.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>

#include "plot/plotrender.h"
#include "plot/seriesdraw.h"
#include "plotscenes.h"

namespace {

// One application for the whole test program, shared with the picture scenes.
using plotscenes::ensureApp;

constexpr orvo::Colour Green = 0x0000FF00; // 0x00BBGGRR
constexpr orvo::Colour Blue = 0x00FF0000;
constexpr orvo::Colour Red = 0x000000FF;
const QRgb GreenPx = qRgb(0, 255, 0), BluePx = qRgb(0, 0, 255), RedPx = qRgb(255, 0, 0);

struct Rendered {
    QImage image;
    orvo::PlotFrame frame;
};

Rendered render(orvo::PlotState& s, int ppi) {
    ensureApp();
    QImage img(int(ppi * s.output.width), int(ppi * s.output.height), QImage::Format_RGB32);
    img.fill(Qt::black);
    orvo::PlotFrame frame;
    {
        QPainter p(&img);
        frame = orvo::RenderPlot(p, ppi, ppi, s);
    }
    return {img, frame};
}

// Colour output with a grid colour that no text uses.
void colourState(orvo::PlotState& s) {
    s.output.colour = 1;
    s.settings.gridColour = Green;
}

orvo::Series& addSet(orvo::PlotState& s, int n, double dt, double (*alt)(int)) {
    orvo::Series& set = s.settings.series.CreateDataSet();
    for (int i = 0; i < n; ++i) {
        set.samples.time[std::size_t(i)] = i * dt;
        set.samples.altitude[std::size_t(i)] = alt(i);
    }
    set.samples.count = n;
    return set;
}

int countRun(const QImage& img, int x, int y, int dx, int dy, QRgb colour) {
    int n = 0;
    while (x >= 0 && y >= 0 && x < img.width() && y < img.height() && img.pixel(x, y) == colour) {
        ++n;
        x += dx;
        y += dy;
    }
    return n;
}

} // namespace

TEST(AxisTicks, RoundStepsOfTheRangeAndAtMostTwelveOfThem) {
    const orvo::AxisTickSet a = orvo::AxisTicks(0, 730, 0);
    EXPECT_DOUBLE_EQ(a.step, 73);
    EXPECT_DOUBLE_EQ(a.first, 0);
    EXPECT_DOUBLE_EQ(a.last, 730);
    EXPECT_EQ(a.count, 11);
    EXPECT_EQ(a.decimals, 0);

    const orvo::AxisTickSet b = orvo::AxisTicks(0, 1.5, 0);
    EXPECT_DOUBLE_EQ(b.step, 0.2);
    EXPECT_EQ(b.count, 8); // 0.0 .. 1.4
    EXPECT_NEAR(b.last, 1.4, 1e-9);
    EXPECT_EQ(b.decimals, 1);

    const orvo::AxisTickSet c = orvo::AxisTicks(1012, 1380, 0);
    EXPECT_GE(c.first, 1012);
    EXPECT_LE(c.last, 1380);
    EXPECT_LE((c.last - c.first) / c.step, 12.0 + 1e-9);
}

TEST(AxisTicks, DegenerateRangesGiveFewFiniteTicks) {
    const orvo::AxisTickSet equal = orvo::AxisTicks(5, 5, 0); // taken as 5..6
    EXPECT_GT(equal.count, 0);
    EXPECT_LE(equal.count, 13);
    const orvo::AxisTickSet reversed = orvo::AxisTicks(30, 10, 0);
    EXPECT_GT(reversed.count, 0);
    EXPECT_LE(reversed.count, 13);
    EXPECT_EQ(orvo::AxisTicks(std::nan(""), 10, 0).count, 0);
    EXPECT_EQ(orvo::AxisTicks(0, std::numeric_limits<double>::infinity(), 0).count, 0);
    // So large that lo + 1 == lo: nothing to tick rather than a loop that never ends.
    EXPECT_LE(orvo::AxisTicks(1e17, 1e17, 0).count, 1000);
    EXPECT_LE(orvo::AxisTicks(0, 10, 1e12).count, 1000);
}

TEST(PlotFrame, FollowsTheOutputSize) {
    const orvo::PlotFrame f = orvo::ComputePlotFrame(700, 350, 0, 0);
    EXPECT_EQ(f.yLabelX, 35);
    EXPECT_EQ(f.titleY, 11);
    EXPECT_EQ(f.plotLeft, 105);
    EXPECT_EQ(f.plotTop, 61);
    EXPECT_EQ(f.plotRight, 642);
    EXPECT_EQ(f.plotBottom, 292);
    EXPECT_EQ(f.xLabelY, 321);
    // A print margin moves everything by the margin in pixels.
    const orvo::PlotFrame m = orvo::ComputePlotFrame(4200, 2100, 300, 300);
    EXPECT_EQ(m.plotLeft, 4200 / 10 + 4200 / 20 + 300);
    EXPECT_EQ(m.plotBottom, 2100 - 2 * 2100 / 12 + 300);

    orvo::PlotState s;
    colourState(s);
    const orvo::PlotFrame drawn = render(s, 100).frame;
    EXPECT_EQ(drawn.plotLeft, 105);
    EXPECT_EQ(drawn.plotBottom, 292);
}

TEST(Transforms, EdgesInversesAndUndefinedDivisions) {
    orvo::PlotSettings p;
    orvo::PlotFrame f = orvo::ComputePlotFrame(700, 350, 0, 0);
    p.timeMin = 0, p.timeMax = 100, p.altitudeMin = 0, p.altitudeMax = 200;
    const int w = f.plotRight - f.plotLeft, h = f.plotBottom - f.plotTop;
    EXPECT_EQ(orvo::TimeToPixel(p, f, -1), -1);
    EXPECT_EQ(orvo::TimeToPixel(p, f, 101), 9999);
    EXPECT_EQ(orvo::TimeToPixel(p, f, 100), w);
    EXPECT_EQ(orvo::AltitudeToPixel(p, f, -5), h);
    EXPECT_EQ(orvo::AltitudeToPixel(p, f, 500), 0);
    EXPECT_EQ(orvo::AltitudeToPixel(p, f, 0), h - 1);
    for (int x : {f.plotLeft, f.plotLeft + 100, f.plotRight}) {
        const double t = orvo::PixelToTime(p, f, x);
        EXPECT_NEAR(f.plotLeft + orvo::TimeToPixel(p, f, t), x, 1);
    }
    EXPECT_DOUBLE_EQ(orvo::PixelToAltitude(p, f, f.plotTop), 200);
    EXPECT_DOUBLE_EQ(orvo::PixelToAltitude(p, f, f.plotBottom), 0);

    // Equal limits, a reversed view, NaN: defined integers inside the usual range.
    p.timeMax = p.timeMin;
    p.altitudeMax = p.altitudeMin;
    EXPECT_EQ(orvo::TimeToPixel(p, f, 0), 0);
    EXPECT_EQ(orvo::AltitudeToPixel(p, f, 0), h - 1);
    p.timeMin = 50, p.timeMax = 10;
    for (double t : {0.0, 20.0, 60.0}) {
        const int x = orvo::TimeToPixel(p, f, t);
        EXPECT_TRUE(x == -1 || x == 9999);
    }
    EXPECT_EQ(orvo::TimeToPixel(p, f, std::nan("")), 0);
    const int y = orvo::AltitudeToPixel(p, f, std::nan(""));
    EXPECT_GE(y, 0);
    EXPECT_LE(y, h);
    orvo::PlotFrame flat = f;
    flat.plotRight = flat.plotLeft;
    flat.plotBottom = flat.plotTop;
    EXPECT_TRUE(std::isfinite(orvo::PixelToTime(p, flat, 10)));
    EXPECT_TRUE(std::isfinite(orvo::PixelToAltitude(p, flat, 10)));
}

TEST(RenderPlot, TickLengthsAndLabelGapsScaleWithTheSurface) {
    for (int ppi : {96, 600}) {
        orvo::PlotState s;
        colourState(s);
        s.settings.timeMax = 730;
        const Rendered r = render(s, ppi);
        const orvo::PlotFrame& f = r.frame;
        const int x = f.plotLeft + orvo::TimeToPixel(s.settings, f, 365); // a tick mid-axis
        const int tick = ppi / 17;                                        // 5 on a screen, 35 on a printer
        EXPECT_EQ(countRun(r.image, x, f.plotBottom, 0, 1, GreenPx), tick) << ppi;
        const int y = f.plotTop + orvo::AltitudeToPixel(s.settings, f, 10);
        EXPECT_EQ(countRun(r.image, f.plotLeft - 1, y, -1, 0, GreenPx), tick - 1) << ppi;
        // The numbers begin ppi/15 below the plot: nothing but background in the gap.
        for (int yy = f.plotBottom + tick; yy < f.plotBottom + ppi / 15; ++yy)
            EXPECT_EQ(r.image.pixel(x, yy), qRgb(255, 255, 255)) << ppi << " " << yy;
    }
}

TEST(RenderPlot, SolidLineWidthFollowsThePixelsPerInch) {
    for (auto [ppi, width] : {std::pair{96, 2}, std::pair{600, 4}}) {
        orvo::PlotState s;
        colourState(s);
        orvo::Series& set = addSet(s, 21, 1.0, [](int) { return 10.0; });
        set.lineColour = Blue;
        const Rendered r = render(s, ppi);
        const orvo::PlotFrame& f = r.frame;
        const int x = (f.plotLeft + f.plotRight) / 2 + 3;
        int thickness = 0;
        for (int y = f.plotTop; y <= f.plotBottom; ++y)
            thickness += r.image.pixel(x, y) == BluePx;
        EXPECT_EQ(thickness, width) << ppi;
    }
}

TEST(RenderPlot, ZeroLineLiesOnTheBottomEdgeWhenZeroIsBelowTheView) {
    auto solidRows = [](orvo::PlotState& s) {
        const Rendered r = render(s, 96);
        const orvo::PlotFrame& f = r.frame;
        std::vector<int> rows;
        for (int y = f.plotTop + 1; y < f.plotBottom; ++y)
            if (countRun(r.image, f.plotLeft + 1, y, 1, 0, GreenPx) >= f.plotRight - f.plotLeft - 1)
                rows.push_back(y);
        return std::make_pair(rows, r.frame);
    };
    orvo::PlotState s;
    colourState(s);
    s.settings.altitudeMin = 100, s.settings.altitudeMax = 200;
    const auto [none, below] = solidRows(s);
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(orvo::AltitudeToPixel(s.settings, below, 0), below.plotBottom - below.plotTop);
    s.settings.altitudeMin = -100, s.settings.altitudeMax = 100;
    const auto [rows, f] = solidRows(s);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], f.plotTop + orvo::AltitudeToPixel(s.settings, f, 0));
}

TEST(RenderPlot, MonochromeKeepsTextColoursButBlackensNumbersAndPens) {
    orvo::PlotState s;
    s.output.colour = 0;
    s.settings.labelColour = Red;
    s.settings.scaleColour = Blue;
    s.settings.backgroundColour = Green;
    orvo::Series& set = addSet(s, 21, 1.0, [](int i) { return double(i); });
    set.lineColour = Red;
    const Rendered r = render(s, 96);
    const orvo::PlotFrame& f = r.frame;
    const int H = r.image.height(), W = r.image.width();
    auto count = [&](QRect area, QRgb c) {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                n += r.image.pixel(x, y) == c;
        return n;
    };
    EXPECT_GT(count(QRect(0, f.titleY, W, H / 20), RedPx), 0) << "the title keeps the label colour";
    EXPECT_EQ(count(QRect(0, f.titleY, W, H / 20), GreenPx), 0) << "the background is white";
    EXPECT_EQ(count(QRect(f.plotLeft, f.plotTop, f.plotRight - f.plotLeft, f.plotBottom - f.plotTop), RedPx),
              0)
        << "the line is black";
    const QRect numbers(f.plotLeft - 60, f.plotTop, 55, f.plotBottom - f.plotTop);
    EXPECT_EQ(count(numbers, BluePx), 0) << "axis numbers are black";
    EXPECT_GT(count(numbers, qRgb(0, 0, 0)), 0);
    EXPECT_GT(count(QRect(W / 2, f.xLabelY, W / 2 - 1, H - f.xLabelY - 1), BluePx), 0)
        << "credit lines keep colour";
}

TEST(RenderPlot, OnePixelSpikeAmongManySamplesStaysVisible) {
    orvo::PlotState s;
    colourState(s);
    orvo::Series& set = addSet(s, orvo::MaxSamples, 0.01, [](int i) { return i == 40000 ? 90.0 : 10.0; });
    set.lineColour = Blue;
    s.settings.timeMax = 700;
    s.settings.altitudeMax = 100;
    const Rendered r = render(s, 96);
    const orvo::PlotFrame& f = r.frame;
    const int spikeY = f.plotTop + orvo::AltitudeToPixel(s.settings, f, 90);
    bool found = false;
    for (int x = f.plotLeft; x <= f.plotRight && !found; ++x)
        found = r.image.pixel(x, spikeY) == BluePx;
    EXPECT_TRUE(found);
}

TEST(RenderPlot, LineOfASetThatDoesNotStartAtZeroIsDrawnAcrossTheView) {
    orvo::PlotState s;
    colourState(s);
    orvo::Series& set = addSet(s, 101, 1.0, [](int) { return 10.0; });
    for (int i = 0; i < 101; ++i)
        set.samples.time[std::size_t(i)] += 100.0; // as a time shift leaves it
    set.lineColour = Blue;
    s.settings.timeMin = 100, s.settings.timeMax = 200;
    const Rendered r = render(s, 96);
    const orvo::PlotFrame& f = r.frame;
    const int y = f.plotTop + orvo::AltitudeToPixel(s.settings, f, 10);
    int blue = 0;
    for (int x = f.plotLeft; x <= f.plotRight; ++x)
        blue += r.image.pixel(x, y) == BluePx;
    EXPECT_GT(blue, (f.plotRight - f.plotLeft) * 9 / 10);
}

TEST(RenderPlot, DataBeyondTheViewIsCutByTheFrameNotDrawnAlongIt) {
    orvo::PlotState s;
    colourState(s);
    orvo::Series& set = addSet(s, 21, 1.0, [](int i) { return i * 50.0; }); // 0..1000
    set.lineColour = Blue;
    s.settings.timeMin = 0, s.settings.timeMax = 10, s.settings.altitudeMin = 0, s.settings.altitudeMax = 100;
    const Rendered r = render(s, 96);
    const orvo::PlotFrame& f = r.frame;
    // The line leaves through the top edge near t = 2 s; right of that the top row is free of it.
    const int leaves = f.plotLeft + orvo::TimeToPixel(s.settings, f, 2.0);
    int onTop = 0;
    for (int y = f.plotTop; y <= f.plotTop + 2; ++y)
        for (int x = leaves + 10; x < f.plotRight; ++x)
            onTop += r.image.pixel(x, y) == BluePx;
    EXPECT_EQ(onTop, 0);
    // And where it crosses the view it keeps its slope: at 1 s it is half way up.
    const int x1 = f.plotLeft + orvo::TimeToPixel(s.settings, f, 1.0);
    const int mid = f.plotTop + orvo::AltitudeToPixel(s.settings, f, 50.0);
    bool found = false;
    for (int y = mid - 2; y <= mid + 2; ++y)
        found = found || r.image.pixel(x1, y) == BluePx;
    EXPECT_TRUE(found);
}

TEST(RenderPlot, DegenerateInputsDrawWithoutFault) {
    orvo::PlotState s;
    colourState(s);
    s.show.ShowAvgROC = true;
    s.show.ShowBackground = true;
    render(s, 96); // empty series list
    orvo::Series& one = addSet(s, 1, 1.0, [](int) { return 5.0; });
    one.pointStyle = orvo::PointSquare;
    orvo::Series& same = addSet(s, 50, 0.0, [](int i) { return double(i); }); // all times equal
    same.samples.peakMark[3] = 1;
    s.settings.series.AddClimbMark(1, 2, 2);    // equal times
    s.settings.series.AddClimbMark(1, 10, 999); // beyond the samples
    orvo::Series& empty = addSet(s, 0, 1.0, [](int) { return 0.0; });
    empty.pointStyle = orvo::PointCircle;
    const double nan = std::nan("");
    for (auto [t0, t1, a0, a1] : {std::array{0.0, 0.0, 0.0, 0.0}, std::array{30.0, 10.0, 50.0, -50.0},
                                  std::array{nan, nan, nan, nan}, std::array{-1e300, 1e300, -1e300, 1e300}}) {
        s.settings.timeMin = t0, s.settings.timeMax = t1, s.settings.altitudeMin = a0,
        s.settings.altitudeMax = a1;
        render(s, 96);
        EXPECT_TRUE(std::isfinite(orvo::AverageClimb(s.settings)));
    }
    s.output.width = 0;
    s.output.height = 0;
    ensureApp();
    QImage tiny(4, 4, QImage::Format_RGB32);
    QPainter p(&tiny);
    orvo::RenderPlot(p, 96, 96, s);
}

TEST(AverageClimb, UsesTheFirstAndLastSampleInsideTheView) {
    orvo::PlotState s;
    addSet(s, 61, 1.0, [](int i) { return double(i * i); });
    s.settings.timeMin = 10, s.settings.timeMax = 30;
    EXPECT_DOUBLE_EQ(orvo::AverageClimb(s.settings), (900.0 - 100.0) / 20.0);
    s.settings.timeMin = 100, s.settings.timeMax = 200; // no sample in the view
    EXPECT_DOUBLE_EQ(orvo::AverageClimb(s.settings), 0.0);
}

TEST(SeriesDrawing, ReducedOnePixelPolylineCoversTheSamePixels) {
    ensureApp();
    const QPen pen(Qt::black, 0);
    for (unsigned seed : {3u, 11u, 29u}) {
        for (int perColumn : {3, 37, 400}) {
            std::mt19937 rng(seed);
            std::uniform_int_distribution<int> dy(-6, 6);
            std::vector<QPoint> pts;
            int y = 100;
            for (int i = 0; i < 20000; ++i) {
                y = std::clamp(y + dy(rng), 0, 199);
                pts.emplace_back(i / perColumn, y);
            }
            std::vector<QPoint> reduced;
            orvo::ReducePolyline(pts.data(), int(pts.size()), reduced);
            if (perColumn > 6) {
                EXPECT_LT(reduced.size(), pts.size() / 4);
            }
            QImage a(7000, 200, QImage::Format_RGB32), b(7000, 200, QImage::Format_RGB32);
            a.fill(Qt::white);
            b.fill(Qt::white);
            {
                QPainter p(&a);
                p.setPen(pen);
                p.drawPolyline(pts.data(), int(pts.size()));
            }
            {
                QPainter p(&b);
                orvo::DrawSeriesLine(p, reduced, pen);
            }
            // Identical but for the raster engine's single pixels where the original went back
            // and forth over one sample's pixel (zero-length steps it draws as a dot).
            int differ = 0;
            for (int yy = 0; yy < a.height(); ++yy)
                for (int x = 0; x < a.width(); ++x)
                    differ += a.pixel(x, yy) != b.pixel(x, yy);
            EXPECT_LE(differ, 2) << "seed " << seed << ", " << perColumn << " points per column";
        }
    }
}

TEST(SeriesDrawing, StampedSymbolsMatchSymbolsDrawnOneByOne) {
    ensureApp();
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> jitter(-2, 2);
    std::vector<QPoint> pts;
    for (int i = 0; i < 3000; ++i)
        pts.emplace_back(i / 10 + jitter(rng), 50 + jitter(rng) + (i % 50 == 0 ? 20 : 0));
    const QRect clip(0, 0, 320, 120);
    for (int style = 1; style <= 7; ++style) {
        QImage a(320, 120, QImage::Format_RGB32), b(320, 120, QImage::Format_RGB32);
        a.fill(Qt::white);
        b.fill(Qt::white);
        for (QImage* img : {&a, &b}) {
            QPainter p(img);
            p.setPen(QPen(Qt::red, 0));
            p.setBrush(QBrush(Qt::yellow));
            if (img == &a)
                for (const QPoint& q : pts)
                    orvo::DrawPointSymbol(p, style, q, 3, 3, Qt::blue);
            else
                orvo::DrawPointSymbols(p, style, pts, 3, 3, Qt::blue, clip);
        }
        EXPECT_EQ(a, b) << "style " << style;
    }
}

// A printed page keeps the picture it is handed: at 1200 dpi the logo is drawn at 300 dpi, so a
// one-plot PDF stays small, and the logo still fills the same place on the page.
TEST(RenderPlot, PageLogoIsDrawnAtNoMoreThan300Dpi) {
    ensureApp();
    orvo::PlotState s;
    s.output.width = 7.0;
    s.output.height = 3.5;
    s.output.colour = 1;
    s.show.ShowBackground = true;
    addSet(s, 1000, 0.1, [](int i) { return 500.0 - std::abs(i - 500.0); });
    orvo::AutoScaleTime(s.settings, s.home);
    orvo::AutoScaleAltitude(s.settings, s.home);
    QByteArray pdf;
    {
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(1200);
        writer.setPageSize(QPageSize(QSizeF(7.0, 3.5), QPageSize::Inch));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter p(&writer);
        orvo::RenderPlot(p, 1200, 1200, s);
    }
    EXPECT_LT(pdf.size(), 200 * 1024);
    // The embedded picture: /Width of the image object, a quarter of the 1200-dpi plot area.
    const int at = pdf.indexOf("/Width ");
    ASSERT_GE(at, 0);
    const int width = pdf.mid(at + 7, 8).split(' ').front().split('\n').front().toInt();
    EXPECT_NEAR(width, 7.0 * 300 * 0.8, 7.0 * 300 * 0.2);
}

// The screen keeps the stretched logo between paints; a kept copy draws the same pixels as a
// fresh one, and a new size stretches it anew.
TEST(RenderPlot, AKeptLogoDrawsWhatAFreshOneDraws) {
    ensureApp();
    orvo::PlotState s;
    colourState(s);
    s.show.ShowBackground = true;
    ASSERT_FALSE(orvo::PlotBackground().isNull());
    orvo::ScaledImageCache kept;
    for (const double width : {4.0, 6.0, 4.0}) {
        SCOPED_TRACE(width);
        s.output.width = width;
        QImage fresh(int(96 * width), int(96 * s.output.height), QImage::Format_RGB32);
        QImage cached = fresh;
        {
            QPainter p(&fresh);
            orvo::RenderPlot(p, 96, 96, s.settings, s.output, s.show, orvo::PlotBackground());
        }
        {
            QPainter p(&cached);
            orvo::RenderPlot(p, 96, 96, s.settings, s.output, s.show, orvo::PlotBackground(), &kept);
        }
        EXPECT_EQ(cached, fresh);
    }
}

TEST(RenderPlot, LegendNamesEachShownSetWhereItHidesTheLeastData) {
    // Two flat sets in the top or the bottom of a 0..20 view; the legend takes the first free
    // corner (top right before bottom right). With one set shown, or the legend off, the picture
    // is the one without a legend.
    struct Case {
        const char* shape;
        double level; // altitude of both sets
        bool hideSecond, legendOn;
        int corner; // 0 none, 1 top right, 3 bottom right
    };
    const Case cases[] = {
        {"sets along the top", 19.0, false, true, 3},
        {"sets along the bottom", 1.0, false, true, 1},
        {"one set shown", 3.0, true, true, 0},
        {"legend off", 3.0, false, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shape);
        orvo::PlotState s;
        colourState(s);
        static double level;
        level = c.level;
        for (orvo::Colour colour : {Blue, Red}) {
            orvo::Series& set = addSet(s, 201, 0.1, [](int) { return level; });
            set.lineColour = set.pointColour = colour;
        }
        s.settings.series.dataSet(1).DisplayFlag = c.hideSecond ? 0 : 1;
        s.show.ShowLegend = false;
        const Rendered plain = render(s, 96);
        s.show.ShowLegend = c.legendOn;
        const Rendered legend = render(s, 96);
        // Where the two pictures differ.
        QRect changed;
        for (int y = 0; y < plain.image.height(); ++y)
            for (int x = 0; x < plain.image.width(); ++x)
                if (plain.image.pixel(x, y) != legend.image.pixel(x, y)) changed |= QRect(x, y, 1, 1);
        if (c.corner == 0) {
            EXPECT_TRUE(changed.isNull());
            continue;
        }
        const orvo::PlotFrame& f = legend.frame;
        ASSERT_FALSE(changed.isNull());
        EXPECT_GT(changed.left(), (f.plotLeft + f.plotRight) / 2);
        EXPECT_LT(changed.right(), f.plotRight);
        if (c.corner == 1)
            EXPECT_LT(changed.bottom(), (f.plotTop + f.plotBottom) / 2);
        else
            EXPECT_GT(changed.top(), (f.plotTop + f.plotBottom) / 2);
        // Inside: a blue sample line above a red one, each as wide as a solid line is drawn, and
        // none of the sets' own line under the box.
        int blueY = -1, redY = -1;
        for (int y = changed.top(); y <= changed.bottom(); ++y) {
            const int x = changed.left() + 6;
            if (blueY < 0 && countRun(legend.image, x, y, 1, 0, BluePx) >= 20) blueY = y;
            if (redY < 0 && countRun(legend.image, x, y, 1, 0, RedPx) >= 20) redY = y;
        }
        ASSERT_GE(blueY, 0);
        ASSERT_GT(redY, blueY);
        EXPECT_EQ(countRun(legend.image, changed.left() + 10, blueY, 0, 1, BluePx), 2);
        const int dataY = f.plotTop + orvo::AltitudeToPixel(s.settings, f, c.level);
        EXPECT_TRUE(dataY < changed.top() || dataY > changed.bottom());
    }
}
