// The plot box's render through a PlotRenderCache against the plain render: the same pixels for
// every scene, on a kept image whatever it held, and again after each change to what the picture
// is drawn from.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <functional>

#include "plot/plotview.h"
#include "plotscenes.h"

namespace {

QImage plain(const orvo::PlotState& s, QSize size, int ppi, QImage::Format format = QImage::Format_RGB32) {
    QImage img(size, format);
    img.fill(Qt::white);
    QPainter p(&img);
    orvo::RenderPlot(p, ppi, ppi, s);
    return img;
}

void cached(const orvo::PlotState& s, QImage& kept, orvo::PlotRenderCache& cache, int ppi) {
    QPainter p(&kept);
    orvo::RenderPlot(p, ppi, ppi, s.settings, s.output, s.show, orvo::PlotBackground(), cache);
}

} // namespace

TEST(PlotRenderCache, EverySceneDrawsThePlainPicture) {
    plotscenes::ensureApp();
    for (const plotscenes::Scene& sc : plotscenes::scenes()) {
        orvo::PlotState s;
        plotscenes::build(sc, s);
        // Qt draws a large text the first time it meets its size a shade apart from later times
        // (the same plain render twice differs in the text's grey levels): the second one counts.
        plain(s, QSize(sc.width, sc.height), sc.ppi);
        const QImage want = plain(s, QSize(sc.width, sc.height), sc.ppi);
        orvo::PlotRenderCache cache;
        QImage kept(sc.width, sc.height, QImage::Format_RGB32);
        kept.fill(Qt::black); // the cache paints every pixel
        for (int paint = 0; paint < 2; ++paint) {
            cached(s, kept, cache, sc.ppi);
            EXPECT_TRUE(kept == want) << sc.name << " paint " << paint;
        }
    }
}

TEST(PlotRenderCache, EachChangeToThePictureIsDrawn) {
    plotscenes::ensureApp();
    orvo::PlotState s;
    const plotscenes::Scene sc{"changes", 1200, 700, 96, 4, 20000, plotscenes::mixedStyles};
    plotscenes::build(sc, s);
    orvo::PlotSettings& p = s.settings;
    using Change = std::function<void()>;
    const std::pair<const char*, Change> changes[] = {
        {"nothing", [] {}},
        {"sample edited", [&] { p.series.dataSet(1).samples.altitude[5000] += 800; }},
        {"sample time edited", [&] { p.series.dataSet(2).samples.time[19999] += 400; }},
        {"samples cut", [&] { p.series.dataSet(0).samples.count = 12000; }},
        {"set added", [&] { p.series.CreateDataSet(); }},
        {"set hidden", [&] { p.series.dataSet(3).DisplayFlag = 0; }},
        {"line style", [&] { p.series.dataSet(2).lineStyle = orvo::LineNone; }},
        {"point style", [&] { p.series.dataSet(0).pointStyle = orvo::PointDiamond; }},
        {"set colour", [&] { p.series.dataSet(1).lineColour = 0x0000FFFF; }},
        {"set scaled", [&] { p.series.dataSet(1).altitudeScale = 0.5; }},
        {"set shifted", [&] { p.series.ShiftDataSet(0, 30, 100); }},
        {"set renamed", [&] { p.series.RenameDataSet(1, "Second flight"); }},
        {"zoomed", [&] { orvo::ZoomView(p, 0.5); }},
        {"panned", [&] { orvo::PanTime(p, 0.1); }},
        {"view shift", [&] { p.altitudeShift = 7; }},
        {"title", [&] { p.title = "Another title"; }},
        {"grid colour", [&] { p.gridColour = 0x0000FF00; }},
        {"background colour", [&] { p.backgroundColour = 0x00E0FFFF; }},
        {"info off", [&] { s.show.ShowInfo = false; }},
        {"logo on", [&] { s.show.ShowBackground = true; }},
        {"climb on", [&] { s.show.ShowAvgROC = true; }},
        {"climb data", [&] { p.series.dataSet(0).samples.altitude[11000] -= 300; }},
        {"legend off", [&] { s.show.ShowLegend = false; }},
        {"monochrome", [&] { s.output.colour = 0; }},
        {"smaller", [&] { s.output.width -= 1.0; }},
    };
    orvo::PlotRenderCache cache;
    QImage kept(sc.width, sc.height, QImage::Format_RGB32);
    for (const auto& [what, change] : changes) {
        change();
        if (std::string(what) == "smaller") kept = QImage(sc.width - 96, sc.height, QImage::Format_RGB32);
        cached(s, kept, cache, sc.ppi);
        EXPECT_TRUE(kept == plain(s, kept.size(), sc.ppi)) << what;
    }
}

// A surface the kept frame cannot be copied onto is drawn the plain way, white where the plot
// leaves it; one whose output area does not fill it is white around the plot.
TEST(PlotRenderCache, OtherSurfacesAndSmallerOutputsArePaintedWhole) {
    plotscenes::ensureApp();
    orvo::PlotState s;
    const plotscenes::Scene sc{"small", 700, 350, 96, 2, 4000, plotscenes::mixedStyles};
    plotscenes::build(sc, s);
    s.output.left = 0.5;
    s.output.width -= 1.0;
    for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_RGB16}) {
        orvo::PlotRenderCache cache;
        QImage kept(sc.width, sc.height, format);
        kept.fill(Qt::black);
        cached(s, kept, cache, sc.ppi);
        EXPECT_TRUE(kept == plain(s, kept.size(), sc.ppi, format)) << format;
    }
}
