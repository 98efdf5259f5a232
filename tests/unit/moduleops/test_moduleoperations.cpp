// The module operations that end in a command the module does not answer: what each says, what
// it reports, and what reached the emulated module, with the port open and with it closed.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "link/comm.h"
#include "moduleops/moduleoperations.h"
#include "sim/module.h"
#include "sim/simulatedlink.h"

using namespace orvo;

namespace {

using Lines = std::vector<std::string>;

// A fresh emulated module behind an open link.
struct OpenModule {
    OpenModule() {
        link.CommSetClock(&clock);
        EXPECT_EQ(link.CommOpen(SimulatorPortName, 5, 0), LinkStatus::Ok);
    }
    VirtualClock clock;
    orvo::sim::SimulatedLink link;
    StringInfoLog log;
    ConfigBlock block; // what an operation read
};

} // namespace

TEST(ModuleOperations, EachSaysWhatCameOfItAndReportsIt) {
    const struct {
        const char* name;
        std::function<bool(OpenModule&)> run; // true: the operation reports that it worked
        Lines answered;                       // the lines when the module is there
        Lines closed;                         // the lines when the port is closed
        std::string commands;                 // what the module acted on
    } cases[] = {
        {"reset",
         [](OpenModule& m) { return resetModuleAndRead(m.link, &m.block, false, m.log).ok(); },
         {"Resetting the module...", "Module reset.", "Reading Configuration...", "Configuration loaded."},
         {"Resetting the module...", "Unable to send the reset command."},
         "Rr"},
        {"calibrate",
         [](OpenModule& m) { return calibrateModuleAndRead(m.link, -25, &m.block, true, m.log).ok(); },
         {"Calibration sent: the module's altitude is now -25.", "Reading Configuration...",
          "Configuration loaded."},
         {"Unable to send the calibration."},
         "$rrr"},
        {"defaults",
         [](OpenModule& m) { return restoreModuleDefaults(m.link, &m.block, false, m.log).ok(); },
         {"Reading Configuration...", "Configuration loaded."},
         {"Unable to reset configuration!"},
         "*r"},
        {"write",
         [](OpenModule& m) { return writeModuleConfiguration(m.link, m.block, m.log) == ConfigStatus::Ok; },
         {"Configuration sent to the module."},
         {"Unable to write configuration!"},
         "c"},
        {"live log",
         [](OpenModule& m) { return startModuleLiveLog(m.link, m.log) == LinkStatus::Ok; },
         {},
         {"Unable to send the logging command."},
         "l"},
        {"erase",
         [](OpenModule& m) {
             const auto anyway = [](const EraseCheck&) { return true; };
             return eraseModuleData(m.link, {}, SetFirstLineTimeoutMs, ::testing::TempDir(), anyway, m.log)
                        .result == LinkStatus::Ok;
         },
         {"Checking the module's data sets before erasing...",
          "Erase command sent: the module's data sets are erased."},
         {"Checking the module's data sets before erasing...",
          "Unable to send the erase command: the module's data was not erased."},
         "sx"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OpenModule there;
        EXPECT_TRUE(c.run(there));
        EXPECT_EQ(there.log.lines, c.answered);
        EXPECT_EQ(there.link.simulator().commandLog(), c.commands);

        OpenModule gone;
        gone.link.CommClose();
        EXPECT_FALSE(c.run(gone));
        EXPECT_EQ(gone.log.lines, c.closed);
        EXPECT_EQ(gone.link.simulator().commandLog(), "");
    }
}

TEST(ModuleOperations, AReadThatDoesNotComeAfterTheCommandIsNotAnUnsentCommand) {
    OpenModule m;
    m.link.simulator().faults().ignoreCommands.push_back('r');
    const CommandAndRead done = resetModuleAndRead(m.link, &m.block, true, m.log);
    EXPECT_EQ(done.command, LinkStatus::Ok);
    EXPECT_EQ(done.read, ConfigStatus::NoResponse);
    EXPECT_EQ(m.log.lines.back(), "No reponse from device.");
}

TEST(ModuleOperations, CalibrationAltitudeIsCheckedWithTheTextTheUserTyped) {
    for (const std::string& bad : {std::string("32768"), std::string("12 ft"), std::string(700, '9')}) {
        std::int16_t altitude = 0;
        const std::string problem = calibrationAltitudeProblem(bad, &altitude);
        // The text stands whole, however long, and the range is the module's 16 bits.
        EXPECT_EQ(problem.find("\"" + bad + "\" is not a whole number from -32768 to 32767"), 0u) << problem;
        EXPECT_TRUE(problem.ends_with("nothing was sent to the module.")) << problem;
    }
    std::int16_t altitude = 0;
    EXPECT_EQ(calibrationAltitudeProblem(" -25 ", &altitude), "");
    EXPECT_EQ(altitude, -25);
}

TEST(ModuleOperations, ASurveyOrDownloadNobodyAnswersSaysNoAnswerAndAddsNothing) {
    for (const bool there : {true, false}) {
        SCOPED_TRACE(there ? "module there" : "port closed");
        OpenModule m;
        if (!there) m.link.CommClose();
        const ModuleSurvey survey = surveyModule(m.link, m.log);
        EXPECT_EQ(survey.status(), there ? LinkStatus::Ok : LinkStatus::NoAnswer);
        EXPECT_EQ(!m.log.lines.empty() && m.log.lines.front() == NoReplyText, !there);

        PlotState plot;
        const SetDownload got =
            downloadModuleSet(m.link, plot, 0, survey.listing, m.block, SetFirstLineTimeoutMs, "2026-12-09",
                              ::testing::TempDir(), m.log);
        EXPECT_EQ(got.result, there ? LinkStatus::Ok : LinkStatus::NoAnswer);
        EXPECT_EQ(plot.settings.series.dataSetCount(), there ? 1 : 0);
        EXPECT_EQ(got.dataSetIndex, there ? 0 : -1);
    }
}
