// One module transaction at a time. Every module handler of the main window opens a Scope first;
// while one is open, a second handler gets an empty scope and does nothing, the controls that
// could start another exchange (or change or free the data a download is filling) are disabled,
// and closing the window waits: a running download is asked to stop, and the window closes once
// the transaction has ended. Guard the handlers, not the flows they call (ReadConfiguration).
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <vector>

class ModuleTransactions : public QObject {
    Q_OBJECT
  public:
    // areas: the pages whose input controls are disabled while a transaction runs; timers: those
    // that read the port on their own (live logging), held while a transaction runs.
    ModuleTransactions(QWidget* window, std::vector<QWidget*> areas, std::vector<QTimer*> timers = {});

    class Scope {
      public:
        Scope() = default;
        explicit Scope(ModuleTransactions* owner) : m_owner(owner) {}
        Scope(Scope&& other) noexcept : m_owner(other.m_owner) { other.m_owner = nullptr; }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
        Scope& operator=(Scope&&) = delete;
        ~Scope();
        // False: another transaction is running; do nothing.
        explicit operator bool() const { return m_owner != nullptr; }

      private:
        ModuleTransactions* m_owner = nullptr;
    };

    Scope begin();
    bool running() const { return m_running; }
    // A download checks this after every sample; set by a close request (or a test).
    bool stopRequested() const { return m_stop; }
    void requestStop() { m_stop = true; }
    bool closePending() const { return m_closePending; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void end();

    QWidget* m_window;
    std::vector<QPointer<QWidget>> m_areas;
    std::vector<QPointer<QWidget>> m_disabled; // what begin() disabled, for end() to enable again
    std::vector<QPointer<QTimer>> m_timers;
    std::vector<QPointer<QTimer>> m_held; // the timers begin() stopped
    bool m_running = false;
    bool m_stop = false;
    bool m_closePending = false;
};

// Around an exchange that blocks the window (a configuration read waits up to 5 s, a reset 4 s):
// the log lines written so far are painted before it starts, and the cursor shows the wait until
// it is over. release() ends the wait early, before a modal question.
class BlockingWait {
  public:
    explicit BlockingWait(QWidget* log);
    ~BlockingWait() { release(); }
    BlockingWait(const BlockingWait&) = delete;
    BlockingWait& operator=(const BlockingWait&) = delete;
    void release();

  private:
    bool m_active = false;
};
