// The millisecond tick count and sleep behind every serial time-out. Comm uses one Clock;
// tests install a VirtualClock so a 5000 ms time-out costs nothing and a tick wrap can be forced.
#pragma once

#include <cstdint>

namespace orvo {

class Clock {
  public:
    virtual ~Clock() = default;
    // Wrapping 32-bit millisecond count; only differences (unsigned) mean anything.
    virtual std::uint32_t tickCount() = 0;
    virtual void sleep(std::uint32_t ms) = 0;
};

// The system's monotonic clock; sleep blocks the calling thread.
class RealClock : public Clock {
  public:
    std::uint32_t tickCount() override;
    void sleep(std::uint32_t ms) override;
};

// Time that moves only when somebody sleeps or advances it.
class VirtualClock : public Clock {
  public:
    explicit VirtualClock(std::uint32_t start = 0) : m_now(start) {}
    std::uint32_t tickCount() override { return m_now; }
    void sleep(std::uint32_t ms) override { m_now += ms; }
    void advance(std::uint32_t ms) { m_now += ms; }
    void set(std::uint32_t now) { m_now = now; }

  private:
    std::uint32_t m_now;
};

// The process-wide real clock (what Comm uses unless a test installs another).
RealClock& realClock();

} // namespace orvo
