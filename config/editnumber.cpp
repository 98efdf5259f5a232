#include "config/editnumber.h"

#include <limits>

namespace orvo {

namespace {
bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
} // namespace

EditNumber parseEditNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    constexpr std::uint64_t maxMag = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t magnitude = 0;
    std::uint32_t low = 0;
    bool any = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        any = true;
        const unsigned digit = static_cast<unsigned>(text[i] - '0');
        low = low * 10u + digit; // unsigned arithmetic wraps: exactly the low 32 bits
        magnitude = magnitude > (maxMag - digit) / 10 ? maxMag : magnitude * 10 + digit;
    }
    EditNumber n;
    if (!any) return n;
    n.negative = negative && magnitude != 0;
    n.magnitude = magnitude;
    n.low32 = n.negative ? 0u - low : low;
    return n;
}

LimitedSeconds limitSeconds(const EditNumber& n) {
    if (n.negative) return {0, true};
    if (n.magnitude > 65535) return {65535, true};
    return {static_cast<std::uint16_t>(n.magnitude), false};
}

std::string editRangeProblem(std::string_view text, const std::string& control, long min, long max) {
    const EditNumber n = parseEditNumber(text);
    const bool inRange = n.negative ? min < 0 && n.magnitude <= static_cast<std::uint64_t>(-min)
                                    : n.magnitude <= static_cast<std::uint64_t>(max);
    if (inRange) return {};
    std::string_view shown = text;
    while (!shown.empty() && isSpace(shown.front()))
        shown.remove_prefix(1);
    while (!shown.empty() && isSpace(shown.back()))
        shown.remove_suffix(1);
    return control + " must be a whole number from " + std::to_string(min) + " to " + std::to_string(max) +
           ", not " + std::string(shown) + ".";
}

} // namespace orvo
