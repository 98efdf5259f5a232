// Figures for image export: a 1920 x 1080 plot of 8 data sets of 65536 samples, drawn once, then
// the encoding alone as BMP, JPEG (quality 90) and GIF (own palette), best and median of several
// runs, with the file sizes (PNG against Qt's own writer) and the picture's colour count. With --cli
// PATH/orvo-cli it also writes the sets as data files and times the whole `orvo-cli render` process for each
// format against the PNG output (best of 3).
#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "bench/benchflight.h"
#include "data/datafile.h"
#include "plot/imagewriters.h"
#include "plot/plotrender.h"

namespace {

using Clock = std::chrono::steady_clock;

using benchflight::fillFlight;

struct Figures {
    double best, median;
};

Figures time(int runs, const std::function<void()>& f) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = Clock::now();
        f();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
    std::sort(ms.begin(), ms.end());
    return {ms.front(), ms[ms.size() / 2]};
}

double wallMs(const std::string& command) {
    const auto t0 = Clock::now();
    const int rc = std::system(command.c_str());
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    return rc == 0 ? ms : -1.0;
}

void timeCli(const orvo::PlotState& state, const std::string& cli) {
    const std::string dir = "/tmp/orvo_bench_export";
    std::system(("mkdir -p " + dir).c_str());
    std::string files;
    for (int k = 0; k < state.settings.series.dataSetCount(); ++k) {
        const std::string f = dir + "/set" + std::to_string(k) + ".csv";
        if (orvo::saveDataSetFile(f, state.settings.series, k, orvo::PlotFileHeader{}) !=
            orvo::FileStatus::Ok) {
            std::printf("cannot write %s\n", f.c_str());
            return;
        }
        files += " " + f;
    }
    for (const char* ext : {"png", "bmp", "jpg", "gif"}) {
        const std::string cmd = cli + " render" + files + " -o " + dir + "/plot." + ext +
                                " --width 19.2 --height 10.8 --ppi 100 2>/dev/null";
        double best = 1e300;
        for (int i = 0; i < 3; ++i) {
            const double ms = wallMs(cmd);
            if (ms < 0) {
                std::printf("orvo-cli render failed: %s\n", cmd.c_str());
                return;
            }
            best = std::min(best, ms);
        }
        std::printf("orvo-cli render process, 8 files, 1920x1080 %s (best of 3): %7.1f ms\n", ext, best);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    orvo::PlotState state;
    std::mt19937 rng(7);
    for (int k = 0; k < 8; ++k)
        fillFlight(state.settings.series.CreateDataSet(), k, rng);
    orvo::AutoScaleTime(state.settings, state.home);
    orvo::AutoScaleAltitude(state.settings, state.home);
    state.output.width = 19.2;
    state.output.height = 10.8;
    state.output.colour = 1;

    QImage image;
    const Figures draw = time(5, [&] { image = orvo::RenderPlotImage(state, 100); });
    std::vector<bool> seen(1u << 24);
    int colours = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const unsigned c = image.pixel(x, y) & 0xffffff;
            if (!seen[c]) seen[c] = true, ++colours;
        }
    std::printf("picture %dx%d, %d colours; drawn once in %.1f ms (median %.1f)\n", image.width(),
                image.height(), colours, draw.best, draw.median);

    std::string bytes;
    const int runs = 15;
    const Figures bmp = time(runs, [&] { bytes = orvo::EncodeBmp(image); });
    std::printf("BMP  encode: best %6.2f ms, median %6.2f ms, %zu bytes   (target <= 5 ms)\n", bmp.best,
                bmp.median, bytes.size());
    const Figures jpg = time(runs, [&] { orvo::EncodeJpeg(image, bytes); });
    std::printf("JPEG encode: best %6.2f ms, median %6.2f ms, %zu bytes   (target <= 10 ms)\n", jpg.best,
                jpg.median, bytes.size());
    const Figures gif = time(runs, [&] { orvo::EncodeGif(image, bytes); });
    std::printf("GIF  encode: best %6.2f ms, median %6.2f ms, %zu bytes   (target <= 15 ms)\n", gif.best,
                gif.median, bytes.size());

    // PNG: Qt's writer as orvo-cli used it (zlib level 1, libpng's adaptive row filters) against
    // the encoder with one fixed filter.
    const Figures qtPng = time(runs, [&] {
        QByteArray b;
        QBuffer buffer(&b);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG", 80);
        bytes.assign(b.constData(), std::size_t(b.size()));
    });
    const std::size_t qtPngSize = bytes.size();
    std::printf("PNG  encode, Qt writer (quality 80):  best %6.2f ms, median %6.2f ms, %zu bytes\n",
                qtPng.best, qtPng.median, qtPngSize);
    const Figures png = time(runs, [&] { orvo::EncodePng(image, bytes); });
    std::printf("PNG  encode, EncodePng (no filter, level 1): best %6.2f ms, median %6.2f ms, %zu bytes\n"
                "     %.2fx faster (best), file %+.1f %%   (target >= 2x, <= +10 %%)\n",
                png.best, png.median, bytes.size(), qtPng.best / png.best,
                100.0 * (double(bytes.size()) / double(qtPngSize) - 1.0));

    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--cli") timeCli(state, argv[i + 1]);
    return 0;
}
