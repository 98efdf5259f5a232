#include "app/orvodialog.h"

OrvoDialog::OrvoDialog(const char* className, const QString& caption, AppState* state, Prompts* prompts,
                       QWidget* parent)
    : QDialog(parent), m_state(state), m_prompts(prompts) {
    setObjectName(QLatin1String(className));
    setWindowTitle(caption);
    setModal(true);
}
