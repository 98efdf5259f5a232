#include "data/inputfile.h"

#include "platform/platform.h"

namespace orvo {

namespace {

using platform::FileKind;

std::string reasonFor(FileKind kind) {
    return std::string("it is ") + platform::kindName(kind) + ", not a regular file";
}

void setWhy(std::string* why, std::string text) {
    if (why) *why = std::move(text);
}

} // namespace

std::string notRegularFileReason(const std::string& path) {
    const FileKind kind = platform::kindOfPath(path);
    if (kind == FileKind::None || kind == FileKind::Regular) return std::string();
    return reasonFor(kind);
}

platform::File openRegularFile(const std::string& path, std::string* why) {
    // Looked at before opening: opening a FIFO waits for a writer, and opening a serial device
    // can already reset what is plugged into it.
    std::string failure;
    const FileKind before = platform::kindOfPath(path, &failure);
    if (before == FileKind::None) {
        setWhy(why, failure);
        return platform::File();
    }
    if (before != FileKind::Regular) {
        setWhy(why, reasonFor(before));
        return platform::File();
    }
    platform::File file = platform::openForReading(path, &failure);
    if (!file.isOpen()) {
        setWhy(why, failure);
        return file;
    }
    // The path may have been replaced between the two looks; what was opened is what counts.
    if (const FileKind opened = file.kind(); opened != FileKind::Regular) {
        setWhy(why, reasonFor(opened));
        return platform::File();
    }
    return file;
}

bool readRegularFile(const std::string& path, std::string& contents, std::string* why, std::size_t maxBytes) {
    contents.clear();
    platform::File file = openRegularFile(path, why);
    if (!file.isOpen()) return false;
    const std::int64_t size = file.size();
    if (size < 0) {
        setWhy(why, platform::lastErrorText());
        return false;
    }
    if (maxBytes > 0 && static_cast<std::uint64_t>(size) > maxBytes) {
        setWhy(why, "it is larger than " + std::to_string(maxBytes) + " bytes");
        return false;
    }
    contents.reserve(static_cast<std::size_t>(size) + 1);
    char chunk[65536];
    for (;;) {
        const std::ptrdiff_t got = file.read(chunk, sizeof chunk);
        if (got < 0) {
            setWhy(why, file.error());
            contents.clear();
            return false;
        }
        if (got == 0) break;
        contents.append(chunk, static_cast<std::size_t>(got));
        // A file that grows while it is read is cut at the limit rather than followed forever.
        if (maxBytes > 0 && contents.size() > maxBytes) {
            setWhy(why, "it is larger than " + std::to_string(maxBytes) + " bytes");
            contents.clear();
            return false;
        }
    }
    return true;
}

std::string_view withoutByteOrderMark(std::string_view text) {
    if (text.size() >= 3 && static_cast<unsigned char>(text[0]) == 0xEF &&
        static_cast<unsigned char>(text[1]) == 0xBB && static_cast<unsigned char>(text[2]) == 0xBF)
        text.remove_prefix(3);
    return text;
}

} // namespace orvo
