// The Recorded Data page's data files (Save, Load, Import, files opened at start or dropped) and
// comparing flights (Line Up, the large plot, the flights table, the view fitted to every set).
#include <QComboBox>
#include <QDate>
#include <QDialog>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QStatusBar>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <algorithm>

#include "app/appwindows.h"
#include "app/corepath.h"
#include "app/csvimportdialog.h"
#include "app/flighttable.h"
#include "app/largeplot.h"
#include "app/plotviewcontroller.h"
#include "app/prompts.h"
#include "app/recordeddatapage.h"
#include "app/tdatapropform.h"
#include "app/tmainform.h"
#include "app/tsavesel.h"
#include "app/windowplacement.h"
#include "data/datafile.h"
#include "data/inputfile.h"
#include "data/liftoffalign.h"
#include "plot/plotfile.h"
#include "plot/viewlimits.h"

namespace {

const QString DataFileFilter = QStringLiteral("Data File (*.csv);;All Files (*.*)");
// How long the status bar names the file just saved (it covers the status fields meanwhile).
constexpr int SavedMessageMs = 8000;

std::string localPath(const QString& path) {
    return orvo::corePath(path);
}

// "It is a FIFO, not a regular file." for a message box's details; empty without a reason.
QString reasonText(const std::string& reason) {
    QString text = orvo::fromCore(reason);
    if (text.isEmpty()) return text;
    text[0] = text[0].toUpper();
    return text + QLatin1Char('.');
}

} // namespace

void RecordedDataPage::buildFileButtons() {
    // The page's button row places them by their object names.
    SaveBtn = new QPushButton(QStringLiteral("Save"), m_tabPage);
    SaveBtn->setObjectName("SaveBtn");
    SaveBtn->setToolTip(QStringLiteral("Save Data"));
    LoadBtn = new QPushButton(QStringLiteral("Load"), m_tabPage);
    LoadBtn->setObjectName("LoadBtn");
    LoadBtn->setToolTip(QStringLiteral("Load data"));
    connect(SaveBtn, &QPushButton::clicked, this, &RecordedDataPage::SaveBtnClick);
    connect(LoadBtn, &QPushButton::clicked, this, &RecordedDataPage::LoadBtnClick);
    ImportBtn = new QPushButton(QStringLiteral("Import"), m_tabPage);
    ImportBtn->setObjectName("ImportBtn");
    ImportBtn->setToolTip(QStringLiteral("Load another program's CSV file, choosing its columns and unit"));
    connect(ImportBtn, &QPushButton::clicked, this, &RecordedDataPage::ImportBtnClick);
    buildCompareButtons();
}

void RecordedDataPage::SaveBtnClick() {
    saveData();
}

bool RecordedDataPage::saveData() {
    if (!m_form->windows()) return false;
    TSaveSel* selection = m_form->windows()->saveSel.get();
    if (m_prompts->execDialog(selection) != QDialog::Accepted) return false;

    const orvo::PlotSettings& plot = m_state->plot.settings;
    const bool wholePlot = selection->itemIndex() == TSaveSel::PlotAndAllDataSets;
    const int active = ActiveSetCombo->currentIndex();
    if (!wholePlot && !plot.series.validSet(active)) return false; // no data set to save

    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    const QString proposed = wholePlot
                                 ? QStringLiteral("Plot_%1.csv").arg(today)
                                 : QStringLiteral("Alt_%1_%2.csv").arg(today).arg(m_state->selectedSet + 1);
    const QString path =
        m_prompts->saveFileName(m_form, QStringLiteral("Save Orvo Data"), proposed, DataFileFilter);
    if (path.isEmpty()) return false;

    const orvo::PlotFileHeader header = orvo::plotFileHeader(plot);
    const orvo::FileStatus status = wholePlot
                                        ? orvo::savePlotFile(localPath(path), plot.series, header)
                                        : orvo::saveDataSetFile(localPath(path), plot.series, active, header);
    if (status == orvo::FileStatus::OpenFailed)
        m_prompts->error(m_form, QStringLiteral("Unable to open %1!").arg(path),
                         reasonText(orvo::notRegularFileReason(localPath(path))));
    else if (status == orvo::FileStatus::WriteFailed)
        m_prompts->error(m_form, QStringLiteral("Unable to write %1!").arg(path));
    else if (status == orvo::FileStatus::NotFinite)
        m_prompts->error(m_form, QStringLiteral("Unable to write %1!").arg(path),
                         reasonText(orvo::nonFiniteValue(plot.series, wholePlot ? -1 : active, header) +
                                    "; nothing was written"));
    else
        m_form->statusBar()->showMessage(QStringLiteral("Saved %1").arg(QDir::toNativeSeparators(path)),
                                         SavedMessageMs);
    if (status != orvo::FileStatus::Ok) return false;
    // What was written is no longer unsaved.
    if (wholePlot)
        m_state->history.markAllSaved();
    else
        m_state->history.markSaved(active);
    return true;
}

