#include "data/series.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace orvo {

int Series::climbMarkCount() const {
    return static_cast<int>(
        std::count_if(climbMarks.begin(), climbMarks.end(), [](const ClimbMark& m) { return m.inUse != 0; }));
}

int Series::peakMarkCount() const {
    if (!samples.hasPeakMarks) return 0;
    int n = 0;
    for (int i = 0; i < samples.count; ++i)
        n += samples.peakMark[static_cast<std::size_t>(i)] != 0;
    return n;
}

std::string cutText(const std::string& s, std::size_t maxLength) {
    return s.size() <= maxLength ? s : s.substr(0, maxLength);
}

Series& SeriesList::CreateDataSet() {
    const Colour colour = SetColourCycle[static_cast<std::size_t>(m_colourPos)];
    m_colourPos = (m_colourPos + 1) % static_cast<int>(SetColourCycle.size());

    // Room for both series first: running out of memory between the two pushes would leave a data
    // set without its trigger set.
    if (m_series.capacity() < m_series.size() + 2)
        m_series.reserve(std::max(m_series.size() + 2, 2 * m_series.capacity()));
    auto alt = std::make_unique<Series>(true);
    alt->samples.count = 21;
    for (int i = 0; i <= 20; ++i) {
        alt->samples.time[static_cast<std::size_t>(i)] = i;
        alt->samples.altitude[static_cast<std::size_t>(i)] = i;
    }
    char name[16];
    std::snprintf(name, sizeof name, "Data%03d", m_nameNumber);
    m_nameNumber = (m_nameNumber + 1) % 1000;
    alt->name = name;
    alt->lineColour = alt->pointColour = colour;
    alt->lineStyle = LineSolid;
    alt->pointStyle = PointNone;

    auto trig = std::make_unique<Series>(false);
    trig->samples.count = 0;
    trig->lineColour = trig->pointColour = colour;
    trig->lineStyle = LineNone;
    trig->pointStyle = PointTriangle;
    alt->companion = trig.get();

    Series& result = *alt;
    m_series.push_back(std::move(alt));
    m_series.push_back(std::move(trig));
    const int n = dataSetCount() - 1;
    for (auto* o : m_observers)
        o->dataSetAppended(n, result.name);
    return result;
}

void SeriesList::DeleteDataSet(int n) {
    if (!validSet(n)) return;
    const auto first = m_series.begin() + 2 * n;
    m_series.erase(first, first + 2);
    for (auto* o : m_observers)
        o->dataSetRemoved(n);
}

std::pair<std::unique_ptr<Series>, std::unique_ptr<Series>> SeriesList::takeDataSet(int n) {
    if (!validSet(n)) return {};
    const auto first = m_series.begin() + 2 * n;
    std::pair<std::unique_ptr<Series>, std::unique_ptr<Series>> taken{std::move(first[0]),
                                                                      std::move(first[1])};
    m_series.erase(first, first + 2);
    for (auto* o : m_observers)
        o->dataSetRemoved(n);
    return taken;
}

void SeriesList::insertDataSet(int n, std::unique_ptr<Series> set, std::unique_ptr<Series> triggers) {
    if (!set || !triggers || n < 0 || n > dataSetCount()) return;
    set->companion = triggers.get();
    const std::string name = set->name;
    const auto at = m_series.begin() + 2 * n;
    m_series.insert(at, std::move(set));
    m_series.insert(m_series.begin() + 2 * n + 1, std::move(triggers));
    for (auto* o : m_observers)
        o->dataSetInserted(n, name);
}

void SeriesList::AddClimbMark(int n, int start, int end) {
    if (!validSet(n)) return;
    for (auto& m : dataSet(n).climbMarks) {
        if (m.inUse == 0) {
            m.start = start;
            m.end = end;
            m.inUse = 1;
            return;
        }
    }
}

void SeriesList::ShiftDataSet(int n, double dt, double da) {
    if (!validSet(n)) return;
    Series* both[2] = {&dataSet(n), &triggerSet(n)};
    for (Series* s : both) {
        auto& b = s->samples;
        const auto count = static_cast<std::size_t>(std::clamp(b.count, 0, MaxSamples));
        if (std::fabs(dt) > 0.00001)
            for (std::size_t i = 0; i < count; ++i)
                b.time[i] += dt;
        if (std::fabs(da) > 0.00001)
            for (std::size_t i = 0; i < count; ++i)
                b.altitude[i] += da;
    }
}

void SeriesList::RenameDataSet(int n, const std::string& name) {
    if (!validSet(n)) return;
    dataSet(n).name = cutText(name, MaxNameLength);
    for (auto* o : m_observers)
        o->dataSetRenamed(n, dataSet(n).name);
}

void SeriesList::clear() {
    while (dataSetCount() > 0)
        DeleteDataSet(dataSetCount() - 1);
    m_series.clear();
}

void SeriesList::addObserver(SetListObserver* o) {
    if (o && std::find(m_observers.begin(), m_observers.end(), o) == m_observers.end())
        m_observers.push_back(o);
}

void SeriesList::removeObserver(SetListObserver* o) {
    m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), o), m_observers.end());
}

} // namespace orvo
