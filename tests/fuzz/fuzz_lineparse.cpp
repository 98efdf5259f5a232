// Differential target: the data file reader's line scanner must store the same values and return
// the same count as sscanf for every line and every format the reader uses.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "data/linescan.h"

namespace {

const char* const Formats[] = {"%lf, %lf, %d, %d", "%lf, %lf, %d",           "%lf,%lf,%lf,%lf, %d",
                               "%lf,%lf,%lf,%lf",  "%d, %d, %d, %d, %d, %d", "%d, %d"};

[[noreturn]] void mismatch(const std::string& line, const char* format, int expected, int got) {
    std::fprintf(stderr, "scanLine differs from sscanf on \"%s\" with \"%s\": %d vs %d\n", line.c_str(),
                 format, expected, got);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const int which = data[0] % 6;
    const char* format = Formats[which];
    const std::string line(reinterpret_cast<const char*>(data + 1), size - 1);

    // Both sides start from the same sentinels, so "left untouched" is compared too.
    double d1[4], d2[4];
    int i1[6], i2[6];
    for (int k = 0; k < 4; ++k)
        d1[k] = d2[k] = -12345.678 - k;
    for (int k = 0; k < 6; ++k)
        i1[k] = i2[k] = -777 - k;

    int expected = 0, got = 0;
    using orvo::scanLine;
    switch (which) {
    case 0:
        expected = std::sscanf(line.c_str(), format, &d1[0], &d1[1], &i1[0], &i1[1]);
        got = scanLine(line, format, {&d2[0], &d2[1], &i2[0], &i2[1]});
        break;
    case 1:
        expected = std::sscanf(line.c_str(), format, &d1[0], &d1[1], &i1[0]);
        got = scanLine(line, format, {&d2[0], &d2[1], &i2[0]});
        break;
    case 2:
        expected = std::sscanf(line.c_str(), format, &d1[0], &d1[1], &d1[2], &d1[3], &i1[0]);
        got = scanLine(line, format, {&d2[0], &d2[1], &d2[2], &d2[3], &i2[0]});
        break;
    case 3:
        expected = std::sscanf(line.c_str(), format, &d1[0], &d1[1], &d1[2], &d1[3]);
        got = scanLine(line, format, {&d2[0], &d2[1], &d2[2], &d2[3]});
        break;
    case 4:
        expected = std::sscanf(line.c_str(), format, &i1[0], &i1[1], &i1[2], &i1[3], &i1[4], &i1[5]);
        got = scanLine(line, format, {&i2[0], &i2[1], &i2[2], &i2[3], &i2[4], &i2[5]});
        break;
    default:
        expected = std::sscanf(line.c_str(), format, &i1[0], &i1[1]);
        got = scanLine(line, format, {&i2[0], &i2[1]});
        break;
    }
    if (expected != got) mismatch(line, format, expected, got);
    // Bit patterns, so that -0.0 and the sign of a NaN count as well.
    if (std::memcmp(d1, d2, sizeof d1) != 0) mismatch(line, format, expected, got);
    if (std::memcmp(i1, i2, sizeof i1) != 0) mismatch(line, format, expected, got);
    return 0;
}
