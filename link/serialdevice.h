// One serial device as Comm sees it: open with line settings, read what is there, write,
// wait for input, break. Backends: QSerialPort (real ports and pseudo-terminals) and the
// built-in module emulator ("Simulator"); tests install their own through CommSetDeviceFactory.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace orvo {

class Clock;

struct LineSettings {
    int baud = 115200;
    int mode = 0; // 0: 8N1, 1: 7E1, other: keep the device's data bits, parity and stop bits
};

class SerialDevice {
  public:
    virtual ~SerialDevice() = default;
    // On failure returns false and puts a reason for the user into *error.
    virtual bool open(const std::string& name, const LineSettings& settings, std::string* error) = 0;
    virtual void close() = 0;
    // Both return at once; a dead connection reads and writes 0 bytes.
    virtual int write(const std::uint8_t* bytes, int count) = 0;
    virtual int read(std::uint8_t* buffer, int capacity) = 0;
    // Blocks for at most ms (measured on clock) until input may be there. Must not return early
    // over and over without input: a dead connection simply sleeps the time away on clock.
    // Returns true when input is probably there.
    virtual bool waitForInput(Clock& clock, std::uint32_t ms) = 0;
    virtual void setBreak(bool on) = 0;
    // False once the connection ended on its own (a USB adapter unplugged, a pty master closed).
    virtual bool alive() const = 0;
};

// Makes the device for a port name; Comm calls it at every CommOpen.
using SerialDeviceFactory = std::function<std::unique_ptr<SerialDevice>(const std::string& portName)>;

} // namespace orvo
