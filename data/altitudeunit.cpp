#include "data/altitudeunit.h"

#include <cctype>

namespace orvo {

namespace {

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

} // namespace

const AltitudeUnit* altitudeUnitOfCode(int code) {
    return code >= 0 && code < static_cast<int>(AltitudeUnits.size())
               ? &AltitudeUnits[static_cast<std::size_t>(code)]
               : nullptr;
}

const AltitudeUnit& altitudeUnitRecorded(int code) {
    const AltitudeUnit* unit = altitudeUnitOfCode(code);
    return unit ? *unit : AltitudeUnits.back();
}

const AltitudeUnit* altitudeUnitOfWord(std::string_view word, double* scale) {
    for (const AltitudeUnitWord& w : AltitudeUnitWords) {
        const std::string_view name(w.word);
        if (name.size() != word.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < name.size() && same; ++i)
            same = lowerAscii(word[i]) == name[i];
        if (!same) continue;
        if (scale) *scale = w.scale;
        return altitudeUnitOfCode(w.code);
    }
    return nullptr;
}

const AltitudeUnit* altitudeUnitOfLabel(const std::string& label) {
    for (std::size_t i = 0; i < label.size();) {
        if (!isAsciiLetter(label[i])) {
            ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < label.size() && isAsciiLetter(label[i]))
            ++i;
        double scale = 1.0;
        const AltitudeUnit* unit =
            altitudeUnitOfWord(std::string_view(label).substr(start, i - start), &scale);
        if (unit && scale == 1.0) return unit;
    }
    return nullptr;
}

const AltitudeUnit* altitudeUnitOfShortName(const std::string& unit) {
    for (const AltitudeUnit& u : AltitudeUnits)
        if (unit == u.shortName) return &u;
    return nullptr;
}

std::string unitWord(const AltitudeUnit* unit) {
    std::string word = unit ? unit->name : "";
    for (char& c : word)
        c = lowerAscii(c);
    return word;
}

} // namespace orvo
