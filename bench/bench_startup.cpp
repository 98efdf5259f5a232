// Start-up figures: the time from launching a program to the first expose of its main window (the
// window is mapped), and to its first picture (the expose has been painted), for orvo and, side by
// side in the same run, for three minimal Qt Widgets windows (this program started with --bare: an
// empty QWidget; --hello: a QLabel with a text, given the window's size; --hello-own-size: the same
// label shown at its own size, as Qt's hello-world examples show it). Each is started many times in
// turn; best and median are printed. All report on stdout when ORVO_STARTUP_PROBE is set and end at
// once. A window whose size or layout depends on its texts measures them before it is mapped, and
// so loads the font configuration (some 4 ms here) before its expose: the label at its own size
// does, as orvo's window does; the label given a size loads it only when it paints.
// Run it on the display to be measured (e.g. under xvfb-run); with none it uses Qt's offscreen
// platform and says so.
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace {

// The minimal window: a QWidget of the main window's size, reported at its first expose.
class Probe : public QObject {
  public:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Expose && static_cast<QWindow*>(o)->isExposed()) {
            std::puts("exposed");
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, [] {
                std::puts("painted");
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return false;
    }
};

// The minimal windows. With a text, like every window with text, it pays for loading the font
// configuration; with no size given, before it is mapped.
enum class Minimal { Empty, Label, LabelAtOwnSize };

int minimal(int argc, char** argv, Minimal kind) {
    QApplication app(argc, argv);
    QLabel w(kind == Minimal::Empty ? QString() : QStringLiteral("Hello, world"));
    if (kind != Minimal::LabelAtOwnSize) w.resize(640, 480);
    w.show();
    Probe probe;
    w.windowHandle()->installEventFilter(&probe);
    return app.exec();
}

// Milliseconds from spawning argv to its "exposed" and its "painted" line; -1 for a line that never
// came (a program that does not say "painted" ends after "exposed").
struct Launch {
    double exposed = -1, painted = -1;
};

Launch launchMs(const std::vector<std::string>& args) {
    int fds[2];
    Launch out;
    if (pipe(fds) != 0) return out;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const auto t0 = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc != 0) {
        close(fds[0]);
        return out;
    }
    // A program that does not know the probe never says it: it is ended after 10 s.
    std::string seen;
    char buf[256];
    pollfd pfd{fds[0], POLLIN, 0};
    while (out.painted < 0 && poll(&pfd, 1, 10000) > 0) {
        const ssize_t n = read(fds[0], buf, sizeof buf);
        if (n <= 0) break;
        seen.append(buf, std::size_t(n));
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
        if (out.exposed < 0 && seen.find("exposed") != std::string::npos) out.exposed = ms;
        if (seen.find("painted") != std::string::npos) out.painted = ms;
    }
    close(fds[0]);
    if (out.exposed < 0) kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    return out;
}

struct Figures {
    double best = 1e300, median = 0;
    int failed = 0;
};

Figures summarise(std::vector<double> ms, int failed) {
    Figures f;
    f.failed = failed;
    if (ms.empty()) return f;
    std::sort(ms.begin(), ms.end());
    f.best = ms.front();
    f.median = ms[ms.size() / 2];
    return f;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && !std::strcmp(argv[1], "--bare")) return minimal(argc, argv, Minimal::Empty);
    if (argc > 1 && !std::strcmp(argv[1], "--hello")) return minimal(argc, argv, Minimal::Label);
    if (argc > 1 && !std::strcmp(argv[1], "--hello-own-size"))
        return minimal(argc, argv, Minimal::LabelAtOwnSize);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_startup PATH/orvo [RUNS] [PATH/other-orvo ...]\n");
        return 2;
    }
    int runs = 20;
    std::vector<std::string> programs;
    for (int i = 1; i < argc; ++i) {
        char* end = nullptr;
        const long n = std::strtol(argv[i], &end, 10);
        if (*end == '\0' && n > 0)
            runs = int(n);
        else
            programs.push_back(argv[i]);
    }
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM")) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        std::printf("no display: Qt's offscreen platform (run under xvfb-run for a real window)\n");
    }
    setenv("ORVO_STARTUP_PROBE", "1", 1);
    // The programs keep their settings in a store of their own, not the user's.
    char dir[] = "/tmp/orvo_bench_startupXXXXXX";
    if (!mkdtemp(dir)) return 1;
    setenv("HOME", dir, 1);
    setenv("XDG_CONFIG_HOME", dir, 1);
    setenv("XDG_DATA_HOME", dir, 1);
    setenv("XDG_RUNTIME_DIR", dir, 1);

    // Taken in turn, so a change in the machine's load touches every program alike.
    const char* const minimalNames[] = {"empty QWidget", "QLabel \"Hello, world\"",
                                        "the QLabel at its own size"};
    std::vector<std::vector<std::string>> commands = {
        {argv[0], "--bare"}, {argv[0], "--hello"}, {argv[0], "--hello-own-size"}};
    const std::size_t minimals = commands.size();
    for (const std::string& p : programs)
        commands.push_back({p});
    std::vector<std::vector<double>> exposed(commands.size()), painted(commands.size());
    std::vector<int> failed(commands.size(), 0);
    for (std::size_t c = 0; c < commands.size(); ++c)
        launchMs(commands[c]); // warm the file cache
    // Each round starts one program later, so every program runs as often in every place of the
    // turn (the run after another program's exit was measured up to 5 ms slower, while the display
    // server still tidied up after it); and the display server is given a moment between runs.
    for (int r = 0; r < runs; ++r)
        for (std::size_t k = 0; k < commands.size(); ++k) {
            const std::size_t c = (k + std::size_t(r)) % commands.size();
            usleep(50000);
            const Launch l = launchMs(commands[c]);
            if (l.exposed < 0) {
                ++failed[c];
                continue;
            }
            exposed[c].push_back(l.exposed);
            if (l.painted >= 0) painted[c].push_back(l.painted);
        }
    auto table = [&](const char* what, const std::vector<std::vector<double>>& times) {
        std::printf("launch to %s, %d runs each (platform %s); medians divided by the minimal "
                    "windows' (empty, label, label at its own size):\n",
                    what, runs, std::getenv("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM") : "default");
        std::vector<Figures> base;
        for (std::size_t c = 0; c < minimals; ++c)
            base.push_back(summarise(times[c], failed[c]));
        for (std::size_t c = 0; c < commands.size(); ++c) {
            const char* name = c < minimals ? minimalNames[c] : commands[c][0].c_str();
            if (times[c].empty()) {
                std::printf("  %-36s not reported\n", name);
                continue;
            }
            const Figures f = summarise(times[c], failed[c]);
            std::printf("  %-36s best %6.1f ms, median %6.1f ms:", name, f.best, f.median);
            for (const Figures& b : base)
                std::printf(" %.2fx", b.median > 0 ? f.median / b.median : 0.0);
            std::printf("%s\n", f.failed ? " SOME RUNS FAILED" : "");
        }
    };
    table("the first expose of the main window", exposed);
    table("its first picture (the expose painted)", painted);
    std::string rm = std::string("rm -rf ") + dir;
    return std::system(rm.c_str()) == 0 ? 0 : 1;
}
