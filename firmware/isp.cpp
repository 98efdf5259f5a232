// The boot loader dialogue and the whole firmware update. Once the status byte is 01 the module
// stays in its loader until an update completes, so after that point every failure tells the user
// how to finish.
#include "firmware/isp.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "link/comm.h"

namespace orvo {
namespace {

// Closes the port on every way out of UpdateFirmware.
struct PortCloser {
    Link& link;
    bool armed = false;
    ~PortCloser() {
        if (armed) link.CommClose();
    }
};

bool isReply(std::uint8_t c) {
    return c == '.' || c == 'X' || c == 'R';
}

// What the loader's answer means; logs its message. true for ".".
bool judgeReply(std::uint8_t c, InfoLog& log) {
    switch (c) {
    case '.':
        return true;
    case 'X':
        log.line("bad checksum");
        return false;
    case 'R':
        log.line("data byte write failure");
        return false;
    default:
        return false; // a stray character: no message of its own
    }
}

// Waits for the echo of text: a sliding window over what arrives, so stray characters before the
// echo do no harm. On a time-out *last holds the last byte seen (0 when none came): when the echo
// was lost but the loader's answer came, that answer is the last byte, and it must not be lost.
bool waitForEcho(Link& link, const std::string& text, std::uint8_t* last) {
    *last = 0;
    const std::uint32_t start = link.CommTickCount();
    std::string window;
    for (;;) {
        const std::uint32_t elapsed = link.CommTickCount() - start;
        if (elapsed >= IspTimeoutMs) return false;
        std::uint8_t b[2];
        if (!link.CommReadBlock(b, 1, IspTimeoutMs - elapsed)) continue;
        *last = b[0];
        window += static_cast<char>(b[0]);
        if (window.size() > text.size()) window.erase(0, 1);
        if (window == text) return true;
    }
}

} // namespace

std::string eraseRecord(int address) {
    static const char hex[] = "0123456789ABCDEF";
    std::string text = ":0300000400";
    for (int shift = 12; shift >= 0; shift -= 4)
        text += hex[(address >> shift) & 0xF];
    return AppendHexChecksum(text);
}

bool SyncIspBaud(Link& link) {
    for (int attempt = 0; attempt < IspTries; ++attempt) {
        link.CommWrite("U");
        std::uint8_t c[2] = {0, 0};
        if (link.CommReadBlock(c, 1, IspTimeoutMs) && c[0] == 'U') return true;
    }
    return false;
}

bool ReadIspReply(Link& link, InfoLog& log) {
    std::uint8_t c[2] = {0, 0};
    if (!link.CommReadBlock(c, 1, IspTimeoutMs)) {
        log.line("no response");
        return false;
    }
    return judgeReply(c[0], log);
}

bool SendIspCommand(Link& link, const std::string& text, InfoLog& log) {
    for (int attempt = 0; attempt < IspTries; ++attempt) {
        link.CommWrite(text);
        std::uint8_t last = 0;
        if (!waitForEcho(link, text, &last)) {
            log.line("Sent data not echoed");
            // The answer follows the echo; if it came anyway it was the last byte of the wait.
            if (isReply(last)) {
                if (judgeReply(last, log)) return true;
                continue;
            }
        }
        if (ReadIspReply(link, log)) return true;
    }
    return false;
}

LinkStatus UpdateFirmware(Link& link, const std::string& fileName, const FirmwareUpdateOptions& options,
                          InfoLog& log, const FirmwareUpdateHooks& hooks) {
    // --- the file, checked whole before anything is sent ---
    FirmwareFile file;
    const FirmwareLoadResult loaded = LoadFirmwareFile(fileName, file);
    switch (loaded.status) {
    case FirmwareLoadStatus::Ok:
        break;
    case FirmwareLoadStatus::Unreadable:
        log.line("Unable to read the firmware file " + loaded.error);
        return LinkStatus::FileUnreadable;
    case FirmwareLoadStatus::BeyondCodeSpace:
        if (hooks.codeSpaceExceeded) hooks.codeSpaceExceeded();
        log.line("Hex file exceeds code space.");
        return LinkStatus::TooLarge;
    case FirmwareLoadStatus::Malformed:
        if (hooks.fileRefused) hooks.fileRefused(loaded.error);
        log.line(loaded.error + " Nothing was sent to the module.");
        return LinkStatus::Refused;
    }
    if (file.badChecksums > 0) {
        if (!hooks.acceptBadChecksums ||
            !hooks.acceptBadChecksums(file.badChecksums, file.firstBadChecksumLine)) {
            log.line(std::to_string(file.badChecksums) +
                     " record(s) of the firmware file have a wrong checksum (line " +
                     std::to_string(file.firstBadChecksumLine) + " first). Nothing was sent to the module.");
            return LinkStatus::Refused;
        }
        log.line(std::to_string(file.badChecksums) +
                 " record(s) with a wrong checksum are programmed as they stand.");
    }
    if (!file.hasData) {
        if (!hooks.acceptNoData || !hooks.acceptNoData()) {
            log.line("The firmware file holds no data record. Nothing was sent to the module.");
            return LinkStatus::Refused;
        }
        log.line("The firmware file holds no data record: the module is erased and nothing is programmed.");
    }
    if (hooks.loaded) hooks.loaded(file.HighestAddress);
    auto idle = [&] {
        if (hooks.idle) hooks.idle();
    };
    auto stopRequested = [&] { return hooks.stopRequested && hooks.stopRequested(); };
    if (stopRequested()) {
        log.line("Stopped before anything was sent to the module.");
        return LinkStatus::Cancelled;
    }

    // --- programming mode ---
    PortCloser closer{link};
    if (!options.blankPart && !options.manualEntry) {
        // The running firmware hears "P" at its own speed and starts its loader.
        if (link.CommOpen(options.portName, options.linkSpeed, 0) != LinkStatus::Ok) {
            log.line("Unable to open Serial Port");
            if (!link.CommLastError().empty()) log.line(link.CommLastError());
            return LinkStatus::OpenFailed;
        }
        link.CommWrite("P");
        link.CommSleep(IspAfterProgramCommandMs);
        link.CommClose();
    }
    if (link.CommOpen(options.portName, IspBaud, 0) != LinkStatus::Ok) {
        log.line("Unable to open Serial Port");
        if (!link.CommLastError().empty()) log.line(link.CommLastError());
        return LinkStatus::OpenFailed;
    }
    closer.armed = true;
    if (!options.blankPart) {
        link.CommSendBreak(IspBreakMs);
        link.CommSleep(IspAfterBreakMs);
    }
    // Before the status byte is set the module's firmware is intact, and it starts again at the
    // next power-up; the user should not fear the worst.
    const char* untouched = "Nothing was erased; the module's firmware is unchanged.";
    if (!SyncIspBaud(link)) {
        log.line("Target not responding");
        log.line(untouched);
        return LinkStatus::NoSync;
    }
    log.line("ISP Mode Initiated");
    if (stopRequested()) {
        log.line("Stopped. " + std::string(untouched));
        return LinkStatus::Cancelled;
    }

    // --- erase, program, finish ---
    // From here on the module stays in its loader until the status byte is 00 again.
    bool loaderOnly = false;
    auto failed = [&](const char* message) {
        if (message) log.line(message);
        if (loaderOnly) {
            log.line("The module is now in its boot loader and its firmware is incomplete; it will not run "
                     "until an update completes.");
            if (!options.recoveryHint.empty()) log.line(options.recoveryHint);
        }
        return LinkStatus::CommandFailed;
    };
    if (!SendIspCommand(link, IspStatusBusy, log)) {
        failed("Error Setting Status Byte");
        log.line(untouched);
        return LinkStatus::CommandFailed;
    }
    loaderOnly = true;
    auto stopped = [&](const char* step, int address) {
        char where[8];
        std::snprintf(where, sizeof where, "%04X", static_cast<unsigned>(address));
        log.line(std::string("Stopped while ") + step + ", before address 0x" + where + ".");
        failed(nullptr);
        return LinkStatus::Cancelled;
    };
    // Dangerous: this erases the module's firmware, the whole code space, whatever the file holds.
    for (int page = 0; page < FirmwareSize; page += FirmwareBlockSize) {
        idle();
        if (stopRequested()) return stopped("erasing", page);
        if (!SendIspCommand(link, eraseRecord(page), log)) return failed("Error Erasing Flash");
    }
    for (int a = 0; a < file.imageEnd(); a += FirmwareBlockSize) {
        if (hooks.progress) hooks.progress(a);
        idle();
        if (stopRequested()) return stopped("programming", a);
        const int n = std::min(FirmwareBlockSize, file.HighestAddress - a + 1);
        if (!SendIspCommand(link, programRecord(file, a, n), log)) return failed("Error Programming Flash");
    }
    idle();
    // Every byte of the image is in the module now; what remains is telling the loader so.
    if (!SendIspCommand(link, IspStatusDone, log)) {
        log.line("Error Setting Status Byte");
        log.line("All of the firmware was programmed, but the boot loader did not take the end of the "
                 "update; the module stays in its boot loader.");
        if (!options.recoveryHint.empty()) log.line(options.recoveryHint);
        return LinkStatus::CommandFailed;
    }
    if (!SendIspCommand(link, IspConfigWrite, log)) {
        // The status byte is 00: the firmware is complete and the loader will start it.
        log.line("The firmware was programmed completely, but the boot loader did not take the "
                 "configuration byte and the module was not reset. Switch the module off and on to "
                 "start the new firmware.");
        return LinkStatus::CommandFailed;
    }
    link.CommSleep(IspBeforeResetMs);
    // The module restarts at once; neither echo nor answer is awaited. The port stays open (at the
    // loader's speed) for the record's time on the line, so closing it cannot cut or garble it.
    link.CommWrite(IspResetRecord);
    link.CommSleep(
        static_cast<std::uint32_t>(std::string_view(IspResetRecord).size() * 10 * 1000 / IspBaud + 20));
    return LinkStatus::Ok;
}

} // namespace orvo