void RecordedDataPage::LoadBtnClick() {
    const QString path =
        m_prompts->openFileName(m_form, QStringLiteral("Load Orvo Data"), m_lastLoadFile, DataFileFilter);
    if (path.isEmpty()) return;
    m_lastLoadFile = path;
    const bool replace = holdsOnlyPlaceholder(); // the untouched start-up set gives way
    const int before = m_state->plot.settings.series.dataSetCount();
    if (!loadDataFile(path)) return;
    if (replace)
        replacePlaceholder();
    else
        noteSetsOutsideView(before); // the view keeps its limits
}

void RecordedDataPage::ImportBtnClick() {
    const QString path =
        m_prompts->openFileName(m_form, QStringLiteral("Import CSV File"), m_lastLoadFile, DataFileFilter);
    if (path.isEmpty()) return;
    m_lastLoadFile = path;
    loadDataFile(path, nullptr, true);
}

void RecordedDataPage::openDataFiles(const QStringList& paths) {
    // The Connect page must not replace the plot three seconds after start.
    m_form->showDataPage();
    // The files of one drop or command line are one load: together they add at most
    // MaxDataSetsPerLoad data sets.
    int setsLeft = orvo::MaxDataSetsPerLoad;
    const bool replace = holdsOnlyPlaceholder();
    bool plotFile = false;
    for (const QString& path : paths) {
        loadDataFile(path, &setsLeft);
        plotFile = plotFile || m_loadedPlotFile;
        m_lastLoadFile = path;
    }
    m_loadedPlotFile = plotFile;
    if (replace) replacePlaceholder();
}

bool RecordedDataPage::loadDataFile(const QString& path, int* setsLeft, bool askMapping) {
    m_loadedPlotFile = false;
    orvo::PlotSettings& plot = m_state->plot.settings;
    orvo::PlotFileHeader header = orvo::plotFileHeader(plot);
    orvo::LoadReport report;
    // The sets a load adds (and the texts a plot file brings) can be taken back with undo.
    const orvo::EditHistory::Recording load = m_state->history.recordLoad();
    orvo::LoadOptions options;
    if (setsLeft) options.maxDataSets = std::max(*setsLeft, 0);
    // Another program's file: the choice remembered for its header, else the import dialog when
    // the guess is doubtful or the flyer asked for it.
    options.chooseMapping = [this, askMapping](const orvo::CsvLayout& layout, orvo::CsvMapping& mapping) {
        const std::string key = layout.headerKey();
        if (!askMapping) {
            const orvo::CsvChoice remembered = rememberedImportChoice(key);
            orvo::CsvMapping m = mapping;
            if (!remembered.empty() && orvo::applyChoice(layout, remembered, m).empty() &&
                orvo::readable(layout, m)) {
                mapping = m;
                return true;
            }
            if (!layout.doubtful) return true;
        }
        CsvImportDialog dialog(m_form);
        dialog.setLayout(layout, mapping);
        if (m_prompts->execDialog(&dialog) != QDialog::Accepted) return false;
        mapping = dialog.mapping();
        rememberImportChoice(key, layout, mapping);
        return true;
    };
    const orvo::FileStatus status = orvo::loadDataFile(localPath(path), plot.series, header, report, options);
    if (setsLeft) *setsLeft -= report.setsAdded;
    if (report.cancelled) return false;
    m_loadedPlotFile = report.plotFile;
    if (const orvo::LoadMessage m = orvo::describeLoadFailure(localPath(path), status, report);
        !m.text.empty()) {
        // The path as the flyer chose it, not as the file system spells it.
        QString text = QString::fromStdString(m.text);
        text.replace(QString::fromStdString(localPath(path)), path);
        m_prompts->error(m_form, text, QString::fromLocal8Bit(m.details.c_str()));
        m_loadedPlotFile = false;
        return false;
    }
    // A plot file brings its texts and limits, which are also its Reset view; the view is not
    // refitted after any load. Another program's file may bring its altitude unit to the label.
    if (report.plotFile) {
        orvo::applyPlotFileHeader(header, plot);
        m_state->plot.home = {header.timeMin, header.timeMax, header.altitudeMin, header.altitudeMax};
    } else {
        plot.yLabel = header.yLabel;
    }
    afterDataSetsLoaded();
    // What the load did with another program's file: the columns taken, a unit converted.
    QStringList notes;
    for (const std::string& note : report.notes)
        notes << QString::fromStdString(note);
    if (!notes.isEmpty()) m_form->statusBar()->showMessage(notes.join(' '), 4 * SavedMessageMs);

    // A foreign or damaged file must not load silently wrong.
    QStringList problems;
    for (const std::string& problem : orvo::describeLoadProblems(report))
        problems << QString::fromStdString(problem);
    if (!problems.isEmpty())
        m_prompts->error(m_form,
                         QStringLiteral("%1 was not read completely:\n%2").arg(path, problems.join('\n')));
    return true;
}

void RecordedDataPage::afterDataSetsLoaded() {
    if (m_form->windows()) m_form->windows()->dataPropForm->FormShow(); // the dialog shows data set 0 afresh
    repaintPlot();
}

