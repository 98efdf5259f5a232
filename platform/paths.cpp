// The path helpers and the kind names, the same on every system but for which characters
// separate folders.
#include "platform/platform.h"

namespace orvo::platform {

const char* kindName(FileKind kind) {
    switch (kind) {
    case FileKind::Folder:
        return "a folder";
    case FileKind::Fifo:
        return "a FIFO";
    case FileKind::CharDevice:
        return "a character device";
    case FileKind::BlockDevice:
        return "a block device";
    case FileKind::Socket:
        return "a socket";
    case FileKind::Regular:
        return "a regular file";
    case FileKind::None:
        return "nothing";
    case FileKind::Other:
        break;
    }
    return "not a plain file";
}

std::size_t lastSeparator(std::string_view path) {
#ifdef _WIN32
    const std::size_t at = path.find_last_of("/\\");
    if (at != std::string_view::npos) return at;
    // "C:flight.csv" names a file in drive C's current folder.
    if (path.size() >= 2 && path[1] == ':' &&
        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')))
        return 1;
    return std::string_view::npos;
#else
    return path.rfind('/');
#endif
}

std::string_view fileName(std::string_view path) {
    const std::size_t at = lastSeparator(path);
    return at == std::string_view::npos ? path : path.substr(at + 1);
}

std::string_view folderOf(std::string_view path) {
    const std::size_t at = lastSeparator(path);
    return at == std::string_view::npos ? std::string_view() : path.substr(0, at + 1);
}

std::string joinPath(std::string_view folder, std::string_view name) {
    std::string out(folder);
    if (!out.empty() && lastSeparator(out) != out.size() - 1) {
#ifdef _WIN32
        out += '\\';
#else
        out += '/';
#endif
    }
    out += name;
    return out;
}

} // namespace orvo::platform
