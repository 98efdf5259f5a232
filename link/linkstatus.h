// What came of a call over the link: one status for the module transactions and the firmware
// update, which the window and orvo-cli each turn into their own texts and exit statuses.
#pragma once

namespace orvo {

enum class LinkStatus {
    Ok,
    NoSuchPort,     // no port of that name
    WriteFailed,    // the port did not take every byte (closed, or the connection is gone)
    OpenFailed,     // a serial port could not be opened
    NoSync,         // the module did not answer the boot loader's speed synchronisation
    CommandFailed,  // a boot loader command failed three times
    FileUnreadable, // the firmware file could not be read
    TooLarge,       // a data record of the firmware file lies beyond the code space
    Refused,        // the file was refused before anything was sent (a damaged line, or wrong
                    // checksums or no data and no consent)
    Cancelled,      // stopped on request at a record boundary
};

} // namespace orvo
