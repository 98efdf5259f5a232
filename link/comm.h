// The link to a module: a Link owns its serial device and its clock; the Comm calls are its
// members. Which device a port name opens is decided above it (sim::SimulatedLink adds the
// built-in "Simulator" port, PortLink the system's serial ports). Every exchange with
// the module (commands, downloads, configuration, live logging, firmware programming) goes
// through them. Whatever talks to the module is handed the link it talks over: the window holds
// one, and so does each orvo-cli command.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/clock.h"
#include "link/linkspeed.h"
#include "link/linkstatus.h"
#include "link/serialdevice.h"

namespace orvo {

// Index 0..5 of LinkSpeeds gives the table's rate; any other value is taken as a rate in bits per second.
int CommBaudFor(int speedIndexOrBaud);

// The name of the built-in emulated module's port (last entry of the port list).
inline constexpr const char* SimulatorPortName = "Simulator";

// The trace hook gets "Opening %s", "%s Opened." and "Comm port closed". No output by default.
using CommTraceFn = std::function<void(const std::string&)>;

class Link {
  public:
    Link();
    ~Link();
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

    // Opens the named port (a device path, "COM3", or "Simulator") at the given speed (index 0..5 or
    // bits per second) and mode (0: 8N1, 1: 7E1, other: keep the device's framing). DTR and RTS are
    // held on while open. Returns Ok when open, else NoSuchPort (no device by that name) or
    // OpenFailed (the device did not open); CommLastError says why.
    LinkStatus CommOpen(const std::string& portName, int speed, int mode);
    // Why the last CommOpen failed ("" after a successful open).
    std::string CommLastError() const;
    bool CommIsOpen() const;
    // The speed in bits per second the port was opened with (0 while closed).
    int CommBaud() const;
    // How long the line must stay silent before a reply counts as over: 50 ms for the driver's
    // latency plus the time of 20 bytes at the port's speed.
    std::uint32_t CommQuietMs() const;

    // Number of bytes written (0 when closed or the connection is gone).
    int CommWrite(const void* bytes, int count);
    int CommWrite(const std::string& text);
    // Returns at once with 0..count bytes that have arrived.
    int CommRead(void* buffer, int count);
    // Discards all pending input; returns how many bytes were discarded.
    int CommFlush();
    // Reads exactly count bytes. buffer must hold count + 1 bytes. Returns count (and puts a zero
    // after the bytes) when all arrived before the time-out, else 0.
    int CommReadBlock(void* buffer, int count, std::uint32_t timeoutMs);
    // Reads one text line: stops at a line feed, drops every CR and LF, stops after capacity
    // characters. buffer must hold capacity + 1 bytes and is always zero-terminated. Returns the
    // number of characters, or 0 on time-out; an empty line also gives 0.
    int CommReadLine(char* buffer, int capacity, std::uint32_t timeoutMs);
    // Returns 1 when the expected bytes arrive (anything may precede them), 0 on time-out.
    int CommWaitFor(const void* expected, int count, std::uint32_t timeoutMs);
    int CommWaitFor(const std::string& expected, std::uint32_t timeoutMs);
    // Holds the line in the break state for durationMs.
    void CommSendBreak(std::uint32_t durationMs);
    void CommClose();

    // Pauses between protocol steps ("wait 40 ms") go through here so they follow the clock in use.
    void CommSleep(std::uint32_t ms);
    std::uint32_t CommTickCount();

    // The trace hook gets "Opening %s", "%s Opened." and "Comm port closed". No output by default.
    void CommSetTrace(CommTraceFn trace);

    // Replaceable pieces. nullptr / an empty factory restore the defaults (the real clock; the ports
    // the link was made with). Install them while the port is closed.
    void CommSetClock(Clock* clock);
    Clock& CommClock() const;
    void CommSetDeviceFactory(SerialDeviceFactory factory);

  protected:
    // The ports this kind of link opens when no factory was installed (none for a plain Link).
    void setDefaultDeviceFactory(SerialDeviceFactory factory);

  private:
    void trace(const std::string& text);
    std::unique_ptr<SerialDevice> defaultDevice(const std::string& name);
    std::size_t buffered() const;
    int refill();
    bool readByte(std::uint8_t* b);
    void idle(std::uint32_t start, std::uint32_t timeoutMs);

    std::unique_ptr<SerialDevice> m_device;
    std::string m_lastError;
    CommTraceFn m_trace;
    Clock* m_clock = nullptr;
    SerialDeviceFactory m_factory;
    SerialDeviceFactory m_defaultFactory;
    // What the device handed over and the helpers have not taken yet.
    std::vector<std::uint8_t> m_rx;
    std::size_t m_rxPos = 0;
    int m_baud = 0;
};

} // namespace orvo
