// Serial port figures: the CPU an idle 5 s CommReadBlock time-out costs on a real
// pseudo-terminal, and how close CommReadBlock comes to the wire rate when `orvo-cli sim`
// sends a long data set at 115200 bit/s.
//   bench_comm [path/to/orvo-cli]
#include <QCoreApplication>
#include <QProcess>
#include <QString>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "desktop/portlink.h"
#include "link/comm.h"

using namespace orvo;

namespace {

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double wallSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void idleTimeout() {
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) || unlockpt(master)) {
        std::printf("idle: no pseudo-terminal\n");
        return;
    }
    std::string slave = ptsname(master);
    orvo::PortLink link;
    if (link.CommOpen(slave, 5, 0) != orvo::LinkStatus::Ok) {
        std::printf("idle: %s\n", link.CommLastError().c_str());
        return;
    }
    char buf[17];
    const double c0 = cpuSeconds(), w0 = wallSeconds();
    int got = link.CommReadBlock(buf, 16, 5000);
    const double wall = wallSeconds() - w0, cpu = cpuSeconds() - c0;
    link.CommClose();
    close(master);
    std::printf("idle CommReadBlock time-out: result %d after %.3f s, CPU %.4f s = %.3f %% of one core "
                "(target < 2 %%)\n",
                got, wall, cpu, 100.0 * cpu / wall);
}

void throughput(const std::string& cli) {
    QProcess sim;
    sim.start(QString::fromStdString(cli), {"sim", "--sets", "1", "--samples", "30000"});
    if (!sim.waitForStarted(5000)) {
        std::printf("throughput: cannot start %s\n", cli.c_str());
        return;
    }
    for (int i = 0; i < 100 && !sim.canReadLine(); ++i)
        sim.waitForReadyRead(100);
    std::string path = sim.readLine().trimmed().toStdString();
    orvo::PortLink link;
    if (path.empty() || link.CommOpen(path, 5, 0) != orvo::LinkStatus::Ok) {
        std::printf("throughput: cannot open the emulator's pty (%s)\n", link.CommLastError().c_str());
        sim.kill();
        sim.waitForFinished();
        return;
    }
    link.CommFlush();
    link.CommWrite("a");
    link.CommSleep(20);
    const std::uint8_t index = 0;
    // Timed from the request on, so the reply's latency counts against the rate.
    const double w0 = wallSeconds(), c0 = cpuSeconds();
    link.CommWrite(&index, 1);
    std::uint8_t header[7];
    if (link.CommReadBlock(header, 6, 1000) != 6) {
        std::printf("throughput: no header\n");
    } else {
        const int bytes = 2 * ((header[3] << 8) | header[4]);
        std::vector<char> body(static_cast<std::size_t>(bytes) + 1);
        int got = link.CommReadBlock(body.data(), bytes, 30000);
        const double wall = wallSeconds() - w0, cpu = cpuSeconds() - c0;
        const double rate = (6 + bytes) / wall;
        std::printf(
            "throughput at 115200 bit/s: %d + %d of %d bytes in %.3f s = %.1f B/s = %.2f %% of 11520 B/s "
            "(target >= 98 %%), reader CPU %.1f %%\n",
            6, got, bytes, wall, rate, 100.0 * rate / 11520.0, 100.0 * cpu / wall);
    }
    link.CommClose();
    sim.terminate();
    sim.waitForFinished(3000);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::string cli;
    if (argc > 1) {
        cli = argv[1];
    } else {
        std::string self = argv[0];
        std::size_t slash = self.rfind('/');
        cli = (slash == std::string::npos ? std::string(".") : self.substr(0, slash)) + "/../cli/orvo-cli";
    }
    idleTimeout();
    throughput(cli);
    return 0;
}
