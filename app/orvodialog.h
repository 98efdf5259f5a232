// Base of the program's modal dialogs: created once at start-up, shown on demand, with access
// to the process-wide state and to the prompts.
#pragma once

#include <QDialog>

class QBoxLayout;
class QPushButton;
struct AppState;
class Prompts;

class OrvoDialog : public QDialog {
    Q_OBJECT
  public:
    OrvoDialog(const char* className, const QString& caption, AppState* state, Prompts* prompts,
               QWidget* parent);

  protected:
    // The dialog's OK (BitBtn1, default) and Cancel (BitBtn2) row at the bottom of layout.
    void addOkCancel(QBoxLayout* layout, QPushButton*& ok, QPushButton*& cancel);
    // Every dialog opens over the main window, inside its screen's available area.
    void showEvent(QShowEvent* event) override;
    // Places the dialog in the middle of the main window's screen (for dialogs shown there, not
    // over the main window); call from showEvent.
    void centreOnScreen();

    AppState* m_state;
    Prompts* m_prompts;
};
