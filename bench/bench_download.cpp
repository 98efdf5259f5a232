// Download figures: a long set from `orvo-cli sim` on a pseudo-terminal, paced at 115200 bit/s,
// against its time on the wire (10 bits a byte); and the samples per second the decoder keeps up
// with when the bytes are already there.
#include <QCoreApplication>
#include <QProcess>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "data/series.h"
#include "desktop/portlink.h"
#include "link/comm.h"
#include "link/protocol.h"

namespace {

double now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void unpacedDecoder() {
    std::vector<std::uint8_t> bytes = {0, 0, 1, 0xFF, 0xFF, 1};
    for (int j = 0; j < 65535; ++j) {
        const std::uint16_t w = (j % 500 == 0) ? 0x8201 : static_cast<std::uint16_t>(j % 3000);
        bytes.push_back(static_cast<std::uint8_t>(w >> 8));
        bytes.push_back(static_cast<std::uint8_t>(w & 0xFF));
    }
    orvo::SeriesList list;
    orvo::Series& set = list.CreateDataSet();
    long samples = 0;
    const double start = now();
    int rounds = 0;
    while (now() - start < 2.0) {
        std::size_t pos = 0;
        const orvo::ByteReader read = [&](std::uint8_t* buf, int count) {
            if (bytes.size() - pos < static_cast<std::size_t>(count)) return false;
            std::memcpy(buf, bytes.data() + pos, static_cast<std::size_t>(count));
            pos += static_cast<std::size_t>(count);
            return true;
        };
        samples += orvo::decodeSetStream(read, 100, set, [](int, int) { return true; }).samples;
        ++rounds;
    }
    const double secs = now() - start;
    std::printf("decoder, unpaced: %d sets, %.1f million samples/s\n", rounds, samples / secs / 1e6);
}

int pacedPty(const char* cli) {
    QProcess sim;
    // 130 KiB of memory holds one set of 65000 samples (the emulator's longest flight option).
    sim.start(QString::fromLocal8Bit(cli),
              {"sim", "--sets", "1", "--samples", "65000", "--memory-kib", "130"});
    if (!sim.waitForStarted(5000)) return 1;
    for (int i = 0; i < 50 && !sim.canReadLine(); ++i)
        sim.waitForReadyRead(100);
    const std::string path = QString::fromLocal8Bit(sim.readLine()).trimmed().toStdString();
    orvo::PortLink link;
    if (path.empty() || link.CommOpen(path, 115200, 0) != orvo::LinkStatus::Ok) {
        std::fprintf(stderr, "bench_download: cannot open the emulator's pty (%s)\n",
                     link.CommLastError().c_str());
        return 1;
    }
    orvo::SeriesList list;
    orvo::Series& set = list.CreateDataSet();
    const double start = now();
    const orvo::DownloadOutcome out = orvo::downloadSet(link, 0, 100, set);
    const double secs = now() - start;
    link.CommClose();
    sim.terminate();
    sim.waitForFinished(3000);
    const double bytes = 6.0 + 2.0 * (out.samples + out.triggers);
    const double wire = bytes / 11520.0;
    std::printf("pty at 115200 bit/s: %d samples, %d markers, %.0f bytes; download %.3f s, wire time %.3f s, "
                "ratio %.4f (end: %s)\n",
                out.samples, out.triggers, bytes, secs, wire, secs / wire,
                out.end == orvo::DownloadEnd::CountReached ? "announced count" : "other");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    unpacedDecoder();
    const char* cli = argc > 1 ? argv[1] : "cli/orvo-cli";
    return pacedPty(cli);
}
