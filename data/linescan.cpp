#include "data/linescan.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

namespace orvo {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isHexDigit(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The rare numbers from_chars does not store, beyond the range of a double: what strtod stores
// for them, an infinity for a number too large and zero for one too small, with its sign. s is
// the whole conversion ("-1e400", "0x1p-2000"); whether it is too large or too small follows from
// where its first non-zero digit stands and its exponent.
double outOfRange(std::string_view s) {
    std::size_t i = 0;
    const bool negative = !s.empty() && s[0] == '-';
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) ++i;
    const bool hex = i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X');
    if (hex) i += 2;
    const int digitWeight = hex ? 4 : 1; // a hex digit is four binary places
    long long scale = 0;                 // the power of the first non-zero digit, before the exponent
    bool seenNonZero = false, dot = false;
    long long position = 0; // digits before the point so far, or minus the zeros after it
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '.') {
            dot = true;
            continue;
        }
        if (!(hex ? isHexDigit(c) : isDigit(c))) break;
        if (!seenNonZero && c != '0') {
            seenNonZero = true;
            scale = dot ? position : 0;
        }
        if (!dot) {
            if (seenNonZero) ++scale;
        } else if (!seenNonZero) {
            --position;
        }
    }
    long long exponent = 0;
    if (i < s.size() && lower(s[i]) == (hex ? 'p' : 'e')) {
        ++i;
        const bool negativeExponent = i < s.size() && s[i] == '-';
        if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
        for (; i < s.size() && isDigit(s[i]); ++i)
            exponent = std::min<long long>(exponent * 10 + (s[i] - '0'), 1'000'000'000);
        if (negativeExponent) exponent = -exponent;
    }
    const bool tooLarge = seenNonZero && scale * digitWeight + exponent > 0;
    const double v = tooLarge ? std::numeric_limits<double>::infinity() : 0.0;
    return negative ? -v : v;
}

enum class Step { Stored, NoMatch, TextEnded };

class Scanner {
  public:
    explicit Scanner(std::string_view text) : m_s(text.data()), m_n(text.size()) {
        if (const void* nul = std::memchr(m_s, '\0', m_n))
            m_n = static_cast<std::size_t>(static_cast<const char*>(nul) - m_s);
    }

    bool skipSpace() {
        while (m_p < m_n && isSpace(m_s[m_p]))
            ++m_p;
        return m_p < m_n;
    }

    Step literal(char c) {
        if (m_p >= m_n) return Step::TextEnded;
        if (m_s[m_p] != c) return Step::NoMatch;
        ++m_p;
        return Step::Stored;
    }

    // The characters sscanf's %lf takes are found first (they decide where the next conversion
    // starts); strtod's value of them is then what gets stored.
    Step readDouble(double& out) {
        if (!skipSpace()) return Step::TextEnded;
        const std::size_t start = m_p;
        bool negative = false;
        bool sign = false;
        if (m_s[m_p] == '-' || m_s[m_p] == '+') {
            sign = true;
            negative = m_s[m_p] == '-';
            if (++m_p >= m_n) return Step::NoMatch;
        }
        const char first = lower(m_s[m_p]);
        if (first == 'n') {
            if (!expect("nan")) return Step::NoMatch;
            const double v = std::numeric_limits<double>::quiet_NaN();
            out = negative ? -v : v;
            return Step::Stored;
        }
        if (first == 'i') {
            if (!expect("inf")) return Step::NoMatch;
            // Past "inf", an 'i' commits the conversion to the whole word "infinity".
            if (m_p < m_n && lower(m_s[m_p]) == 'i' && !expect("inity")) return Step::NoMatch;
            const double v = std::numeric_limits<double>::infinity();
            out = negative ? -v : v;
            return Step::Stored;
        }

        if (!(m_s[m_p] == '0' && m_p + 1 < m_n && lower(m_s[m_p + 1]) == 'x')) {
            // Plain decimals of at most 15 digits (every number the program writes): the digits'
            // integer, exact in a double, divided by an exact power of ten is the correctly
            // rounded value strtod gives.
            std::size_t q = m_p;
            std::uint64_t mantissa = 0;
            int digits = 0, decimals = 0;
            bool dot = false;
            for (; q < m_n; ++q) {
                const char c = m_s[q];
                if (isDigit(c)) {
                    mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
                    ++digits;
                    decimals += dot ? 1 : 0;
                } else if (c == '.' && !dot) {
                    dot = true;
                } else {
                    break;
                }
            }
            if (digits > 0 && digits <= 15 && (q >= m_n || lower(m_s[q]) != 'e')) {
                static constexpr double powersOfTen[16] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                           1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
                const double v = static_cast<double>(mantissa) / powersOfTen[decimals];
                m_p = q;
                out = negative ? -v : v;
                return Step::Stored;
            }
            // Anything else decimal: sscanf takes what strtod takes, plus an exponent marker and
            // its sign when no digit follows them ("1e," stores 1 and goes on after the 'e').
            if (m_s[m_p] == '-') return Step::NoMatch; // from_chars would take a second sign
            double v = 0.0;
            const auto r = std::from_chars(m_s + m_p, m_s + m_n, v, std::chars_format::general);
            if (r.ec == std::errc::invalid_argument) return Step::NoMatch;
            const char* taken = m_s + m_p;
            q = static_cast<std::size_t>(r.ptr - m_s);
            if (q < m_n && lower(m_s[q]) == 'e' &&
                !std::memchr(taken, 'e', static_cast<std::size_t>(r.ptr - taken)) &&
                !std::memchr(taken, 'E', static_cast<std::size_t>(r.ptr - taken))) {
                ++q;
                if (q < m_n && (m_s[q] == '+' || m_s[q] == '-')) ++q;
            }
            m_p = q;
            if (r.ec == std::errc::result_out_of_range) {
                out = outOfRange(std::string_view(m_s + start, m_p - start));
                return Step::Stored;
            }
            out = negative ? -v : v;
            return Step::Stored;
        }

        // Hexadecimal: sscanf collects "0x", hex digits, one point and a 'p' exponent; strtod's
        // value of what was collected is stored.
        m_p += 2;
        bool gotDigit = false, gotDot = false, gotExp = false;
        for (; m_p < m_n; ++m_p) {
            const char c = m_s[m_p];
            if (isDigit(c) || (!gotExp && isHexDigit(c))) {
                gotDigit = true;
            } else if (gotExp && lower(m_s[m_p - 1]) == 'p' && (c == '-' || c == '+')) {
                // the exponent's sign
            } else if (gotDigit && !gotExp && lower(c) == 'p') {
                gotExp = gotDot = true;
            } else if (c == '.' && !gotDot) {
                gotDot = true;
            } else {
                break;
            }
        }
        const std::size_t signLength = sign ? 1 : 0;
        if (m_p - start == signLength + 2) return Step::NoMatch;
        double v = 0.0;
        const auto r = std::from_chars(m_s + start + signLength + 2, m_s + m_p, v, std::chars_format::hex);
        if (r.ec == std::errc::result_out_of_range) {
            out = outOfRange(std::string_view(m_s + start, m_p - start));
            return Step::Stored;
        }
        if (r.ec != std::errc{}) v = 0.0; // strtod takes the "0" of a "0x" without a hex digit
        out = negative ? -v : v;
        return Step::Stored;
    }

