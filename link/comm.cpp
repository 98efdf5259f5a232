// The link to one module: its serial device, clock and receive buffer. The reading helpers keep the classic
// polling rules (read a byte; when none is there, give the processor away; look at the unsigned tick
// difference), but "give the processor away" blocks in the device for at most the time left,
// so an idle wait costs no CPU while results and time-outs stay the same.
#include "link/comm.h"

#include <cstring>
#include <memory>
#include <vector>

namespace orvo {

Link::Link() = default;

Link::~Link() {
    m_device.reset();
}

void Link::trace(const std::string& text) {
    if (m_trace) m_trace(text);
}

std::unique_ptr<SerialDevice> Link::defaultDevice(const std::string& name) {
    return m_defaultFactory ? m_defaultFactory(name) : nullptr;
}

std::size_t Link::buffered() const {
    return m_rx.size() - m_rxPos;
}

// Moves whatever the device has into the receive buffer; returns the number of new bytes.
int Link::refill() {
    if (!m_device) return 0;
    if (m_rxPos == m_rx.size()) {
        m_rx.clear();
        m_rxPos = 0;
    }
    std::uint8_t chunk[4096];
    int total = 0;
    for (;;) {
        int n = m_device->read(chunk, sizeof chunk);
        if (n <= 0) break;
        m_rx.insert(m_rx.end(), chunk, chunk + n);
        total += n;
        if (n < static_cast<int>(sizeof chunk)) break;
    }
    return total;
}

// One byte if one has arrived.
bool Link::readByte(std::uint8_t* b) {
    if (buffered() == 0 && refill() == 0) return false;
    *b = m_rx[m_rxPos++];
    return true;
}

// Where the classic loop yields: wait for input, but never past the deadline.
void Link::idle(std::uint32_t start, std::uint32_t timeoutMs) {
    Clock& clock = CommClock();
    std::uint32_t elapsed = clock.tickCount() - start;
    if (elapsed >= timeoutMs) return;
    std::uint32_t left = timeoutMs - elapsed;
    if (m_device)
        m_device->waitForInput(clock, left);
    else
        clock.sleep(left);
}

int CommBaudFor(int speed) {
    if (speed >= 0 && speed < static_cast<int>(LinkSpeeds.size()))
        return LinkSpeeds[static_cast<std::size_t>(speed)].baud;
    return speed;
}

LinkStatus Link::CommOpen(const std::string& portName, int speed, int mode) {
    trace("Opening " + portName);
    if (m_device) CommClose();
    m_rx.clear();
    m_rxPos = 0;
    m_lastError.clear();
    std::unique_ptr<SerialDevice> dev = m_factory ? m_factory(portName) : defaultDevice(portName);
    if (!dev) {
        m_lastError = "No such serial port: " + portName;
        return LinkStatus::NoSuchPort;
    }
    LineSettings settings;
    settings.baud = CommBaudFor(speed);
    settings.mode = mode;
    std::string error;
    if (!dev->open(portName, settings, &error)) {
        m_lastError = error.empty() ? "Unable to open " + portName : error;
        return LinkStatus::OpenFailed;
    }
    m_device = std::move(dev);
    m_baud = settings.baud;
    trace(portName + " Opened.");
    return LinkStatus::Ok;
}

std::string Link::CommLastError() const {
    return m_lastError;
}

bool Link::CommIsOpen() const {
    return m_device != nullptr;
}

int Link::CommBaud() const {
    return m_device ? m_baud : 0;
}

std::uint32_t Link::CommQuietMs() const {
    const int baud = CommBaud() > 0 ? CommBaud() : 115200;
    // 10 bits per byte on the wire.
    return 50u + static_cast<std::uint32_t>((20 * 10 * 1000 + baud - 1) / baud);
}

int Link::CommWrite(const void* bytes, int count) {
    if (!m_device || count <= 0) return 0;
    return m_device->write(static_cast<const std::uint8_t*>(bytes), count);
}

int Link::CommWrite(const std::string& text) {
    return CommWrite(text.data(), static_cast<int>(text.size()));
}

int Link::CommRead(void* buffer, int count) {
    if (count <= 0) return 0;
    auto* out = static_cast<std::uint8_t*>(buffer);
    int n = 0;
    if (buffered() == 0) refill();
    while (n < count && buffered() > 0)
        out[n++] = m_rx[m_rxPos++];
    return n;
}

int Link::CommFlush() {
    int discarded = static_cast<int>(buffered());
    m_rx.clear();
    m_rxPos = 0;
    int n;
    while ((n = refill()) > 0) {
        discarded += n;
        m_rx.clear();
        m_rxPos = 0;
    }
    return discarded;
}

int Link::CommReadBlock(void* buffer, int count, std::uint32_t timeoutMs) {
    if (count <= 0) return 0;
    auto* out = static_cast<std::uint8_t*>(buffer);
    Clock& clock = CommClock();
    const std::uint32_t start = clock.tickCount();
    int stored = 0;
    std::uint32_t elapsed;
    do {
        std::uint8_t b;
        if (readByte(&b))
            out[stored++] = b;
        else
            idle(start, timeoutMs);
        elapsed = clock.tickCount() - start;
    } while (elapsed < timeoutMs && stored < count);
    if (elapsed >= timeoutMs) return 0;
    out[count] = 0;
    return count;
}

int Link::CommReadLine(char* buffer, int capacity, std::uint32_t timeoutMs) {
    if (capacity <= 0) {
        if (buffer && capacity == 0) buffer[0] = 0;
        return 0;
    }
    Clock& clock = CommClock();
    const std::uint32_t start = clock.tickCount();
    int stored = 0;
    std::uint8_t last = 0;
    std::uint32_t elapsed;
    do {
        std::uint8_t b;
        if (readByte(&b)) {
            last = b;
            if (b != '\r' && b != '\n') buffer[stored++] = static_cast<char>(b);
        } else {
            idle(start, timeoutMs);
        }
        elapsed = clock.tickCount() - start;
    } while (elapsed < timeoutMs && stored < capacity && last != '\n');
    buffer[stored] = 0;
    return elapsed < timeoutMs ? stored : 0;
}

int Link::CommWaitFor(const void* expected, int count, std::uint32_t timeoutMs) {
    if (count <= 0) return 1;
    const auto* want = static_cast<const std::uint8_t*>(expected);
    std::vector<std::uint8_t> window;
    window.reserve(count);
    Clock& clock = CommClock();
    const std::uint32_t start = clock.tickCount();
    std::uint32_t elapsed;
    do {
        std::uint8_t b;
        if (readByte(&b)) {
            window.push_back(b);
            if (static_cast<int>(window.size()) == count) {
                if (std::memcmp(window.data(), want, count) == 0) return 1;
                window.erase(window.begin());
            }
        } else {
            idle(start, timeoutMs);
        }
        elapsed = clock.tickCount() - start;
    } while (elapsed < timeoutMs);
    return 0;
}

int Link::CommWaitFor(const std::string& expected, std::uint32_t timeoutMs) {
    return CommWaitFor(expected.data(), static_cast<int>(expected.size()), timeoutMs);
}

void Link::CommSendBreak(std::uint32_t durationMs) {
    if (m_device) m_device->setBreak(true);
    CommClock().sleep(durationMs);
    if (m_device) m_device->setBreak(false);
}

void Link::CommClose() {
    if (m_device) {
        m_device->close();
        m_device.reset();
    }
    m_rx.clear();
    m_rxPos = 0;
    trace("Comm port closed");
}

void Link::CommSleep(std::uint32_t ms) {
    CommClock().sleep(ms);
}

std::uint32_t Link::CommTickCount() {
    return CommClock().tickCount();
}

void Link::CommSetTrace(CommTraceFn fn) {
    m_trace = std::move(fn);
}

void Link::CommSetClock(Clock* clock) {
    m_clock = clock;
}

Clock& Link::CommClock() const {
    return m_clock ? *m_clock : realClock();
}

void Link::CommSetDeviceFactory(SerialDeviceFactory factory) {
    m_factory = std::move(factory);
}

void Link::setDefaultDeviceFactory(SerialDeviceFactory factory) {
    m_defaultFactory = std::move(factory);
}

} // namespace orvo
