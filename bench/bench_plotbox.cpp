// Figures for the plot box's whole paint at a size given as WxH (3840x2160 unless given): the
// picture's image, the render of 8 data sets of 65536 samples into it, and the blit of the
// picture onto the window's surface, as the Recorded Data page repaints. Lines only and mixed
// symbols, with the view unchanged between paints (a window uncovered, the active set changed)
// and panned by a little every paint. Prints milliseconds.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "bench/benchflight.h"
#include "plot/plotrender.h"
#include "plot/plotview.h"

namespace {

using benchflight::bestMs;

// The plot box: its kept picture and what it keeps between renders.
struct Box {
    QImage picture;
    orvo::PlotRenderCache cache;

    void paint(const orvo::PlotState& state, QImage& screen) {
        if (picture.size() != screen.size()) picture = QImage(screen.size(), QImage::Format_RGB32);
        {
            QPainter cp(&picture);
            orvo::RenderPlot(cp, 96, 96, state.settings, state.output, state.show, orvo::PlotBackground(),
                             cache);
        }
        QPainter p(&screen);
        p.drawImage(0, 0, picture);
    }
};

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    int width = 3840, height = 2160;
    benchflight::sizeFromArgs(argc, argv, width, height);
    orvo::PlotState state;
    benchflight::eightFlights(state, width, height);

    QImage screen(width, height, QImage::Format_RGB32);
    Box box;
    auto paint = [&] { box.paint(state, screen); };
    auto panned = [&] {
        orvo::PanTime(state.settings, 0.001);
        box.paint(state, screen);
    };
    paint();
    const double lines = bestMs(10, paint);
    state.show.ShowLegend = false;
    paint();
    const double noLegend = bestMs(10, paint);
    state.show.ShowLegend = true;
    orvo::PlotState empty;
    empty.settings.view() = state.settings.view();
    empty.output = state.output;
    auto paintEmpty = [&] { box.paint(empty, screen); };
    paintEmpty();
    const double none = bestMs(10, paintEmpty);
    const double linesPanned = bestMs(10, panned);
    for (int k = 0; k < 8; ++k)
        state.settings.series.dataSet(k).pointStyle = 1 + k % 7;
    paint();
    const double symbols = bestMs(5, paint);
    const double symbolsPanned = bestMs(5, panned);

    std::printf("Plot box paint %dx%d, 8 x 65536 samples, lines, same view:     %7.2f ms\n", width, height,
                lines);
    std::printf("Plot box paint %dx%d, 8 x 65536 samples, lines, no legend:     %7.2f ms\n", width, height,
                noLegend);
    std::printf("Plot box paint %dx%d, no data:                                 %7.2f ms\n", width, height,
                none);
    std::printf("Plot box paint %dx%d, 8 x 65536 samples, lines, panned:        %7.2f ms\n", width, height,
                linesPanned);
    std::printf("Plot box paint %dx%d, 8 x 65536 samples, symbols, same view:   %7.2f ms\n", width, height,
                symbols);
    std::printf("Plot box paint %dx%d, 8 x 65536 samples, symbols, panned:      %7.2f ms\n", width, height,
                symbolsPanned);
    return 0;
}
