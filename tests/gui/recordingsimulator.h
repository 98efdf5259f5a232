// The "Simulator" port for the GUI tests: the window link's emulated module behind a device that
// keeps what the window did on the line. Install it with recordSimulatorPort while the port is
// closed; CommSetDeviceFactory(nullptr) puts the plain port back.
#pragma once

#include <QCursor>
#include <QGuiApplication>

#include <memory>
#include <string>

#include "desktop/portlink.h"
#include "desktop/qtserialdevice.h"
#include "link/comm.h"

// The emulator's port, with what the program opened it at and wrote to it.
struct Wire {
    std::string written;
    int openedBaud = 0;
    int writesUnderWaitCursor = 0;
};

class RecordingDevice : public orvo::SerialDevice {
  public:
    RecordingDevice(orvo::PortLink& link, Wire& w)
        : m_wire(w), m_inner(orvo::sim::makeSimulatorDevice(link.simulator(), link)) {}
    bool open(const std::string& n, const orvo::LineSettings& s, std::string* e) override {
        m_wire.openedBaud = s.baud;
        return m_inner->open(n, s, e);
    }
    void close() override { m_inner->close(); }
    int write(const std::uint8_t* b, int n) override {
        m_wire.written.append(reinterpret_cast<const char*>(b), static_cast<std::size_t>(n));
        const QCursor* cursor = QGuiApplication::overrideCursor();
        if (cursor && cursor->shape() == Qt::WaitCursor) ++m_wire.writesUnderWaitCursor;
        return m_inner->write(b, n);
    }
    int read(std::uint8_t* b, int n) override { return m_inner->read(b, n); }
    bool waitForInput(orvo::Clock& c, std::uint32_t ms) override { return m_inner->waitForInput(c, ms); }
    void setBreak(bool on) override { m_inner->setBreak(on); }
    bool alive() const override { return m_inner->alive(); }

  private:
    Wire& m_wire;
    std::unique_ptr<orvo::SerialDevice> m_inner;
};

// "Simulator" opens a RecordingDevice writing into wire; other names open real ports.
inline void recordSimulatorPort(orvo::PortLink& link, Wire& wire) {
    link.CommSetDeviceFactory([&link, &wire](const std::string& name) -> std::unique_ptr<orvo::SerialDevice> {
        if (name == orvo::SimulatorPortName) return std::make_unique<RecordingDevice>(link, wire);
        return orvo::makeQtSerialDevice();
    });
}
