#include "moduleops/moduleoperations.h"

#include <cstdio>

#include "data/altitudeunit.h"
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
    if (!survey.answered()) log.line("No Reply from Target");
    survey.listing = listSets(link, setListingWaitMs(survey.identity));
    for (const std::string& line : moduleInfoLines(survey.identity, survey.listing))
        log.line(line);
    return survey;
}

SetDownload downloadModuleSet(Link& link, PlotState& plot, int moduleSet, const ConfigBlock& config,
                              std::uint32_t firstWaitMs, const std::string& today, InfoLog& log,
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
    result.answered = true;
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
    if (archiveDownloadedSet(list, n, plotFileHeader(plot.settings), moduleSet + 1, &path,
                             &result.archiveError)) {
        result.archivePath = path;
        log.line("A copy was saved as " + path);
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

ModuleErase eraseModuleData(Link& link, const SetListing& listed, std::uint32_t firstLineWaitMs,
                            const std::function<bool(const EraseCheck&)>& proceed) {
    ModuleErase erase;
    erase.check = checkBeforeErase(listed, listSets(link, firstLineWaitMs));
    if (!proceed(erase.check)) return erase;
    erase.result = eraseModuleMemory(link) == LinkStatus::Ok ? EraseResult::Erased : EraseResult::SendFailed;
    return erase;
}

int updateModuleFirmware(Link& link, const std::string& fileName, const FirmwareUpdateOptions& options,
                         InfoLog& log, const FirmwareUpdateHooks& hooks) {
    const int result = UpdateFirmware(link, fileName, options, log, hooks);
    if (result == FirmwareUpdated) {
        log.line("");
        log.line("Firmware updated successfully.");
    }
    return result;
}

} // namespace orvo
