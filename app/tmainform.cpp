#include "app/tmainform.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <utility>

#include "app/appwindows.h"
#include "app/configurationpage.h"
#include "app/connectdownloadpage.h"
#include "app/largeplot.h"
#include "app/moduletransactions.h"
#include "app/namelists.h"
#include "app/plotbox.h"
#include "app/plotviewcontroller.h"
#include "app/prompts.h"
#include "app/recordeddatapage.h"
#include "app/tdatapropform.h"
#include "app/teditinfoform.h"
#include "app/version.h"
#include "plot/plotrender.h"

TMainForm::TMainForm(AppState* state, Prompts* prompts, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_state(state), m_prompts(prompts) {
    setObjectName("TMainForm");
    setWindowTitle(QStringLiteral("Orvo"));
    setFixedSize(772, 565);
    move(339, 152);
    setAcceptDrops(true); // data files dropped on the window are loaded
    PlotViewController::Hooks view;
    view.tool = [this] { return m_data ? m_data->mouseTool() : 0; };
    view.activeSet = [this] { return m_data ? m_data->activeSet() : -1; };
    view.readouts = [this](const QString& position, const QString& rate) { showReadouts(position, rate); };
    view.clicked = [this] { PageControl1->setFocus(); };
    view.undo = [this] { m_data->UndoEdit(); };
    view.redo = [this] { m_data->RedoEdit(); };
    m_view = new PlotViewController(m_state, std::move(view), this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->setSpacing(2);
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
    layout->addWidget(PageControl1, 1);

    // The four pages behind About are built in buildPages(); their tabs stand from the start.
    addPage(ConnectPage, "ConnectPage", QStringLiteral("Connect / Download"));
    addPage(ConfigurePage, "ConfigurePage", QStringLiteral("Configure"));
    addPage(DataPage, "DataPage", QStringLiteral("Recorded Data"));
    addPage(LogPage, "LogPage", QStringLiteral("Log Data"));
    buildAboutPage();
    const int logTab = PageControl1->indexOf(LogPage);
    PageControl1->setTabVisible(logTab, false);
    // The tab bar's arrow keys, its wheel and Ctrl+Tab skip disabled tabs but not hidden ones.
    // Disabling the tab in the bar alone keeps the page itself enabled for the program.
    PageControl1->tabBar()->setTabEnabled(logTab, false);
    // The window opens on About (FormShow turns to it too), so the first showing styles no page's
    // controls but About's.
    PageControl1->setCurrentWidget(AboutPage);

    auto* bottom = new QHBoxLayout;
    SimulateChk = new QCheckBox(QStringLiteral("Simulate Target"), this);
    SimulateChk->setObjectName("SimulateChk");
    SimulateChk->setVisible(false);
    bottom->addStretch(1);
    CloseBtn = new QPushButton(QStringLiteral("Close"), this);
    CloseBtn->setObjectName("CloseBtn");
    bottom->addWidget(CloseBtn);
    layout->addLayout(bottom);
    buildStatusBar();
    layout->addWidget(StatusPanel);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(250);
    Timer2 = new QTimer(this);
    Timer2->setObjectName("Timer2");
    Timer2->setInterval(3000);

    connectHandlers();
    // The window sees keys before its controls.
    qApp->installEventFilter(this);
}

void TMainForm::buildPages() {
    m_transactions = new ModuleTransactions(this, {ConnectPage, ConfigurePage, DataPage, LogPage}, {Timer1});
    m_connect = new ConnectDownloadPage(this, pageBody(ConnectPage));
    m_configure = new ConfigurationPage(this, pageBody(ConfigurePage));
    m_data = new RecordedDataPage(this, pageBody(DataPage));
    buildLogPage();
    m_data->finishBuilding();
    // Tab goes from the pages' controls to the window's own, built before them. (Tab order is
    // only set between widgets that take focus.)
    QWidget* last = previousInFocusChain();
    while (last != this && last->focusPolicy() == Qt::NoFocus)
        last = last->previousInFocusChain();
    if (last != this && last != CloseBtn) {
        QWidget::setTabOrder(last, SimulateChk);
        QWidget::setTabOrder(SimulateChk, CloseBtn);
    }
}

TMainForm::~TMainForm() {
    qApp->removeEventFilter(this);
    if (m_nameLists) m_state->plot.settings.series.removeObserver(m_nameLists.get());
}

void TMainForm::buildStatusBar() {
    StatusPanel = new QStatusBar(this);
    StatusPanel->setObjectName("StatusPanel");
    StatusPanel->setSizeGripEnabled(false);
    auto label = [this](const char* name, const QString& text, int width) {
        auto* l = new QLabel(text, StatusPanel);
        l->setObjectName(name);
        l->setMinimumWidth(width);
        StatusPanel->addWidget(l);
        return l;
    };
    ConnectStatusDisp = label("ConnectStatusDisp", QStringLiteral("Not Connected"), 110);
    ProgressBar1 = new QProgressBar(StatusPanel);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setMaximumWidth(160);
    ProgressBar1->setVisible(false);
    StatusPanel->addWidget(ProgressBar1);
    LogDisp = label("LogDisp", QString(), 70);
    XYDisp = label("XYDisp", QString(), 200);
    ROCDisp = label("ROCDisp", QString(), 200);
}

void TMainForm::connectHandlers() {
    connect(CloseBtn, &QPushButton::clicked, this, &QWidget::close);
    connect(Timer2, &QTimer::timeout, this, &TMainForm::Timer2Timer);
    connect(Timer1, &QTimer::timeout, this, &TMainForm::Timer1Timer);
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int index) {
        if (!m_programmaticPage) PageControl1Change(index);
    });
}

