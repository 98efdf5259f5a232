#include "data/drift.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace orvo {

namespace {

std::size_t validCount(const SampleBuffer& b) {
    return static_cast<std::size_t>(std::clamp(b.count, 0, MaxSamples));
}

// Lowest altitude over [from, to), earliest of equal lows; index -1 when nothing is below 99999.
void findLow(const SampleColumn<double>& alt, std::size_t from, std::size_t to, double& low, int& index) {
    low = 99999.0;
    index = -1;
    for (std::size_t i = from; i < to; ++i) {
        if (alt[i] < low) {
            low = alt[i];
            index = static_cast<int>(i);
        }
    }
}

// Both lows of a data set, or the reason one is missing.
EditResult findLows(const SeriesList& list, int n) {
    EditResult r;
    if (!list.validSet(n)) {
        r.status = EditStatus::NoSuchSet;
        return r;
    }
    const SampleBuffer& b = list.dataSet(n).samples;
    const std::size_t count = validCount(b);
    r.sampleCount = static_cast<int>(count);
    if (count < 10) {
        r.status = EditStatus::TooFewSamples;
        return r;
    }
    findLow(b.altitude, 0, count / 10, r.firstLow, r.firstLowIndex);
    const auto lastFrom = static_cast<std::size_t>(std::trunc(static_cast<double>(count) * 0.9));
    findLow(b.altitude, lastFrom, count, r.lastLow, r.lastLowIndex);
    if (r.firstLowIndex < 0)
        r.status = EditStatus::NoFirstLow;
    else if (r.lastLowIndex < 0)
        r.status = EditStatus::NoLastLow;
    else if (r.firstLowIndex == r.lastLowIndex)
        r.status = EditStatus::SameIndex;
    return r;
}

bool ascending(const SampleColumn<double>& v, std::size_t count) {
    for (std::size_t i = 1; i < count; ++i)
        if (!(v[i] >= v[i - 1])) return false; // a NaN time counts as out of order
    return true;
}

// Each trigger mark takes the altitude of the last sample within 0.001 s of its time.
void triggersFollow(Series& set, Series& triggers) {
    const SampleBuffer& b = set.samples;
    SampleBuffer& t = triggers.samples;
    const std::size_t count = validCount(b);
    const std::size_t marks = validCount(t);
    if (count == 0) return;
    const bool sorted = ascending(b.time, count);
    for (std::size_t k = 0; k < marks; ++k) {
        const double tk = t.time[k];
        if (sorted) {
            // time[l] - tk grows with l, so the matches form one run; its last member wins.
            const auto first = b.time.begin();
            const auto stored = static_cast<std::ptrdiff_t>(std::min(count, b.time.size()));
            const auto end =
                std::partition_point(first, first + stored, [tk](double x) { return x - tk <= 0.001; });
            if (end != first && *(end - 1) - tk >= -0.001)
                t.altitude[k] = b.altitude[static_cast<std::size_t>(end - 1 - first)];
        } else {
            for (std::size_t l = 0; l < count; ++l)
                if (std::fabs(tk - b.time[l]) <= 0.001) t.altitude[k] = b.altitude[l];
        }
    }
}

} // namespace

std::string describeEditResult(const EditResult& r) {
    char text[160];
    switch (r.status) {
    case EditStatus::Done:
        return std::string();
    case EditStatus::NoSuchSet:
        return "There is no data set to correct.";
    case EditStatus::TooFewSamples:
        std::snprintf(text, sizeof text,
                      "The data set has %d samples; at least 10 are needed to find its lowest points.",
                      r.sampleCount);
        return text;
    case EditStatus::NoFirstLow:
        return "The first tenth of the data set holds no altitude below 99999; nothing was changed.";
    case EditStatus::NoLastLow:
        return "The last tenth of the data set holds no altitude below 99999; nothing was changed.";
    case EditStatus::SameIndex:
        return "The first and the last low are the same sample; nothing was changed.";
    }
    return std::string();
}

double dataSetMaximum(const SeriesList& list, int n) {
    double mx = -99999.0;
    if (!list.validSet(n)) return mx;
    const SampleBuffer& b = list.dataSet(n).samples;
    for (std::size_t i = 0; i < validCount(b); ++i)
        if (b.altitude[i] > mx) mx = b.altitude[i];
    return mx;
}

EditResult FixDrift(SeriesList& list, int n) {
    EditResult r = findLows(list, n);
    if (!r.ok()) return r;
    Series& set = list.dataSet(n);
    SampleColumn<double>& alt = set.samples.altitude;
    const std::size_t count = validCount(set.samples);
    const auto i1 = static_cast<std::size_t>(r.firstLowIndex);
    const auto i2 = static_cast<std::size_t>(r.lastLowIndex);
    const double slope = (r.lastLow - r.firstLow) / static_cast<double>(r.lastLowIndex - r.firstLowIndex);
    for (std::size_t k = i1; k <= i2; ++k)
        alt[k] -= static_cast<double>(k - i1) * slope;
    for (std::size_t k = 0; k < i1; ++k)
        alt[k] = alt[i1];
    for (std::size_t k = i2 + 1; k < count; ++k)
        alt[k] = alt[i2];
    triggersFollow(set, list.triggerSet(n));
    r.maximum = dataSetMaximum(list, n);
    return r;
}

EditResult FixOffset(SeriesList& list, int n) {
    EditResult r = findLows(list, n);
    // Only the first low matters here; a missing last low does not stop the offset.
    if (r.status != EditStatus::Done && r.status != EditStatus::NoLastLow &&
        r.status != EditStatus::SameIndex)
        return r;
    r.status = EditStatus::Done;
    list.ShiftDataSet(n, 0.0, -r.firstLow);
    r.maximum = dataSetMaximum(list, n);
    return r;
}

std::string rewriteMaxText(const std::string& text, double maximum) {
    const std::size_t at = text.find("max=");
    if (at == std::string::npos) return text;
    return cutText(text.substr(0, at) + "max=" + formatG(maximum), MaxTextLength);
}

std::string photoListText(const std::array<std::string, 6>& plotTexts, const Series& triggers) {
    std::string out;
    for (const std::string& t : plotTexts)
        out += "#" + t + "\n";
    out += "# pic    time   altitude\n";
    const SampleBuffer& b = triggers.samples;
    char number[16];
    for (std::size_t k = 0; k < validCount(b); ++k) {
        std::snprintf(number, sizeof number, "%5d", static_cast<int>(k) + 1);
        out += number;
        out += formatFixed(b.time[k], 8, 2);
        out += formatFixed(b.altitude[k], 11, 2);
        out += "\n";
    }
    return out;
}

bool readLf(const std::string& text, double& value) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    // from_chars takes no sign of its own beyond '-', and no blank after the sign.
    if (i >= text.size() || text[i] == '-' || text[i] == '+') return false;
    double v = 0.0;
    const char* begin = text.data() + i;
    const auto res = std::from_chars(begin, text.data() + text.size(), v, std::chars_format::general);
    if (res.ec != std::errc() || !std::isfinite(v)) return false;
    value = negative ? -v : v;
    return true;
}

std::string formatFixed(double value, int width, int decimals) {
    char buf[400];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    std::string s = res.ec == std::errc() ? std::string(buf, res.ptr) : std::string("nan");
    if (static_cast<int>(s.size()) < width) s.insert(0, static_cast<std::size_t>(width) - s.size(), ' ');
    return s;
}

std::string formatG(double value) {
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 6);
    return res.ec == std::errc() ? std::string(buf, res.ptr) : std::string("nan");
}

} // namespace orvo
