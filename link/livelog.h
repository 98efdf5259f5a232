// Live altitude logging: the 'l' command that starts the module's live stream, and the geometry of
// the Log Data page's strip chart drawn from the ring buffer of recent readings (one per pixel
// column). The window owns the buffer and paints; what is decided lives here.
#pragma once

#include <vector>

#include "link/protocol.h"

namespace orvo {

inline constexpr double LiveLogMinimum = 0.0;     // the bottom of the strip chart
inline constexpr double LiveLogMaximum = 10000.0; // its top; the chart's range is fixed
inline constexpr int LiveLogPointSpacing = 2;     // pixels between neighbouring readings

// Flush, then 'l': the module starts its live altitude stream. Nothing is read back.
LinkStatus startLiveLogging(Link& link);

struct ChartPoint {
    int x = 0;
    int y = 0;
};

// The line of the strip chart in a width x height box: from the oldest entry (tail) to the newest
// (one before head), 2 pixels apart, the newest at the right edge, altitude 0 at the bottom and
// 10000 at the top. Fewer than two entries draw no line. The walk wraps at the ring's own size,
// and stops at the right edge, so a ring and a box of different widths never read past the ring.
std::vector<ChartPoint> stripChartPoints(const std::vector<double>& ring, int head, int tail, int count,
                                         int width, int height);

} // namespace orvo
