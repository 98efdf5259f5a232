// `orvo-cli sim`: the emulated module on a pseudo-terminal. The program (or any terminal
// program) opens the printed device path as if it were the module's serial port.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/options.h"
#include "platform/platform.h"
#include "sim/module.h"

#ifdef __unix__
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace {

const char* simHelp =
    "Usage: orvo-cli sim [options]\n"
    "Serves the emulated module on a pseudo-terminal until stopped (Ctrl+C or SIGTERM).\n"
    "The first line printed is the device path to open, for example with orvo --port PATH.\n\n"
    "Options:\n"
    "  --sets N         recorded flights in memory (default 3)\n"
    "  --seed S         seed of the generated flights (default 1)\n"
    "  --memory-kib K   size of the module's data memory in KiB (default 64)\n"
    "  --samples N      make every flight at least N samples long (default: as flown)\n"
    "  --baud B         the module's own speed; other speeds garble (default: any speed)\n"
    "  --listing WHAT   what the second number of each set listing line counts: samples\n"
    "                   (default) or words (the samples and one marker word per trigger mark)\n"
    "  --unannounced N  set N's header gives no word count (W = 0): the set ends when the\n"
    "                   module stops sending\n"
    "  --no-pacing      send as fast as possible instead of at baud / 10 bytes a second\n"
    "  --boot-loader    start in the boot loader, as a module without firmware\n"
    "  --flash-file F   when stopped, write the module's code space (7616 bytes) and then its\n"
    "                   boot loader status byte to F\n"
    "  --faults LIST    comma-separated faults:\n";

volatile std::sig_atomic_t g_stop = 0;

void onSignal(int) {
    g_stop = 1;
}

// The integer after the option at r, within lo..hi.
bool intArg(orvo::cli::ArgReader& r, long lo, long hi, long* out) {
    std::string v;
    return r.value(v) && orvo::cli::parseInteger(v, lo, hi, *out);
}

#ifdef __unix__
int baudOf(speed_t s) {
    switch (s) {
    case B1200:
        return 1200;
    case B2400:
        return 2400;
    case B4800:
        return 4800;
    case B9600:
        return 9600;
    case B19200:
        return 19200;
    case B38400:
        return 38400;
    case B57600:
        return 57600;
    case B115200:
        return 115200;
    case B230400:
        return 230400;
    default:
        return 0;
    }
}

int serve(orvo::sim::Module& module) {
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::fprintf(stderr, "orvo-cli sim: cannot create a pseudo-terminal: %s\n", std::strerror(errno));
        return 1;
    }
    const char* path = ptsname(master);
    // The module's line is raw; the program sets its own modes when it opens the port.
    termios tio{};
    if (tcgetattr(master, &tio) == 0) {
        cfmakeraw(&tio);
        cfsetispeed(&tio, B115200);
        cfsetospeed(&tio, B115200);
        tcsetattr(master, TCSANOW, &tio);
    }
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    std::printf("%s\n", path);
    std::fflush(stdout);

    const orvo::platform::InterruptGuard stop(onSignal);

    bool client = false;
    std::string out; // bytes due to the program that the pty has not taken yet
    std::vector<std::uint8_t> buf(8192);
    while (!g_stop) {
        std::int64_t due = module.msUntilOutput();
        int timeout = due < 0 ? 200 : static_cast<int>(std::min<std::int64_t>(due, 200));
        pollfd p{master, static_cast<short>(POLLIN | (out.empty() ? 0 : POLLOUT)), 0};
        int r = poll(&p, 1, out.empty() ? timeout : std::min(timeout, 5));
        if (r < 0 && errno != EINTR) break;
        if (p.revents & POLLHUP) {
            // Nobody has the port open. What the program wrote before it closed still reaches the
            // module, as a real port sends its last bytes before it closes (a firmware update's
            // reset record is written just before the close), at the speed it was written at: the
            // port's modes now are the ones its close put back. What was on its way back is lost.
            if (p.revents & POLLIN) {
                ssize_t n;
                while ((n = ::read(master, buf.data(), buf.size())) > 0) {
                    module.feed(buf.data(), static_cast<std::size_t>(n));
                    client = true;
                }
            }
            if (client) {
                client = false;
                module.hostClosed();
                out.clear();
            }
            usleep(20000);
            continue;
        }
        client = true;
        // The speed first: bytes that arrive right after the program reopened the port at another
        // speed (the boot loader's) are heard at the new one.
        if (tcgetattr(master, &tio) == 0) {
            int baud = baudOf(cfgetospeed(&tio));
            if (baud) module.setHostBaud(baud);
        }
        if (p.revents & POLLIN) {
            ssize_t n = ::read(master, buf.data(), buf.size());
            if (n > 0) module.feed(buf.data(), static_cast<std::size_t>(n));
        }
        std::size_t n;
        while ((n = module.read(buf.data(), buf.size())) > 0)
            out.append(reinterpret_cast<char*>(buf.data()), n);
        if (!out.empty()) {
            ssize_t w = ::write(master, out.data(), out.size());
            if (w > 0) out.erase(0, static_cast<std::size_t>(w));
        }
    }
    close(master);
    return 0;
}
#endif

