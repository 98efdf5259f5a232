// The program's entry: the application, its eight windows in their order, the message loop.
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QTimer>
#include <QWindow>

#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>

#include "app/appwindows.h"
#include "app/prompts.h"
#include "app/tmainform.h"
#include "app/version.h"
#include "platform/platform.h"

static void usage() {
    std::printf("Usage: orvo [--port NAME] [--screenshot FILE.png] [--version] [FILE...]\n"
                "  FILE...      data files to load at start, as the Load button does\n"
                "  --port NAME  select a port at start: a listed one, \"Simulator\" or a device path\n"
                "  --screenshot FILE.png  save a picture of the main window after 5 s and end\n"
                "  --version    print the program version and exit\n");
}

namespace {

// An exception that escapes a handler is shown with the toolkit's message box, and the
// program then ends normally instead of aborting.
class OrvoApplication : public QApplication {
  public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            QMessageBox::critical(nullptr, QStringLiteral("Orvo"), QString::fromLocal8Bit(e.what()));
        } catch (...) {
            QMessageBox::critical(nullptr, QStringLiteral("Orvo"), QStringLiteral("Unexpected error"));
        }
        QApplication::exit(0);
        return false;
    }
};

// With ORVO_STARTUP_PROBE set, the program says "exposed" on stdout when the main window is
// first exposed, "painted" once that first picture is drawn, and ends: bench_startup times the
// launch with it.
class StartupProbe : public QObject {
  public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
            std::puts("exposed");
            std::fflush(stdout);
            // The expose paints the window before it returns: the next turn of the loop finds the
            // first picture drawn.
            QTimer::singleShot(0, qApp, [] {
                std::puts("painted");
                std::fflush(stdout);
                QApplication::exit(0);
            });
            watched->removeEventFilter(this);
        }
        return false;
    }
};

} // namespace

int main(int argc, char** argv) {
    QString port;
    QString screenshot;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--version")) {
            std::printf("Orvo %s\n", GetProgramVersion().c_str());
            return 0;
        }
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            usage();
            return 0;
        }
        if (!std::strcmp(argv[i], "--port") && i + 1 < argc) {
            port = QString::fromLocal8Bit(argv[++i]);
        }
        // Used by run.sh on a machine without a display: picture of the window after 5 s, then end.
        if (!std::strcmp(argv[i], "--screenshot") && i + 1 < argc) {
            screenshot = QString::fromLocal8Bit(argv[++i]);
        }
    }

    // Over a file-size limit a save must fail and be reported, not kill the program.
    orvo::platform::ignoreFileSizeSignal();
    OrvoApplication app(argc, argv);
    // Qt takes the C locale from the environment; files and texts always use a full stop.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("Orvo"));
    // Wayland desktops match the window to its installed menu entry (name and icon) by this id.
    QGuiApplication::setDesktopFileName(QStringLiteral("orvo"));
    QApplication::setOrganizationName(QStringLiteral("TamberlinSystems"));
    QApplication::setApplicationVersion(QString::fromStdString(GetProgramVersion()));

    // Data files to load at start: every argument that is no option (Qt has taken its own out).
    QStringList files;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--port") || !std::strcmp(argv[i], "--screenshot")) {
            ++i;
            continue;
        }
        if (argv[i][0] == '-' && argv[i][1] != '\0') continue;
        files << QFile::decodeName(argv[i]);
    }

    QtPrompts prompts;
    try {
        // The first picture needs the window's frame and About page only; the rest follows it.
        AppWindows windows(&prompts, StartMode::AfterFirstPicture);
        windows.mainForm->setRequestedPort(port);
        windows.mainForm->setStartupFiles(files);
        windows.mainForm->show();
        StartupProbe probe;
        if (qEnvironmentVariableIsSet("ORVO_STARTUP_PROBE") && windows.mainForm->windowHandle())
            windows.mainForm->windowHandle()->installEventFilter(&probe);
        if (!screenshot.isEmpty()) {
            QTimer::singleShot(5000, [&] {
                const bool ok = windows.mainForm->grab().save(screenshot, "PNG");
                std::fprintf(ok ? stdout : stderr, "%s %s\n", ok ? "Saved" : "Could not save",
                             screenshot.toLocal8Bit().constData());
                windows.mainForm->close();
            });
        }
        return app.exec();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QStringLiteral("Orvo"), QString::fromLocal8Bit(e.what()));
        return 0;
    }
}
