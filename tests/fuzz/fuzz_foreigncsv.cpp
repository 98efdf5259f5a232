// Feeds other programs' CSV files to the foreign reader. An input is a start, a part repeated and
// an end, split at the first two 0x01 bytes: the repeated part is written until the text passes
// the reader's first MiB, so short inputs reach past the window in which a file is recognised
// (a header of many columns, rows that go on). Checks what every later reader of the model relies
// on, and that recognising and reading never disagree about what was added.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "data/csvfields.h"
#include "data/csvimport.h"
#include "data/datafile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string text;
    const std::size_t a = input.find('\x01');
    const std::size_t b = a == std::string_view::npos ? a : input.find('\x01', a + 1);
    if (b == std::string_view::npos || b == a + 1) {
        text.assign(input);
    } else {
        text.assign(input.substr(0, a));
        const std::string_view part = input.substr(a + 1, b - a - 1);
        while (text.size() < orvo::RecogniseBytes + (std::size_t{1} << 18))
            text.append(part);
        text.append(input.substr(b + 1));
    }

    const orvo::CsvLayout layout = orvo::recogniseCsv(text);
    if (layout.kind == orvo::FileKind::Foreign) {
        if (layout.guess.timeColumn >= static_cast<int>(layout.columns.size()) ||
            layout.guess.altitudeColumn >= static_cast<int>(layout.columns.size()))
            std::abort();
        // Every field the record reader gives lies within the text.
        orvo::LineReader in(text);
        orvo::CsvRecordReader records(in, layout.separator);
        for (int n = 0; n < 64 && records.next(); ++n)
            for (std::size_t i = 0; i < records.size(); ++i)
                if (records.field(i).size() > text.size()) std::abort();
    }

    orvo::SeriesList list;
    orvo::PlotFileHeader header;
    orvo::LoadOptions options;
    options.maxDataSets = 2;
    // An input that ends in a digit also asks for the columns by number, as orvo-cli can.
    orvo::CsvChoice choice;
    if (size > 0 && data[size - 1] >= '1' && data[size - 1] <= '9') {
        choice.timeColumn = std::string(1, static_cast<char>(data[size - 1]));
        choice.altitudeColumn = "2";
        options.choice = &choice;
    }
    const orvo::LoadReport report = orvo::loadDataText(text, list, header, options);
    if (report.setsAdded != list.dataSetCount()) std::abort();
    if (report.noData && report.setsAdded != 0) std::abort();
    if (report.foreign && (layout.kind != orvo::FileKind::Foreign || report.setsAdded != 1)) std::abort();
    if (!report.refused.empty() && report.setsAdded != 0) std::abort();
    for (int n = 0; n < list.dataSetCount(); ++n) {
        const orvo::Series& s = list.dataSet(n);
        if (s.samples.count < 0 || s.samples.count > orvo::MaxSamples) std::abort();
        for (int i = 0; i < s.samples.count; ++i) {
            const double t = s.samples.time[static_cast<std::size_t>(i)];
            if (!std::isfinite(t) || !std::isfinite(s.samples.altitude[static_cast<std::size_t>(i)]))
                std::abort();
            // A foreign file's times lie near its first row's.
            if (report.foreign && std::fabs(t) > 1e7) std::abort();
        }
    }
    return 0;
}