void TMainForm::showPage(QWidget* page) {
    m_programmaticPage = true;
    PageControl1->setCurrentWidget(page);
    m_programmaticPage = false;
}

void TMainForm::infoClear() {
    m_connect->infoClear();
}

void TMainForm::infoLine(const QString& line) {
    m_connect->infoLine(line);
}

void TMainForm::showResultOnStatusBar(const QString& action) {
    const QString last = m_connect ? m_connect->lastLogLine() : QString();
    if (!StatusPanel || last.isEmpty()) return;
    // As long as the export's note: long enough to read, then the status fields come back.
    StatusPanel->showMessage(action + QStringLiteral(": ") + last, 8000);
}

void TMainForm::showLinkState(const QString& text, bool paintNow) {
    // The connection field widens when a longer text needs it.
    ConnectStatusDisp->setText(text);
    const int wanted = ConnectStatusDisp->fontMetrics().horizontalAdvance(text) + 12;
    if (ConnectStatusDisp->width() < wanted) ConnectStatusDisp->setFixedWidth(wanted);
    if (paintNow) ConnectStatusDisp->repaint(); // before a blocking exchange
}

QWidget* TMainForm::infoText() const {
    return m_connect->infoText();
}

bool TMainForm::linkConnected(bool showConnectPage) {
    return m_connect->linkConnected(showConnectPage);
}

void TMainForm::disconnectPort() {
    m_connect->disconnectPort();
}

bool TMainForm::simulateTarget() const {
    return SimulateChk->isChecked();
}

void TMainForm::showConnectPage() {
    showPage(ConnectPage);
}

void TMainForm::showReadouts(const QString& position, const QString& rate) {
    XYDisp->setText(position);
    if (!rate.isEmpty()) ROCDisp->setText(rate);
}

void TMainForm::showDataPage() {
    Timer2->stop(); // the automatic turn to the Connect page after start is called off
    showPage(DataPage);
}

QString TMainForm::portName() const {
    return m_connect->portName();
}

void TMainForm::repaintPlot() {
    m_view->repaint();
}

