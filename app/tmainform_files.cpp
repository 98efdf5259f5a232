// The Recorded Data page's Save and Load buttons: the active data set or the whole plot written as
// a data file, and data files loaded as new data sets.
#include <algorithm>

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

#include "app/appwindows.h"
#include "app/corepath.h"
#include "app/csvimportdialog.h"
#include "app/prompts.h"
#include "app/tdatapropform.h"
#include "app/tmainform.h"
#include "app/tsavesel.h"
#include "data/datafile.h"
#include "data/inputfile.h"
#include "plot/plotfile.h"

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

void TMainForm::buildFileButtons() {
    // The page's button row places them by their object names.
    SaveBtn = new QPushButton(QStringLiteral("Save"), DataPage);
    SaveBtn->setObjectName("SaveBtn");
    SaveBtn->setToolTip(QStringLiteral("Save Data"));
    LoadBtn = new QPushButton(QStringLiteral("Load"), DataPage);
    LoadBtn->setObjectName("LoadBtn");
    LoadBtn->setToolTip(QStringLiteral("Load data"));
    connect(SaveBtn, &QPushButton::clicked, this, &TMainForm::SaveBtnClick);
    connect(LoadBtn, &QPushButton::clicked, this, &TMainForm::LoadBtnClick);
    ImportBtn = new QPushButton(QStringLiteral("Import"), DataPage);
    ImportBtn->setObjectName("ImportBtn");
    ImportBtn->setToolTip(QStringLiteral("Load another program's CSV file, choosing its columns and unit"));
    connect(ImportBtn, &QPushButton::clicked, this, &TMainForm::ImportBtnClick);
    buildCompareButtons();
}

void TMainForm::SaveBtnClick() {
    saveData();
}

bool TMainForm::saveData() {
    if (!m_windows) return false;
    TSaveSel* selection = m_windows->saveSel.get();
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
        m_prompts->saveFileName(this, QStringLiteral("Save Orvo Data"), proposed, DataFileFilter);
    if (path.isEmpty()) return false;

    const orvo::PlotFileHeader header = orvo::plotFileHeader(plot);
    const orvo::FileStatus status = wholePlot
                                        ? orvo::savePlotFile(localPath(path), plot.series, header)
                                        : orvo::saveDataSetFile(localPath(path), plot.series, active, header);
    if (status == orvo::FileStatus::OpenFailed)
        m_prompts->error(this, QStringLiteral("Unable to open %1!").arg(path),
                         reasonText(orvo::notRegularFileReason(localPath(path))));
    else if (status == orvo::FileStatus::WriteFailed)
        m_prompts->error(this, QStringLiteral("Unable to write %1!").arg(path));
    else if (status == orvo::FileStatus::NotFinite)
        m_prompts->error(this, QStringLiteral("Unable to write %1!").arg(path),
                         reasonText(orvo::nonFiniteValue(plot.series, wholePlot ? -1 : active, header) +
                                    "; nothing was written"));
    else
        StatusPanel->showMessage(QStringLiteral("Saved %1").arg(QDir::toNativeSeparators(path)),
                                 SavedMessageMs);
    if (status != orvo::FileStatus::Ok) return false;
    // What was written is no longer unsaved.
    if (wholePlot)
        m_state->history.markAllSaved();
    else
        m_state->history.markSaved(active);
    return true;
}

void TMainForm::LoadBtnClick() {
    const QString path =
        m_prompts->openFileName(this, QStringLiteral("Load Orvo Data"), m_lastLoadFile, DataFileFilter);
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

void TMainForm::ImportBtnClick() {
    const QString path =
        m_prompts->openFileName(this, QStringLiteral("Import CSV File"), m_lastLoadFile, DataFileFilter);
    if (path.isEmpty()) return;
    m_lastLoadFile = path;
    loadDataFile(path, nullptr, true);
}

void TMainForm::openDataFiles(const QStringList& paths) {
    Timer2->stop(); // the Connect page must not replace the plot three seconds after start
    showPage(DataPage);
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
    openDataFiles(paths);
}

bool TMainForm::loadDataFile(const QString& path, int* setsLeft, bool askMapping) {
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
        CsvImportDialog dialog(this);
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
        m_prompts->error(this, text, QString::fromLocal8Bit(m.details.c_str()));
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
    if (!notes.isEmpty()) StatusPanel->showMessage(notes.join(' '), 4 * SavedMessageMs);

    // A foreign or damaged file must not load silently wrong.
    QStringList problems;
    for (const std::string& problem : orvo::describeLoadProblems(report))
        problems << QString::fromStdString(problem);
    if (!problems.isEmpty())
        m_prompts->error(this,
                         QStringLiteral("%1 was not read completely:\n%2").arg(path, problems.join('\n')));
    return true;
}

void TMainForm::afterDataSetsLoaded() {
    if (m_windows) m_windows->dataPropForm->FormShow(); // the dialog shows data set 0 afresh
    repaintPlot();
}
