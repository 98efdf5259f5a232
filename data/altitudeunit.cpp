#include "data/altitudeunit.h"

#include <cctype>

namespace orvo {

const AltitudeUnit* altitudeUnitOfCode(int code) {
    return code >= 0 && code < static_cast<int>(AltitudeUnits.size())
               ? &AltitudeUnits[static_cast<std::size_t>(code)]
               : nullptr;
}

const AltitudeUnit& altitudeUnitRecorded(int code) {
    const AltitudeUnit* unit = altitudeUnitOfCode(code);
    return unit ? *unit : AltitudeUnits.back();
}

const AltitudeUnit* altitudeUnitOfLabel(const std::string& label) {
    std::string lower = label;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    auto has = [&lower](const char* word) { return lower.find(word) != std::string::npos; };
    if (has("feet") || has("(ft")) return &AltitudeUnits[0];
    if (has("yard") || has("(yd")) return &AltitudeUnits[1];
    if (has("meter") || has("metre") || has("(m)")) return &AltitudeUnits[2];
    return nullptr;
}

} // namespace orvo