const orvo::MouseToolState& TMainForm::mouseTools() const {
    return m_view->mouseTools();
}

bool TMainForm::dataPageShown() const {
    return PageControl1->currentWidget() == DataPage;
}

QString TMainForm::positionReadout() const {
    return XYDisp->text();
}

QString TMainForm::rateReadout() const {
    return ROCDisp->text();
}

bool TMainForm::isPagePlot(const QObject* watched) const {
    return m_data && m_data->isPagePlot(watched);
}

void TMainForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        showFrame();
        if (m_complete) showRest();
    }
}

// What the first picture shows besides the About page as built: the window where the user left
// it, the program's icon and its version on About.
void TMainForm::showFrame() {
    const StoredSettings& stored = m_state->stored = LoadSettings();
    if (stored.positionRead()) move(stored.Left, stored.Top);
    if (Image1) Image1->setPixmap(programPicture(57));
    showVersionAndBuild();
}

void TMainForm::showRest() {
    showWithSettings(m_state->stored); // as showFrame read them
    // orvo FILE...: loaded once the window is up, so their messages stand over it.
    if (!m_startupFiles.isEmpty())
        QTimer::singleShot(0, this, [this] { m_data->openDataFiles(std::exchange(m_startupFiles, {})); });
}

void TMainForm::completeStart() {
    if (m_complete) return;
    m_complete = true;
    buildPages();
    if (m_windows) m_windows->createDialogs();
    if (m_shown) showRest();
}

void TMainForm::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (!m_startupFinishing) {
        m_startupFinishing = true;
        QTimer::singleShot(0, this, &TMainForm::finishStartup);
    }
}

namespace {

// A page of the tab control that the window never measures: the window has a fixed size, and
// its pages are given the tab control's room whatever they hold.
class TabPage : public QWidget {
  public:
    QSize sizeHint() const override { return {0, 0}; }
    QSize minimumSizeHint() const override { return {0, 0}; }
};

} // namespace

void TMainForm::addPage(QWidget*& page, const char* name, const QString& title) {
    page = new TabPage;
    page->setObjectName(QString::fromLatin1(name));
    PageControl1->addTab(page, title);
}

// Every control asks to be styled as soon as it is made, and showing the window styles every
// control in it, those of the hidden pages too, before the first picture. So a page's controls
// stand on a widget that is styled while it is still empty (showing stops there), their own
// requests wait (eventFilter), and each control is styled when its page first opens.
QWidget* TMainForm::pageBody(QWidget* page) {
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* controls = new QWidget(page);
    controls->ensurePolished();
    layout->addWidget(controls);
    m_pageControls.push_back(controls);
    return controls;
}

bool TMainForm::onUnopenedPage(const QObject* object) const {
    for (const QObject* p = object->parent(); p; p = p->parent())
        for (const QWidget* controls : m_pageControls)
            if (p == controls) return !controls->isVisible();
    return false;
}

// What the first picture of the window does not need, done right after it: the pages behind
// About and the dialogs (when the window was made without them), the program's icon, the scan of
// the system's serial ports (as long as the rest of the start) and the background logo drawn from
// SVG. All of it is there long before a user can open a page, the port list or a plot; a key,
// click or drop that comes sooner finishes the pages and dialogs first (eventFilter).
void TMainForm::finishStartup() {
    completeStart();
    // The title bar's and task bar's icon: five pictures read, a few strokes on the screen.
    if (QApplication::windowIcon().isNull()) QApplication::setWindowIcon(programIcon());
    if (m_connect->portIndex() < 0) m_connect->fillPortList();
    m_data->showLogo();
}

void TMainForm::FormShow() {
    showWithSettings(LoadSettings());
}

