#include "sim/simulatedlink.h"

#include "link/clock.h"
#include "sim/module.h"

namespace orvo::sim {
namespace {

class SimulatorDevice : public SerialDevice {
  public:
    SimulatorDevice(Module& module, Link& link) : m_link(link), m_module(module) {}
    bool open(const std::string&, const LineSettings& settings, std::string*) override {
        Clock* clock = &m_link.CommClock();
        m_module.setTimeSource([clock] { return clock->tickCount(); });
        m_module.setHostBaud(settings.baud);
        m_module.setPacing(true);
        m_open = true;
        return true;
    }
    void close() override {
        if (m_open) m_module.hostClosed();
        // The clock may be a test's and go away; the module falls back to the system clock.
        m_module.setTimeSource(nullptr);
        m_open = false;
    }
    int write(const std::uint8_t* bytes, int count) override {
        if (!m_open) return 0;
        m_module.feed(bytes, static_cast<std::size_t>(count));
        return count;
    }
    int read(std::uint8_t* buffer, int capacity) override {
        if (!m_open) return 0;
        return static_cast<int>(m_module.read(buffer, static_cast<std::size_t>(capacity)));
    }
    bool waitForInput(Clock& clock, std::uint32_t ms) override {
        std::int64_t due = m_open ? m_module.msUntilOutput() : -1;
        if (due == 0) return true;
        clock.sleep(due < 0 || due > ms ? ms : static_cast<std::uint32_t>(due));
        return m_open && m_module.available() > 0;
    }
    void setBreak(bool on) override {
        if (m_open) m_module.setBreak(on);
    }
    bool alive() const override { return m_open; }

  private:
    Link& m_link;
    Module& m_module;
    bool m_open = false;
};

Module* sharedModule = nullptr;
Clock* sharedClock = nullptr;

} // namespace

void shareSimulator(Module* module, Clock* clock) {
    sharedModule = module;
    sharedClock = clock;
}

std::unique_ptr<SerialDevice> makeSimulatorDevice(Module& module, Link& link) {
    return std::make_unique<SimulatorDevice>(module, link);
}

SimulatedLink::SimulatedLink() : m_shared(sharedModule) {
    if (m_shared && sharedClock) CommSetClock(sharedClock);
    setDefaultDeviceFactory([this](const std::string& name) -> std::unique_ptr<SerialDevice> {
        if (name == SimulatorPortName) return makeSimulatorDevice(simulator(), *this);
        return m_otherPorts ? m_otherPorts(name) : nullptr;
    });
}

SimulatedLink::~SimulatedLink() {
    // The device may be the emulated module's, which goes before the base class: the device first.
    CommClose();
}

Module& SimulatedLink::simulator() {
    if (m_shared) return *m_shared;
    if (!m_module) {
        m_module = std::make_unique<Module>();
        m_module->generateFlights(3, 2026);
    }
    return *m_module;
}

void SimulatedLink::setOtherPorts(SerialDeviceFactory factory) {
    m_otherPorts = std::move(factory);
}

} // namespace orvo::sim
