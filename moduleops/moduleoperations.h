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
    bool answered() const { return identity.missingLines == 0; }
};
// Identifies the module, lists its sets (given as long as its identification took) and writes
// the information lines; "No Reply from Target" first when an identification line is missing.
ModuleSurvey surveyModule(Link& link, InfoLog& log);

// "Download Data" / `orvo-cli download`: one module set (0 = the first) as a new data set.
struct SetDownload {
    bool answered = false; // false: the set did not answer and no data set was added
    DownloadOutcome outcome;
    int dataSetIndex = -1;    // the new data set's place in the plot's list
    std::string archivePath;  // the copy in the downloads folder, when one was saved
    std::string archiveError; // why no copy was saved
    bool archived() const { return !archivePath.empty(); }
};
// Downloads the set into plot's list with the configuration's interval unit and altitude unit,
// scales the axes and labels them, and keeps a copy in the downloads folder at once so an erase
// that follows cannot lose the flight. firstWaitMs: how long the set's header may take.
SetDownload downloadModuleSet(Link& link, PlotState& plot, int moduleSet, const ConfigBlock& config,
                              std::uint32_t firstWaitMs, const std::string& today, InfoLog& log,
                              const DownloadProgress& progress = {});

// "Read Config" and orvo-cli's configuration reads: "Reading Configuration...", then
// "Configuration loaded." or "No reponse from device."; what a doubtful block leaves standing is
// for the caller to say. confirmed: read until three reads agree (a block that may be written
// back), else one read. *block changes only on Ok.
ConfigStatus readModuleConfiguration(Link& link, ConfigBlock* block, std::string* doubt, bool confirmed,
                                     InfoLog& log);

// "Erase Data" / `orvo-cli erase`: lists the sets again (the first line given firstLineWaitMs) and
// checks them against the listing the user saw (checkBeforeErase: the two agree and every set was
// downloaded). proceed is shown that check and says whether to erase. Then 'x', which the module does not
// answer. Nothing is said here: the window and orvo-cli tell their users in their own words.
enum class EraseResult {
    Erased,     // the erase command went out
    Declined,   // proceed said no: nothing was sent
    SendFailed, // the port did not take the command
};
struct ModuleErase {
    EraseCheck check;
    EraseResult result = EraseResult::Declined;
};
ModuleErase eraseModuleData(Link& link, const SetListing& listed, std::uint32_t firstLineWaitMs,
                            const std::function<bool(const EraseCheck&)>& proceed);

// "Update Firmware" / `orvo-cli flash`: UpdateFirmware, closed by "Firmware updated
// successfully." after an empty line when the module took the whole file.
int updateModuleFirmware(Link& link, const std::string& fileName, const FirmwareUpdateOptions& options,
                         InfoLog& log, const FirmwareUpdateHooks& hooks = {});

} // namespace orvo
