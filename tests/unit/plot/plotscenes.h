// The scenes the renderer's pictures are compared on: lines, symbols, both, a zoomed view, no
// data, one set and eight, the legend, the logo, monochrome, a screen, a 4K box and a print-sized
// page. Shared by the renderer's picture tests.
#pragma once

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "bench/benchflight.h"
#include "plot/plotrender.h"

namespace plotscenes {

// Fonts need the GUI layer; one application for the whole test program.
inline void ensureApp() {
    static QGuiApplication* app = [] {
        if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "test_plot";
        static char* argv[] = {name, nullptr};
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
}

// A flight of n samples over 3277 s (the benchmarks' flight), with a peak mark at apogee and a
// climb mark over the boost.
inline void fillFlight(orvo::Series& s, int set, int n, std::mt19937& rng) {
    benchflight::fillFlight(s, set, rng, n);
    const int apex = std::min(n - 1, int(20.0 / (0.05 * 65536.0 / n)));
    s.samples.peakMark[std::size_t(apex)] = 1;
    s.climbMarks[0] = orvo::ClimbMark{apex / 4, apex, 1};
}

struct Scene {
    std::string name;
    int width, height, ppi; // the surface in pixels and its pixels per inch
    int sets, samples;
    std::function<void(orvo::PlotState&)> dress; // styles, view and flags
};

// Line and point styles over the sets, as a user mixes them.
inline void mixedStyles(orvo::PlotState& s) {
    for (int k = 0; k < s.settings.series.dataSetCount(); ++k) {
        orvo::Series& set = s.settings.series.dataSet(k);
        set.lineStyle = k % 6;
        set.pointStyle = 1 + k % 7;
    }
}
inline void symbolsOnly(orvo::PlotState& s) {
    for (int k = 0; k < s.settings.series.dataSetCount(); ++k) {
        orvo::Series& set = s.settings.series.dataSet(k);
        set.lineStyle = orvo::LineNone;
        set.pointStyle = 1 + k % 7;
    }
}
inline void zoomTenth(orvo::PlotState& s) {
    orvo::PlotSettings& p = s.settings;
    const double tc = (p.timeMin + p.timeMax) / 2, tw = (p.timeMax - p.timeMin) / 20;
    const double ac = (p.altitudeMin + p.altitudeMax) / 2, aw = (p.altitudeMax - p.altitudeMin) / 20;
    p.timeMin = tc - tw;
    p.timeMax = tc + tw;
    p.altitudeMin = ac - aw;
    p.altitudeMax = ac + aw;
}

inline std::vector<Scene> scenes() {
    auto none = [](orvo::PlotState&) {};
    auto logo = [](orvo::PlotState& s) { s.show.ShowBackground = true; };
    auto mono = [](orvo::PlotState& s) {
        s.output.colour = 0;
        mixedStyles(s);
    };
    auto noLegend = [](orvo::PlotState& s) {
        s.show.ShowLegend = false;
        s.show.ShowAvgROC = true;
    };
    auto zoomedMixed = [](orvo::PlotState& s) {
        mixedStyles(s);
        zoomTenth(s);
    };
    auto offset = [](orvo::PlotState& s) {
        s.output.left = 0.25;
        s.output.top = 0.125;
        s.output.width -= 0.5;
        s.output.height -= 0.25;
        mixedStyles(s);
    };
    return {
        {"empty_small", 700, 350, 96, 0, 0, none},
        {"empty_4k_logo", 3840, 2160, 96, 0, 0, logo},
        {"lines_1set_small", 700, 350, 96, 1, 4096, none},
        {"lines_8sets_small", 700, 350, 96, 8, 65536, none},
        {"lines_8sets_4k", 3840, 2160, 96, 8, 65536, none},
        {"lines_8sets_4k_nolegend", 3840, 2160, 96, 8, 65536, noLegend},
        {"symbols_8sets_1080", 1920, 1080, 96, 8, 65536, symbolsOnly},
        {"mixed_8sets_4k", 3840, 2160, 96, 8, 65536, mixedStyles},
        {"mixed_8sets_4k_logo", 3840, 2160, 96, 8, 65536,
         [](orvo::PlotState& s) {
             mixedStyles(s);
             s.show.ShowBackground = true;
         }},
        {"zoomed_8sets_4k", 3840, 2160, 96, 8, 65536, zoomedMixed},
        {"mono_8sets_1080", 1920, 1080, 96, 8, 65536, mono},
        {"mixed_1set_1080", 1920, 1080, 96, 1, 65536, mixedStyles},
        {"print_300dpi", 2100, 1050, 300, 8, 65536, mixedStyles},
        {"offset_small", 700, 350, 96, 3, 8192, offset},
    };
}

// The state of a scene: its sets, the view fitted to them, colour output at the surface's size.
inline void build(const Scene& sc, orvo::PlotState& s) {
    std::mt19937 rng(7);
    for (int k = 0; k < sc.sets; ++k) {
        orvo::Series& set = s.settings.series.CreateDataSet();
        fillFlight(set, k, sc.samples, rng);
    }
    orvo::HomeView home;
    orvo::AutoScaleTime(s.settings, home);
    orvo::AutoScaleAltitude(s.settings, home);
    s.output.width = double(sc.width) / sc.ppi;
    s.output.height = double(sc.height) / sc.ppi;
    s.output.colour = 1;
    s.settings.info1 = "Info line one";
    s.settings.info2 = "Info line two";
    s.settings.info3 = "Info line three";
    sc.dress(s);
}

} // namespace plotscenes
