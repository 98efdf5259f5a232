// The emulated module: its running firmware (one-byte commands) and its boot loader
// (Intel-HEX records, every character echoed, one-character replies).
#include "sim/module.h"

#include "config/bigendian.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace orvo::sim {
namespace {

std::uint32_t steadyMs() {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool isHex(std::uint8_t c) {
    return hexValue(static_cast<char>(c)) >= 0;
}

// How long the module leaves the host waiting for a half-sent command before it gives up.
constexpr std::int64_t CommandGapMs = 2000;

} // namespace

Module::Module(std::size_t memoryBytes) : m_memoryBytes(memoryBytes) {
    m_config = defaultConfig();
    // Some running firmware in the code space; the rest is erased flash.
    m_code.assign(CodeSpaceSize, 0xFF);
    std::mt19937 fw(7);
    for (int i = 0; i < 5200; ++i)
        m_code[i] = static_cast<std::uint8_t>(fw());
}

ConfigBlock Module::defaultConfig() const {
    ConfigBlock c;
    c.Marker = 0xABCD;
    c.IntervalTicks = 1;
    c.Units = 0;
    c.BlankDisplay = 1;
    c.IntervalUnit = 100;
    c.AutoStartSec = 10;
    c.AutoStopSec = 60;
    c.AutoStartAltitude = 20;
    c.AutoStopAltitude = 15;
    c.ModuleVersion = 3;
    c.MemorySize = static_cast<std::uint8_t>(std::clamp<std::size_t>(m_memoryBytes / 8192, 1, 255));
    c.ServoOff = 20;
    c.ServoOn = 40;
    c.ServoHold = 40;
    return c;
}

// ---- time and line ----

void Module::setTimeSource(TimeSource source) {
    advance();
    m_source = std::move(source);
    m_haveTick = false;
}

void Module::advance() {
    std::uint32_t tick = m_source ? m_source() : steadyMs();
    if (m_haveTick) m_nowMs += static_cast<std::uint32_t>(tick - m_lastTick);
    m_lastTick = tick;
    m_haveTick = true;
    if (m_state == State::Resetting && m_nowMs >= m_resetDoneMs) finishReset();
}

std::int64_t Module::nowUs() {
    return m_nowMs * 1000;
}

void Module::setHostBaud(int baud) {
    m_hostBaud = baud;
}

void Module::setModuleBaud(int baud) {
    m_moduleBaud = baud;
}

int Module::lineBaud() const {
    if (m_state == State::BootLoader) return BootLoaderBaud;
    return m_moduleBaud > 0 ? m_moduleBaud : m_hostBaud;
}

bool Module::garbled() const {
    return m_hostBaud > 0 && lineBaud() != m_hostBaud;
}

void Module::reply(const std::vector<std::uint8_t>& bytes, std::uint32_t extraDelayMs) {
    if (m_state == State::Resetting) return;
    std::vector<std::uint8_t> all;
    for (int i = 0; i < m_faults.garbageBytes; ++i)
        all.push_back(static_cast<std::uint8_t>(m_rng()));
    all.insert(all.end(), bytes.begin(), bytes.end());

    const double now = static_cast<double>(nowUs());
    double t = std::max(now + 1000.0 * (m_faults.replyDelayMs + extraDelayMs), m_lineFreeUs);
    const double byteUs = m_pacing && lineBaud() > 0 ? 10e6 / lineBaud() : 0.0;
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    std::uint32_t sent = 0;
    for (std::uint8_t b : all) {
        if (m_faults.stallAfter && sent == m_faults.stallAfter) t += 1000.0 * m_faults.stallMs;
        t += byteUs;
        ++sent;
        if (m_faults.dropRate > 0 && chance(m_rng) < m_faults.dropRate) continue;
        if (m_faults.corruptRate > 0 && chance(m_rng) < m_faults.corruptRate)
            b ^= static_cast<std::uint8_t>(1u << (m_rng() % 8));
        if (garbled()) b = garble(b);
        // Whole microseconds, so that byte times add up exactly on a millisecond clock.
        m_out.push_back({std::round(t), b});
    }
    m_lineFreeUs = t;
}

void Module::emitLogLines() {
    if (!m_logging || m_state != State::Running) return;
    std::uint32_t interval = static_cast<std::uint32_t>(m_config.IntervalTicks) * m_config.IntervalUnit;
    interval = std::max<std::uint32_t>(interval, 50);
    // After a long silence (nobody read) only the latest few readings are sent.
    if (m_nowMs - m_nextLogMs > 10 * static_cast<std::int64_t>(interval))
        m_nextLogMs = m_nowMs - 10 * interval;
    std::normal_distribution<double> noise(0.0, 1.5);
    while (m_nextLogMs <= m_nowMs) {
        char line[32];
        std::snprintf(line, sizeof line, "%d\r\n",
                      static_cast<int>(std::lround(m_calibration + noise(m_rng))));
        replyText(line);
        m_nextLogMs += interval;
    }
}

void Module::feed(const std::uint8_t* bytes, std::size_t count) {
    advance();
    for (std::size_t i = 0; i < count; ++i) {
        std::uint8_t b = bytes[i];
        if (garbled()) b = garble(b);
        handleByte(b);
    }
}

void Module::feed(const std::string& bytes) {
    feed(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

std::size_t Module::read(std::uint8_t* buffer, std::size_t capacity) {
    advance();
    emitLogLines();
    const double now = static_cast<double>(nowUs());
    std::size_t n = 0;
    while (n < capacity && !m_out.empty() && m_out.front().readyUs <= now) {
        buffer[n++] = m_out.front().byte;
        m_out.pop_front();
    }
    return n;
}

std::string Module::readAll() {
    std::string out;
    std::uint8_t buf[512];
    std::size_t n;
    while ((n = read(buf, sizeof buf)) > 0)
        out.append(reinterpret_cast<char*>(buf), n);
    return out;
}

std::size_t Module::available() {
    advance();
    emitLogLines();
    const double now = static_cast<double>(nowUs());
    std::size_t n = 0;
    for (const Out& o : m_out) {
        if (o.readyUs > now) break;
        ++n;
    }
    return n;
}

std::int64_t Module::msUntilOutput() {
    advance();
    emitLogLines();
    if (!m_out.empty()) {
        double d = m_out.front().readyUs - static_cast<double>(nowUs());
        return d <= 0 ? 0 : static_cast<std::int64_t>(std::ceil(d / 1000.0));
    }
    if (m_logging && m_state == State::Running) return std::max<std::int64_t>(0, m_nextLogMs - m_nowMs);
    return -1;
}

void Module::setBreak(bool on) {
    advance();
    // A break makes the loader drop a half-received record and wait for a fresh one.
    if (on && m_state == State::BootLoader) {
        m_inRecord = false;
        m_record.clear();
    }
}

void Module::hostClosed() {
    advance();
    m_out.clear();
    m_lineFreeUs = 0;
    m_await = Await::Command;
    m_collect.clear();
    // Nobody hears the live stream any more; it would only pile up.
    m_logging = false;
    m_inRecord = false;
}

Module::State Module::state() {
    advance();
    return m_state;
}

void Module::finishReset() {
    // An interrupted update (status byte 01) keeps the module in its loader.
    m_state = m_status == 0x01 ? State::BootLoader : State::Running;
    m_await = Await::Command;
    m_logging = false;
    m_inRecord = false;
    m_record.clear();
}

// ---- memory ----

std::size_t Module::memoryUsed() const {
    std::size_t used = 0;
    for (const RecordedSet& s : m_sets)
        used += s.storageBytes();
    return used;
}

bool Module::setRecordedSets(std::vector<RecordedSet> sets) {
    std::size_t used = 0;
    for (const RecordedSet& s : sets)
        used += s.storageBytes();
    if (used > m_memoryBytes || sets.size() > 256) return false;
    m_sets = std::move(sets);
    return true;
}

bool Module::recordSet(RecordedSet set) {
    if (m_sets.size() >= 256 || memoryUsed() + set.storageBytes() > m_memoryBytes) return false;
    m_sets.push_back(std::move(set));
    return true;
}

bool Module::recordFlight(std::uint32_t seed, int minSamples, bool triggers) {
    if (m_sets.size() >= 256) return false;
    const std::size_t used = memoryUsed();
    if (used + 6 + 2 > m_memoryBytes) return false;
    RecordedSet set;
    set.intervalTicks = std::max<std::uint16_t>(m_config.IntervalTicks, 1);
    set.triggered = triggers;
    set.headerByte0 = static_cast<std::uint8_t>(m_sets.size());
    FlightOptions o;
    o.seed = seed;
    o.units = std::min<std::uint8_t>(m_config.Units, 2);
    o.intervalMs =
        static_cast<std::uint32_t>(set.intervalTicks) * (m_config.IntervalUnit ? m_config.IntervalUnit : 100);
    o.triggers = triggers;
    o.minSamples = minSamples;
    set.words = generateFlightWords(o);
    // A full memory ends the recording; a marker is never left without its sample.
    const std::size_t room = (m_memoryBytes - used - 6) / 2;
    if (set.words.size() > room) {
        set.words.resize(room);
        if (!set.words.empty() && (set.words.back() >> 8) == (TriggerMarker >> 8)) set.words.pop_back();
        if (set.words.empty()) return false;
    }
    m_sets.push_back(std::move(set));
    return true;
}

int Module::generateFlights(int count, std::uint32_t seed, int minSamples) {
    int made = 0;
    for (int i = 0; i < count; ++i) {
        // Every second flight was flown with the external trigger recorded.
        if (!recordFlight(seed + 7919u * static_cast<std::uint32_t>(i), minSamples, (i % 2) == 1)) break;
        ++made;
    }
    return made;
}

// ---- running firmware ----

void Module::handleByte(std::uint8_t b) {
    switch (m_state) {
    case State::Resetting:
        return; // restarting: the byte is lost
    case State::BootLoader:
        loaderByte(b);
        return;
    case State::Running:
        runningByte(b);
        return;
    }
}

void Module::runningByte(std::uint8_t b) {
    if (m_await != Await::Command && m_nowMs > m_awaitDeadlineMs) {
        m_await = Await::Command;
        m_collect.clear();
    }
    switch (m_await) {
    case Await::ConfigBlock:
        m_collect.push_back(b);
        if (m_collect.size() == ConfigBlockSize) {
            m_config = ConfigBlock::fromWire(m_collect.data());
            m_await = Await::Command;
        }
        return;
    case Await::SetIndex:
        m_await = Await::Command;
        sendSet(b);
        return;
    case Await::CalibrateT:
        m_await = Await::Command;
        if (b == 't') {
            m_await = Await::CalibrateBytes;
            m_collect.clear();
            m_awaitDeadlineMs = m_nowMs + CommandGapMs;
            return;
        }
        break; // anything else is a new command
    case Await::CalibrateBytes:
        m_collect.push_back(b);
        if (m_collect.size() == 2) {
            m_calibration = static_cast<std::int16_t>(readBigEndian16(m_collect.data()));
            m_await = Await::Command;
        }
        return;
    case Await::Command:
        break;
    }
    command(b);
}

void Module::command(std::uint8_t b) {
    // Any byte from the host ends the live altitude stream.
    m_logging = false;
    if (b != 0 && m_faults.ignoreCommands.find(static_cast<char>(b)) != std::string::npos) return;
    switch (b) {
    case 'v':
        replyText(m_identity.deviceName + "\r\n" + m_identity.model + "\r\n" + m_identity.softwareVersion +
                  "\r\n" + m_identity.softwareDate + "\r\n");
        break;
    case 's': {
        std::string text;
        for (std::size_t i = 0; i < m_sets.size(); ++i) {
            char line[40];
            const std::size_t counted =
                m_listingCount == ListingCount::Words ? m_sets[i].words.size() : m_sets[i].sampleCount();
            std::snprintf(line, sizeof line, "%hu, %hu\r\n", static_cast<unsigned short>(i + 1),
                          static_cast<unsigned short>(counted));
            text += line;
        }
        if (!text.empty()) replyText(text);
        break;
    }
    case 'r': {
        ConfigWire w = m_config.toWire();
        reply(std::vector<std::uint8_t>(w.begin(), w.end()));
        break;
    }
    case 'c':
        m_await = Await::ConfigBlock;
        m_collect.clear();
        m_awaitDeadlineMs = m_nowMs + CommandGapMs;
        break;
    case 'a':
        m_await = Await::SetIndex;
        m_awaitDeadlineMs = m_nowMs + CommandGapMs;
        break;
    case 'x':
        m_sets.clear();
        break;
    case '*':
        m_config = defaultConfig();
        break;
    case 'R':
        m_state = State::Resetting;
        m_resetDoneMs = m_nowMs + m_resetMs;
        m_out.clear();
        m_lineFreeUs = 0;
        break;
    case '$':
        m_await = Await::CalibrateT;
        m_awaitDeadlineMs = m_nowMs + 5000;
        break;
    case 'l':
        m_logging = true;
        m_nextLogMs =
            m_nowMs + std::max<std::uint32_t>(50, static_cast<std::uint32_t>(m_config.IntervalTicks) *
                                                      m_config.IntervalUnit);
        break;
    case 'P':
        m_commandLog += 'P';
        enterBootLoader();
        return;
    default:
        return; // not a command
    }
    m_commandLog += static_cast<char>(b);
}

void Module::sendSet(std::size_t index) {
    if (index >= m_sets.size()) return; // no such set: the module says nothing
    const RecordedSet& s = m_sets[index];
    std::size_t n = s.words.size();
    if (m_faults.truncateWords >= 0)
        n = std::min<std::size_t>(n, static_cast<std::size_t>(m_faults.truncateWords));
    const std::uint16_t announced =
        s.announceCount ? static_cast<std::uint16_t>(std::min<std::size_t>(s.words.size(), 65535)) : 0;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(6 + 2 * n);
    bytes.push_back(s.headerByte0);
    appendBigEndian16(bytes, s.intervalTicks);
    appendBigEndian16(bytes, announced);
    bytes.push_back(static_cast<std::uint8_t>(s.triggered ? 1 : 0));
    for (std::size_t i = 0; i < n; ++i)
        appendBigEndian16(bytes, s.words[i]);
    reply(bytes);
}

// ---- boot loader ----

void Module::enterBootLoader() {
    advance();
    m_state = State::BootLoader;
    m_await = Await::Command;
    m_logging = false;
    m_inRecord = false;
    m_record.clear();
    m_out.clear();
    m_lineFreeUs = 0;
}

void Module::loaderByte(std::uint8_t b) {
    if (b == ':') {
        // Which record this is, for the loader faults.
        const std::uint32_t n = m_loaderRecords + 1;
        m_echo = !(m_faults.noEchoFrom && n >= m_faults.noEchoFrom &&
                   n - m_faults.noEchoFrom < m_faults.noEchoCount);
    } else if (!m_inRecord) {
        m_echo = true;
    }
    if (m_echo) reply({b}); // the loader echoes every character
    if (b == ':') {
        m_inRecord = true;
        m_record.assign(1, ':'); // not = ":" (a false -Wrestrict alarm of g++ 12 at -O3)
        return;
    }
    if (!m_inRecord) return;
    if (!isHex(b)) {
        m_inRecord = false;
        reply({'X'});
        return;
    }
    m_record += static_cast<char>(b);
    if (m_record.size() < 3) return;
    const std::size_t count = static_cast<std::size_t>(hexValue(m_record[1]) * 16 + hexValue(m_record[2]));
    if (m_record.size() < 11 + 2 * count) return;
    m_inRecord = false;
    const char type = m_record[8];
    const std::uint32_t n = ++m_loaderRecords;
    const bool rejected =
        m_faults.rejectFrom && n >= m_faults.rejectFrom && n - m_faults.rejectFrom < m_faults.rejectCount;
    char answer = rejected ? m_faults.rejectReply : loaderRecord();
    // Erasing and programming flash take a few milliseconds.
    std::uint32_t busy = answer == '.' ? (type == '4' ? 4 : type == '0' ? 2 : 0) : 0;
    reply({static_cast<std::uint8_t>(answer)}, busy);
    if (answer == '.' && m_record[7] == '0' && type == '8') {
        // Reset record: restart into the firmware (or the loader again after an incomplete update).
        m_state = State::Resetting;
        m_resetDoneMs = m_nowMs + 300;
    }
}

char Module::loaderRecord() {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 1; i + 1 < m_record.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(hexValue(m_record[i]) * 16 + hexValue(m_record[i + 1])));
    std::uint8_t sum = 0;
    for (std::uint8_t v : bytes)
        sum = static_cast<std::uint8_t>(sum + v);
    if (sum != 0) return 'X';
    const std::size_t n = bytes[0];
    const int address = readBigEndian16(bytes.data() + 1);
    const std::uint8_t type = bytes[3];
    const std::uint8_t* data = bytes.data() + 4;
    switch (type) {
    case 0x00: {
        if (n > FlashPageSize || address + static_cast<int>(n) > CodeSpaceSize) return 'R';
        for (std::size_t i = 0; i < n; ++i)
            if (m_code[address + i] != 0xFF && m_code[address + i] != data[i]) return 'R'; // not erased
        std::copy(data, data + n, m_code.begin() + address);
        ++m_programmed;
        return '.';
    }
    case 0x04: {
        if (n != 3 || data[0] != 0) return 'R';
        const int page = readBigEndian16(data + 1);
        if (page % FlashPageSize != 0 || page >= CodeSpaceSize) return 'R';
        std::fill(m_code.begin() + page, m_code.begin() + page + FlashPageSize, 0xFF);
        ++m_erased;
        return '.';
    }
    case 0x02:
        if (n != 2) return 'R';
        if (data[0] == 0x03) {
            m_status = data[1];
            return '.';
        }
        if (data[0] == 0x00) {
            m_configByte = data[1];
            return '.';
        }
        return 'R';
    case 0x08:
        return n == 0 ? '.' : 'R';
    default:
        return 'R';
    }
}

} // namespace orvo::sim