    // %d stores strtol's long, saturated at the long range, converted to int.
    Step readInt(int& out) {
        if (!skipSpace()) return Step::TextEnded;
        const bool negative = m_s[m_p] == '-';
        if (negative || m_s[m_p] == '+') ++m_p;
        const std::size_t digitsStart = m_p;
        constexpr std::uint64_t longMax = static_cast<std::uint64_t>(std::numeric_limits<long>::max());
        const std::uint64_t limit = negative ? longMax + 1 : longMax;
        std::uint64_t value = 0;
        bool saturated = false;
        for (; m_p < m_n && isDigit(m_s[m_p]); ++m_p) {
            const auto d = static_cast<std::uint64_t>(m_s[m_p] - '0');
            if (!saturated && value > (limit - d) / 10) saturated = true;
            if (!saturated) value = value * 10 + d;
        }
        if (m_p == digitsStart) return Step::NoMatch;
        if (saturated) value = limit;
        const std::uint64_t bits = negative ? (~value + 1) : value;
        out = static_cast<int>(static_cast<std::uint32_t>(bits));
        return Step::Stored;
    }

  private:
    // Case-insensitive match of word at the current position; consumes what matched.
    bool expect(const char* word) {
        for (; *word; ++word, ++m_p)
            if (m_p >= m_n || lower(m_s[m_p]) != *word) return false;
        return true;
    }

    const char* m_s;
    std::size_t m_n;
    std::size_t m_p = 0;
};

} // namespace

int scanLine(std::string_view text, std::string_view format, std::initializer_list<ScanTarget> targets) {
    Scanner in(text);
    int stored = 0;
    const ScanTarget* target = targets.begin();
    auto ended = [&stored] { return stored == 0 ? -1 : stored; };
    for (std::size_t f = 0; f < format.size(); ++f) {
        const char fc = format[f];
        if (isSpace(fc)) {
            // White space in the format matches any amount of white space, including none; a
            // literal right after it would need the skip, a conversion skips by itself.
            if (f + 1 < format.size() && format[f + 1] != '%' && !isSpace(format[f + 1]) && !in.skipSpace())
                return ended();
            continue;
        }
        if (fc != '%') {
            const Step s = in.literal(fc);
            if (s == Step::TextEnded) return ended();
            if (s == Step::NoMatch) return stored;
            continue;
        }
        if (target == targets.end()) return stored;
        Step s;
        if (format.substr(f, 3) == "%lf") {
            s = target->kind == ScanTarget::Double ? in.readDouble(*static_cast<double*>(target->p))
                                                   : Step::NoMatch;
            f += 2;
        } else if (format.substr(f, 2) == "%d") {
            s = target->kind == ScanTarget::Int ? in.readInt(*static_cast<int*>(target->p)) : Step::NoMatch;
            f += 1;
        } else {
            return stored;
        }
        if (s == Step::TextEnded) return ended();
        if (s == Step::NoMatch) return stored;
        ++stored;
        ++target;
    }
    return stored;
}

} // namespace orvo
