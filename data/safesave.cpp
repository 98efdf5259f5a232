// Saving that never destroys what it replaces: the new contents go to a temporary file in the
// same folder (so the final rename stays on one file system) and replace the old file only after
// every write, the flush to disk and the close have succeeded.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <new>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "data/datafile.h"

namespace orvo {

namespace {

// A symbolic link keeps pointing at the saved file: the file it names is the one replaced. The
// chain of links is followed by hand rather than with realpath, because a link to a file that does
// not exist yet must still be written through (the save creates its target), not replaced.
std::string resolvedTarget(const std::string& path) {
    std::string at = path;
    for (int hops = 0; hops < 40; ++hops) { // as many as the system itself follows
        struct stat st {};
        if (::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return at;
        std::string to(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1, '\0');
        const ssize_t n = ::readlink(at.c_str(), to.data(), to.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= to.size()) return at;
        to.resize(static_cast<std::size_t>(n));
        if (to[0] != '/') {
            // A relative link is relative to the folder that holds the link.
            const auto slash = at.rfind('/');
            if (slash != std::string::npos) to = at.substr(0, slash + 1) + to;
        }
        at = to;
    }
    return at; // a loop of links: the save fails on it like any path that cannot be opened
}

bool writeAll(int fd, std::string_view contents) {
    const char* p = contents.data();
    std::size_t left = contents.size();
    while (left > 0) {
        const ssize_t w = ::write(fd, p, std::min<std::size_t>(left, 1u << 20));
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false; // a full disk, a file size limit, an I/O error
        p += w;
        left -= static_cast<std::size_t>(w);
    }
    return true;
}

// The save itself; piece gives the contents a piece at a time (false: no more).
FileStatus writeSafely(const std::string& path, const std::function<bool(std::string_view&)>& piece) {
    if (path.empty()) return FileStatus::OpenFailed;
    const std::string target = resolvedTarget(path);
    struct stat link {};
    if (::lstat(target.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) return FileStatus::OpenFailed; // a loop

    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    // Only a regular file is replaced: renaming over a device node, a FIFO or a socket would put a
    // plain file where the system expects the device (and writing into one could block or reach
    // hardware). A folder, or a file the user protected, could not have been opened either.
    if (exists && (!S_ISREG(old.st_mode) || ::access(target.c_str(), W_OK) != 0))
        return FileStatus::OpenFailed;

    const auto slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temp = (slash == std::string::npos ? std::string() : folder) + "." + base + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        // No such folder is an open failure; a folder that refuses a new file is a write failure.
        return (errno == ENOENT || errno == ENOTDIR || errno == ENAMETOOLONG) ? FileStatus::OpenFailed
                                                                              : FileStatus::WriteFailed;
    }

    // The replacement gets the old file's permissions, or those a newly created file would get.
    mode_t mode = 0;
    if (exists) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    (void)::fchmod(fd, mode); // a file system without permissions keeps mkstemp's 0600
    bool ok = true;
    try {
        std::string_view part;
        while (ok && piece(part))
            ok = writeAll(fd, part);
    } catch (const std::bad_alloc&) {
        ok = false; // no memory for the next piece: the old file stays
    }
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return FileStatus::WriteFailed;
    }
    // Make the rename itself durable; the new file is complete either way.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return FileStatus::Ok;
}

} // namespace

FileStatus writeFileSafely(const std::string& path, std::string_view contents) {
    bool given = false;
    return writeSafely(path, [&](std::string_view& part) {
        if (given) return false;
        part = contents;
        given = true;
        return true;
    });
}

FileStatus writeFileSafely(const std::string& path, const std::function<bool(std::string&)>& next) {
    std::string chunk;
    return writeSafely(path, [&](std::string_view& part) {
        chunk.clear();
        if (!next(chunk)) return false;
        part = chunk;
        return true;
    });
}

} // namespace orvo
