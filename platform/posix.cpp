// The seam on Linux and macOS: POSIX calls, paths handed on as the UTF-8 bytes they are.
#ifndef _WIN32

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/platform.h"

namespace orvo::platform {

namespace {

FileKind kindOfMode(mode_t mode) {
    if (S_ISREG(mode)) return FileKind::Regular;
    if (S_ISDIR(mode)) return FileKind::Folder;
    if (S_ISFIFO(mode)) return FileKind::Fifo;
    if (S_ISCHR(mode)) return FileKind::CharDevice;
    if (S_ISBLK(mode)) return FileKind::BlockDevice;
    if (S_ISSOCK(mode)) return FileKind::Socket;
    return FileKind::Other;
}

void setWhy(std::string* why, std::string text) {
    if (why) *why = std::move(text);
}

} // namespace

std::string lastErrorText() {
    return std::strerror(errno);
}

FileKind kindOfPath(const std::string& path, std::string* why) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        setWhy(why, lastErrorText());
        return FileKind::None;
    }
    return kindOfMode(st.st_mode);
}

File::~File() {
    if (m_fd >= 0) ::close(m_fd);
}

File::File(File&& other) noexcept : m_fd(other.m_fd), m_error(std::move(other.m_error)) {
    other.m_fd = -1;
}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = other.m_fd;
        m_error = std::move(other.m_error);
        other.m_fd = -1;
    }
    return *this;
}

bool File::isOpen() const {
    return m_fd >= 0;
}

void File::fail() {
    m_error = lastErrorText();
}

FileKind File::kind() const {
    struct stat st {};
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0) return FileKind::None;
    return kindOfMode(st.st_mode);
}

std::int64_t File::size() const {
    struct stat st {};
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0) return -1;
    return static_cast<std::int64_t>(st.st_size);
}

std::ptrdiff_t File::read(void* buffer, std::size_t n) {
    for (;;) {
        const ssize_t got = ::read(m_fd, buffer, n);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) fail();
        return got;
    }
}

std::ptrdiff_t File::readAt(void* buffer, std::size_t n, std::int64_t offset) {
    for (;;) {
        const ssize_t got = ::pread(m_fd, buffer, n, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) fail();
        return got;
    }
}

bool File::writeAll(std::string_view data) {
    const char* p = data.data();
    std::size_t left = data.size();
    while (left > 0) {
        const ssize_t w = ::write(m_fd, p, std::min<std::size_t>(left, 1u << 20));
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) {
            fail();
            return false;
        }
        p += w;
        left -= static_cast<std::size_t>(w);
    }
    return true;
}

bool File::flush() {
    if (::fsync(m_fd) == 0) return true;
    fail();
    return false;
}

bool File::close() {
    if (m_fd < 0) return true;
    const int r = ::close(m_fd);
    m_fd = -1;
    if (r != 0) fail();
    return r == 0;
}

File openForReading(const std::string& path, std::string* why) {
    File f;
    f.m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (f.m_fd < 0) setWhy(why, lastErrorText());
    return f;
}

bool createTempBeside(const std::string& target, File& file, std::string& tempPath, bool* noFolder) {
    const std::string_view folder = folderOf(target);
    tempPath = std::string(folder) + "." + std::string(fileName(target)) + ".XXXXXX";
    file = File();
    file.m_fd = ::mkstemp(tempPath.data());
    if (file.m_fd >= 0) {
        ::fcntl(file.m_fd, F_SETFD, FD_CLOEXEC);
        return true;
    }
    if (noFolder) *noFolder = errno == ENOENT || errno == ENOTDIR || errno == ENAMETOOLONG;
    return false;
}

bool replaceFile(const std::string& from, const std::string& to, std::string* why) {
    if (::rename(from.c_str(), to.c_str()) == 0) return true;
    setWhy(why, lastErrorText());
    return false;
}

bool removeFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

void flushFolder(const std::string& folder) {
    const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

// Followed by hand rather than with realpath: a link to a file that does not exist yet must
// still lead to that name (a save creates its target through the link).
std::string followLinks(const std::string& path, bool* loop) {
    if (loop) *loop = false;
    std::string at = path;
    for (int hops = 0; hops < 40; ++hops) { // as many as the system itself follows
        struct stat st {};
        if (::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return at;
        std::string to(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1, '\0');
        const ssize_t n = ::readlink(at.c_str(), to.data(), to.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= to.size()) return at;
        to.resize(static_cast<std::size_t>(n));
        // A relative link is relative to the folder that holds the link.
        if (to[0] != '/') to = std::string(folderOf(at)) + to;
        at = to;
    }
    if (loop) *loop = true;
    return at;
}

bool isWritable(const std::string& path) {
    return ::access(path.c_str(), W_OK) == 0;
}

void keepPermissions(File& file, const std::string& oldPath, bool oldExists) {
    mode_t mode = 0;
    struct stat old {};
    if (oldExists && ::stat(oldPath.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    (void)::fchmod(file.m_fd, mode); // a file system without permissions keeps mkstemp's 0600
}

bool makeFolders(const std::string& folder, std::string* why) {
    if (folder.empty()) return true;
    std::string at;
    std::size_t from = 0;
    while (from <= folder.size()) {
        std::size_t slash = folder.find('/', from);
        if (slash == std::string::npos) slash = folder.size();
        at = folder.substr(0, slash);
        if (!at.empty() && ::mkdir(at.c_str(), 0777) != 0 && errno != EEXIST) {
            setWhy(why, lastErrorText());
            return false;
        }
        from = slash + 1;
    }
    if (kindOfPath(folder) != FileKind::Folder) {
        setWhy(why, "it is not a folder");
        return false;
    }
    return true;
}

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return names;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        if (kindOfPath(joinPath(folder, name)) == FileKind::Regular) names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

std::string environment(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

void setEnvironmentDefault(const char* name, const char* value) {
    ::setenv(name, value, 0);
}

void ignoreFileSizeSignal() {
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

namespace {
void (*interruptHandler)(int) = nullptr;
struct sigaction previousInt {
}, previousTerm{};

extern "C" void onSignal(int sig) {
    if (interruptHandler) interruptHandler(sig);
}
} // namespace

InterruptGuard::InterruptGuard(void (*onInterrupt)(int)) {
    interruptHandler = onInterrupt;
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART; // reads in progress go on; the flag is looked at between steps
    sigaction(SIGINT, &sa, &previousInt);
    sigaction(SIGTERM, &sa, &previousTerm);
}

InterruptGuard::~InterruptGuard() {
    sigaction(SIGINT, &previousInt, nullptr);
    sigaction(SIGTERM, &previousTerm, nullptr);
    interruptHandler = nullptr;
}

void writeToStandardError(std::string_view text) {
    [[maybe_unused]] const ssize_t n = ::write(STDERR_FILENO, text.data(), text.size());
}

} // namespace orvo::platform

#endif
