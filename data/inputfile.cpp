#include "data/inputfile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvo {

namespace {

const char* kindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a plain file";
}

std::string reasonFor(mode_t mode) {
    return std::string("it is ") + kindOf(mode) + ", not a regular file";
}

void setWhy(std::string* why, std::string text) {
    if (why) *why = std::move(text);
}

} // namespace

std::string notRegularFileReason(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || S_ISREG(st.st_mode)) return std::string();
    return reasonFor(st.st_mode);
}

int openRegularFile(const std::string& path, std::string* why) {
    // Looked at before opening: opening a FIFO waits for a writer, and opening a serial device
    // can already reset what is plugged into it.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        setWhy(why, std::strerror(errno));
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        setWhy(why, reasonFor(st.st_mode));
        return -1;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        setWhy(why, std::strerror(errno));
        return -1;
    }
    // The path may have been replaced between the two looks; what was opened is what counts.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        setWhy(why, reasonFor(st.st_mode));
        ::close(fd);
        return -1;
    }
    return fd;
}

bool readRegularFile(const std::string& path, std::string& contents, std::string* why, std::size_t maxBytes) {
    contents.clear();
    const int fd = openRegularFile(path, why);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        setWhy(why, std::strerror(errno));
        ::close(fd);
        return false;
    }
    const auto size = static_cast<std::size_t>(st.st_size);
    if (maxBytes > 0 && size > maxBytes) {
        setWhy(why, "it is larger than " + std::to_string(maxBytes) + " bytes");
        ::close(fd);
        return false;
    }
    contents.reserve(size + 1);
    char chunk[65536];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            setWhy(why, std::strerror(errno));
            ::close(fd);
            contents.clear();
            return false;
        }
        if (got == 0) break;
        contents.append(chunk, static_cast<std::size_t>(got));
        // A file that grows while it is read is cut at the limit rather than followed forever.
        if (maxBytes > 0 && contents.size() > maxBytes) {
            setWhy(why, "it is larger than " + std::to_string(maxBytes) + " bytes");
            ::close(fd);
            contents.clear();
            return false;
        }
    }
    ::close(fd);
    return true;
}

std::string_view withoutByteOrderMark(std::string_view text) {
    if (text.size() >= 3 && static_cast<unsigned char>(text[0]) == 0xEF &&
        static_cast<unsigned char>(text[1]) == 0xBB && static_cast<unsigned char>(text[2]) == 0xBF)
        text.remove_prefix(3);
    return text;
}

} // namespace orvo
