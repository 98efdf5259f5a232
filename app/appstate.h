// The state the main window owns: its link to the module, connection, speed, set count, the module's
// configuration block, the plot record and its companions, the live-log buffer.
#pragma once

#include <vector>

#include "app/settings.h"
#include "config/configblock.h"
#include "config/interval.h"
#include "desktop/portlink.h"
#include "link/comm.h"
#include "link/linkspeed.h"
#include "link/protocol.h"
#include "plot/edithistory.h"
#include "plot/plotsettings.h"

struct AppState {
    orvo::PortLink link; // the window's port to the module
    bool connected = false;
    int speedIndex = orvo::DefaultSpeedIndex;
    bool logging = false;
    int setCount = 0;
    orvo::SetListing setListing; // the last "Download Info" listing, which an erase must see again
    int selectedSet = 0;
    orvo::ConfigBlock config;
    orvo::IntervalState interval; // the Configure page's sampling interval parts and sum
    orvo::PlotState plot;
    orvo::EditHistory history{plot}; // undo/redo of data edits and what is unsaved
    double printWidth = 7.0;
    double printHeight = 3.5;
    bool printColour = false; // the Output dialog's colour choice
    int exportType = 1;       // the export dialog's file type: 1 BMP, 2 JPEG, 3 GIF
    StoredSettings stored;    // as read at start-up; values without a control yet are kept here

    // Live-log ring buffer, one double per pixel column of the strip chart.
    std::vector<double> liveLog;
    int logHead = 0;
    int logTail = 0;
    int logCount = 0;
};
