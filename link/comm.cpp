// The one serial port of the process. The reading helpers keep the classic polling rules
// (read a byte; when none is there, give the processor away; look at the unsigned tick
// difference), but "give the processor away" blocks in the device for at most the time left,
// so an idle wait costs no CPU while results and time-outs stay the same.
#include "link/comm.h"

#include <cstring>
#include <memory>
#include <vector>

namespace orvo {
namespace {

struct Port {
    std::unique_ptr<SerialDevice> device;
    std::string lastError;
    CommTraceFn trace;
    Clock* clock = nullptr;
    SerialDeviceFactory factory;
    // What the device handed over and the helpers have not taken yet.
    std::vector<std::uint8_t> rx;
    std::size_t rxPos = 0;
    int baud = 0;
};

Port& port() {
    static Port p;
    return p;
}

void trace(const std::string& text) {
    if (port().trace) port().trace(text);
}

std::unique_ptr<SerialDevice> defaultDevice(const std::string& name) {
    if (name == SimulatorPortName) return makeSimulatorDevice();
    return makeQtSerialDevice();
}

std::size_t buffered() {
    return port().rx.size() - port().rxPos;
}

// Moves whatever the device has into rx; returns the number of new bytes.
int refill() {
    Port& p = port();
    if (!p.device) return 0;
    if (p.rxPos == p.rx.size()) {
        p.rx.clear();
        p.rxPos = 0;
    }
    std::uint8_t chunk[4096];
    int total = 0;
    for (;;) {
        int n = p.device->read(chunk, sizeof chunk);
        if (n <= 0) break;
        p.rx.insert(p.rx.end(), chunk, chunk + n);
        total += n;
        if (n < static_cast<int>(sizeof chunk)) break;
    }
    return total;
}

// One byte if one has arrived.
bool readByte(std::uint8_t* b) {
    Port& p = port();
    if (buffered() == 0 && refill() == 0) return false;
    *b = p.rx[p.rxPos++];
    return true;
}

// Where the classic loop yields: wait for input, but never past the deadline.
void idle(std::uint32_t start, std::uint32_t timeoutMs) {
    Port& p = port();
    Clock& clock = CommClock();
    std::uint32_t elapsed = clock.tickCount() - start;
    if (elapsed >= timeoutMs) return;
    std::uint32_t left = timeoutMs - elapsed;
    if (p.device)
        p.device->waitForInput(clock, left);
    else
        clock.sleep(left);
}

} // namespace

int CommBaudFor(int speed) {
    if (speed >= 0 && speed < static_cast<int>(LinkSpeeds.size()))
        return LinkSpeeds[static_cast<std::size_t>(speed)].baud;
    return speed;
}

int CommOpen(const std::string& portName, int speed, int mode) {
    Port& p = port();
    trace("Opening " + portName);
    if (p.device) CommClose();
    p.rx.clear();
    p.rxPos = 0;
    p.lastError.clear();
    std::unique_ptr<SerialDevice> dev = p.factory ? p.factory(portName) : defaultDevice(portName);
    if (!dev) {
        p.lastError = "No such serial port: " + portName;
        return 0;
    }
    LineSettings settings;
    settings.baud = CommBaudFor(speed);
    settings.mode = mode;
    std::string error;
    if (!dev->open(portName, settings, &error)) {
        p.lastError = error.empty() ? "Unable to open " + portName : error;
        return 0;
    }
    p.device = std::move(dev);
    p.baud = settings.baud;
    trace(portName + " Opened.");
    return 1;
}

std::string CommLastError() {
    return port().lastError;
}

bool CommIsOpen() {
    return port().device != nullptr;
}

int CommBaud() {
    return port().device ? port().baud : 0;
}

std::uint32_t CommQuietMs() {
    const int baud = CommBaud() > 0 ? CommBaud() : 115200;
    // 10 bits per byte on the wire.
    return 50u + static_cast<std::uint32_t>((20 * 10 * 1000 + baud - 1) / baud);
}

int CommWrite(const void* bytes, int count) {
    Port& p = port();
    if (!p.device || count <= 0) return 0;
    return p.device->write(static_cast<const std::uint8_t*>(bytes), count);
}

int CommWrite(const std::string& text) {
    return CommWrite(text.data(), static_cast<int>(text.size()));
}

int CommRead(void* buffer, int count) {
    Port& p = port();
    if (count <= 0) return 0;
    auto* out = static_cast<std::uint8_t*>(buffer);
    int n = 0;
    if (buffered() == 0) refill();
    while (n < count && buffered() > 0)
        out[n++] = p.rx[p.rxPos++];
    return n;
}

int CommFlush() {
    Port& p = port();
    int discarded = static_cast<int>(buffered());
    p.rx.clear();
    p.rxPos = 0;
    int n;
    while ((n = refill()) > 0) {
        discarded += n;
        p.rx.clear();
        p.rxPos = 0;
    }
    return discarded;
}

int CommReadBlock(void* buffer, int count, std::uint32_t timeoutMs) {
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

int CommReadLine(char* buffer, int capacity, std::uint32_t timeoutMs) {
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

int CommWaitFor(const void* expected, int count, std::uint32_t timeoutMs) {
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

int CommWaitFor(const std::string& expected, std::uint32_t timeoutMs) {
    return CommWaitFor(expected.data(), static_cast<int>(expected.size()), timeoutMs);
}

void CommSendBreak(std::uint32_t durationMs) {
    Port& p = port();
    if (p.device) p.device->setBreak(true);
    CommClock().sleep(durationMs);
    if (p.device) p.device->setBreak(false);
}

void CommClose() {
    Port& p = port();
    if (p.device) {
        p.device->close();
        p.device.reset();
    }
    p.rx.clear();
    p.rxPos = 0;
    trace("Comm port closed");
}

void CommSleep(std::uint32_t ms) {
    CommClock().sleep(ms);
}

std::uint32_t CommTickCount() {
    return CommClock().tickCount();
}

void CommSetTrace(CommTraceFn fn) {
    port().trace = std::move(fn);
}

void CommSetClock(Clock* clock) {
    port().clock = clock;
}

Clock& CommClock() {
    Port& p = port();
    return p.clock ? *p.clock : realClock();
}

void CommSetDeviceFactory(SerialDeviceFactory factory) {
    port().factory = std::move(factory);
}

} // namespace orvo
