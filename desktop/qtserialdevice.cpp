// Real ports through QSerialPort: USB adapters, built-in ports and pseudo-terminals.
// After a hang-up QSerialPort keeps isOpen() true, reports a ReadError and lets
// waitForReadyRead return at once; the first read, write or resource error therefore ends the
// connection here, and later waits sleep their time away instead of spinning.
#include <QSerialPort>
#include <QSerialPortInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "desktop/qtserialdevice.h"
#include "link/clock.h"

#ifdef Q_OS_UNIX
#include <cstdlib>

#include <grp.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#endif

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace orvo {
namespace {

#ifdef Q_OS_UNIX
// QSerialPort takes a lock file in the first writable one of these before it opens a port; when
// that file cannot be written (a full disk, a file size limit of 0), the open fails exactly as for
// a port another program holds. A one-byte probe file tells the two apart. False with the folder
// and the reason when nothing can be written there.
bool lockFilesWritable(std::string* folder, std::string* reason) {
    for (const char* dir : {"/var/lock", "/etc/locks", "/var/spool/locks", "/var/spool/uucp", "/tmp"}) {
        if (access(dir, W_OK) != 0) continue;
        *folder = dir;
        std::string probe = std::string(dir) + "/orvo-lock-probe-XXXXXX";
        const int fd = mkstemp(probe.data());
        if (fd < 0) {
            *reason = std::strerror(errno);
            return false;
        }
        const char byte = '0';
        const bool written = ::write(fd, &byte, 1) == 1;
        const int error = errno;
        ::close(fd);
        ::unlink(probe.c_str());
        if (!written) *reason = std::strerror(error);
        return written;
    }
    return true; // no lock folder at all: nothing to tell
}
#endif

bool isFatal(QSerialPort::SerialPortError e) {
    return e == QSerialPort::ReadError || e == QSerialPort::WriteError || e == QSerialPort::ResourceError;
}

// The text shown under "Unable to open Serial Port".
std::string openFailureText(const std::string& name, QSerialPort::SerialPortError e, const QString& qtText) {
    switch (e) {
    case QSerialPort::DeviceNotFoundError:
        return "No such device: " + name;
    case QSerialPort::PermissionError: {
#ifdef Q_OS_UNIX
        // Busy ports also come back as PermissionError (the port is locked by another program).
        std::string path = name;
        if (path.find('/') == std::string::npos) path = "/dev/" + path;
        if (access(path.c_str(), R_OK | W_OK) == 0) {
            std::string folder, reason;
            if (!lockFilesWritable(&folder, &reason))
                return "The port's lock file could not be written in " + folder + " (" + reason + "), so " +
                       name +
                       " was not opened. Free some disk space, or raise the file size limit (ulimit -f).";
            return "Device busy: " + name + " is in use by another program.";
        }
        struct stat st {};
        if (stat(path.c_str(), &st) == 0) {
            const group* g = getgrgid(st.st_gid);
            std::string groupName = g && g->gr_name ? g->gr_name : std::to_string(st.st_gid);
            return "Permission denied: " + path + " belongs to the group \"" + groupName +
                   "\". Add yourself to it with\n    sudo usermod -aG " + groupName +
                   " $USER\nthen log out and log in again.";
        }
#endif
#ifdef Q_OS_WIN
        // Windows answers "access denied" for a COM port that another program holds open.
        return "Device busy: " + name + " is in use by another program.";
#else
        return "Permission denied: " + name;
#endif
    }
    case QSerialPort::OpenError:
        return "Device busy: " + name + " is already open.";
    default:
        return name + ": " + qtText.toStdString();
    }
}

class QtSerialDevice : public SerialDevice {
  public:
    bool open(const std::string& name, const LineSettings& s, std::string* error) override {
        m_port.setPortName(QString::fromStdString(name));
        if (!m_port.open(QIODevice::ReadWrite)) {
            if (error) *error = openFailureText(name, m_port.error(), m_port.errorString());
            return false;
        }
        if (s.mode == 0 || s.mode == 1) {
            m_port.setBaudRate(s.baud);
            m_port.setDataBits(s.mode == 0 ? QSerialPort::Data8 : QSerialPort::Data7);
            m_port.setParity(s.mode == 0 ? QSerialPort::NoParity : QSerialPort::EvenParity);
            m_port.setStopBits(QSerialPort::OneStop);
        }
        // Pseudo-terminals have no modem lines: these fail there, harmlessly.
        m_port.setDataTerminalReady(true);
        m_port.setRequestToSend(true);
        m_port.clearError();
        m_alive = true;
        return true;
    }

    void close() override {
        if (m_port.isOpen()) {
#ifdef Q_OS_UNIX
            // The port's old modes are put back at once on close: the last bytes written must be on
            // the line first, or they would go out at the old speed.
            if (m_alive) ::tcdrain(static_cast<int>(m_port.handle()));
#endif
#ifdef Q_OS_WIN
            // The same on Windows: the driver's buffer goes out before the handle closes (a firmware
            // update's last record is written just before the close).
            if (m_alive) FlushFileBuffers(reinterpret_cast<HANDLE>(m_port.handle()));
#endif
            if (m_alive) m_port.setDataTerminalReady(false);
            m_port.close();
        }
        m_alive = false;
    }

    int write(const std::uint8_t* bytes, int count) override {
        if (!m_alive) return 0;
        qint64 n = m_port.write(reinterpret_cast<const char*>(bytes), count);
        if (n < 0 || check()) return 0;
        // QSerialPort writes from its own buffer; push it out now, since nothing runs an event loop.
        while (m_alive && m_port.bytesToWrite() > 0) {
            if (!m_port.waitForBytesWritten(1000)) {
                check();
                break;
            }
        }
        return static_cast<int>(n);
    }

    int read(std::uint8_t* buffer, int capacity) override {
        if (!m_alive) return 0;
        if (m_port.bytesAvailable() == 0) {
            // Lets QSerialPort take what the OS has without blocking.
            m_port.waitForReadyRead(0);
            if (check()) return 0;
        }
        qint64 n = m_port.read(reinterpret_cast<char*>(buffer), capacity);
        if (n < 0) {
            check();
            return 0;
        }
        return static_cast<int>(n);
    }

    bool waitForInput(Clock& clock, std::uint32_t ms) override {
        if (!m_alive) {
            clock.sleep(ms);
            return false;
        }
        if (m_port.bytesAvailable() > 0) return true;
        const std::uint32_t start = clock.tickCount();
        bool ready = m_port.waitForReadyRead(static_cast<int>(ms));
        if (check()) {
            std::uint32_t spent = clock.tickCount() - start;
            if (spent < ms) clock.sleep(ms - spent);
            return false;
        }
        if (!ready) {
            // A wait that gives up early without a reason must not turn the caller's loop into a
            // spin; a short nap keeps it polite.
            std::uint32_t spent = clock.tickCount() - start;
            if (spent + 1 < ms) clock.sleep(1);
        }
        return ready;
    }

    void setBreak(bool on) override {
        if (!m_alive) return;
        m_port.setBreakEnabled(on);
        // Pseudo-terminals cannot signal a break; that is not a lost connection.
        if (!isFatal(m_port.error())) m_port.clearError();
    }

    bool alive() const override {
        return m_alive;
    }

  private:
    // Returns true (and ends the connection) on a read, write or resource error.
    bool check() {
        if (isFatal(m_port.error())) {
            m_alive = false;
            return true;
        }
        return false;
    }

    QSerialPort m_port;
    bool m_alive = false;
};

} // namespace

std::unique_ptr<SerialDevice> makeQtSerialDevice() {
    return std::make_unique<QtSerialDevice>();
}

} // namespace orvo
