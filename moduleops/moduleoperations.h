// The module operations the window's buttons and orvo-cli's commands share. Each is written
// once: it talks to the module over the open link it is handed, writes its lines to an InfoLog, reports
// progress through a callback and returns what happened for the caller to act on.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "config/configblock.h"
#include "firmware/isp.h"
#include "link/configexchange.h"
#include "link/infolog.h"
#include "link/protocol.h"
#include "moduleops/downloadarchive.h"
#include "plot/plotsettings.h"

namespace orvo {

// "Download Info" / `orvo-cli info`: who the module is and what it holds.
struct ModuleSurvey {
    ModuleIdentity identity;
    SetListing listing;
    // NoAnswer when an identification line is missing.
    LinkStatus status() const { return identity.missingLines == 0 ? LinkStatus::Ok : LinkStatus::NoAnswer; }
};
// Identifies the module, lists its sets (given as long as its identification took) and writes
// the information lines; "No Reply from Target" first when an identification line is missing.
ModuleSurvey surveyModule(Link& link, InfoLog& log);

// "Download Data" / `orvo-cli download`: one module set (0 = the first) as a new data set.
struct SetDownload {
    // Ok: the set's header came and a data set was added; NoAnswer: it did not, and none was.
    LinkStatus result = LinkStatus::NoAnswer;
    DownloadOutcome outcome;
    int dataSetIndex = -1;    // the new data set's place in the plot's list
    std::string archivePath;  // the copy in the downloads folder, when one was saved
    std::string archiveError; // why no copy was saved
    bool archived() const { return !archivePath.empty(); }
};
// Downloads the set into plot's list with the configuration's interval unit and altitude unit,
// scales the axes and labels them, and keeps a copy in the downloads folder at once, with the line
// listed names the set with, so an erase that follows cannot lose the flight. firstWaitMs: how
// long the set's header may take.
SetDownload downloadModuleSet(Link& link, PlotState& plot, int moduleSet, const SetListing& listed,
                              const ConfigBlock& config, std::uint32_t firstWaitMs, const std::string& today,
                              const std::string& downloadsFolder, InfoLog& log,
                              const DownloadProgress& progress = {});

// "Read Config" and orvo-cli's configuration reads: "Reading Configuration...", then
// "Configuration loaded." or "No reponse from device."; what a doubtful block leaves standing is
// for the caller to say. confirmed: read until three reads agree (a block that may be written
// back), else one read. *block changes only on Ok.
ConfigStatus readModuleConfiguration(Link& link, ConfigBlock* block, std::string* doubt, bool confirmed,
                                     InfoLog& log);
// "The configuration read is doubtful (doubt)", for the caller to end with what that leaves standing.
std::string configDoubtText(const std::string& doubt);

// "Erase Data" / `orvo-cli erase`: "Checking the module's data sets before erasing...", then lists
// the sets again (the first line given firstLineWaitMs) and checks them against the listing the user
// saw (checkBeforeErase: the two agree and every set was downloaded). proceed is shown that check and
// says whether to erase; the reasons it is shown are for the caller to tell. Then 'x', which the
// module does not answer, and a line that says what came of it.
struct ModuleErase {
    EraseCheck check;
    // Ok: the erase command went out; Cancelled: proceed said no and nothing was sent;
    // WriteFailed: the port did not take the command.
    LinkStatus result = LinkStatus::Cancelled;
};
ModuleErase eraseModuleData(Link& link, const SetListing& listed, std::uint32_t firstLineWaitMs,
                            const std::string& downloadsFolder,
                            const std::function<bool(const EraseCheck&)>& proceed, InfoLog& log);

// A command the module does not answer, followed by a read of its configuration.
struct CommandAndRead {
    // Ok: the port took the command; nothing is read when it did not (WriteFailed).
    LinkStatus command = LinkStatus::WriteFailed;
    ConfigStatus read = ConfigStatus::NoResponse;
    std::string doubt; // why a Doubtful read is doubtful
    bool ok() const { return command == LinkStatus::Ok && read == ConfigStatus::Ok; }
};

// "Reset Module" / `orvo-cli reset`: "Resetting the module...", 'R' and the 4 s restart, "Module
// reset.", then readModuleConfiguration (confirmed as there) into *block.
CommandAndRead resetModuleAndRead(Link& link, ConfigBlock* block, bool confirmed, InfoLog& log);

// Why text cannot be the calibration altitude, as the user is told; empty when it can, and
// *altitude then holds it. The window and orvo-cli check with this before anything is sent.
std::string calibrationAltitudeProblem(const std::string& text, std::int16_t* altitude);

// "Calibrate" / `orvo-cli calibrate`: '$', 't' and the altitude, "Calibration sent: ...", then
// readModuleConfiguration into *block.
CommandAndRead calibrateModuleAndRead(Link& link, std::int16_t altitude, ConfigBlock* block, bool confirmed,
                                      InfoLog& log);

// "Reset Defaults" / `orvo-cli config --defaults`: '*' (the module restores its own defaults),
// then readModuleConfiguration into *block. Whether to ask first is the caller's business.
CommandAndRead restoreModuleDefaults(Link& link, ConfigBlock* block, bool confirmed, InfoLog& log);

// "Write Config" / `orvo-cli config --set|--load`: 'c' and the block. The module does not answer,
// so Ok ("Configuration sent to the module.") only means the port took the bytes.
ConfigStatus writeModuleConfiguration(Link& link, const ConfigBlock& block, InfoLog& log);

// The Log Data page's Start: 'l', after which the module streams its altitude. Says only when the
// command could not be sent.
LinkStatus startModuleLiveLog(Link& link, InfoLog& log);

// Texts of the module operations that the window and orvo-cli show outside an InfoLog.
inline constexpr const char* NoReplyText = "No Reply from Target";
inline constexpr const char* ConfigReadFailedText = "Unable to read configuration!";
inline constexpr const char* EraseQuestionText =
    "This will erase all altitude data in the device.  Are you sure?";
inline constexpr const char* NothingErasedText = "Nothing was erased.";

// "Update Firmware" / `orvo-cli flash`: UpdateFirmware, closed by "Firmware updated
// successfully." after an empty line when the module took the whole file.
LinkStatus updateModuleFirmware(Link& link, const std::string& fileName, const FirmwareUpdateOptions& options,
                                InfoLog& log, const FirmwareUpdateHooks& hooks = {});

} // namespace orvo
