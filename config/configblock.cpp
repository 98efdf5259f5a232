#include "config/configblock.h"

#include <cstdio>

namespace orvo {

std::string configBlockDoubt(const ConfigBlock& c) {
    std::string doubt;
    const auto add = [&doubt](const char* text) {
        if (!doubt.empty()) doubt += "; ";
        doubt += text;
    };
    char text[64];
    const struct {
        const char* name;
        std::uint8_t value;
    } flags[] = {{"BlankDisplay", c.BlankDisplay}, {"RevTrig", c.RevTrig}, {"Triggered", c.Triggered}};
    for (const auto& f : flags) {
        if (f.value > 1) {
            std::snprintf(text, sizeof text, "%s is %u, not 0 or 1", f.name, f.value);
            add(text);
        }
    }
    return doubt;
}

} // namespace orvo
