#include "config/interval.h"

#include <algorithm>
#include <cstdio>

namespace orvo {

void SplitInterval(IntervalState& s, std::uint32_t ms) {
    s.Hours = static_cast<std::int16_t>(ms / OneHourMs);
    ms %= OneHourMs;
    s.Minutes = static_cast<std::int16_t>(ms / 60000);
    ms %= 60000;
    s.Seconds = static_cast<std::int16_t>(ms / 1000);
    s.Milliseconds = static_cast<std::int16_t>(ms % 1000);
}

std::uint16_t intervalStep(std::uint16_t intervalUnit) {
    return intervalUnit == 0 ? 1 : intervalUnit;
}

std::uint32_t maxSamplingInterval(std::uint16_t intervalUnit) {
    return std::min<std::uint32_t>(OneHourMs, 65535u * intervalStep(intervalUnit));
}

void normalizeInterval(IntervalState& s, std::uint16_t intervalUnit) {
    // Parts are 16-bit but may be negative if a caller put them so; sum in 64 bits.
    const std::int64_t sum = std::int64_t{s.Hours} * OneHourMs + std::int64_t{s.Minutes} * 60000 +
                             std::int64_t{s.Seconds} * 1000 + s.Milliseconds;
    const std::uint32_t step = intervalStep(intervalUnit);
    const std::uint32_t cap = maxSamplingInterval(intervalUnit);
    if (sum <= 0) {
        s.SamplingInterval = step;
        SplitInterval(s, 0);
        s.Milliseconds = static_cast<std::int16_t>(step);
    } else if (sum > cap) {
        s.SamplingInterval = cap;
        SplitInterval(s, cap);
    } else {
        s.SamplingInterval = static_cast<std::uint32_t>(sum);
    }
}

void spinInterval(IntervalState& s, IntervalSpin spin, std::uint16_t intervalUnit) {
    const int step = intervalStep(intervalUnit);
    switch (spin) {
    case IntervalSpin::HourUp:
        if (s.Hours < 1) ++s.Hours;
        break;
    case IntervalSpin::HourDown:
        if (s.Hours > 0) --s.Hours;
        break;
    case IntervalSpin::MinUp:
        if (s.Minutes < 59) ++s.Minutes;
        break;
    case IntervalSpin::MinDown:
        if (s.Minutes > 0) --s.Minutes;
        break;
    case IntervalSpin::SecUp:
        if (s.Seconds < 59) ++s.Seconds;
        break;
    case IntervalSpin::SecDown:
        if (s.Seconds > 0) --s.Seconds;
        break;
    case IntervalSpin::mSecUp:
        if (1000 - step > s.Milliseconds) s.Milliseconds = static_cast<std::int16_t>(s.Milliseconds + step);
        break;
    case IntervalSpin::mSecDown:
        if (s.Milliseconds >= step) s.Milliseconds = static_cast<std::int16_t>(s.Milliseconds - step);
        break;
    }
    normalizeInterval(s, intervalUnit);
}

std::uint32_t intervalFromTicks(std::uint16_t ticks, std::uint16_t intervalUnit) {
    return std::uint32_t{ticks} * intervalUnit;
}

std::optional<std::uint16_t> intervalTicks(std::uint32_t samplingInterval, std::uint16_t intervalUnit) {
    if (intervalUnit == 0) return std::nullopt;
    const std::uint32_t ticks = samplingInterval / intervalUnit;
    if (ticks > 0xFFFF) return std::nullopt;
    return static_cast<std::uint16_t>(ticks);
}

namespace {
std::string format(const char* fmt, int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, fmt, v);
    return buf;
}
} // namespace

std::string hoursText(const IntervalState& s) {
    return format("%d", s.Hours);
}
std::string minutesText(const IntervalState& s) {
    return format("%02d", s.Minutes);
}
std::string secondsText(const IntervalState& s) {
    return format("%02d", s.Seconds);
}
std::string millisecondsText(const IntervalState& s) {
    return format("%03d", s.Milliseconds);
}

std::string recordTimeText(std::uint8_t memorySize, std::uint32_t samplingInterval) {
    const std::uint64_t capacity = std::uint64_t{memorySize} * 4096; // 8192 bytes, two per sample
    std::uint64_t t = capacity * samplingInterval;
    const unsigned long long days = t / 86400000;
    t -= days * 86400000;
    const unsigned long long hours = t / 3600000;
    t -= hours * 3600000;
    const unsigned long long minutes = t / 60000;
    t -= minutes * 60000;
    const unsigned long long seconds = t / 1000;
    const unsigned long long ms = t - seconds * 1000;
    char buf[128];
    if (days > 0)
        std::snprintf(buf, sizeof buf, "Total Record Time: %llu days, %02llu h %02llu m %02llu.%03llu sec",
                      days, hours, minutes, seconds, ms);
    else
        std::snprintf(buf, sizeof buf, "Total Record Time: %02llu hours %02llu min %02llu.%03llu sec", hours,
                      minutes, seconds, ms);
    return buf;
}

} // namespace orvo
