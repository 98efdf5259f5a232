// Load and save of a data set file of 65536 samples: the program's reader and writer against a
// plain fgets/sscanf loop and a plain fprintf loop on the same file. Then another instrument's CSV
// file of as many rows (time, altitude, pressure, temperature under a header): the whole load,
// recognising alone and reading alone, against a plain fgets/strtod loop on the same file.
// Prints median and best times. "bench_datafile DIR keep" leaves the files in DIR.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <time.h>
#include <unistd.h>
#include <vector>

#include "data/csvimport.h"
#include "data/datafile.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Figures {
    double median;
    double best;
    double cpuMedian; // this thread's CPU time: what the code costs on a machine busy with others
};

double cpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

Figures measure(int runs, const std::function<void()>& f) {
    std::vector<double> ms, cpu;
    f(); // warm the page cache and the allocator
    for (int i = 0; i < runs; ++i) {
        const double c0 = cpuMs();
        const auto t0 = Clock::now();
        f();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
        cpu.push_back(cpuMs() - c0);
    }
    std::sort(ms.begin(), ms.end());
    std::sort(cpu.begin(), cpu.end());
    return {ms[ms.size() / 2], ms.front(), cpu[cpu.size() / 2]};
}

void print(const char* what, Figures f) {
    std::printf("%-52s wall median %7.2f ms, best %7.2f ms; cpu median %7.2f ms\n", what, f.median, f.best,
                f.cpuMedian);
}

// A flight: a climb, a descent under a chute, some noise in the last decimals; a few peak marks.
void fill(orvo::SeriesList& list) {
    orvo::Series& s = list.CreateDataSet();
    list.triggerSet(0).DisplayFlag = 0;
    s.samples.count = orvo::MaxSamples;
    for (int i = 0; i < orvo::MaxSamples; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const double t = i * 0.05;
        s.samples.time[k] = t;
        s.samples.altitude[k] = 1200.0 * std::sin(t / 1100.0) + 0.37 * std::cos(i * 1.3) + 812.25;
        s.samples.peakMark[k] = i % 5000 == 0 ? 1 : 0;
    }
    list.AddClimbMark(0, 10, 2000);
}

// The reader's rules done the plain way: fgets and sscanf per line.
int fscanfLoad(const std::string& path, std::vector<double>& t, std::vector<double>& a, std::vector<int>& p) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return -1;
    char line[512];
    int n = 0;
    for (int h = 0; h < 7 && std::fgets(line, sizeof line, f); ++h) {
    }
    while (n < orvo::MaxSamples && std::fgets(line, sizeof line, f)) {
        if (line[0] == '#' || line[0] == '!') continue;
        if (std::sscanf(line, "%lf, %lf, %d", &t[n], &a[n], &p[n]) < 3) p[n] = 0;
        ++n;
    }
    std::fclose(f);
    return n;
}

void fprintfSave(const std::string& path, const orvo::Series& s) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    for (int i = 0; i < s.samples.count; ++i) {
        const auto k = static_cast<std::size_t>(i);
        std::fprintf(f, "%9.4lf, %9.4lf, %d\r\n", s.samples.time[k], s.samples.altitude[k],
                     s.samples.peakMark[k]);
    }
    std::fclose(f);
}

// Another instrument's log as it writes it: a header, then one row per sample with the time in
// seconds, the altitude in metres, the pressure in pascals and the temperature in degrees.
std::string foreignCsv() {
    std::string text = "time,altitude,pressure,temperature\n";
    char row[128];
    for (int i = 0; i < orvo::MaxSamples; ++i) {
        const double t = i * 0.05;
        const double a = 1200.0 * std::sin(t / 1100.0) + 0.37 * std::cos(i * 1.3) + 812.25;
        const int n = std::snprintf(row, sizeof row, "%.3f,%.2f,%.1f,%.2f\n", t, a,
                                    101325.0 * std::exp(-a / 8434.0), 15.0 - 0.0065 * a);
        text.append(row, static_cast<std::size_t>(n));
    }
    return text;
}

// The same rows read the plain way: fgets, then strtod on the first two fields of each line.
int strtodLoad(const std::string& path, std::vector<double>& t, std::vector<double>& a) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return -1;
    char line[512];
    int n = 0;
    if (!std::fgets(line, sizeof line, f)) n = -1;
    while (n >= 0 && n < orvo::MaxSamples && std::fgets(line, sizeof line, f)) {
        char* end = nullptr;
        t[static_cast<std::size_t>(n)] = std::strtod(line, &end);
        if (*end != ',') continue;
        a[static_cast<std::size_t>(n)] = std::strtod(end + 1, &end);
        ++n;
    }
    std::fclose(f);
    return n;
}

} // namespace

