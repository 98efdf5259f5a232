#include "link/linkspeed.h"

#include <algorithm>

namespace orvo {

int linkSpeedBaud(int index) {
    return LinkSpeeds[static_cast<std::size_t>(std::clamp(index, 0, static_cast<int>(LinkSpeeds.size()) - 1))]
        .baud;
}

const LinkSpeed* linkSpeedOfBaud(long baud) {
    for (const LinkSpeed& s : LinkSpeeds)
        if (s.baud == baud) return &s;
    return nullptr;
}

std::string linkSpeedList(const char* separator, const char* lastSeparator) {
    std::string list;
    for (const LinkSpeed& s : LinkSpeeds) {
        if (!list.empty()) list += &s == &LinkSpeeds.back() ? lastSeparator : separator;
        list += s.text;
    }
    return list;
}

} // namespace orvo
