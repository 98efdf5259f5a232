// The Recorded Data page: its controls and handlers. The plot with its view buttons and mouse
// tools (through the main window's plot view), the active set, Save, Load and Import, Line Up,
// the large plot and the flights table, Data Properties, undo and redo, Scale, Plot Properties,
// Print and Export. Made by the main window on the page it gives, and owned by it.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <string>

#include "plot/plotview.h"

struct AppState;
struct StoredSettings;
class FlightTableDialog;
class LargePlotWindow;
class PlotBoxWidget;
class PlotViewController;
class Prompts;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFileDialog;
class QGridLayout;
class QGroupBox;
class QLabel;
class QPrinter;
class QPushButton;
class QWidget;
class TMainForm;

class RecordedDataPage : public QObject {
    Q_OBJECT
  public:
    // Builds the page's controls on body.
    RecordedDataPage(TMainForm* form, QWidget* body);

    // The buttons made by their own code (Save, Load, Data Properties, ...), after the Log Data page.
    void finishBuilding();
    // The mouse tool chosen (0 Zoom, 1 Climb, 2 Peak).
    int mouseTool() const;
    // watched is the page's own plot (not the large plot's).
    bool isPagePlot(const QObject* watched) const;
    void showPoints(bool on);
    bool pointsShown() const;
    // The background logo, drawn once the window is up.
    void showLogo();
    void applyOutputSettings(const StoredSettings& s);
    void collectOutputSettings(StoredSettings& s) const;
    // The plot holds nothing but the data set made at start-up, untouched.
    bool holdsOnlyPlaceholder() const;
    // After a download replaced the placeholder: it goes (one undoable step), the view fits the data.
    void replacePlaceholderWithDownload();
    // Before a print: a plot that does not fit the page is said, with landscape or a smaller size
    // offered; false when nothing is to be printed.
    bool fitPrintToPage();
    // The set combo, for the name lists that follow the data sets.
    QComboBox* setCombo() const { return ActiveSetCombo; }

    void ZoomInBtnClick();
    void ZoomOutBtnClick();
    void ZoomResetBtnClick();
    void PanLtBtnClick();
    void PanRtBtnClick();
    void PanUpBtnClick();
    void PanDnBtnClick();
    void ZoomCropBtnClick();
    void ShowPointsChkClick();
    // Save, Load and Data Properties join the page's button row once they exist.
    void placeDataPageButtons();
    // --- data files (tmainform_files.cpp) ---
    void SaveBtnClick();
    // The Save flow; true when a file was written.
    bool saveData();
    void LoadBtnClick();
    void ImportBtnClick();
    // After a load added data sets: the Data Properties list selects its first entry, the plot
    // repaints.
    void afterDataSetsLoaded();
    // Loads one data file as Load does, with its messages; false when it could not be opened or
    // not loaded. setsLeft (for a load of several files) is what the files before it left of the
    // data sets one load may add, and is brought down by what this one added.
    // askMapping: another program's file is imported through the import dialog whatever its guess.
    bool loadDataFile(const QString& path, int* setsLeft = nullptr, bool askMapping = false);
    // Loads data files given on the command line or dropped on the window, then shows the
    // Recorded Data page.
    void openDataFiles(const QStringList& paths);
    // --- comparing flights (tmainform_compare.cpp) ---
    // Shifts every data set so that its liftoff is at 0 s, as one undoable step.
    void LineUpBtnClick();
    // The plot in a window of its own (F11, or a double-click on the plot); made on first use.
    void showLargePlot();
    LargePlotWindow* largePlot() const { return m_largePlot; }
    // The table of all flights (FlightsBtn, and the large plot's button); made on first use.
    void showFlightTable();
    // Fits the view and the Reset view to every data set, as Scale, Auto does (the A key).
    void fitViewToAllSets();
    // After a load that added data sets from firstNew on: when one of them lies partly outside
    // the view, the status bar says so and names the key that fits the view to every set.
    void noteSetsOutsideView(int firstNew);
    FlightTableDialog* flightTable() const { return m_flightTable; }
    // Makes data set n the active one, as a choice in ActiveSetCombo does.
    void setActiveDataSet(int n);
    int activeSet() const { return activeDataSet(); }
    void DataPropBtnClick();
    // Ctrl+Z, and Ctrl+Shift+Z or Ctrl+Y, on the Recorded Data page (tmainform_undo.cpp).
    void UndoEdit();
    // An edit too large for the undo history was made: says it cannot be undone.
    void EditNotKept(const std::string& label);
    void RedoEdit();
    // Builds DataPropBtn on the Recorded Data page (tmainform_dataprop.cpp).
    void buildDataPropButton();
    // --- Graph Scale and Edit Plot Info (tmainform_plotdialogs.cpp) ---
    void ScaleBtnClick();
    void EditBtnClick();
    void connectPlotDialogHandlers();
    // --- Print and Export (tmainform_output.cpp) ---
    void PrtBtnClick();
    void ExportBtnClick();
    void ExportDialog1TypeChange(const QString& filter);

