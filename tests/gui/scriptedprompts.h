// Prompts for GUI tests: answers come from queues the test fills; every question is recorded.
// A question (a box with more than an OK button) that the test did not script fails the test,
// which then goes on with No/Cancel instead of blocking. Unscripted file, colour, print and
// modal dialogs are cancelled (an empty name, false, Rejected).
#pragma once

#include <gtest/gtest.h>

#include <QDialog>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

#include "app/prompts.h"

class ScriptedPrompts : public Prompts {
  public:
    struct Message {
        Icon icon;
        QString caption;
        QString text;
        QString detail;
        QMessageBox::StandardButtons buttons;
        bool defaultNo = false; // asked with No as the default answer
    };

    std::vector<Message> messages;
    std::deque<QMessageBox::StandardButton> answers; // for message(); default: No, or Ok
    std::deque<QString> fileNames;                   // for openFileName/saveFileName
    QStringList fileTitles;                          // titles of the file dialogs asked
    QStringList proposedPaths;                       // the path each file dialog proposed
    QStringList defaultSuffixes;                     // the default suffix of each save dialog
    std::deque<QColor> colours;                      // for chooseColour; empty: cancelled
    std::deque<bool> printAnswers;
    // Called with the printer when the print dialog is asked (a test points it at a PDF file).
    std::function<void(QPrinter*)> onPrintDialog;
    // Called with the dialog instead of exec(); returns the dialog code. Default: Rejected.
    std::deque<std::function<int(QDialog*)>> dialogActions;
    std::vector<QString> dialogsShown;
    std::vector<QUrl> openedUrls;
    bool openUrlResult = true; // false: as on a desktop with no program set up for the address

    QMessageBox::StandardButton message(QWidget*, Icon icon, const QString& caption, const QString& text,
                                        QMessageBox::StandardButtons buttons,
                                        const QString& detail) override {
        messages.push_back({icon, caption, text, detail, buttons});
        const bool question = buttons != QMessageBox::Ok && buttons != QMessageBox::NoButton;
        if (question && answers.empty()) ADD_FAILURE() << "unscripted question: " << text.toStdString();
        if (!answers.empty()) {
            auto a = answers.front();
            answers.pop_front();
            return a;
        }
        return (buttons & QMessageBox::No) ? QMessageBox::No : QMessageBox::Ok;
    }
    bool confirmDefaultNo(QWidget* parent, Icon icon, const QString& caption, const QString& text) override {
        const bool yes = Prompts::confirmDefaultNo(parent, icon, caption, text);
        messages.back().defaultNo = true;
        return yes;
    }
    QString openFileName(QWidget*, const QString& title, const QString& path, const QString&,
                         QString*) override {
        return nextFile(title, path);
    }
    QString saveFileName(QWidget*, const QString& title, const QString& path, const QString&, QString*,
                         const QString& defaultSuffix) override {
        defaultSuffixes << defaultSuffix;
        return nextFile(title, path);
    }
    bool chooseColour(QWidget*, const QString&, QColor& colour) override {
        if (colours.empty()) return false;
        colour = colours.front();
        colours.pop_front();
        return true;
    }
    bool printDialog(QWidget*, QPrinter* printer) override {
        if (onPrintDialog) onPrintDialog(printer);
        if (printAnswers.empty()) return false;
        bool a = printAnswers.front();
        printAnswers.pop_front();
        return a;
    }
    int execDialog(QDialog* dialog) override {
        dialogsShown.push_back(dialog->objectName());
        if (dialogActions.empty()) return QDialog::Rejected;
        auto action = dialogActions.front();
        dialogActions.pop_front();
        return action(dialog);
    }
    bool openUrl(const QUrl& url) override {
        openedUrls.push_back(url);
        return openUrlResult;
    }

    QString lastMessage() const { return messages.empty() ? QString() : messages.back().text; }

  private:
    QString nextFile(const QString& title, const QString& path) {
        fileTitles << title;
        proposedPaths << path;
        if (fileNames.empty()) return QString();
        QString f = fileNames.front();
        fileNames.pop_front();
        return f;
    }
};
