// What came of a call over the link: one status for the module transactions and the firmware
// update. The window sums it up with linkStatusText; orvo-cli turns it into its exit statuses.
#pragma once

namespace orvo {

enum class LinkStatus {
    Ok,
    NoSuchPort,     // no port of that name
    NoAnswer,       // the module did not answer in time (its identification, a set's download)
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

// What came of a call, in plain words, as the window's status bar sums it up after the log has
// given the details ("Update Firmware: the module's boot loader did not answer.").
constexpr const char* linkStatusText(LinkStatus status) {
    switch (status) {
    case LinkStatus::Ok:
        return "done.";
    case LinkStatus::NoSuchPort:
        return "there is no serial port of that name.";
    case LinkStatus::NoAnswer:
        return "the module did not answer.";
    case LinkStatus::WriteFailed:
        return "the port did not take what was sent; the connection may be gone.";
    case LinkStatus::OpenFailed:
        return "the serial port could not be opened.";
    case LinkStatus::NoSync:
        return "the module's boot loader did not answer.";
    case LinkStatus::CommandFailed:
        return "the boot loader failed a command three times.";
    case LinkStatus::FileUnreadable:
        return "the firmware file could not be read.";
    case LinkStatus::TooLarge:
        return "the firmware file does not fit the module's code space.";
    case LinkStatus::Refused:
        return "the firmware file was refused; nothing was sent.";
    case LinkStatus::Cancelled:
        return "stopped before the end.";
    }
    return "an unknown outcome.";
}

} // namespace orvo
