// The window's InfoLog: module operations write their lines to the InfoText box as they come.
#pragma once

#include <QString>

#include "app/tmainform.h"
#include "link/infolog.h"

class InfoTextLog : public orvo::InfoLog {
  public:
    explicit InfoTextLog(TMainForm* window) : m_window(window) {}
    void clear() override { m_window->infoClear(); }
    void line(const std::string& text) override { m_window->infoLine(QString::fromStdString(text)); }

  private:
    TMainForm* m_window;
};
