#include "link/clock.h"

#include <chrono>
#include <thread>

namespace orvo {

std::uint32_t RealClock::tickCount() {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void RealClock::sleep(std::uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

RealClock& realClock() {
    static RealClock clock;
    return clock;
}

} // namespace orvo