  private:
    void repaintPlot();
    TMainForm* m_form;
    AppState* m_state;
    Prompts* m_prompts;
    QWidget* m_tabPage; // the tab page the controls stand on (body is its child)
    // The controls, found from outside by their object names (each is its member's name).
    // --- Recorded Data page ---
    QComboBox* ActiveSetCombo = nullptr;
    QCheckBox* ShowPointsChk = nullptr;
    PlotBoxWidget* PlotBox = nullptr; // the plot surface, filling the page
    QGroupBox* GroupBox5 = nullptr;   // "Zoom"
    QPushButton* ZoomInBtn = nullptr;
    QPushButton* ZoomOutBtn = nullptr;
    QPushButton* ZoomResetBtn = nullptr;
    QPushButton* ZoomCropBtn = nullptr;
    QGroupBox* GroupBox6 = nullptr; // "Pan"
    QPushButton* PanUpBtn = nullptr;
    QPushButton* PanDnBtn = nullptr;
    QPushButton* PanLtBtn = nullptr;
    QPushButton* PanRtBtn = nullptr;
    QGroupBox* MouseGrp = nullptr; // "Mouse": Zoom, Climb, Peak
    QButtonGroup* MouseGrpItems = nullptr;
    QPushButton* ScaleBtn = nullptr;
    QPushButton* EditBtn = nullptr;
    QPushButton* PrtBtn = nullptr;
    QPushButton* ExportBtn = nullptr;
    QLabel* Image2 = nullptr; // the background logo (hidden; the renderer draws it)
    QPushButton* SaveBtn = nullptr;
    QPushButton* LoadBtn = nullptr;
    QPushButton* ImportBtn = nullptr;  // Load, with the import dialog for another program's file
    QPushButton* LineUpBtn = nullptr;  // every set's liftoff at 0 s
    QPushButton* FlightsBtn = nullptr; // the table of all flights
    QPushButton* DataPropBtn = nullptr;
    QFileDialog* ExportDialog1 = nullptr; // made on the first Export

    void connectPlotViewHandlers();
    int activeDataSet() const; // -1 when no data set is selected
    QGridLayout* m_dataButtons = nullptr;
    void buildFileButtons();    // SaveBtn and LoadBtn on the Recorded Data page
    QString m_lastLoadFile;     // LoadDialog1 proposes the file chosen last time
    void buildCompareButtons(); // LineUpBtn, and the large plot's opener
    // After files opened at start or dropped replaced the placeholder: it goes (one undoable
    // step) and the view fits the data, or takes a plot file's limits.
    void replacePlaceholder();
    bool m_loadedPlotFile = false; // the last load read a plot file
    LargePlotWindow* m_largePlot = nullptr;
    FlightTableDialog* m_flightTable = nullptr;
    PlotBoxWidget* m_pagePlotBox = nullptr; // the Recorded Data page's plot
    void connectOutputHandlers();
    QFileDialog* exportDialog();
    std::shared_ptr<QPrinter> m_printer; // made on the first Print
};
