#include "link/livelog.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "link/comm.h"

namespace orvo {

LinkStatus startLiveLogging(Link& link) {
    link.CommFlush();
    const char command = 'l';
    return link.CommWrite(&command, 1) == 1 ? LinkStatus::Ok : LinkStatus::WriteFailed;
}

namespace {

// Truncates toward zero like the drawing code always has, but a reading far outside the range
// (or not a number) lands just outside the box instead of overflowing an int.
int chartY(double value, int height) {
    const double y = height - value * (height / LiveLogMaximum);
    if (std::isnan(y)) return height;
    const double limit = 4.0 * (height + 1);
    return static_cast<int>(std::trunc(std::clamp(y, -limit, limit)));
}

} // namespace

std::vector<ChartPoint> stripChartPoints(const std::vector<double>& ring, int head, int tail, int count,
                                         int width, int height) {
    std::vector<ChartPoint> points;
    const int size = static_cast<int>(ring.size());
    if (count <= 1 || size == 0 || tail < 0 || tail >= size) return points;
    int index = tail;
    for (long long x = width - static_cast<long long>(LiveLogPointSpacing) * count;
         index != head && x < width && points.size() < ring.size(); x += LiveLogPointSpacing) {
        points.push_back({static_cast<int>(std::max<long long>(x, INT_MIN)),
                          chartY(ring[static_cast<std::size_t>(index)], height)});
        if (++index >= size) index = 0;
    }
    return points;
}

} // namespace orvo
