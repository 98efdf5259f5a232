// Comparing flights on the Recorded Data page: Line Up (every set's liftoff at 0 s), files opened
// at start or dropped in place of the start-up set, and the large plot window.
#include <QPushButton>
#include <QStatusBar>
#include <algorithm>

#include "app/appwindows.h"
#include "app/flighttable.h"
#include "app/largeplot.h"
#include "app/plotviewcontroller.h"
#include "app/tdatapropform.h"
#include "app/tmainform.h"
#include "app/windowplacement.h"
#include "data/liftoffalign.h"
#include "plot/viewlimits.h"

namespace {
// How long the status bar shows what Line Up did.
constexpr int LineUpMessageMs = 15000;
} // namespace

void TMainForm::buildCompareButtons() {
    // The page's button row places it by its object name.
    LineUpBtn = new QPushButton(QStringLiteral("Line Up"), DataPage);
    LineUpBtn->setObjectName("LineUpBtn");
    LineUpBtn->setToolTip(QStringLiteral("Line up every data set at its liftoff (0 s)"));
    connect(LineUpBtn, &QPushButton::clicked, this, &TMainForm::LineUpBtnClick);
    FlightsBtn = new QPushButton(QStringLiteral("Flights"), DataPage);
    FlightsBtn->setObjectName("FlightsBtn");
    FlightsBtn->setToolTip(QStringLiteral("A table of all flights: their statistics side by side"));
    connect(FlightsBtn, &QPushButton::clicked, this, &TMainForm::showFlightTable);
    new LargePlotOpener(this);
}

void TMainForm::LineUpBtnClick() {
    orvo::SeriesList& series = m_state->plot.settings.series;
    auto step = m_state->history.begin("Line Up");
    const orvo::LiftoffAlignment result = orvo::alignAtLiftoff(series);
    m_state->history.commit(std::move(step));
    if (m_windows) m_windows->dataPropForm->FormShow();
    repaintPlot();
    StatusPanel->showMessage(QString::fromStdString(result.message()), LineUpMessageMs);
}

bool TMainForm::holdsOnlyPlaceholder() const {
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

void TMainForm::replacePlaceholderWithDownload() {
    m_loadedPlotFile = false; // a download's view is fitted
    replacePlaceholder();
}

void TMainForm::replacePlaceholder() {
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

void TMainForm::showFlightTable() {
    if (!m_flightTable) m_flightTable = new FlightTableDialog(this);
    m_flightTable->show();
    m_flightTable->refresh();
    m_flightTable->raise();
    m_flightTable->activateWindow();
}

void TMainForm::setActiveDataSet(int n) {
    if (!m_state->plot.settings.series.validSet(n) || n >= ActiveSetCombo->count()) return;
    ActiveSetCombo->setCurrentIndex(n);
}

void TMainForm::fitViewToAllSets() {
    m_view->fitViewToAllSets();
}

void TMainForm::noteSetsOutsideView(int firstNew) {
    const orvo::PlotSettings& plot = m_state->plot.settings;
    QStringList outside;
    for (int n = std::max(firstNew, 0); n < plot.series.dataSetCount(); ++n)
        if (orvo::liesPartlyOutsideView(plot, plot.series.dataSet(n)))
            outside << QString::fromStdString(plot.series.dataSet(n).name);
    if (outside.isEmpty()) return;
    QString note = QStringLiteral("%1 lie(s) partly outside the view: press A (or Scale, Auto) to fit the "
                                  "view to every data set.")
                       .arg(outside.join(QStringLiteral(", ")));
    const QString before = StatusPanel->currentMessage();
    if (!before.isEmpty()) note = before + ' ' + note;
    StatusPanel->showMessage(note, LineUpMessageMs);
}

void TMainForm::showLargePlot() {
    if (!m_largePlot) m_largePlot = new LargePlotWindow(this);
    // Opened over the main window, inside its screen's available area: its read-out line at the
    // bottom must be on screen.
    if (!m_largePlot->isVisible()) placeWindow(m_largePlot, this);
    m_largePlot->show();
    m_largePlot->raise();
    m_largePlot->activateWindow();
}