void TMainForm::showWithSettings(StoredSettings stored) {
    AppState& s = *m_state;
    orvo::PlotState& plot = s.plot;

    // 1. A fresh plot record.
    plot.settings.series.clear();
    plot.settings.resetTextsAndView();

    // 2. The persisted settings.
    s.stored = std::move(stored);
    applyStoredSettings(s.stored);

    // 3. Dates read yyyy-mm-dd everywhere (download stamps and file names build them so).

    // 4. The application icon on the About page: shown with the window (showFrame).

    // 5.
    showPage(AboutPage);

    // 6. Texts and view of the plot (colours and show flags came from the settings).
    plot.settings.resetTextsAndView();

    // 7. One initial data set; the name lists follow the model from here on.
    if (m_windows && !m_nameLists) {
        m_nameLists =
            std::make_unique<NameListBinder>(m_data->setCombo(), m_windows->dataPropForm->SetListBox);
        plot.settings.series.addObserver(m_nameLists.get());
    }
    plot.settings.series.CreateDataSet();
    if (m_windows) m_windows->dataPropForm->FormShow(); // selects row 0 and shows its colours and styles

    // 8.
    plot.home = orvo::HomeView{};

    // 9. The live-log ring buffer, one value per pixel column of the strip chart.
    s.liveLog.assign(static_cast<std::size_t>(std::max(1, AltBox ? AltBox->width() : 1)), 0.0);
    s.logHead = s.logTail = s.logCount = 0;
    if (AMaxLabel) AMaxLabel->setText(QStringLiteral("10000"));
    if (AMinLabel) AMinLabel->setText(QStringLiteral("0"));

    // 10. Version and build stamp: shown with the window (showFrame).

    // 11. The show flags came from the settings (the plot info dialog shows them).

    // 12-13. The port list and the saved port come right after the window's first picture
    // (finishStartup); the saved speed now.
    s.speedIndex = s.stored.BaudRate;
    m_connect->showSpeed(s.speedIndex);

    Timer2->start();
}

void TMainForm::applyStoredSettings(const StoredSettings& v) {
    AppState& s = *m_state;
    // Values not read keep their control's designed state.
    if (v.positionRead()) move(v.Left, v.Top);
    if (v.wasRead(Setting::SimulateTarget)) SimulateChk->setChecked(v.SimulateTarget != 0);
    if (v.wasRead(Setting::ShowPoints) && m_data) m_data->showPoints(v.ShowPoints != 0);
    orvo::ShowFlags& show = s.plot.show;
    if (v.wasRead(Setting::ShowInfo)) show.ShowInfo = v.ShowInfo != 0;
    if (v.wasRead(Setting::ShowBackground)) show.ShowBackground = v.ShowBackground != 0;
    if (v.wasRead(Setting::ShowAvgROC)) show.ShowAvgROC = v.ShowAvgROC != 0;
    if (v.showLegendRead) show.ShowLegend = v.ShowLegend != 0;
    if (m_windows) m_windows->editInfoForm->showFlags();
    s.printWidth = v.PrtWidth;
    s.printHeight = v.PrtHeight;
    s.plot.output.width = v.PrtWidth;
    s.plot.output.height = v.PrtHeight;
    auto colour = [](int c) { return static_cast<orvo::Colour>(c) & 0x00FFFFFFu; };
    s.plot.settings.backgroundColour = colour(v.BGColor);
    s.plot.settings.gridColour = colour(v.GridColor);
    s.plot.settings.scaleColour = colour(v.ScaleColor);
    s.plot.settings.labelColour = colour(v.LabelColor);
    s.plot.settings.infoColour = colour(v.InfoColor);
    s.config.IntervalUnit = v.Interval;
    s.speedIndex = v.BaudRate;
    m_configure->applyConfigureSettings(v);
    if (m_data) m_data->applyOutputSettings(v);
}

