// Figures for the plot renderer: RenderPlot at a size given as WxH (1920x1080 unless given, at most
// 3840x2160) over 8 data sets of 65536 samples, lines only, with a point symbol at every sample,
// zoomed to a tenth of the data and with no data at all, and one cursor move of the plot view
// (restore the cached pixels under the old overlay, XOR the new one). Prints milliseconds.
// With --cli PATH/orvo-cli it also writes the 8 sets as data files and times the whole
// `orvo-cli render` process drawing them at 1920 x 1080, and gnuplot's pngcairo terminal drawing
// the same files when gnuplot is installed.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "bench/benchflight.h"
#include "data/datafile.h"
#include "plot/plotoverlay.h"
#include "plot/plotrender.h"

namespace {

using Clock = std::chrono::steady_clock;

using benchflight::bestMs;

double wallMs(const std::string& command) {
    const auto t0 = Clock::now();
    const int rc = std::system(command.c_str());
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    return rc == 0 ? ms : -1.0;
}

// A word for the shell, quoted so blanks and quotes in paths stay part of it.
std::string quoted(const std::string& word) {
    std::string q = "'";
    for (char c : word)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

void compareWithGnuplot(const orvo::PlotState& state, const std::string& cli) {
    // A folder of this run's own, removed afterwards: runs side by side never share files.
    QTemporaryDir temp;
    if (!temp.isValid()) {
        std::printf("cannot make a temporary folder\n");
        return;
    }
    const std::string dir = temp.path().toStdString();
    std::string files, plots;
    orvo::PlotFileHeader header;
    for (int k = 0; k < state.settings.series.dataSetCount(); ++k) {
        const std::string f = dir + "/set" + std::to_string(k) + ".csv";
        if (orvo::saveDataSetFile(f, state.settings.series, k, header) != orvo::FileStatus::Ok) {
            std::printf("cannot write %s\n", f.c_str());
            return;
        }
        // Appended piece by piece: g++ 12 warns falsely (-Wrestrict) on `" " + quoted(f)`.
        files += ' ';
        files += quoted(f);
        plots += std::string(k ? ", " : "") + "'" + f + "' using 1:2 with lines lw 2 notitle";
    }
    const std::string render = quoted(cli) + " render" + files + " -o " + quoted(dir + "/orvo.png") +
                               " --width 19.2 --height 10.8 --ppi 100";
    double best = 1e9;
    for (int r = 0; r < 3; ++r) {
        const double ms = wallMs(render);
        if (ms < 0) {
            std::printf("orvo-cli render failed: %s\n", render.c_str());
            return;
        }
        best = std::min(best, ms);
    }
    std::printf("orvo-cli render process, 8 files, 1920x1080 PNG (best of 3):  %7.1f ms\n", best);
    if (std::system("command -v gnuplot >/dev/null 2>&1") != 0) {
        std::printf("gnuplot is not installed: no comparison\n");
        return;
    }
    const std::string script = dir + "/plot.gp";
    if (FILE* g = std::fopen(script.c_str(), "w")) {
        std::fprintf(g,
                     "set terminal pngcairo size 1920,1080\nset output '%s/gnuplot.png'\n"
                     "set datafile separator ','\nset title 'Altitude versus Time'\nplot %s\n",
                     dir.c_str(), plots.c_str());
        std::fclose(g);
    }
    double gbest = 1e9;
    for (int r = 0; r < 3; ++r)
        gbest = std::min(gbest, wallMs("gnuplot " + quoted(script)));
    std::printf("gnuplot pngcairo, same files, 1920x1080 PNG (best of 3):        %7.1f ms (%.1fx)\n", gbest,
                gbest / best);
}

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    int width = 1920, height = 1080;
    benchflight::sizeFromArgs(argc, argv, width, height);
    orvo::PlotState state;
    benchflight::eightFlights(state, width, height);

    QImage image(width, height, QImage::Format_RGB32);
    orvo::PlotFrame f;
    auto render = [&] {
        QPainter p(&image);
        f = orvo::RenderPlot(p, 96, 96, state);
    };
    render(); // fonts and caches warm
    const double lines = bestMs(10, render);

    for (int k = 0; k < 8; ++k)
        state.settings.series.dataSet(k).pointStyle = 1 + k % 7;
    const double symbols = bestMs(5, render);
    for (int k = 0; k < 8; ++k)
        state.settings.series.dataSet(k).pointStyle = orvo::PointSquare;
    const double squares = bestMs(5, render);
    for (int k = 0; k < 8; ++k)
        state.settings.series.dataSet(k).pointStyle = orvo::PointNone;

    // A tenth of the time and altitude spans, about the middle of the view.
    const orvo::ViewRange whole = state.settings.view();
    {
        orvo::PlotSettings& v = state.settings;
        const double tc = (v.timeMin + v.timeMax) / 2, tw = (v.timeMax - v.timeMin) / 20;
        const double ac = (v.altitudeMin + v.altitudeMax) / 2, aw = (v.altitudeMax - v.altitudeMin) / 20;
        v.timeMin = tc - tw, v.timeMax = tc + tw, v.altitudeMin = ac - aw, v.altitudeMax = ac + aw;
    }
    render();
    const double zoomed = bestMs(10, render);
    state.settings.view() = whole;

    orvo::PlotState empty;
    empty.settings.view() = whole;
    empty.output = state.output;
    auto renderEmpty = [&] {
        QPainter p(&image);
        orvo::RenderPlot(p, 96, 96, empty);
    };
    renderEmpty();
    const double none = bestMs(10, renderEmpty);
    render();

    // A cursor move: the cached picture under the old and new overlay back on the screen copy,
    // then the new circle and rubber band in XOR.
    const QImage cache = image.copy();
    QImage screen = image.copy();
    orvo::PlotOverlay prev;
    int x = f.plotLeft + 10;
    const long drawsBefore = orvo::SeriesDrawCount();
    auto move = [&] {
        orvo::PlotOverlay next;
        next.circle = true;
        next.centre = QPoint(x, f.plotTop + (x * 7) % (f.plotBottom - f.plotTop));
        next.zoomBand = true;
        next.bandStart = QPoint(f.plotLeft + 5, f.plotTop + 5);
        next.bandEnd = next.centre;
        const QRegion dirty = orvo::OverlayRegion(prev) + orvo::OverlayRegion(next);
        QPainter p(&screen);
        for (const QRect& r : dirty)
            p.drawImage(r.topLeft(), cache, r);
        orvo::DrawPlotOverlay(p, next);
        prev = next;
        x = f.plotLeft + (x + 3 - f.plotLeft) % (f.plotRight - f.plotLeft);
    };
    double moveTotal = 0, moveWorst = 0;
    const int moves = 200;
    for (int i = 0; i < moves; ++i) {
        const double ms = bestMs(1, move);
        moveTotal += ms;
        moveWorst = std::max(moveWorst, ms);
    }

    std::printf("RenderPlot %dx%d, 8 x 65536 samples, lines only:        %7.2f ms\n", width, height, lines);
    std::printf("RenderPlot %dx%d, 8 x 65536 samples, mixed symbols:     %7.2f ms\n", width, height, symbols);
    std::printf("RenderPlot %dx%d, 8 x 65536 samples, squares:           %7.2f ms\n", width, height, squares);
    std::printf("RenderPlot %dx%d, 8 x 65536 samples, lines, 10%% zoom:   %7.2f ms\n", width, height, zoomed);
    std::printf("RenderPlot %dx%d, no data:                              %7.2f ms\n", width, height, none);
    std::printf("Cursor move with zoom band (mean of %d / worst):           %7.3f / %.3f ms\n", moves,
                moveTotal / moves, moveWorst);
    std::printf("Series drawing calls during the cursor moves:               %ld\n",
                orvo::SeriesDrawCount() - drawsBefore);
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--cli") compareWithGnuplot(state, argv[i + 1]);
    return 0;
}
