#include "moduleops/moduleoperations.h"

#include <cstdio>
#include <limits>

#include "data/altitudeunit.h"
#include "link/livelog.h"
#include "moduleops/downloadarchive.h"
#include "plot/plotfile.h"

namespace orvo {

namespace {

std::string format(const char* fmt, auto... args) {
    char text[512];
    std::snprintf(text, sizeof text, fmt, args...);
    return text;
}

} // namespace

ModuleSurvey surveyModule(Link& link, InfoLog& log) {
    ModuleSurvey survey;
    survey.identity = identifyModule(link);
    // The notice stays above the information lines, and the sets are still listed.
    if (survey.status() != LinkStatus::Ok) log.line(NoReplyText);
    survey.listing = listSetsOf(link, survey.identity);
    for (const std::string& line : moduleInfoLines(survey.identity, survey.listing))
        log.line(line);
    return survey;
}

SetDownload downloadModuleSet(Link& link, PlotState& plot, int moduleSet, const SetListing& listed,
                              const ConfigBlock& config, std::uint32_t firstWaitMs, const std::string& today,
                              const std::string& downloadsFolder, InfoLog& log,
                              const DownloadProgress& progress) {
    SetDownload result;
    SeriesList& list = plot.settings.series;
    Series& set = list.CreateDataSet();
    const int n = list.dataSetCount() - 1;
    result.outcome = downloadSet(link, moduleSet, config.IntervalUnit, set, progress, firstWaitMs);
    const DownloadOutcome& out = result.outcome;
    if (!out.headerArrived()) {
        // A set of placeholder points must not pass for a flight.
        list.DeleteDataSet(n);
        log.line(format("Set %d did not answer; nothing was downloaded.", moduleSet + 1));
        return result;
    }
    result.result = LinkStatus::Ok;
    result.dataSetIndex = n;
    finishDownloadedSet(set, out, moduleSet + 1, config.IntervalUnit, today);
    if (out.samples > 0) plot.settings.timeMax = downloadTimeAxisMax(out.lastTime);
    AutoScaleTime(plot.settings, plot.home);
    AutoScaleAltitude(plot.settings, plot.home);
    log.line("");
    log.line("");
    log.line(format("Downloaded %d data samples.", out.samples));
    for (const std::string& problem : downloadProblems(out, moduleSet + 1))
        log.line(problem);
    plot.settings.xLabel = DownloadTimeLabel;
    if (const AltitudeUnit* unit = altitudeUnitOfCode(config.Units)) {
        plot.settings.yLabel = unit->axisLabel;
        set.altitudeUnit = unit;
    }
    // Kept on disk at once, so an erase that follows cannot lose the flight.
    std::string path;
    if (archiveDownloadedSet(list, n, plotFileHeader(plot.settings), moduleSet + 1,
                             downloadRecord(listed, moduleSet, out), &path, &result.archiveError,
                             downloadsFolder)) {
        result.archivePath = path;
        log.line("A copy was saved as " + path);
        if (!result.archiveError.empty())
            log.line("Its listing line could not be kept with it (" + result.archiveError +
                     "): an erase will not count it as saved.");
    } else {
        log.line("No copy could be saved: " + result.archiveError);
    }
    return result;
}

ConfigStatus readModuleConfiguration(Link& link, ConfigBlock* block, std::string* doubt, bool confirmed,
                                     InfoLog& log) {
    log.line("Reading Configuration...");
    ConfigBlock received;
    const ConfigStatus status = confirmed ? readConfirmedConfigBlock(link, &received, doubt)
                                          : readConfigBlock(link, &received, doubt);
    if (status == ConfigStatus::Ok) {
        *block = received;
        log.line("Configuration loaded.");
    } else if (status != ConfigStatus::Doubtful) {
        log.line("No reponse from device.");
    }
    return status;
}

std::string configDoubtText(const std::string& doubt) {
    return "The configuration read is doubtful (" + doubt + ")";
}

ModuleErase eraseModuleData(Link& link, const SetListing& listed, std::uint32_t firstLineWaitMs,
                            const std::string& downloadsFolder,
                            const std::function<bool(const EraseCheck&)>& proceed, InfoLog& log) {
    ModuleErase erase;
    log.line("Checking the module's data sets before erasing...");
    SetListing now = listSets(link, firstLineWaitMs);
    // A module that was empty when listed after a prompt identification and still lists nothing
    // is empty still.
    if (listed.empty && now.sent && !now.listed()) now.empty = true;
    erase.check = checkBeforeErase(listed, now, downloadsFolder);
    if (!proceed(erase.check)) {
        log.line(NothingErasedText);
        return erase;
    }
    if (eraseModuleMemory(link) != LinkStatus::Ok) {
        erase.result = LinkStatus::WriteFailed;
        log.line("Unable to send the erase command: the module's data was not erased.");
        return erase;
    }
    erase.result = LinkStatus::Ok;
    // The module does not answer 'x'; what can be said is that the command went out.
    log.line("Erase command sent: the module's data sets are erased.");
    return erase;
}

namespace {

// The read that follows a command the port took.
CommandAndRead readAfter(Link& link, ConfigBlock* block, bool confirmed, InfoLog& log) {
    CommandAndRead result;
    result.command = LinkStatus::Ok;
    result.read = readModuleConfiguration(link, block, &result.doubt, confirmed, log);
    return result;
}

} // namespace

CommandAndRead resetModuleAndRead(Link& link, ConfigBlock* block, bool confirmed, InfoLog& log) {
    log.line("Resetting the module...");
    if (resetModule(link) != LinkStatus::Ok) {
        log.line("Unable to send the reset command.");
        return {};
    }
    log.line("Module reset.");
    return readAfter(link, block, confirmed, log);
}

std::string calibrationAltitudeProblem(const std::string& text, std::int16_t* altitude) {
    if (parseCalibrationAltitude(text, altitude)) return {};
    // The text as typed, however long, stands whole in the message.
    return "\"" + text + "\"" +
           format(" is not a whole number from %d to %d: nothing was sent to the module.",
                  std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max());
}

CommandAndRead calibrateModuleAndRead(Link& link, std::int16_t altitude, ConfigBlock* block, bool confirmed,
                                      InfoLog& log) {
    if (calibrateModule(link, altitude) != LinkStatus::Ok) {
        log.line("Unable to send the calibration.");
        return {};
    }
    log.line(format("Calibration sent: the module's altitude is now %d.", altitude));
    return readAfter(link, block, confirmed, log);
}

CommandAndRead restoreModuleDefaults(Link& link, ConfigBlock* block, bool confirmed, InfoLog& log) {
    if (sendConfigDefaults(link) != ConfigStatus::Ok) {
        log.line("Unable to reset configuration!");
        return {};
    }
    return readAfter(link, block, confirmed, log);
}

ConfigStatus writeModuleConfiguration(Link& link, const ConfigBlock& block, InfoLog& log) {
    const ConfigStatus status = writeConfigBlock(link, block);
    log.line(status == ConfigStatus::Ok ? "Configuration sent to the module."
                                        : "Unable to write configuration!");
    return status;
}

LinkStatus startModuleLiveLog(Link& link, InfoLog& log) {
    const LinkStatus status = startLiveLogging(link);
    if (status != LinkStatus::Ok) log.line("Unable to send the logging command.");
    return status;
}

LinkStatus updateModuleFirmware(Link& link, const std::string& fileName, const FirmwareUpdateOptions& options,
                                InfoLog& log, const FirmwareUpdateHooks& hooks) {
    const LinkStatus result = UpdateFirmware(link, fileName, options, log, hooks);
    if (result == LinkStatus::Ok) {
        log.line("");
        log.line("Firmware updated successfully.");
    }
    return result;
}

} // namespace orvo
