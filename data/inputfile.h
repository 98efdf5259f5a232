// Reading a whole input file (a data file, a saved configuration, a firmware file) without the
// dangers of what a path may name: only a regular file is read, so a FIFO cannot hang the
// program and a device such as /dev/zero cannot fill its memory. Used by the data file loader,
// `orvo-cli config --load` and the firmware file reader.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace orvo {

// Reads the regular file at path into contents. On failure contents is empty and *why (when
// given) holds a plain-words reason such as "it is a FIFO, not a regular file" or "No such file
// or directory". maxBytes > 0 refuses a larger file ("it is larger than N bytes").
bool readRegularFile(const std::string& path, std::string& contents, std::string* why = nullptr,
                     std::size_t maxBytes = 0);

// The same checks, and the file opened for reading; a closed File with *why on failure.
platform::File openRegularFile(const std::string& path, std::string* why = nullptr);

// "" when path names a regular file (after following symbolic links) or nothing at all;
// otherwise why it cannot be treated as one, e.g. "it is a character device, not a regular file".
std::string notRegularFileReason(const std::string& path);

// text without a leading UTF-8 byte-order mark.
std::string_view withoutByteOrderMark(std::string_view text);

} // namespace orvo
