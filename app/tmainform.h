// The main window: every page of the program (Connect / Download, Configure, Recorded Data, the
// hidden Log Data page, About), the status bar and the process-wide state. Handlers are split by
// page over tmainform_<page>.cpp; each is a few lines that call the layers below.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "app/appstate.h"
#include "link/configexchange.h"
#include "plot/plotview.h"

namespace orvo {
struct CommandAndRead;
class InfoLog;
} // namespace orvo

class QCheckBox;
class QComboBox;
class QKeyEvent;
class QLabel;
class QMouseEvent;
class QPainter;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QTimer;
class QGroupBox;
class QLineEdit;
class QSlider;
class RadioGroup;
class SpinButton;
class AppWindows;
class NameListBinder;
class Prompts;
class LargePlotWindow;
class PlotBoxWidget;

class TMainForm : public QWidget {
    Q_OBJECT
  public:
    TMainForm(AppState* state, Prompts* prompts, QWidget* parent = nullptr);
    ~TMainForm() override;

    // The dialogs, known once all windows exist (creation order: this window first).
    void setWindows(AppWindows* windows) { m_windows = windows; }
    AppState& state() { return *m_state; }
    Prompts& prompts() { return *m_prompts; }
    // The pages behind About and the dialogs: built with the window, or (AppWindows made with
    // StartMode::AfterFirstPicture) right after its first picture or at the first key, click or
    // drop, whichever comes first. Does nothing once done.
    void completeStart();
    // The port to select after the port list is filled (orvo --port NAME).
    void setRequestedPort(const QString& port) { m_requestedPort = port; }

    // The InfoText log of the Connect / Download page.
    void infoClear();
    void infoLine(const QString& line);
    // The last line the log got, on the status bar after action's name: the Configure page's
    // buttons show their result where the user clicked, not only on the Connect page's log.
    void showResultOnStatusBar(const QString& action);
    // Before a print: a plot that does not fit the page is said, with landscape or a smaller size
    // offered; false when nothing is to be printed.
    bool fitPrintToPage();
    // Repaints the plot box of the Recorded Data page, where there is one.
    void repaintPlot();

    // --- module link ---
    // [link members]
    // One module exchange at a time; the handlers below hold it while they run.
    class ModuleTransactions* transactions() const {
        return m_transactions;
    }
    // [end link members]

    // --- for the large plot (largeplot.cpp) ---
    // The Recorded Data page is the page shown.
    bool dataPageShown() const;
    // The cursor read-outs under the plot: the position, and the rate of climb.
    QString positionReadout() const;
    QString rateReadout() const;
    // watched is the Recorded Data page's own plot (not the large plot's).
    bool isPagePlot(const QObject* watched) const;
    // While a plot box (the page's or the large plot's) paints or has a mouse event, the plot
    // handlers work on that box; the one before comes back at the end of the scope.
    class ActivePlotBox {
      public:
        ActivePlotBox(TMainForm* form, PlotBoxWidget* box) : m_form(form), m_keep(form->PlotBox) {
            form->PlotBox = box;
        }
        ~ActivePlotBox() { m_form->PlotBox = m_keep; }
        ActivePlotBox(const ActivePlotBox&) = delete;
        ActivePlotBox& operator=(const ActivePlotBox&) = delete;

      private:
        TMainForm* m_form;
        PlotBoxWidget* m_keep;
    };

  private:
    // The controls, found from outside by their object names (each is its member's name).
    // --- window ---
    QTabWidget* PageControl1 = nullptr;
    QWidget* ConnectPage = nullptr;
    QWidget* ConfigurePage = nullptr;
    QWidget* DataPage = nullptr;
    QWidget* LogPage = nullptr;
    QWidget* AboutPage = nullptr;
    QPushButton* CloseBtn = nullptr;
    QCheckBox* SimulateChk = nullptr;
    QStatusBar* StatusPanel = nullptr;
    QLabel* ConnectStatusDisp = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QLabel* LogDisp = nullptr;
    QLabel* XYDisp = nullptr;
    QLabel* ROCDisp = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;

    // --- Connect / Download page ---
    QPlainTextEdit* InfoText = nullptr;
    QComboBox* CommPortBox = nullptr;
    QComboBox* SpeedBox = nullptr;
    QPushButton* ConnectBtn = nullptr;
    QPushButton* DLInfoBtn = nullptr;
    QPushButton* DLDataBtn = nullptr;
    QComboBox* SetList = nullptr;
    QPushButton* EraseDataBtn = nullptr;

