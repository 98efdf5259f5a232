// The fault list of `orvo-cli sim --faults`: comma-separated name=value pairs.
#include <cstdlib>
#include <sstream>

#include "sim/module.h"

namespace orvo::sim {
namespace {

bool number(const std::string& text, double lo, double hi, double* out) {
    if (text.empty()) return false;
    char* end = nullptr;
    double v = std::strtod(text.c_str(), &end);
    if (*end != 0 || !(v >= lo && v <= hi)) return false;
    *out = v;
    return true;
}

} // namespace

const char* faultsHelp() {
    return "  drop=RATE       lose this share (0..1) of the bytes sent to the program\n"
           "  corrupt=RATE    flip one bit in this share (0..1) of the bytes sent\n"
           "  delay=MS        wait this long before every reply\n"
           "  stall=N:MS      pause MS milliseconds after the first N bytes of every reply\n"
           "  truncate=N      send at most N words of a data set\n"
           "  ignore=CHARS    do not answer these command bytes (for example ignore=vr)\n"
           "  garbage=N       send N random bytes before every reply\n"
           "  reject=N:K:C    boot loader: answer records N..N+K-1 (counted from 1) with C (X or R)\n"
           "                  instead of carrying them out\n"
           "  noecho=N:K      boot loader: do not echo records N..N+K-1 (their answer still comes)\n";
}

bool parseFaults(const std::string& list, Faults* faults, std::string* error) {
    Faults f = *faults;
    std::stringstream in(list);
    std::string item;
    while (std::getline(in, item, ',')) {
        if (item.empty()) continue;
        const std::size_t eq = item.find('=');
        const std::string name = item.substr(0, eq);
        const std::string value = eq == std::string::npos ? "" : item.substr(eq + 1);
        double v = 0, w = 0;
        bool ok = true;
        if (name == "drop")
            ok = number(value, 0, 1, &f.dropRate);
        else if (name == "corrupt")
            ok = number(value, 0, 1, &f.corruptRate);
        else if (name == "delay" && (ok = number(value, 0, 600000, &v)))
            f.replyDelayMs = static_cast<std::uint32_t>(v);
        else if (name == "stall") {
            const std::size_t colon = value.find(':');
            ok = colon != std::string::npos && number(value.substr(0, colon), 1, 1e9, &v) &&
                 number(value.substr(colon + 1), 0, 600000, &w);
            if (ok) {
                f.stallAfter = static_cast<std::uint32_t>(v);
                f.stallMs = static_cast<std::uint32_t>(w);
            }
        } else if (name == "truncate" && (ok = number(value, 0, 65535, &v)))
            f.truncateWords = static_cast<int>(v);
        else if (name == "ignore")
            f.ignoreCommands = value;
        else if (name == "garbage" && (ok = number(value, 0, 4096, &v)))
            f.garbageBytes = static_cast<int>(v);
        else if (name == "reject" || name == "noecho") {
            // N:K, and for reject :C
            const std::size_t c1 = value.find(':');
            const std::size_t c2 = c1 == std::string::npos ? std::string::npos : value.find(':', c1 + 1);
            const std::string k = value.substr(c1 == std::string::npos ? value.size() : c1 + 1,
                                               c2 == std::string::npos ? std::string::npos : c2 - c1 - 1);
            ok = c1 != std::string::npos && number(value.substr(0, c1), 1, 1e9, &v) && number(k, 0, 1e9, &w);
            if (ok && name == "reject") {
                const std::string reply = c2 == std::string::npos ? "" : value.substr(c2 + 1);
                ok = reply == "X" || reply == "R";
                if (ok) {
                    f.rejectFrom = static_cast<std::uint32_t>(v);
                    f.rejectCount = static_cast<std::uint32_t>(w);
                    f.rejectReply = reply[0];
                }
            } else if (ok) {
                ok = c2 == std::string::npos;
                f.noEchoFrom = static_cast<std::uint32_t>(v);
                f.noEchoCount = static_cast<std::uint32_t>(w);
            }
        } else if (name != "delay" && name != "truncate" && name != "garbage") {
            if (error) *error = "unknown fault '" + name + "'";
            return false;
        }
        if (!ok) {
            if (error) *error = "bad value in '" + item + "'";
            return false;
        }
    }
    *faults = f;
    return true;
}

} // namespace orvo::sim
