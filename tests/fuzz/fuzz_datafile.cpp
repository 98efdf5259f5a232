// Feeds arbitrary bytes to the data file loader (plot files, data set files, plain sample files)
// and checks what every later reader of the model relies on.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "data/datafile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orvo::SeriesList list;
    orvo::PlotFileHeader header;
    // A few data sets per input keep each run short.
    orvo::LoadOptions options;
    options.maxDataSets = 2;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const orvo::LoadReport report = orvo::loadDataText(text, list, header, options);

    if (report.setsAdded != list.dataSetCount() ||
        (!report.plotFile && report.setsAdded != (report.noData ? 0 : 1)))
        std::abort();
    if (report.noData && report.setsAdded != 0) std::abort();
    if (!std::isfinite(header.timeMin) || !std::isfinite(header.timeMax) ||
        !std::isfinite(header.altitudeMin) || !std::isfinite(header.altitudeMax))
        std::abort();
    for (int n = 0; n < list.dataSetCount(); ++n) {
        const orvo::Series& s = list.dataSet(n);
        const orvo::Series& t = list.triggerSet(n);
        if (s.samples.count < 0 || s.samples.count > orvo::MaxSamples) std::abort();
        if (t.samples.count < 0 || t.samples.count > s.samples.count) std::abort();
        if (s.name.size() > orvo::MaxNameLength || s.note1.size() > orvo::MaxTextLength) std::abort();
        if (s.lineStyle < 0 || s.lineStyle > 5 || s.pointStyle < 0 || s.pointStyle > 7) std::abort();
        for (int i = 0; i < s.samples.count; ++i)
            if (!std::isfinite(s.samples.time[i]) || !std::isfinite(s.samples.altitude[i])) std::abort();
        for (const orvo::ClimbMark& m : s.climbMarks)
            if (m.inUse &&
                (m.start < 0 || m.end < 0 || m.start >= orvo::MaxSamples || m.end >= orvo::MaxSamples))
                std::abort();
    }
    // What was loaded saves and loads again to the same sample count.
    if (list.dataSetCount() > 0) {
        std::string again;
        orvo::WriteSetBlock(list, 0, header, again);
        orvo::SeriesList second;
        orvo::PlotFileHeader h2;
        orvo::loadDataText(again, second, h2, options);
        if (second.dataSet(0).samples.count != list.dataSet(0).samples.count) std::abort();
    }
    return 0;
}
