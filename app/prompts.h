// Every modal question the program asks (message boxes, file, colour and print dialogs, modal
// dialogs, shell-open) goes through Prompts, so GUI tests can answer them without a human.
#pragma once

#include <QColor>
#include <QMessageBox>
#include <QString>
#include <QUrl>

class QDialog;
class QPrinter;
class QWidget;

class Prompts {
  public:
    enum class Icon { Information, Warning, Critical, Question, NoIcon };

    virtual ~Prompts() = default;

    virtual QMessageBox::StandardButton message(QWidget* parent, Icon icon, const QString& caption,
                                                const QString& text,
                                                QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                                const QString& detail = QString()) = 0;
    // Empty result: the user cancelled. selectedFilter (optional) is in/out.
    virtual QString openFileName(QWidget* parent, const QString& title, const QString& path,
                                 const QString& filter, QString* selectedFilter = nullptr) = 0;
    // defaultSuffix (without the dot) is added by the dialog to a name typed without one, before
    // it asks whether an existing file may be replaced.
    virtual QString saveFileName(QWidget* parent, const QString& title, const QString& path,
                                 const QString& filter, QString* selectedFilter = nullptr,
                                 const QString& defaultSuffix = QString()) = 0;
    // False: cancelled; otherwise colour holds the choice.
    virtual bool chooseColour(QWidget* parent, const QString& title, QColor& colour) = 0;
    virtual bool printDialog(QWidget* parent, QPrinter* printer) = 0;
    // Shows a modal dialog; returns its QDialog::DialogCode.
    virtual int execDialog(QDialog* dialog) = 0;
    // Hands a document, mail or web address to the desktop's default handler.
    virtual bool openUrl(const QUrl& url) = 0;

    // The program's failure message: caption "Error", warning icon, OK.
    void error(QWidget* parent, const QString& text, const QString& detail = QString()) {
        message(parent, Icon::Warning, QStringLiteral("Error"), text, QMessageBox::Ok, detail);
    }
    // A Yes/No question whose default answer (Enter) is No, for steps that cannot be undone; true
    // for Yes. Answered like any message where nothing decides the default.
    virtual bool confirmDefaultNo(QWidget* parent, Icon icon, const QString& caption, const QString& text) {
        return message(parent, icon, caption, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    }
    // A Yes/No confirmation; true for Yes.
    bool confirm(QWidget* parent, const QString& caption, const QString& text) {
        return message(parent, Icon::Question, caption, text, QMessageBox::Yes | QMessageBox::No) ==
               QMessageBox::Yes;
    }
};

// The real dialogs.
class QtPrompts : public Prompts {
  public:
    QMessageBox::StandardButton message(QWidget* parent, Icon icon, const QString& caption,
                                        const QString& text, QMessageBox::StandardButtons buttons,
                                        const QString& detail) override;
    QString openFileName(QWidget* parent, const QString& title, const QString& path, const QString& filter,
                         QString* selectedFilter) override;
    QString saveFileName(QWidget* parent, const QString& title, const QString& path, const QString& filter,
                         QString* selectedFilter, const QString& defaultSuffix) override;
    bool chooseColour(QWidget* parent, const QString& title, QColor& colour) override;
    bool printDialog(QWidget* parent, QPrinter* printer) override;
    int execDialog(QDialog* dialog) override;
    bool openUrl(const QUrl& url) override;
    bool confirmDefaultNo(QWidget* parent, Icon icon, const QString& caption, const QString& text) override;
};