    // --- Recorded Data page ---
    QComboBox* ActiveSetCombo = nullptr;
    QCheckBox* ShowPointsChk = nullptr;
    // [plot view controls]
    class PlotBoxWidget* PlotBox = nullptr; // the plot surface, filling the page
    class QGroupBox* GroupBox5 = nullptr;   // "Zoom"
    QPushButton* ZoomInBtn = nullptr;
    QPushButton* ZoomOutBtn = nullptr;
    QPushButton* ZoomResetBtn = nullptr;
    QPushButton* ZoomCropBtn = nullptr;
    class QGroupBox* GroupBox6 = nullptr; // "Pan"
    QPushButton* PanUpBtn = nullptr;
    QPushButton* PanDnBtn = nullptr;
    QPushButton* PanLtBtn = nullptr;
    QPushButton* PanRtBtn = nullptr;
    class QGroupBox* MouseGrp = nullptr; // "Mouse": Zoom, Climb, Peak
    class QButtonGroup* MouseGrpItems = nullptr;
    QPushButton* ScaleBtn = nullptr;
    QPushButton* EditBtn = nullptr;
    QPushButton* PrtBtn = nullptr;
    QPushButton* ExportBtn = nullptr;
    QLabel* Image2 = nullptr; // the background logo (hidden; the renderer draws it)
    // [end plot view controls]
    // [data file controls]
    QPushButton* SaveBtn = nullptr;
    QPushButton* LoadBtn = nullptr;
    QPushButton* ImportBtn = nullptr;  // Load, with the import dialog for another program's file
    QPushButton* LineUpBtn = nullptr;  // every set's liftoff at 0 s
    QPushButton* FlightsBtn = nullptr; // the table of all flights
    // [end data file controls]
    // [data properties controls]
    QPushButton* DataPropBtn = nullptr;
    // [end data properties controls]
    class QFileDialog* ExportDialog1 = nullptr; // made on the first Export

    // --- Configure page ---
    // [configure controls]
    QGroupBox* GroupBox1 = nullptr; // "Sampling Interval"
    QLabel* HourPanel = nullptr;
    QLabel* MinutePanel = nullptr;
    QLabel* SecondPanel = nullptr;
    QLabel* mSecPanel = nullptr;
    SpinButton* HourSpin = nullptr;
    SpinButton* MinSpin = nullptr;
    SpinButton* SecSpin = nullptr;
    SpinButton* mSecSpin = nullptr;
    QLabel* Msg1 = nullptr;
    RadioGroup* UnitsGrp = nullptr;
    QGroupBox* GroupBox2 = nullptr; // "Options"
    QCheckBox* BlankChk = nullptr;
    QCheckBox* TrigChk = nullptr;
    QCheckBox* RevTrigChk = nullptr;
    RadioGroup* AutoStartGrp = nullptr;
    QLineEdit* AutoStartSecEdit = nullptr;
    QLineEdit* AutoStartAltitudeEdit = nullptr;
    QLabel* AboveUnitsPanel = nullptr;
    RadioGroup* AutoStopGrp = nullptr;
    QLineEdit* AutoStopSecEdit = nullptr;
    QLineEdit* AutoStopAltitudeEdit = nullptr;
    QLabel* BelowUnitsPanel = nullptr;
    QLabel* CalUnitsPanel = nullptr; // the unit the calibration altitude is read in
    RadioGroup* AutoZeroGrp = nullptr;
    QGroupBox* GroupBox7 = nullptr; // "Altitude Triggering"
    QLineEdit* AltMinEdit = nullptr;
    QLineEdit* AltMaxEdit = nullptr;
    QLineEdit* AltStepEdit = nullptr;
    QLineEdit* AltBandEdit = nullptr;
    QGroupBox* GroupBox8 = nullptr; // "Servo Control"
    QSlider* ServoOffBar = nullptr;
    QSlider* ServoOnBar = nullptr;
    QSlider* ServoHoldBar = nullptr;
    QLabel* HoldTimePanel = nullptr;
    QPushButton* ReadCfgBtn = nullptr;
    QPushButton* WriteCfgBtn = nullptr;
    QPushButton* BitBtn1 = nullptr; // "Reset Defaults"
    QGroupBox* GroupBox3 = nullptr; // "Calibration"
    QLineEdit* AltCalEdit = nullptr;
    QPushButton* CalBtn = nullptr;
    QPushButton* ResetModuleBtn = nullptr;
    QGroupBox* GroupBox4 = nullptr; // "Firmware"
    QLabel* FirmwareVersionDisp = nullptr;
    QPushButton* UpdateBtn = nullptr;
    QCheckBox* BlankPartChk = nullptr;
    QCheckBox* CompatChk = nullptr;
    // [end configure controls]

    // --- Log Data page ---
    QWidget* AltBox = nullptr;
    QLabel* AMaxLabel = nullptr;
    QLabel* AMinLabel = nullptr;
    QLabel* Label2 = nullptr;  // "Time"
    QLabel* Panel3 = nullptr;  // the time read-out
    QLabel* Label3 = nullptr;  // "Altitude (feet)"
    QLabel* AltDisp = nullptr; // the altitude read-out
    QPushButton* StartBtn = nullptr;
    QPushButton* ClearBtn = nullptr;

