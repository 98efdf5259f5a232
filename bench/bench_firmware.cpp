// Firmware update figure: a full 7616-byte image programmed through `orvo-cli sim` on a
// pseudo-terminal, with the boot loader paced at its 4800 bit/s, against the least time the
// dialogue can take on that line: the characters each side sends and the waits the loader
// dialogue requires (10 bits a character). Two line models are printed:
// - pseudo-terminal (what is measured): the host's writes arrive at once, the loader echoes each
//   character and answers at 4800 bit/s, so a command of n characters costs n + 1 character times;
// - a module's 4800 bit/s serial line, full duplex: the host sends n characters, each echo runs
//   one character behind and the answer follows it, n + 2 character times a command.
// Flash erase and programming times are the module's own and are not in either bound.
#include <QCoreApplication>
#include <QDir>
#include <QProcess>

#include <chrono>
#include <cstdio>
#include <random>
#include <string>

#include "desktop/portlink.h"
#include "firmware/isp.h"
#include "link/comm.h"

namespace {

double now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

std::string hexFileText(const std::vector<std::uint8_t>& image) {
    std::string text;
    char buf[16];
    for (std::size_t a = 0; a < image.size(); a += 16) {
        unsigned sum = 16 + (a >> 8) + (a & 0xFF);
        std::snprintf(buf, sizeof buf, ":10%04X00", static_cast<unsigned>(a));
        text += buf;
        for (std::size_t i = a; i < a + 16; ++i) {
            std::snprintf(buf, sizeof buf, "%02X", image[i]);
            text += buf;
            sum += image[i];
        }
        std::snprintf(buf, sizeof buf, "%02X\n", (0x100 - (sum & 0xFF)) & 0xFF);
        text += buf;
    }
    return text + ":00000001FF\n";
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const char* cli = argc > 1 ? argv[1] : "cli/orvo-cli";

    std::mt19937 rng(99);
    std::vector<std::uint8_t> image(orvo::FirmwareSize);
    for (auto& b : image)
        b = static_cast<std::uint8_t>(rng());
    const std::string path = QDir::temp().filePath("orvo_bench_firmware.hex").toStdString();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    const std::string text = hexFileText(image);
    if (!f || std::fwrite(text.data(), 1, text.size(), f) != text.size() || std::fclose(f) != 0) {
        std::fprintf(stderr, "bench_firmware: cannot write %s\n", path.c_str());
        return 1;
    }
    orvo::FirmwareFile file;
    orvo::LoadFirmwareFile(path, file);

    // The dialogue's characters: the sync "U" and its echo, every command with its echo and answer,
    // the reset record (sent without waiting), and the host's fixed waits ("P", break, reset).
    const double charMs = 10.0 * 1000.0 / orvo::IspBaud;
    double ptyChars = 1;  // the echoed "U" (the host's own characters arrive at once)
    double uartChars = 2; // "U" out and back
    int commands = 0;
    auto command = [&](const std::string& c) {
        ptyChars += c.size() + 1;
        uartChars += c.size() + 2;
        ++commands;
    };
    command(orvo::IspStatusBusy);
    for (int a = 0; a < orvo::FirmwareSize; a += orvo::FirmwareBlockSize)
        command(orvo::eraseRecord(a));
    for (int a = 0; a < file.imageEnd(); a += orvo::FirmwareBlockSize)
        command(orvo::programRecord(file, a, std::min(orvo::FirmwareBlockSize, file.HighestAddress - a + 1)));
    command(orvo::IspStatusDone);
    command(orvo::IspConfigWrite);
    uartChars += std::string(orvo::IspResetRecord).size();
    const double waitsMs =
        orvo::IspAfterProgramCommandMs + orvo::IspBreakMs + orvo::IspAfterBreakMs + orvo::IspBeforeResetMs;
    const double ptyBound = (ptyChars * charMs + waitsMs) / 1000.0;
    const double uartBound = (uartChars * charMs + waitsMs) / 1000.0;

    QProcess sim;
    sim.start(QString::fromLocal8Bit(cli), {"sim", "--sets", "0"});
    if (!sim.waitForStarted(5000)) return 1;
    for (int i = 0; i < 50 && !sim.canReadLine(); ++i)
        sim.waitForReadyRead(100);
    orvo::FirmwareUpdateOptions options;
    options.portName = QString::fromLocal8Bit(sim.readLine()).trimmed().toStdString();
    options.linkSpeed = 115200;
    orvo::StringInfoLog log;
    const double start = now();
    orvo::PortLink link;
    const orvo::LinkStatus result = orvo::UpdateFirmware(link, path, options, log);
    const double secs = now() - start;
    sim.terminate();
    sim.waitForFinished(3000);
    std::remove(path.c_str());
    if (result != orvo::LinkStatus::Ok) {
        std::fprintf(stderr, "bench_firmware: the update failed (%d):\n%s\n", static_cast<int>(result),
                     log.text().c_str());
        return 1;
    }
    std::printf(
        "firmware update, %d-byte image, %d boot loader commands at %d bit/s, over a pty: took %.3f s\n"
        "  bound on this line (pseudo-terminal: host writes arrive at once, echo and answer paced,\n"
        "  n + 1 characters a command, plus %.0f ms of waits): %.3f s, ratio %.4f\n"
        "  bound on a module's %d bit/s serial line (full duplex, echo one character behind,\n"
        "  n + 2 characters a command, plus the waits): %.3f s\n",
        orvo::FirmwareSize, commands, orvo::IspBaud, secs, waitsMs, ptyBound, secs / ptyBound, orvo::IspBaud,
        uartBound);
    return 0;
}
