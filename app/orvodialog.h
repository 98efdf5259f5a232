// Base of the program's modal dialogs: created once at start-up, shown on demand, with access
// to the process-wide state and to the prompts.
#pragma once

#include <QDialog>

struct AppState;
class Prompts;

class OrvoDialog : public QDialog {
    Q_OBJECT
public:
    OrvoDialog(const char* className, const QString& caption, AppState* state, Prompts* prompts,
               QWidget* parent);

protected:
    AppState* m_state;
    Prompts* m_prompts;
};