StoredSettings TMainForm::collectSettings() const {
    const AppState& s = *m_state;
    StoredSettings v = s.stored;
    // A window closed before its port list was filled keeps the saved port.
    if (m_connect->portIndex() >= 0) v.ComPort = m_connect->portIndex();
    v.BaudRate = s.speedIndex;
    v.Left = x();
    v.Top = y();
    v.SimulateTarget = SimulateChk->isChecked() ? 1 : 0;
    if (m_data) v.ShowPoints = m_data->pointsShown() ? 1 : 0;
    v.ShowInfo = s.plot.show.ShowInfo ? 1 : 0;
    v.ShowBackground = s.plot.show.ShowBackground ? 1 : 0;
    v.ShowAvgROC = s.plot.show.ShowAvgROC ? 1 : 0;
    v.ShowLegend = s.plot.show.ShowLegend ? 1 : 0;
    v.PrtWidth = s.printWidth;
    v.PrtHeight = s.printHeight;
    v.BGColor = static_cast<int>(s.plot.settings.backgroundColour);
    v.GridColor = static_cast<int>(s.plot.settings.gridColour);
    v.ScaleColor = static_cast<int>(s.plot.settings.scaleColour);
    v.LabelColor = static_cast<int>(s.plot.settings.labelColour);
    v.InfoColor = static_cast<int>(s.plot.settings.infoColour);
    v.Interval = s.config.IntervalUnit;
    m_configure->collectConfigureSettings(v);
    if (m_data) m_data->collectOutputSettings(v);
    return v;
}

void TMainForm::Timer2Timer() {
    Timer2->stop();
    showPage(ConnectPage);
}

void TMainForm::PageControl1Change(int) {
    Timer2->stop(); // the automatic switch never follows a user's choice
    XYDisp->clear();
    ROCDisp->clear();
}

bool TMainForm::FormKeyDown(QKeyEvent* event) {
    return PageControl1->currentWidget() == DataPage && m_view->viewKey(event);
}

// What a user does before the pages are built; they are built first.
static bool isUserAction(QEvent::Type type) {
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::DragEnter:
    case QEvent::Drop:
    case QEvent::Close:
        return true;
    default:
        return false;
    }
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::PolishRequest && onUnopenedPage(watched)) return true;
    if (!m_complete && isUserAction(event->type())) completeStart();
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == AboutEmail) AboutEmailClick();
        if (watched == AboutWebSite) AboutWebSiteClick();
    }
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        auto* key = static_cast<QKeyEvent*>(event);
        if (w->window() == this && FormKeyDown(key)) return true;
        // Enter presses the focused button, as Space does (outside a dialog Qt leaves Enter alone).
        auto* button = qobject_cast<QPushButton*>(w);
        if (button && w->window() == this && button->isEnabled() && key->modifiers() == Qt::NoModifier &&
            (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !key->isAutoRepeat()) {
            button->click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (!m_closed && !askToSaveBeforeClosing()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void TMainForm::FormClose() {
    if (m_closed) return;
    m_closed = true;
    AppState& s = *m_state;
    // 1. Live-log buffer and sample storage.
    s.liveLog.clear();
    s.liveLog.shrink_to_fit();
    // 2. Settings, read from the controls before anything else changes them.
    SaveSettings(collectSettings());
    s.plot.settings.series.clear();
    s.history.clear();
    // 3. The plot record goes back to its empty state.
    s.plot.settings.resetTextsAndView();
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            event->acceptProposedAction();
            return;
        }
    }
}

void TMainForm::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) paths << url.toLocalFile();
    if (paths.isEmpty()) return;
    event->acceptProposedAction();
    m_data->openDataFiles(paths);
}

bool TMainForm::askToSaveBeforeClosing() {
    if (!m_state->history.anyModified()) return true;
    const auto answer = m_prompts->message(this, Prompts::Icon::Question, QStringLiteral("Orvo"),
                                           QStringLiteral("Save changes to the plot before closing?"),
                                           QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    if (answer == QMessageBox::Discard) return true;
    // Save closes only when the file was written; a cancelled or failed save keeps the window.
    if (answer == QMessageBox::Save) return m_data->saveData();
    return false;
}
