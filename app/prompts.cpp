#include "app/prompts.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>

namespace {

void prepare(QMessageBox& box, Prompts::Icon icon, const QString& caption, const QString& text,
             QMessageBox::StandardButtons buttons, const QString& detail) {
    using Icon = Prompts::Icon;
    switch (icon) {
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Icon::NoIcon:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    box.setWindowTitle(caption);
    box.setText(text);
    if (!detail.isEmpty()) box.setInformativeText(detail);
    box.setStandardButtons(buttons);
}

} // namespace

QMessageBox::StandardButton QtPrompts::message(QWidget* parent, Icon icon, const QString& caption,
                                               const QString& text, QMessageBox::StandardButtons buttons,
                                               const QString& detail) {
    QMessageBox box(parent);
    prepare(box, icon, caption, text, buttons, detail);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

bool QtPrompts::confirmDefaultNo(QWidget* parent, Icon icon, const QString& caption, const QString& text) {
    QMessageBox box(parent);
    prepare(box, icon, caption, text, QMessageBox::Yes | QMessageBox::No, QString());
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QString QtPrompts::openFileName(QWidget* parent, const QString& title, const QString& path,
                                const QString& filter, QString* selectedFilter) {
    return QFileDialog::getOpenFileName(parent, title, path, filter, selectedFilter);
}

QString QtPrompts::saveFileName(QWidget* parent, const QString& title, const QString& path,
                                const QString& filter, QString* selectedFilter,
                                const QString& defaultSuffix) {
    if (defaultSuffix.isEmpty())
        return QFileDialog::getSaveFileName(parent, title, path, filter, selectedFilter);
    // The static helper has no default suffix; a suffix added after the dialog closed would
    // replace an existing file without the question.
    QFileDialog dialog(parent, title, path, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    if (selectedFilter && !selectedFilter->isEmpty()) dialog.selectNameFilter(*selectedFilter);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    if (selectedFilter) *selectedFilter = dialog.selectedNameFilter();
    return dialog.selectedFiles().constFirst();
}

bool QtPrompts::chooseColour(QWidget* parent, const QString& title, QColor& colour) {
    const QColor c = QColorDialog::getColor(colour, parent, title);
    if (!c.isValid()) return false;
    colour = c;
    return true;
}

bool QtPrompts::printDialog(QWidget* parent, QPrinter* printer) {
    QPrintDialog dlg(printer, parent);
    return dlg.exec() == QDialog::Accepted;
}

int QtPrompts::execDialog(QDialog* dialog) {
    return dialog->exec();
}

bool QtPrompts::openUrl(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}