    // --- About page ---
    QLabel* Image1 = nullptr;
    QLabel* VersionInfo = nullptr;
    QLabel* BuildInfo = nullptr;
    QLabel* AboutEmail = nullptr;
    QLabel* AboutWebSite = nullptr;
    QPushButton* ManualBtn = nullptr;

  public slots:
    // --- window (tmainform.cpp) ---
    void FormShow();
    void Timer2Timer();
    void PageControl1Change(int index);
    // True when the key was one of the plot shortcuts (and so consumed).
    bool FormKeyDown(QKeyEvent* event);
    void FormClose();

    // --- About page (tmainform_about.cpp) ---
    void AboutEmailClick();
    void AboutWebSiteClick();
    void ManualBtnClick();
    void Image1MouseDown(QMouseEvent* event);
    // "OrvoManual.pdf" in the executable's folder (or the installed documentation folder).
    static QString manualPath();

    // --- Log Data page (tmainform_log.cpp) ---
    void StartBtnClick();
    void Timer1Timer();
    void AltBoxPaint(QPainter& canvas);

    // [connect handlers]
    // --- module transactions (tmainform_connect.cpp) ---
    void ConnectBtnClick();
    void SpeedBoxChange(int index);
    void DLInfoBtnClick();
    void DLDataBtnClick();
    void EraseDataBtnClick();
    void ResetModuleBtnClick();
    void CalBtnClick();
    // [end connect handlers]
    // [configure handlers]
    // --- Configure page (tmainform_configure.cpp) ---
    // Reads the module's block into the in-memory copy and the page. False when no block came
    // (the user has been told) or the module is not connected.
    bool ReadConfiguration();
    void WriteConfiguration();
    void ResetConfigDefaults();
    void ShowSamplingInterval();
    void HourSpinUpClick();
    void HourSpinDownClick();
    void MinSpinUpClick();
    void MinSpinDownClick();
    void SecSpinUpClick();
    void SecSpinDownClick();
    void mSecSpinUpClick();
    void mSecSpinDownClick();
    void UnitsGrpClick();
    void ServoHoldBarChange();
    void ReadCfgBtnClick();
    void WriteCfgBtnClick();
    void BitBtn1Click();
    // [end configure handlers]
    // [firmware handlers]
    // --- firmware update (tmainform_firmware.cpp) ---
    void UpdateBtnClick();
    void CompatChkClick();
    // [end firmware handlers]
    // [plot view handlers]
    // Draws the screen plot and returns its layout; logo keeps the stretched background.
    orvo::PlotFrame PlotBoxPaint(QPainter& canvas, orvo::PlotRenderCache* cache);
    void PlotBoxClick();
    void PlotBoxMouseDown(QMouseEvent* event);
    void PlotBoxMouseMove(QMouseEvent* event);
    void PlotBoxMouseUp(QMouseEvent* event);
    void ZoomInBtnClick();
    void ZoomOutBtnClick();
    void ZoomResetBtnClick();
    void PanLtBtnClick();
    void PanRtBtnClick();
    void PanUpBtnClick();
    void PanDnBtnClick();
    void ZoomCropBtnClick();
    void ShowPointsChkClick();
    // The mouse tools' state, for the view's overlay and the tests.
    const orvo::MouseToolState& mouseTools() const { return m_mouse; }
    // Save, Load and Data Properties join the page's button row once they exist.
    void placeDataPageButtons();
    // [end plot view handlers]
    // [data file handlers]
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
    // Files to open once the start-up steps have run (orvo FILE...).
    void setStartupFiles(const QStringList& paths) { m_startupFiles = paths; }
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
    class FlightTableDialog* flightTable() const {
        return m_flightTable;
    }
    // Makes data set n the active one, as a choice in ActiveSetCombo does.
    void setActiveDataSet(int n);
    int activeSet() const { return activeDataSet(); }
    // [end data file handlers]
    // [data properties handlers]
    void DataPropBtnClick();
    // Ctrl+Z, and Ctrl+Shift+Z or Ctrl+Y, on the Recorded Data page (tmainform_undo.cpp).
    void UndoEdit();
    // An edit too large for the undo history was made: says it cannot be undone.
    void EditNotKept(const std::string& label);
    void RedoEdit();
    // Builds DataPropBtn on the Recorded Data page (tmainform_dataprop.cpp).
    void buildDataPropButton();
    // [end data properties handlers]
    // [plot dialog handlers]
    // --- Graph Scale and Edit Plot Info (tmainform_plotdialogs.cpp) ---
    void ScaleBtnClick();
    void EditBtnClick();
    void connectPlotDialogHandlers();
    // [end plot dialog handlers]
    // [output handlers]
    // --- Print and Export (tmainform_output.cpp) ---
    void PrtBtnClick();
    void ExportBtnClick();
    void ExportDialog1TypeChange(const QString& filter);
    // [end output handlers]

  protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // "Save changes to the plot before closing?" when a set holds unsaved changes; false: stay open.
    bool askToSaveBeforeClosing();
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildConnectPage();
    void buildConfigurePage();
    void buildDataPage();
    void buildLogPage();
    void buildAboutPage();
    void buildStatusBar();
    void connectHandlers();
    void fillPortList();
    void selectPort(const QString& port);
    void selectStartPort();
    void finishStartup();
    void buildPages(); // the Connect, Configure, Data and Log pages' controls and handlers, once
    void showFrame();  // at the first showing, before the first picture
    void showRest();   // FormShow and the files named at start, once the pages are built
    void showWithSettings(StoredSettings stored); // FormShow with the settings already read
    // A tab page of the window, and the widget its controls are built on.
    void addPage(QWidget*& page, const char* name, const QString& title);
    QWidget* pageBody(QWidget* page);
    bool onUnopenedPage(const QObject* object) const; // on a page's controls, the page never shown
    std::vector<QWidget*> m_pageControls;
    void showVersionAndBuild();
    void applyStoredSettings(const StoredSettings& s);
    StoredSettings collectSettings() const;
    void showPage(QWidget* page); // a page change made by the program, not the user
    void scrollInfoToEnd();       // the newest InfoText line in view

    AppState* m_state;
    Prompts* m_prompts;
    AppWindows* m_windows = nullptr;
    std::unique_ptr<NameListBinder> m_nameLists;
    QString m_requestedPort;
    bool m_shown = false;
    bool m_complete = false;         // completeStart has run
    bool m_portsListed = false;      // the port list has been filled once
    bool m_startupFinishing = false; // finishStartup is on its way or done
    bool m_closed = false;
    bool m_programmaticPage = false;
    // [private members: each page adds its own below its marker]
    // [configure private]
    void connectConfigureHandlers();
    bool configureConnected();     // false: the not-connected notice has been given
    void showConfigBlock();        // the controls from the in-memory block, after a read
    void collectConfigBlock();     // the in-memory block from the controls, before a write
    bool m_configDoubtful = false; // the last block read was garbled: Write Config refuses
    void applyConfigureSettings(const StoredSettings& s);
    void collectConfigureSettings(StoredSettings& s) const;
    // What ReadConfiguration does with a read, also after a reset, a calibration or the defaults.
    bool takeConfigurationRead(orvo::ConfigStatus status, const orvo::ConfigBlock& received,
                               const std::string& doubt);
    // Reset, calibrate and the defaults: the command and the read that follows it (given the block
    // to read into and the log), behind the wait cursor, then the read taken as above.
    void commandThenRead(
        const std::function<orvo::CommandAndRead(orvo::ConfigBlock* received, orvo::InfoLog& log)>& command);
    // [end configure private]
    // [firmware private]
    void connectFirmwareHandlers();
    // [end firmware private]
    // [plot view private]
    void connectPlotViewHandlers();
    int activeDataSet() const; // -1 when no data set is selected
    class QGridLayout* m_dataButtons = nullptr;
    orvo::MouseToolState m_mouse;
    // [end plot view private]
    // [data file private]
    void buildFileButtons(); // SaveBtn and LoadBtn on the Recorded Data page
    QString m_lastLoadFile;  // LoadDialog1 proposes the file chosen last time
    QStringList m_startupFiles;
    void buildCompareButtons(); // LineUpBtn, and the large plot's opener
    // The plot holds nothing but the data set made at start-up, untouched.
    bool holdsOnlyPlaceholder() const;
    // After files opened at start or dropped replaced the placeholder: it goes (one undoable
    // step) and the view fits the data, or takes a plot file's limits.
    void replacePlaceholder();
    bool m_loadedPlotFile = false; // the last load read a plot file
    LargePlotWindow* m_largePlot = nullptr;
    class FlightTableDialog* m_flightTable = nullptr;
    PlotBoxWidget* m_pagePlotBox = nullptr; // the Recorded Data page's plot
    // [end data file private]
    // [link private]
    void connectLinkHandlers();
    bool linkConnected(bool showConnectPage); // false: "Not Connected" has been written
    void disconnectPort();
    // Downloads module set index into a new data set; false when its header never came.
    bool downloadOneSet(int index);
    ModuleTransactions* m_transactions = nullptr; // a child of the window
    // [end link private]
    // [output private]
    void connectOutputHandlers();
    void applyOutputSettings(const StoredSettings& s);
    void collectOutputSettings(StoredSettings& s) const;
    QFileDialog* exportDialog();
    std::shared_ptr<class QPrinter> m_printer; // made on the first Print
    // [end output private]
};