namespace {
// How long the status bar shows what Line Up did.
constexpr int LineUpMessageMs = 15000;
} // namespace

void RecordedDataPage::buildCompareButtons() {
    // The page's button row places it by its object name.
    LineUpBtn = new QPushButton(QStringLiteral("Line Up"), m_tabPage);
    LineUpBtn->setObjectName("LineUpBtn");
    LineUpBtn->setToolTip(QStringLiteral("Line up every data set at its liftoff (0 s)"));
    connect(LineUpBtn, &QPushButton::clicked, this, &RecordedDataPage::LineUpBtnClick);
    FlightsBtn = new QPushButton(QStringLiteral("Flights"), m_tabPage);
    FlightsBtn->setObjectName("FlightsBtn");
    FlightsBtn->setToolTip(QStringLiteral("A table of all flights: their statistics side by side"));
    connect(FlightsBtn, &QPushButton::clicked, this, &RecordedDataPage::showFlightTable);
    new LargePlotOpener(m_form);
}

void RecordedDataPage::LineUpBtnClick() {
    orvo::SeriesList& series = m_state->plot.settings.series;
    auto step = m_state->history.begin("Line Up");
    const orvo::LiftoffAlignment result = orvo::alignAtLiftoff(series);
    m_state->history.commit(std::move(step));
    if (m_form->windows()) m_form->windows()->dataPropForm->FormShow();
    repaintPlot();
    m_form->statusBar()->showMessage(QString::fromStdString(result.message()), LineUpMessageMs);
}

bool RecordedDataPage::holdsOnlyPlaceholder() const {
    const orvo::SeriesList& series = m_state->plot.settings.series;
    if (series.dataSetCount() != 1 || m_state->history.canUndo()) return false;
    const orvo::Series& s = series.dataSet(0);
    if (s.samples.count != 21 || series.triggerSet(0).samples.count != 0 || s.climbMarkCount() != 0 ||
        s.peakMarkCount() != 0 || !s.note1.empty() || !s.note2.empty() || !s.note3.empty())
        return false;
    for (std::size_t i = 0; i <= 20; ++i)
        if (s.samples.time[i] != double(i) || s.samples.altitude[i] != double(i)) return false;
    return true;
}

void RecordedDataPage::replacePlaceholderWithDownload() {
    m_loadedPlotFile = false; // a download's view is fitted
    replacePlaceholder();
}

void RecordedDataPage::replacePlaceholder() {
    orvo::PlotState& plot = m_state->plot;
    if (plot.settings.series.dataSetCount() < 2) return; // nothing loaded: the start-up set stays
    auto step = m_state->history.beginDelete(0);
    plot.settings.series.DeleteDataSet(0);
    m_state->history.commit(std::move(step));
    // A plot file shows the view it was saved with; anything else is fitted.
    if (!m_loadedPlotFile) {
        orvo::AutoScaleTime(plot.settings, plot.home);
        orvo::AutoScaleAltitude(plot.settings, plot.home);
    }
    if (ActiveSetCombo->count() > 0 && ActiveSetCombo->currentIndex() < 0) ActiveSetCombo->setCurrentIndex(0);
    afterDataSetsLoaded();
}

void RecordedDataPage::showFlightTable() {
    if (!m_flightTable) m_flightTable = new FlightTableDialog(m_form);
    m_flightTable->show();
    m_flightTable->refresh();
    m_flightTable->raise();
    m_flightTable->activateWindow();
}

void RecordedDataPage::setActiveDataSet(int n) {
    if (!m_state->plot.settings.series.validSet(n) || n >= ActiveSetCombo->count()) return;
    ActiveSetCombo->setCurrentIndex(n);
}

void RecordedDataPage::fitViewToAllSets() {
    m_form->plotView()->fitViewToAllSets();
}

void RecordedDataPage::noteSetsOutsideView(int firstNew) {
    const orvo::PlotSettings& plot = m_state->plot.settings;
    QStringList outside;
    for (int n = std::max(firstNew, 0); n < plot.series.dataSetCount(); ++n)
        if (orvo::liesPartlyOutsideView(plot, plot.series.dataSet(n)))
            outside << QString::fromStdString(plot.series.dataSet(n).name);
    if (outside.isEmpty()) return;
    QString note = QStringLiteral("%1 lie(s) partly outside the view: press A (or Scale, Auto) to fit the "
                                  "view to every data set.")
                       .arg(outside.join(QStringLiteral(", ")));
    const QString before = m_form->statusBar()->currentMessage();
    if (!before.isEmpty()) note = before + ' ' + note;
    m_form->statusBar()->showMessage(note, LineUpMessageMs);
}

void RecordedDataPage::showLargePlot() {
    if (!m_largePlot) m_largePlot = new LargePlotWindow(m_form);
    // Opened over the main window, inside its screen's available area: its read-out line at the
    // bottom must be on screen.
    if (!m_largePlot->isVisible()) placeWindow(m_largePlot, m_form);
    m_largePlot->show();
    m_largePlot->raise();
    m_largePlot->activateWindow();
}
