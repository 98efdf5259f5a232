// Undo and redo of data edits on the Recorded Data page, and the question about unsaved changes
// when the window closes.
#include <QLabel>

#include "app/appwindows.h"
#include "app/prompts.h"
#include "app/tdatapropform.h"
#include "app/tmainform.h"

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

void TMainForm::UndoEdit() {
    orvo::EditHistory& history = m_state->history;
    const QString label = QString::fromStdString(history.undoLabel());
    if (!history.undo()) {
        XYDisp->setText(QStringLiteral("Nothing to undo"));
        return;
    }
    XYDisp->setText(QStringLiteral("Undone: %1").arg(label));
    afterHistoryStep(*this, m_windows);
}

void TMainForm::RedoEdit() {
    orvo::EditHistory& history = m_state->history;
    const QString label = QString::fromStdString(history.redoLabel());
    if (!history.redo()) {
        XYDisp->setText(QStringLiteral("Nothing to redo"));
        return;
    }
    XYDisp->setText(QStringLiteral("Redone: %1").arg(label));
    afterHistoryStep(*this, m_windows);
}

void TMainForm::EditNotKept(const std::string& label) {
    const double mib = static_cast<double>(m_state->history.byteBound()) / (1024.0 * 1024.0);
    XYDisp->setText(QStringLiteral("%1 cannot be undone").arg(QString::fromStdString(label)));
    m_prompts->message(this, Prompts::Icon::Information, QStringLiteral("Orvo"),
                       QStringLiteral("\"%1\" changed more data than the undo history keeps (%2 MiB), "
                                      "so it cannot be undone, and the edits before it can no longer "
                                      "be undone either.")
                           .arg(QString::fromStdString(label))
                           .arg(mib, 0, 'g', 3));
}

bool TMainForm::askToSaveBeforeClosing() {
    if (!m_state->history.anyModified()) return true;
    const auto answer = m_prompts->message(this, Prompts::Icon::Question, QStringLiteral("Orvo"),
                                           QStringLiteral("Save changes to the plot before closing?"),
                                           QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    if (answer == QMessageBox::Discard) return true;
    // Save closes only when the file was written; a cancelled or failed save keeps the window.
    if (answer == QMessageBox::Save) return saveData();
    return false;
}
