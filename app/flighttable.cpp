#include "app/flighttable.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QSaveFile>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/appstate.h"
#include "app/prompts.h"
#include "app/recordeddatapage.h"
#include "app/tmainform.h"
#include "data/flightstats.h"

FlightTableDialog::FlightTableDialog(TMainForm* form) : QDialog(form), m_form(form) {
    setObjectName("FlightTableDialog");
    setWindowTitle(QStringLiteral("All Flights"));
    auto* layout = new QVBoxLayout(this);
    FlightTable = new QTableWidget(this);
    FlightTable->setObjectName("FlightTable");
    FlightTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FlightTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    FlightTable->setSelectionMode(QAbstractItemView::SingleSelection);
    layout->addWidget(FlightTable, 1);
    auto* buttons = new QHBoxLayout;
    auto button = [&](QPushButton*& b, const char* name, const QString& text) {
        b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        buttons->addWidget(b);
    };
    button(CopyBtn, "CopyBtn", QStringLiteral("Copy"));
    button(SaveCsvBtn, "SaveCsvBtn", QStringLiteral("Save CSV..."));
    buttons->addStretch(1);
    button(CloseBtn, "CloseBtn", QStringLiteral("Close"));
    layout->addLayout(buttons);
    connect(CopyBtn, &QPushButton::clicked, this, &FlightTableDialog::CopyBtnClick);
    connect(SaveCsvBtn, &QPushButton::clicked, this, &FlightTableDialog::SaveCsvBtnClick);
    connect(CloseBtn, &QPushButton::clicked, this, &QDialog::close);
    connect(FlightTable, &QTableWidget::cellClicked, this,
            [this](int row, int) { m_form->dataPage()->setActiveDataSet(row); });
    resize(1000, 300);
}

void FlightTableDialog::showEvent(QShowEvent* event) {
    refresh();
    QDialog::showEvent(event);
}

void FlightTableDialog::refresh() {
    const orvo::SeriesList& list = m_form->state().plot.settings.series;
    const std::vector<orvo::FlightFigure>& figures = orvo::flightFigures();
    QStringList header{QStringLiteral("Name"), QStringLiteral("Unit")};
    for (const orvo::FlightFigure& f : figures)
        header << QString::fromLatin1(f.label);
    header << QStringLiteral("Not a whole flight");
    FlightTable->clear();
    FlightTable->setColumnCount(int(header.size()));
    FlightTable->setHorizontalHeaderLabels(header);
    FlightTable->setRowCount(list.dataSetCount());
    for (int n = 0; n < list.dataSetCount(); ++n) {
        const orvo::Series& set = list.dataSet(n);
        const orvo::FlightStatistics s = orvo::computeFlightStatistics(set);
        const std::string unit = orvo::rateUnit(set);
        int column = 0;
        auto cell = [&](const std::string& text, bool number) {
            auto* item = new QTableWidgetItem(QString::fromStdString(text));
            if (number) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            FlightTable->setItem(n, column++, item);
        };
        cell(set.name, false);
        cell(orvo::altitudeUnitOfRate(unit), false);
        for (const orvo::FlightFigure& f : figures) {
            std::string text = orvo::figureText(f, s);
            const std::string u = orvo::figureUnit(f, unit);
            if (f.has(s) && !u.empty()) text += " " + u;
            cell(text, true);
        }
        cell(s.reason, false);
    }
    FlightTable->resizeColumnsToContents();
    const int active = m_form->dataPage()->activeSet();
    if (active >= 0) FlightTable->selectRow(active);
}

QString FlightTableDialog::tableText() const {
    QStringList lines, cells;
    for (int c = 0; c < FlightTable->columnCount(); ++c)
        cells << FlightTable->horizontalHeaderItem(c)->text();
    lines << cells.join('\t');
    for (int r = 0; r < FlightTable->rowCount(); ++r) {
        cells.clear();
        for (int c = 0; c < FlightTable->columnCount(); ++c)
            cells << (FlightTable->item(r, c) ? FlightTable->item(r, c)->text() : QString());
        lines << cells.join('\t');
    }
    return lines.join('\n') + '\n';
}

void FlightTableDialog::CopyBtnClick() {
    QApplication::clipboard()->setText(tableText());
}

void FlightTableDialog::SaveCsvBtnClick() {
    Prompts& prompts = m_form->prompts();
    const QString path =
        prompts.saveFileName(this, QStringLiteral("Save Table of Flights"), QString(),
                             QStringLiteral("CSV files (*.csv)"), nullptr, QStringLiteral("csv"));
    if (path.isEmpty()) return;
    const orvo::SeriesList& list = m_form->state().plot.settings.series;
    std::string text = orvo::flightTableCsvHeader(false);
    for (int n = 0; n < list.dataSetCount(); ++n)
        text += orvo::flightTableCsvRow(list.dataSet(n), orvo::computeFlightStatistics(list.dataSet(n)));
    // Written whole to a temporary file and only then put in place.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(text.data(), qint64(text.size())) != qint64(text.size()) || !file.commit())
        prompts.error(this, QStringLiteral("Unable to save %1!").arg(path), file.errorString());
}
