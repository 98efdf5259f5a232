// The main window: the tab control with its pages, the status bar and the application state. The
// Connect / Download, Configure and Recorded Data pages are objects of their own that own their
// controls and handlers (connectdownloadpage.h, configurationpage.h, recordeddatapage.h); the
// small About and hidden Log Data pages stay here. The plot view behind the page's plot and the
// large plot is a PlotViewController.
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
    // Repaints the plot box of the Recorded Data page, where there is one.
    void repaintPlot();
    // The status bar's connection field (widened when a longer text needs it).
    void showLinkState(const QString& text, bool paintNow = false);
    QProgressBar* progressBar() const { return ProgressBar1; }
    // The log box, for the wait cursor of a blocking exchange.
    QWidget* infoText() const;
    // Turns to the Connect / Download page (the program's choice, not the user's).
    void showConnectPage();
    // The port chosen in the port list.
    QString portName() const;
    // False when not connected; "Not Connected" has then been written (and the Connect page
    // shown when asked).
    bool linkConnected(bool showConnectPage);
    void disconnectPort();
    // Simulate Target (hidden): Download Info answers for a simulated module.
    bool simulateTarget() const;
    // The port named on the command line.
    const QString& requestedPort() const { return m_requestedPort; }
    // The pages, once built.
    class ConnectDownloadPage* connectPage() const {
        return m_connect;
    }
    class ConfigurationPage* configurationPage() const {
        return m_configure;
    }
    class RecordedDataPage* dataPage() const {
        return m_data;
    }
    // Files to open once the start-up steps have run (orvo FILE...).
    void setStartupFiles(const QStringList& paths) { m_startupFiles = paths; }
    // The mouse tools' state, for the view's overlay and the tests.
    const orvo::MouseToolState& mouseTools() const;
    // The dialogs (null until made).
    AppWindows* windows() const { return m_windows; }
    QStatusBar* statusBar() const { return StatusPanel; }
    // The status bar's read-outs: the position (or what an edit did), and the rate of climb (empty:
    // the last one stays).
    void showReadouts(const QString& position, const QString& rate = QString());
    // Turns to the Recorded Data page (the program's choice, not the user's), for good: the
    // automatic turn to the Connect page after start does not follow.
    void showDataPage();

    // --- module link ---
    // One module exchange at a time; the handlers below hold it while they run.
    class ModuleTransactions* transactions() const {
        return m_transactions;
    }

    // --- for the large plot (largeplot.cpp) ---
    // The Recorded Data page is the page shown.
    bool dataPageShown() const;
    // The cursor read-outs under the plot: the position, and the rate of climb.
    QString positionReadout() const;
    QString rateReadout() const;
    // watched is the Recorded Data page's own plot (not the large plot's).
    bool isPagePlot(const QObject* watched) const;
    // The view behind the page's plot and the large plot: mouse tools, view keys, repaints.
    class PlotViewController* plotView() const {
        return m_view;
    }

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

    // --- Configure page ---

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
    void buildLogPage();
    void buildAboutPage();
    void buildStatusBar();
    void connectHandlers();
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

    AppState* m_state;
    Prompts* m_prompts;
    AppWindows* m_windows = nullptr;
    std::unique_ptr<NameListBinder> m_nameLists;
    QString m_requestedPort;
    bool m_shown = false;
    bool m_complete = false;         // completeStart has run
    bool m_startupFinishing = false; // finishStartup is on its way or done
    bool m_closed = false;
    bool m_programmaticPage = false;
    class ConfigurationPage* m_configure = nullptr;
    class ConnectDownloadPage* m_connect = nullptr;
    class RecordedDataPage* m_data = nullptr;
    PlotViewController* m_view = nullptr; // a child of the window
    QStringList m_startupFiles;
    ModuleTransactions* m_transactions = nullptr; // a child of the window
};
