// The window's InfoLog: module operations write their lines to the InfoText box as they come.
// Inside a blocking exchange (see BlockingWait) a log made with paintEachLine shows each line at
// once, since nothing else paints the window until the exchange is over.
#pragma once

#include <QString>

#include "app/tmainform.h"
#include "link/infolog.h"

class InfoTextLog : public orvo::InfoLog {
  public:
    explicit InfoTextLog(TMainForm* window, bool paintEachLine = false)
        : m_window(window), m_paint(paintEachLine) {}
    void clear() override { m_window->infoClear(); }
    void line(const std::string& text) override {
        m_window->infoLine(QString::fromStdString(text));
        if (m_paint && m_window->isVisible()) m_window->repaint();
    }

  private:
    TMainForm* m_window;
    bool m_paint;
};
