// Saving that never destroys what it replaces: the new contents go to a temporary file in the
// same folder (so the final rename stays on one file system) and replace the old file only after
// every write, the flush to disk and the close have succeeded.
#include <new>
#include <string>

#include "data/datafile.h"
#include "platform/platform.h"

namespace orvo {

namespace {

// The save itself; piece gives the contents a piece at a time (false: no more).
FileStatus writeSafely(const std::string& path, const std::function<bool(std::string_view&)>& piece) {
    if (path.empty()) return FileStatus::OpenFailed;
    // A symbolic link keeps pointing at the saved file: the file it names is the one replaced.
    bool loop = false;
    const std::string target = platform::followLinks(path, &loop);
    if (loop) return FileStatus::OpenFailed;

    const platform::FileKind kind = platform::kindOfPath(target);
    const bool exists = kind != platform::FileKind::None;
    // Only a regular file is replaced: renaming over a device node, a FIFO or a socket would put a
    // plain file where the system expects the device (and writing into one could block or reach
    // hardware). A folder, or a file the user protected, could not have been opened either.
    if (exists && (kind != platform::FileKind::Regular || !platform::isWritable(target)))
        return FileStatus::OpenFailed;

    platform::File file;
    std::string temp;
    bool noFolder = false;
    if (!platform::createTempBeside(target, file, temp, &noFolder)) {
        // No such folder is an open failure; a folder that refuses a new file is a write failure.
        return noFolder ? FileStatus::OpenFailed : FileStatus::WriteFailed;
    }

    // The replacement gets the old file's permissions, or those a newly created file would get.
    platform::keepPermissions(file, target, exists);
    bool ok = true;
    try {
        std::string_view part;
        while (ok && piece(part))
            ok = file.writeAll(part);
    } catch (const std::bad_alloc&) {
        ok = false; // no memory for the next piece: the old file stays
    }
    ok = ok && file.flush();
    ok = file.close() && ok;
    ok = ok && platform::replaceFile(temp, target);
    if (!ok) {
        platform::removeFile(temp);
        return FileStatus::WriteFailed;
    }
    // Make the replace itself durable; the new file is complete either way.
    platform::flushFolder(std::string(platform::folderOf(target)));
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
