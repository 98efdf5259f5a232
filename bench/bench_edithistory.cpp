// Memory and time of the undo history: 50 steps of Fix Drift on full data sets (65536 samples),
// then the same with Crop of eight full sets, and the time of one undo and redo.
#include <chrono>
#include <cstdio>

#include "plot/edithistory.h"
#include "plot/plotview.h"
#include "plot/setedit.h"

namespace {

void fullSet(orvo::PlotState& p, double drift) {
    orvo::Series& s = p.settings.series.CreateDataSet();
    s.samples.count = orvo::MaxSamples;
    for (int i = 0; i < orvo::MaxSamples; ++i) {
        s.samples.time[static_cast<std::size_t>(i)] = i * 0.05;
        s.samples.altitude[static_cast<std::size_t>(i)] = 100.0 + (i % 1000) + i * drift;
    }
}

double ms(std::chrono::steady_clock::time_point a, std::chrono::steady_clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

} // namespace

int main() {
    {
        orvo::PlotState plot;
        orvo::EditHistory history(plot);
        for (int n = 0; n < 5; ++n)
            fullSet(plot, 0.001 * (n + 1));
        const auto t0 = std::chrono::steady_clock::now();
        for (int step = 0; step < 50; ++step) {
            auto p = history.begin("Fix Drift", {step % 5});
            orvo::applyFixDrift(plot, step % 5);
            plot.settings.series.ShiftDataSet(step % 5, 0.0, 1.0); // every step changes every altitude
            history.commit(std::move(p));
        }
        const auto t1 = std::chrono::steady_clock::now();
        std::printf(
            "50 steps (Fix Drift + shift) on full sets: %d steps kept, %.1f MiB held (%.0f KiB a step; "
            "bound %zu MiB, %d steps); %.2f ms a step\n",
            history.undoSteps(), history.bytes() / 1048576.0, history.bytes() / 1024.0 / history.undoSteps(),
            orvo::EditHistory::MaxBytes >> 20, orvo::EditHistory::MaxSteps, ms(t0, t1) / 50);
        const auto u0 = std::chrono::steady_clock::now();
        history.undo();
        const auto u1 = std::chrono::steady_clock::now();
        history.redo();
        const auto u2 = std::chrono::steady_clock::now();
        std::printf("one undo %.2f ms, one redo %.2f ms\n", ms(u0, u1), ms(u1, u2));
    }
    {
        orvo::PlotState plot;
        orvo::EditHistory history(plot);
        for (int n = 0; n < 8; ++n)
            fullSet(plot, 0.0);
        for (int step = 0; step < 50; ++step) {
            plot.settings.timeMin = 0.05;
            plot.settings.timeMax = 1e9;
            auto p = history.begin("Crop");
            orvo::CropToView(plot.settings, plot.home);
            history.commit(std::move(p));
        }
        std::printf("50 Crops of one sample each on 8 full sets: %d steps kept, %.1f MiB held\n",
                    history.undoSteps(), history.bytes() / 1048576.0);
    }
    return 0;
}
