#include "app/moduletransactions.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTimer>

ModuleTransactions::ModuleTransactions(QWidget* window, std::vector<QWidget*> areas,
                                       std::vector<QTimer*> timers)
    : QObject(window), m_window(window) {
    for (QTimer* t : timers)
        if (t) m_timers.emplace_back(t);
    setObjectName(QStringLiteral("ModuleTransactions"));
    for (QWidget* a : areas)
        if (a) m_areas.emplace_back(a);
    window->installEventFilter(this);
}

ModuleTransactions::Scope::~Scope() {
    if (m_owner) m_owner->end();
}

ModuleTransactions::Scope ModuleTransactions::begin() {
    if (m_running) return Scope();
    m_running = true;
    m_stop = false;
    m_disabled.clear();
    auto disable = [this](QWidget* w) {
        // Only what is enabled now; end() must not enable what somebody else disabled.
        if (w->testAttribute(Qt::WA_Disabled)) return;
        w->setEnabled(false);
        m_disabled.emplace_back(w);
    };
    for (const QPointer<QWidget>& area : m_areas) {
        if (!area) continue;
        for (QWidget* w : area->findChildren<QWidget*>()) {
            if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w) ||
                qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractSlider*>(w) ||
                qobject_cast<QAbstractSpinBox*>(w))
                disable(w);
            // The plot surface: its mouse tools edit the marks of the set being filled.
            else if (w->objectName() == QLatin1String("PlotBox"))
                disable(w);
        }
    }
    // A download lets messages run; a timer that reads the port would take the download's bytes.
    m_held.clear();
    for (const QPointer<QTimer>& t : m_timers) {
        if (t && t->isActive()) {
            t->stop();
            m_held.push_back(t);
        }
    }
    return Scope(this);
}

void ModuleTransactions::end() {
    for (const QPointer<QWidget>& w : m_disabled)
        if (w) w->setEnabled(true);
    m_disabled.clear();
    for (const QPointer<QTimer>& t : m_held)
        if (t) t->start();
    m_held.clear();
    m_running = false;
    m_stop = false;
    if (m_closePending) {
        m_closePending = false;
        // Closed from the event loop, after the handler that held the transaction has returned.
        QPointer<QWidget> window(m_window);
        QTimer::singleShot(0, m_window, [window] {
            if (window) window->close();
        });
    }
}

bool ModuleTransactions::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_window && event->type() == QEvent::Close && m_running) {
        // Freeing the data sets under a running download is what must not happen: stop the
        // download and close afterwards.
        m_stop = true;
        m_closePending = true;
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

BlockingWait::BlockingWait(QWidget* log) {
    // Painted now (the log's new line, the button and the status bar): nothing else runs until
    // the exchange is over.
    if (log && log->isVisible()) log->window()->repaint();
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    m_active = true;
}

void BlockingWait::release() {
    if (!m_active) return;
    m_active = false;
    QGuiApplication::restoreOverrideCursor();
}
