// The sampling-interval editor's arithmetic (hours, minutes, seconds, milliseconds parts, the
// one-hour cap, ticks of the module's interval unit) and the "Total Record Time" text. Used by
// the Configure page and by the module information download.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orvo {

constexpr std::uint32_t OneHourMs = 3600000;

// The parts of the sampling interval shown by the four panels, and their sum.
struct IntervalState {
    std::int16_t Hours = 0;
    std::int16_t Minutes = 0;
    std::int16_t Seconds = 0;
    std::int16_t Milliseconds = 100;
    std::uint32_t SamplingInterval = 100; // milliseconds; equals the parts' sum once normalised
};

// Hours, minutes, seconds and milliseconds of ms (SamplingInterval is left alone).
void SplitInterval(IntervalState& s, std::uint32_t ms);

// The step of the milliseconds spinner. A module that reports an interval unit of 0 would make
// the spinner step by nothing and the zero interval stay zero, so 0 steps by 1 ms.
std::uint16_t intervalStep(std::uint16_t intervalUnit);

// The longest interval the block can carry: one hour, or less when one hour in ticks of the
// unit does not fit the 16-bit tick count (units below 55 ms).
std::uint32_t maxSamplingInterval(std::uint16_t intervalUnit);

// Sums the parts into SamplingInterval; a zero interval becomes one step (in the milliseconds
// part), an interval above the maximum becomes the maximum, split into the parts again.
void normalizeInterval(IntervalState& s, std::uint16_t intervalUnit);

enum class IntervalSpin { HourUp, HourDown, MinUp, MinDown, SecUp, SecDown, mSecUp, mSecDown };
// One spinner click: changes its part when the part's limit allows, then normalises.
void spinInterval(IntervalState& s, IntervalSpin spin, std::uint16_t intervalUnit);

// The interval a block describes: ticks x unit (fits 32 bits for any 16-bit pair).
std::uint32_t intervalFromTicks(std::uint16_t ticks, std::uint16_t intervalUnit);
// The tick count to send for an interval: truncating division. Empty when the unit is 0 or the
// count does not fit 16 bits, so a caller never sends a wrapped count.
std::optional<std::uint16_t> intervalTicks(std::uint32_t samplingInterval, std::uint16_t intervalUnit);

// The panel texts: "%d", "%02d", "%02d", "%03d".
std::string hoursText(const IntervalState& s);
std::string minutesText(const IntervalState& s);
std::string secondsText(const IntervalState& s);
std::string millisecondsText(const IntervalState& s);

// "Total Record Time: ..." for a memory of memorySize x 8 KiB (two bytes per sample), in 64-bit
// arithmetic; the days form once the total reaches a day.
std::string recordTimeText(std::uint8_t memorySize, std::uint32_t samplingInterval);

} // namespace orvo
