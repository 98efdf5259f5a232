#include "cli/options.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "link/linkspeed.h"

namespace orvo::cli {

bool ArgReader::value(std::string& v) {
    if (index_ + 1 >= args_.size()) return false;
    v = args_[++index_];
    return true;
}

bool ArgReader::helpShown(const std::string& help) const {
    if (!isHelp()) return false;
    std::fputs(help.c_str(), stdout);
    return true;
}

bool parseNumber(const std::string& text, double& value) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+') ++begin;
    if (begin == end || *begin == '+') return false;
    const auto r = std::from_chars(begin, end, value, std::chars_format::general);
    return r.ec == std::errc() && r.ptr == end && std::isfinite(value);
}

bool parseInteger(const std::string& text, long lo, long hi, long& value) {
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (*end != 0 || v < lo || v > hi) return false;
    value = v;
    return true;
}

bool parseLinkSpeed(const std::string& text, int& baud) {
    char* end = nullptr;
    const long b = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != 0 || !orvo::linkSpeedOfBaud(b)) return false;
    baud = static_cast<int>(b);
    return true;
}

int usageError(const char* command, const std::string& text, const char* help) {
    std::fprintf(stderr, "orvo-cli %s: %s\n\n%s", command, text.c_str(), help);
    return 2;
}

} // namespace orvo::cli