int main(int argc, char** argv) {
    const char* tmp = std::getenv("TMPDIR");
    const std::string dir = argc > 1 ? argv[1] : (tmp ? tmp : "/tmp");
    const std::string path = dir + "/bench_datafile_" + std::to_string(::getpid()) + ".csv";
    const std::string plainPath = path + ".fprintf";
    const bool keep = argc > 2 && std::string(argv[2]) == "keep";
    const int runs = 31;

    orvo::SeriesList list;
    fill(list);
    orvo::PlotFileHeader header;
    header.xLabel = "Time (sec)";
    header.yLabel = "Altitude (Feet)";
    if (orvo::saveDataSetFile(path, list, 0, header) != orvo::FileStatus::Ok) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }
    std::string text;
    orvo::WriteSetBlock(list, 0, header, text);
    std::printf("data set file: %d samples, %zu bytes, in %s\n\n", orvo::MaxSamples, text.size(),
                dir.c_str());

    int loadedCount = 0;
    print("load: loadDataFile (open, read, parse, new set)", measure(runs, [&] {
              orvo::SeriesList l;
              orvo::PlotFileHeader h;
              orvo::LoadReport r;
              orvo::loadDataFile(path, l, h, r);
              loadedCount = l.dataSet(0).samples.count;
          }));
    print("load: loadDataText (parse only, new set)", measure(runs, [&] {
              orvo::SeriesList l;
              orvo::PlotFileHeader h;
              orvo::loadDataText(text, l, h);
          }));
    std::vector<double> t(orvo::MaxSamples), a(orvo::MaxSamples);
    std::vector<int> p(orvo::MaxSamples);
    int plainCount = 0;
    print("load: fgets + sscanf loop", measure(runs, [&] { plainCount = fscanfLoad(path, t, a, p); }));

    print("save: saveDataSetFile (format, write, fsync, rename)",
          measure(runs, [&] { orvo::saveDataSetFile(path, list, 0, header); }));
    print("save: WriteSetBlock (format only)", measure(runs, [&] {
              std::string s;
              s.reserve(text.size() + 64);
              orvo::WriteSetBlock(list, 0, header, s);
          }));
    print("save: fprintf loop (no checks, no fsync)",
          measure(runs, [&] { fprintfSave(plainPath, list.dataSet(0)); }));

    if (loadedCount != orvo::MaxSamples || plainCount != orvo::MaxSamples)
        std::fprintf(stderr, "unexpected sample counts %d and %d\n", loadedCount, plainCount);

    const std::string csvPath = path + ".foreign.csv";
    const std::string csv = foreignCsv();
    if (orvo::writeFileSafely(csvPath, csv) != orvo::FileStatus::Ok) {
        std::fprintf(stderr, "cannot write %s\n", csvPath.c_str());
        return 1;
    }
    std::printf("\nforeign CSV file: %d rows of 4 columns, %zu bytes, %s\n\n", orvo::MaxSamples, csv.size(),
                csvPath.c_str());
    int foreignCount = 0;
    print("foreign: loadDataFile (open, recognise, read, new set)", measure(runs, [&] {
              orvo::SeriesList l;
              orvo::PlotFileHeader h;
              orvo::LoadReport r;
              orvo::loadDataFile(csvPath, l, h, r);
              foreignCount = l.dataSetCount() > 0 ? l.dataSet(0).samples.count : 0;
          }));
    print("foreign: loadDataText (recognise, read, new set)", measure(runs, [&] {
              orvo::SeriesList l;
              orvo::PlotFileHeader h;
              orvo::loadDataText(csv, l, h);
          }));
    const orvo::CsvLayout layout = orvo::recogniseCsv(csv);
    print("foreign: recogniseCsv (the layout from the start)",
          measure(runs, [&] { (void)orvo::recogniseCsv(csv); }));
    print("foreign: readCsv (the rows by the guess)", measure(runs, [&] {
              orvo::SeriesList l;
              orvo::LoadReport r;
              orvo::LineReader in(csv);
              orvo::readCsv(in, layout, layout.guess, l, r);
          }));
    int strtodCount = 0;
    print("foreign: fgets + strtod loop", measure(runs, [&] { strtodCount = strtodLoad(csvPath, t, a); }));
    if (foreignCount != orvo::MaxSamples || strtodCount != orvo::MaxSamples)
        std::fprintf(stderr, "unexpected foreign sample counts %d and %d\n", foreignCount, strtodCount);

    if (!keep) {
        std::remove(path.c_str());
        std::remove(plainPath.c_str());
        std::remove(csvPath.c_str());
    }
    return 0;
}