int runSim(const std::vector<std::string>& args) {
    long sets = 3, seed = 1, memoryKiB = 64, samples = 0, baud = 0, unannounced = 0;
    auto listing = orvo::sim::Module::ListingCount::Samples;
    bool pacing = true, bootLoader = false;
    std::string flashFile;
    orvo::sim::Faults faults;
    for (orvo::cli::ArgReader r(args); r.next();) {
        const std::string& a = r.word();
        bool ok = true;
        if (r.isHelp()) {
            std::printf("%s%s", simHelp, orvo::sim::faultsHelp());
            return 0;
        } else if (r.is("--sets"))
            ok = intArg(r, 0, 256, &sets);
        else if (r.is("--seed"))
            ok = intArg(r, 0, 0xFFFFFFFFL, &seed);
        else if (r.is("--memory-kib"))
            ok = intArg(r, 1, 2040, &memoryKiB);
        else if (r.is("--samples"))
            ok = intArg(r, 0, 65000, &samples);
        else if (r.is("--baud"))
            ok = intArg(r, 300, 1000000, &baud);
        else if (r.is("--listing")) {
            std::string v;
            ok = r.value(v) && (v == "samples" || v == "words");
            if (ok && v == "words") listing = orvo::sim::Module::ListingCount::Words;
        } else if (r.is("--unannounced"))
            ok = intArg(r, 1, 256, &unannounced);
        else if (r.is("--no-pacing"))
            pacing = false;
        else if (r.is("--boot-loader"))
            bootLoader = true;
        else if (r.is("--flash-file")) {
            ok = r.value(flashFile);
        } else if (r.is("--faults")) {
            std::string v, error;
            ok = r.value(v) && orvo::sim::parseFaults(v, &faults, &error);
            if (!ok && !error.empty()) {
                std::fprintf(stderr, "orvo-cli sim: %s\n", error.c_str());
                return 2;
            }
        } else {
            std::fprintf(stderr, "orvo-cli sim: unknown option '%s' (see orvo-cli sim --help)\n", a.c_str());
            return 2;
        }
        if (!ok) {
            std::fprintf(stderr, "orvo-cli sim: missing or bad value for %s\n", a.c_str());
            return 2;
        }
    }
    orvo::sim::Module module(static_cast<std::size_t>(memoryKiB) * 1024);
    int made = module.generateFlights(static_cast<int>(sets), static_cast<std::uint32_t>(seed),
                                      static_cast<int>(samples));
    if (made < sets) std::fprintf(stderr, "orvo-cli sim: memory full after %d flights\n", made);
    if (unannounced > 0 && unannounced <= made) {
        std::vector<orvo::sim::RecordedSet> recorded = module.recordedSets();
        recorded[static_cast<std::size_t>(unannounced - 1)].announceCount = false;
        module.setRecordedSets(std::move(recorded));
    }
    module.setListingCount(listing);
    module.faults() = faults;
    module.setPacing(pacing);
    module.setModuleBaud(static_cast<int>(baud));
    if (bootLoader) module.enterBootLoader();
#ifdef __unix__
    const int status = serve(module);
    if (!flashFile.empty()) {
        std::FILE* f = std::fopen(flashFile.c_str(), "wb");
        const std::uint8_t statusByte = module.statusByte();
        bool written = f &&
                       std::fwrite(module.codeImage().data(), 1, module.codeImage().size(), f) ==
                           module.codeImage().size() &&
                       std::fwrite(&statusByte, 1, 1, f) == 1;
        if (f && std::fclose(f) != 0) written = false;
        if (!written) {
            std::fprintf(stderr, "orvo-cli sim: cannot write %s\n", flashFile.c_str());
            return 1;
        }
    }
    return status;
#else
    std::fprintf(stderr, "orvo-cli sim: pseudo-terminals are not available here; use the Simulator port\n");
    return 1;
#endif
}

} // namespace

ORVO_CLI_COMMAND("sim", "serve the emulated module on a pseudo-terminal", runSim);
