// Fix Drift and the photo list on a full data set (65536 samples), with few and with as many
// trigger marks as samples: the trigger search must stay fast when every sample is a trigger.
#include <chrono>
#include <cstdio>

#include "data/drift.h"

namespace {

void fill(orvo::SeriesList& list, int triggers, bool shuffled) {
    while (list.dataSetCount() > 0)
        list.DeleteDataSet(0);
    orvo::Series& s = list.CreateDataSet();
    s.samples.count = orvo::MaxSamples;
    for (int i = 0; i < orvo::MaxSamples; ++i) {
        s.samples.time[i] = i * 0.05;
        s.samples.altitude[i] = 100.0 + i * 0.001 + (i % 977 == 0 ? -5.0 : 0.0);
    }
    if (shuffled) std::swap(s.samples.time[10], s.samples.time[11]); // forces the plain search
    orvo::Series& t = list.triggerSet(0);
    t.samples.count = triggers;
    const int step = orvo::MaxSamples / triggers;
    for (int k = 0; k < triggers; ++k) {
        t.samples.time[k] = k * step * 0.05;
        t.samples.altitude[k] = 0.0;
    }
}

double millis(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

} // namespace

int main() {
    orvo::SeriesList list;
    struct Case {
        int triggers;
        bool shuffled;
    };
    for (const Case c : {Case{16, false}, Case{65536, false}, Case{16, true}, Case{1024, true}}) {
        fill(list, c.triggers, c.shuffled);
        const auto t0 = std::chrono::steady_clock::now();
        const orvo::EditResult r = orvo::FixDrift(list, 0);
        const auto t1 = std::chrono::steady_clock::now();
        const std::string text = orvo::photoListText({"t", "x", "y", "1", "2", "3"}, list.triggerSet(0));
        const auto t2 = std::chrono::steady_clock::now();
        std::printf("FixDrift 65536 samples, %5d triggers, %s times: %8.2f ms (ok=%d); photo list %zu bytes: "
                    "%6.2f ms\n",
                    c.triggers, c.shuffled ? "unordered" : "ascending", millis(t1 - t0), r.ok() ? 1 : 0,
                    text.size(), millis(t2 - t1));
    }
    return 0;
}
