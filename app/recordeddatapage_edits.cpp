// The Recorded Data page's edits: Data Properties, Scale and Plot Properties, undo and redo. Every
// repaint goes through repaintPlot, so the page's cached picture is rendered once per change.
#include <QLabel>
#include <QPushButton>

#include "app/appwindows.h"
#include "app/prompts.h"
#include "app/recordeddatapage.h"
#include "app/tdatapropform.h"
#include "app/teditinfoform.h"
#include "app/tmainform.h"
#include "app/tscaleform.h"

void RecordedDataPage::buildDataPropButton() {
    // The page layout places the button by its object name.
    DataPropBtn = new QPushButton(QStringLiteral("Data Properties"), m_tabPage);
    DataPropBtn->setObjectName("DataPropBtn");
    DataPropBtn->setToolTip(QStringLiteral("Edit Dataset Properties"));
    connect(DataPropBtn, &QPushButton::clicked, this, &RecordedDataPage::DataPropBtnClick);
}

void RecordedDataPage::DataPropBtnClick() {
    if (!m_form->windows()) return;
    TDataPropForm* form = m_form->windows()->dataPropForm.get();
    if (!form->plotChanged) form->plotChanged = [this] { repaintPlot(); };
    form->FormShow();
    m_prompts->execDialog(form);
    repaintPlot();
}

void RecordedDataPage::connectPlotDialogHandlers() {
    connect(ScaleBtn, &QPushButton::clicked, this, &RecordedDataPage::ScaleBtnClick);
    connect(EditBtn, &QPushButton::clicked, this, &RecordedDataPage::EditBtnClick);
}

void RecordedDataPage::ScaleBtnClick() {
    if (!m_form->windows()) return;
    TScaleForm* form = m_form->windows()->scaleForm.get();
    if (!form->plotChanged) form->plotChanged = [this] { repaintPlot(); };
    form->FormShow();
    if (m_prompts->execDialog(form) != QDialog::Accepted) return;
    form->ApplyLimits();
    repaintPlot();
}

void RecordedDataPage::EditBtnClick() {
    if (!m_form->windows()) return;
    TEditInfoForm* form = m_form->windows()->editInfoForm.get();
    if (!form->plotChanged) form->plotChanged = [this] { repaintPlot(); };
    form->FormShow();
    form->FormClose(m_prompts->execDialog(form));
    repaintPlot();
}

namespace {

void afterHistoryStep(TMainForm& form, AppWindows* windows) {
    // The Data Properties fields show the data as it is now.
    if (windows) {
        TDataPropForm* props = windows->dataPropForm.get();
        if (props->selectedSet() >= 0)
            props->ShowSetProperties();
        else
            props->FormShow();
    }
    form.repaintPlot();
}

} // namespace

void RecordedDataPage::UndoEdit() {
    orvo::EditHistory& history = m_state->history;
    const QString label = QString::fromStdString(history.undoLabel());
    if (!history.undo()) {
        m_form->showReadouts(QStringLiteral("Nothing to undo"));
        return;
    }
    m_form->showReadouts(QStringLiteral("Undone: %1").arg(label));
    afterHistoryStep(*m_form, m_form->windows());
}

void RecordedDataPage::RedoEdit() {
    orvo::EditHistory& history = m_state->history;
    const QString label = QString::fromStdString(history.redoLabel());
    if (!history.redo()) {
        m_form->showReadouts(QStringLiteral("Nothing to redo"));
        return;
    }
    m_form->showReadouts(QStringLiteral("Redone: %1").arg(label));
    afterHistoryStep(*m_form, m_form->windows());
}

void RecordedDataPage::EditNotKept(const std::string& label) {
    const double mib = static_cast<double>(m_state->history.byteBound()) / (1024.0 * 1024.0);
    m_form->showReadouts(QStringLiteral("%1 cannot be undone").arg(QString::fromStdString(label)));
    m_prompts->message(m_form, Prompts::Icon::Information, QStringLiteral("Orvo"),
                       QStringLiteral("\"%1\" changed more data than the undo history keeps (%2 MiB), "
                                      "so it cannot be undone, and the edits before it can no longer "
                                      "be undone either.")
                           .arg(QString::fromStdString(label))
                           .arg(mib, 0, 'g', 3));
}
