// The number rule of the Configure page's edits: optional white space, optional sign, decimal
// digits up to the first other character; text without leading digits is 0. Wide numbers keep
// their low bits, except the two seconds fields, which are limited to 0..65535.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvo {

struct EditNumber {
    bool negative = false;
    std::uint64_t magnitude = 0; // saturates instead of wrapping, for the range limits
    std::uint32_t low32 = 0;     // the low 32 bits of the exact value, two's complement
};

EditNumber parseEditNumber(std::string_view text);

inline std::uint16_t low16(const EditNumber& n) {
    return static_cast<std::uint16_t>(n.low32);
}
inline std::int16_t low16Signed(const EditNumber& n) {
    return static_cast<std::int16_t>(low16(n));
}
inline std::uint8_t low8(const EditNumber& n) {
    return static_cast<std::uint8_t>(n.low32);
}

// A seconds field: negative numbers become 0 and numbers above 65535 become 65535; clamped
// says the edit has to show the stored value.
struct LimitedSeconds {
    std::uint16_t value = 0;
    bool clamped = false;
};
LimitedSeconds limitSeconds(const EditNumber& n);

// Empty when the number the edit's text gives lies in min..max; else a message naming the control
// and its range ("Alt +/- must be a whole number from 0 to 255, not 300."). The module's field
// cannot hold anything else, so such a value is refused rather than cut to fit.
std::string editRangeProblem(std::string_view text, const std::string& control, long min, long max);

} // namespace orvo
