// The download stream decoder on arbitrary bytes: the first two bytes choose the interval unit,
// the rest is the module's reply (header and words). Whatever arrives, the counts stay within the
// storage, times and values are finite, and the trigger copies match samples of the set.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "data/series.h"
#include "link/protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const auto unit = static_cast<std::uint16_t>((data[0] << 8) | data[1]);
    std::size_t pos = 2;
    const orvo::ByteReader read = [&](std::uint8_t* buf, int count) {
        if (size - pos < static_cast<std::size_t>(count)) return false;
        std::memcpy(buf, data + pos, static_cast<std::size_t>(count));
        pos += static_cast<std::size_t>(count);
        return true;
    };
    orvo::SeriesList list;
    orvo::Series& set = list.CreateDataSet();
    const orvo::DownloadOutcome out =
        orvo::decodeSetStream(read, unit, set, [](int, int p) { return p <= 100; });
    orvo::finishDownloadedSet(set, out, 1, unit, "2026-01-01");
    const orvo::Series& trig = *set.companion;
    if (set.samples.count != out.samples || out.samples < 0 || out.samples > orvo::MaxDownloadSamples)
        std::abort();
    if (trig.samples.count != out.triggers || out.triggers > out.samples) std::abort();
    // A marker and its sample count two words, so the last pair may pass W by one.
    if (out.header.wordCount != 0 && out.samples + out.triggers > out.header.wordCount + 1) std::abort();
    // With a non-zero interval the times rise, and each trigger copy is the sample at its time.
    const bool rising = out.header.intervalCount != 0 && unit != 0;
    for (int k = 0, j = 0; rising && k < trig.samples.count; ++k) {
        while (j < set.samples.count && set.samples.time[j] < trig.samples.time[k])
            ++j;
        if (j == set.samples.count || set.samples.altitude[j] != trig.samples.altitude[k]) std::abort();
    }
    for (int j = 0; j < set.samples.count; ++j)
        if (!std::isfinite(set.samples.time[j]) || set.samples.altitude[j] > out.maxAltitude) std::abort();
    return 0;
}
