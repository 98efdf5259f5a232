// In-system programming: the dialogue with the module's boot loader (Intel-HEX records, every
// character echoed, one-character replies at 4800 bit/s) and UpdateFirmware, which loads a
// firmware file, brings the module into its loader, erases the code space and programs it. Used
// by the window's "Update Firmware" and by `orvo-cli flash`; it talks over the Link it is handed and
// reports through an InfoLog and callbacks, never a widget.
#pragma once

#include <functional>
#include <string>

#include "firmware/hexfile.h"
#include "link/comm.h"
#include "link/infolog.h"
#include "link/linkstatus.h"

namespace orvo {

inline constexpr int IspBaud = 4800;
inline constexpr std::uint32_t IspTimeoutMs = 1000; // echo, reply and each synchronisation try
inline constexpr int IspTries = 3;
inline constexpr std::uint32_t IspAfterProgramCommandMs = 100; // after "P"
inline constexpr std::uint32_t IspBreakMs = 200;
inline constexpr std::uint32_t IspAfterBreakMs = 500;
inline constexpr std::uint32_t IspBeforeResetMs = 500;

// The fixed commands, checksums included.
inline constexpr const char* IspStatusBusy = ":020000020301F8";  // status byte 01: update running
inline constexpr const char* IspStatusDone = ":020000020300F9";  // status byte 00: update complete
inline constexpr const char* IspConfigWrite = ":02000002006399"; // function 00, value 0x63
inline constexpr const char* IspResetRecord = ":00000008F8";
// Erase command for the 64-byte page at address.
std::string eraseRecord(int address);

// The boot loader dialogue on the open port (at 4800 bit/s). Each logs what the loader said.
// Sends "U" up to three times until the loader answers "U".
bool SyncIspBaud(Link& link);
// Sends one command up to three times until the loader answers ".". A missing echo is logged and
// does not by itself fail an attempt.
bool SendIspCommand(Link& link, const std::string& text, InfoLog& log);
// Reads the loader's one-character answer: true for ".".
bool ReadIspReply(Link& link, InfoLog& log);

struct FirmwareUpdateOptions {
    std::string portName;     // the module's port, as for CommOpen
    int linkSpeed = 5;        // the running firmware's speed (index 0..5 or bits per second)
    bool blankPart = false;   // the loader already runs: no "P", no break
    bool manualEntry = false; // the user started the loader with S2: no "P"
    // Said after a failure that left the module in its loader: how to finish from this caller.
    std::string recoveryHint;
};

struct FirmwareUpdateHooks {
    // The file is accepted; programming will go up to this address (a progress range).
    std::function<void(int highestAddress)> loaded;
    // Before each programming record, with its address; the window repaints here.
    std::function<void(int address)> progress;
    // Between any two boot loader commands; the window lets its messages run here.
    std::function<void()> idle;
    // A data record lies beyond the code space (the window's message box; the log line follows).
    std::function<void()> codeSpaceExceeded;
    // A line of the file is not a whole record; nothing will be sent.
    std::function<void(const std::string& why)> fileRefused;
    // Consent to program a file whose records have wrong checksums; absent means no.
    std::function<bool(int records, int firstLine)> acceptBadChecksums;
    // Consent to erase the module for a file with no data at all; absent means no.
    std::function<bool()> acceptNoData;
    // Asked before the dialogue and before every erase and programming record: true stops the
    // update there (orvo-cli on Ctrl+C), with the way to finish in the log. Once every record is
    // programmed the update finishes instead: the last three commands leave a working module.
    std::function<bool()> stopRequested;
};

// Loads the file and, when it is whole and accepted, programs it into the module. Returns Ok, or
// FileUnreadable, TooLarge, Refused, OpenFailed, NoSync, CommandFailed or Cancelled. Every step is
// logged; the port is closed whatever happens.
LinkStatus UpdateFirmware(Link& link, const std::string& fileName, const FirmwareUpdateOptions& options,
                          InfoLog& log, const FirmwareUpdateHooks& hooks = {});

} // namespace orvo
