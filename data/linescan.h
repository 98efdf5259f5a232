// Reads the numbers of one text line the way the C library's sscanf does, without its cost and
// without its dependence on the locale's decimal point. The data file reader uses it for every
// line; the differential fuzz target holds it to sscanf's values and counts.
#pragma once

#include <initializer_list>
#include <string_view>

namespace orvo {

// Where one "%lf" or "%d" conversion stores its value.
struct ScanTarget {
    enum Kind { Double, Int };
    Kind kind;
    void* p;
    ScanTarget(double* d) : kind(Double), p(d) {}
    ScanTarget(int* i) : kind(Int), p(i) {}
};

// Formats hold "%lf", "%d", white space (any amount of white space in the text, none included)
// and literal characters that must match. Returns what sscanf returns: the number of values
// stored, or -1 when the text ran out before the first conversion. Values after the first
// failing conversion are left untouched. The text ends at its first NUL byte, as a C string does.
// The decimal separator is always a full stop.
int scanLine(std::string_view text, std::string_view format, std::initializer_list<ScanTarget> targets);

} // namespace orvo
