// The serial speeds the module runs at. The Connect page's speed box, the stored speed index,
// the link's open call and orvo-cli's --speed checks and help texts all come from this table.
#pragma once

#include <array>
#include <string>

namespace orvo {

struct LinkSpeed {
    int index;        // what the speed box shows and the settings store
    int baud;         // bits per second
    const char* text; // as the speed box and orvo-cli write it
};

inline constexpr std::array<LinkSpeed, 6> LinkSpeeds{{
    {0, 2400, "2400"},
    {1, 4800, "4800"},
    {2, 9600, "9600"},
    {3, 19200, "19200"},
    {4, 38400, "38400"},
    {5, 115200, "115200"},
}};
inline constexpr int DefaultSpeedIndex = 5;

// The rate of a speed index; an index beyond the table is taken as its nearest end.
int linkSpeedBaud(int index);
// The table's entry for a rate in bits per second; nullptr for a rate the module does not run at.
const LinkSpeed* linkSpeedOfBaud(long baud);
// The rates as a list: "2400, 4800, 9600, 19200, 38400 or 115200" with (", ", " or "),
// "2400 4800 9600 19200 38400 115200" with (" ", " ").
std::string linkSpeedList(const char* separator, const char* lastSeparator);

} // namespace orvo
