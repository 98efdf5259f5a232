#include "plot/edithistory.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace orvo {

namespace {

template <typename T> bool sameBits(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

using Props = SeriesDisplay;

// Undo must give back exactly what was there: a shift or scale that changed only its sign bit
// (0 and -0) counts as changed.
bool sameProps(const Props& a, const Props& b) {
    return a == b && sameBits(a.timeOffset, b.timeOffset) && sameBits(a.altitudeOffset, b.altitudeOffset) &&
           sameBits(a.timeScale, b.timeScale) && sameBits(a.altitudeScale, b.altitudeScale);
}

std::size_t propsBytes(const Props& p) {
    return sizeof(Props) + p.name.size() + p.note1.size() + p.note2.size() + p.note3.size();
}

// Everything but the name, which goes through the list so the name lists follow.
void putProps(const Props& props, Series& s) {
    std::string name = std::move(s.name);
    s.display() = props;
    s.name = std::move(name);
}

// A series as it was: its fields and its valid samples.
struct SeriesCopy {
    Props props;
    int count = 0;
    std::vector<double> time, altitude;
    std::vector<std::uint8_t> peak;

    static SeriesCopy of(const Series& s) {
        SeriesCopy c;
        c.props = s.display();
        const SampleBuffer& b = s.samples;
        c.count = std::clamp(b.count, 0, static_cast<int>(std::min(b.time.size(), b.altitude.size())));
        const auto n = static_cast<std::ptrdiff_t>(c.count);
        c.time.assign(b.time.begin(), b.time.begin() + n);
        c.altitude.assign(b.altitude.begin(), b.altitude.begin() + n);
        if (b.hasPeakMarks) {
            // Peak marks are stored only up to the last one ever set; the rest read as 0.
            const SampleColumn<std::uint8_t>& marks = b.peakMark;
            c.peak.resize(static_cast<std::size_t>(n));
            for (std::size_t i = 0; i < c.peak.size(); ++i)
                c.peak[i] = marks[i];
        }
        return c;
    }
};

// One sample array's change: the values from the first changed index to the end of the count
// they belong to.
template <typename T> struct ArrayPatch {
    bool used = false;
    int from = 0;
    std::vector<T> values;

    // before holds the old valid values; live the column after the edit with afterCount valid.
    // A column stores values only as far as they were ever written; beyond that it reads 0.
    void record(const std::vector<T>& before, const SampleColumn<T>& live, int afterCount) {
        const int beforeCount = static_cast<int>(before.size());
        const int common = std::min(beforeCount, afterCount);
        int i = 0;
        while (i < common && sameBits(before[static_cast<std::size_t>(i)], live[static_cast<std::size_t>(i)]))
            ++i;
        if (i == beforeCount && beforeCount == afterCount) return; // unchanged
        used = true;
        from = i;
        values.assign(before.begin() + from, before.end());
    }
    // Swaps the stored values with the live ones from `from` on; liveCount is the live count.
    void swapWith(SampleColumn<T>& live, int liveCount) {
        if (!used) return;
        const SampleColumn<T>& reading = live;
        const auto start = static_cast<std::size_t>(from);
        const auto end = std::max(start, static_cast<std::size_t>(std::clamp(liveCount, 0, MaxSamples)));
        std::vector<T> current;
        current.reserve(end - start);
        for (std::size_t i = start; i < end; ++i)
            current.push_back(reading[i]);
        if (!values.empty()) {
            if (live.size() < start + values.size()) live.resize(start + values.size());
            std::copy(values.begin(), values.end(), live.begin() + static_cast<std::ptrdiff_t>(start));
        }
        values = std::move(current);
    }
    std::size_t bytes() const { return values.size() * sizeof(T); }
};

// One series' change.
struct SeriesPatch {
    std::optional<Props> props;
    int count = 0;
    ArrayPatch<double> time, altitude;
    ArrayPatch<std::uint8_t> peak;

    bool record(const SeriesCopy& before, const Series& after) {
        const SampleBuffer& b = after.samples;
        count = before.count;
        time.record(before.time, b.time, b.count);
        altitude.record(before.altitude, b.altitude, b.count);
        if (b.hasPeakMarks) peak.record(before.peak, b.peakMark, b.count);
        const Props& now = after.display();
        if (!sameProps(now, before.props)) props = before.props;
        return props || time.used || altitude.used || peak.used || count != b.count;
    }
    std::size_t bytes() const {
        return sizeof(SeriesPatch) + time.bytes() + altitude.bytes() + peak.bytes() +
               (props ? propsBytes(*props) : 0);
    }
};

// The plot's texts, view and Reset view, which Crop, Fix Drift, Fix Offset and a plot file change.
struct PlotUndoState {
    orvo::PlotTexts texts;
    ViewRange view, home;

    static PlotUndoState of(const PlotState& p) { return {p.settings.texts(), p.settings.view(), p.home}; }
    void putInto(PlotState& p) const {
        p.settings.texts() = texts;
        p.settings.view() = view;
        static_cast<ViewRange&>(p.home) = home;
    }
    // The limits compare bit for bit: undo must give back exactly what was there.
    bool operator==(const PlotUndoState& o) const {
        return texts == o.texts && sameBits(view, o.view) && sameBits(home, o.home);
    }
};

std::unique_ptr<Series> copySeries(const Series& s) {
    auto c = std::make_unique<Series>(!s.isTriggerSet());
    const SeriesCopy data = SeriesCopy::of(s);
    c->name = data.props.name;
    putProps(data.props, *c);
    c->altitudeUnit = s.altitudeUnit; // the rates and figures of a set put back keep their unit
    SampleBuffer& b = c->samples;
    if (b.time.size() < data.time.size()) b.time.resize(data.time.size());
    if (b.altitude.size() < data.altitude.size()) b.altitude.resize(data.altitude.size());
    std::copy(data.time.begin(), data.time.end(), b.time.begin());
    std::copy(data.altitude.begin(), data.altitude.end(), b.altitude.begin());
    if (!s.isTriggerSet()) {
        if (b.peakMark.size() < data.peak.size()) b.peakMark.resize(data.peak.size());
        std::copy(data.peak.begin(), data.peak.end(), b.peakMark.begin());
    }
    b.count = data.count;
    return c;
}

std::size_t seriesBytes(const Series& s) {
    const SampleBuffer& b = s.samples;
    return sizeof(Series) + b.time.size() * sizeof(double) + b.altitude.size() * sizeof(double) +
           b.peakMark.size() + s.name.size() + s.note1.size() + s.note2.size() + s.note3.size();
}

} // namespace

struct EditHistory::Pending {
    enum Kind { Edit, Delete, Load } kind = Edit;
    std::string label;
    std::vector<int> sets;
    std::vector<std::pair<SeriesCopy, SeriesCopy>> before; // altitude series, trigger set
    PlotUndoState plot;
    int setCount = 0;
    std::unique_ptr<Series> deleted, deletedTriggers;
    Versions deletedVersions;
    // The sets were too large to copy within the bound: the edit cannot be kept.
    bool tooLarge = false;
};

void EditHistory::PendingDeleter::operator()(Pending* p) const {
    delete p;
}

// A data edit: what it changed in the sets, the list and the plot. Undo and redo are the same
// swap of the held values with the live ones.
struct EditHistory::Step final : EditCommand {
    Step(EditHistory& history, std::string label) : EditCommand(std::move(label)), history(history) {}
    void undo() override { history.apply(*this); }
    void redo() override { history.apply(*this); }

    struct SetPatch {
        int n = 0;
        SeriesPatch set, triggers;
        std::uint64_t version = 0;
    };
    struct HeldSet {
        std::unique_ptr<Series> set, triggers;
        Versions versions;
    };
    EditHistory& history;
    std::vector<SetPatch> patches;
    std::optional<PlotUndoState> plot;
    // Sets first .. first + count - 1 that the step added or removed: held while out of the list.
    int first = 0;
    int count = 0;
    std::vector<HeldSet> held;

    std::size_t bytes() const override {
        std::size_t total = sizeof(Step) + label().size();
        for (const SetPatch& p : patches)
            total += p.set.bytes() + p.triggers.bytes();
        if (plot) total += sizeof(PlotUndoState) + plot->texts.title.size() + plot->texts.info3.size();
        for (const HeldSet& h : held)
            total += seriesBytes(*h.set) + seriesBytes(*h.triggers);
        return total;
    }
};

EditHistory::EditHistory(PlotState& plot) : m_plot(plot) {
    m_versions.resize(static_cast<std::size_t>(plot.settings.series.dataSetCount()));
    plot.settings.series.addObserver(this);
}

EditHistory::~EditHistory() {
    m_plot.settings.series.removeObserver(this);
}

EditHistory::PendingEdit EditHistory::begin(const std::string& label, std::vector<int> sets) {
    SeriesList& list = m_plot.settings.series;
    PendingEdit p(new Pending);
    p->label = label;
    p->setCount = list.dataSetCount();
    if (sets.empty())
        for (int n = 0; n < list.dataSetCount(); ++n)
            sets.push_back(n);
    std::size_t size = 0;
    for (int n : sets) {
        if (!list.validSet(n)) continue;
        p->sets.push_back(n);
        size += seriesBytes(list.dataSet(n)) + seriesBytes(list.triggerSet(n));
    }
    // Copies beyond the bound would only be thrown away after the edit (and could exhaust memory
    // on the way); such an edit is not kept.
    p->tooLarge = size > m_maxBytes;
    if (!p->tooLarge)
        for (int n : p->sets)
            p->before.emplace_back(SeriesCopy::of(list.dataSet(n)), SeriesCopy::of(list.triggerSet(n)));
    p->plot = PlotUndoState::of(m_plot);
    return p;
}

EditHistory::PendingEdit EditHistory::beginDelete(int n) {
    SeriesList& list = m_plot.settings.series;
    PendingEdit p(new Pending);
    p->kind = Pending::Delete;
    p->label = "Delete Data Set";
    p->setCount = list.dataSetCount();
    p->plot = PlotUndoState::of(m_plot);
    if (list.validSet(n)) {
        p->sets = {n};
        p->deleted = copySeries(list.dataSet(n));
        p->deletedTriggers = copySeries(list.triggerSet(n));
        if (static_cast<std::size_t>(n) < m_versions.size())
            p->deletedVersions = m_versions[static_cast<std::size_t>(n)];
    }
    return p;
}

EditHistory::PendingEdit EditHistory::beginLoad() {
    PendingEdit p(new Pending);
    p->kind = Pending::Load;
    p->label = "Load";
    p->setCount = m_plot.settings.series.dataSetCount();
    p->plot = PlotUndoState::of(m_plot);
    return p;
}

bool EditHistory::commit(PendingEdit pending) {
    m_lastNotKept = false;
    if (!pending) return false;
    SeriesList& list = m_plot.settings.series;
    if (pending->tooLarge) {
        // What the edit changed is unknown: its sets count as changed.
        if (list.dataSetCount() == pending->setCount)
            for (int n : pending->sets)
                m_versions[static_cast<std::size_t>(n)].current = nextVersion();
        notKept(pending->label);
        return false;
    }
    auto step = std::make_unique<Step>(*this, pending->label);
    const PlotUndoState plotNow = PlotUndoState::of(m_plot);
    if (!(plotNow == pending->plot)) step->plot = pending->plot;

    switch (pending->kind) {
    case Pending::Edit:
        // An edit changes sets in place; if the list itself changed meanwhile the copies do not fit.
        if (list.dataSetCount() != pending->setCount) return false;
        for (std::size_t i = 0; i < pending->sets.size(); ++i) {
            const int n = pending->sets[i];
            Step::SetPatch patch;
            patch.n = n;
            const bool a = patch.set.record(pending->before[i].first, list.dataSet(n));
            const bool b = patch.triggers.record(pending->before[i].second, list.triggerSet(n));
            if (!a && !b) continue;
            Versions& v = m_versions[static_cast<std::size_t>(n)];
            patch.version = v.current;
            v.current = nextVersion();
            step->patches.push_back(std::move(patch));
        }
        if (step->patches.empty() && !step->plot) return false;
        break;
    case Pending::Delete:
        if (!pending->deleted || list.dataSetCount() != pending->setCount - 1) return false;
        step->first = pending->sets.front();
        step->count = 1;
        step->held.push_back(
            {std::move(pending->deleted), std::move(pending->deletedTriggers), pending->deletedVersions});
        break;
    case Pending::Load:
        step->first = pending->setCount;
        step->count = list.dataSetCount() - pending->setCount;
        if (step->count < 0) return false;
        if (step->count == 0 && !step->plot) return false;
        break;
    }
    return push(std::move(step));
}

void EditHistory::notKept(const std::string& label) {
    // The steps before it change what this edit changed: none of them can be undone across it.
    clear();
    m_lastNotKept = true;
    if (onEditNotKept) onEditNotKept(label);
}

bool EditHistory::push(std::unique_ptr<EditCommand> step) {
    m_lastNotKept = false;
    if (step->bytes() > m_maxBytes) {
        notKept(step->label());
        return false;
    }
    m_redo.clear();
    m_undo.push_back(std::move(step));
    std::size_t total = bytes();
    while (m_undo.size() > static_cast<std::size_t>(MaxSteps) || (total > m_maxBytes && m_undo.size() > 1)) {
        total -= m_undo.front()->bytes();
        m_undo.erase(m_undo.begin());
    }
    return true;
}

void EditHistory::apply(Step& step) {
    SeriesList& list = m_plot.settings.series;
    // Sets that the step added or removed go out of the list or come back at their place.
    if (step.count > 0) {
        if (step.held.empty()) {
            for (int k = 0; k < step.count && list.validSet(step.first); ++k) {
                const Versions v = m_versions[static_cast<std::size_t>(step.first)];
                auto [set, triggers] = list.takeDataSet(step.first);
                step.held.push_back({std::move(set), std::move(triggers), v});
            }
        } else {
            int n = step.first;
            for (Step::HeldSet& h : step.held) {
                list.insertDataSet(n, std::move(h.set), std::move(h.triggers));
                m_versions[static_cast<std::size_t>(n)] = h.versions;
                ++n;
            }
            step.held.clear();
        }
    }
    for (Step::SetPatch& p : step.patches) {
        if (!list.validSet(p.n)) continue;
        Series* both[2] = {&list.dataSet(p.n), &list.triggerSet(p.n)};
        SeriesPatch* patches[2] = {&p.set, &p.triggers};
        for (int k = 0; k < 2; ++k) {
            Series& s = *both[k];
            SeriesPatch& patch = *patches[k];
            SampleBuffer& b = s.samples;
            patch.time.swapWith(b.time, b.count);
            patch.altitude.swapWith(b.altitude, b.count);
            patch.peak.swapWith(b.peakMark, b.count);
            std::swap(b.count, patch.count);
            if (patch.props) {
                Props now = s.display();
                putProps(*patch.props, s);
                if (k == 0 && patch.props->name != s.name) list.RenameDataSet(p.n, patch.props->name);
                if (k == 1) s.name = patch.props->name;
                patch.props = std::move(now);
            }
        }
        std::swap(p.version, m_versions[static_cast<std::size_t>(p.n)].current);
    }
    if (step.plot) {
        PlotUndoState now = PlotUndoState::of(m_plot);
        step.plot->putInto(m_plot);
        step.plot = std::move(now);
    }
}

bool EditHistory::undo() {
    if (m_undo.empty()) return false;
    std::unique_ptr<EditCommand> step = std::move(m_undo.back());
    m_undo.pop_back();
    step->undo();
    m_redo.push_back(std::move(step));
    return true;
}

bool EditHistory::redo() {
    if (m_redo.empty()) return false;
    std::unique_ptr<EditCommand> step = std::move(m_redo.back());
    m_redo.pop_back();
    step->redo();
    m_undo.push_back(std::move(step));
    return true;
}

std::string EditHistory::undoLabel() const {
    return m_undo.empty() ? std::string() : m_undo.back()->label();
}

std::string EditHistory::redoLabel() const {
    return m_redo.empty() ? std::string() : m_redo.back()->label();
}

std::size_t EditHistory::bytes() const {
    std::size_t total = 0;
    for (const auto& s : m_undo)
        total += s->bytes();
    for (const auto& s : m_redo)
        total += s->bytes();
    return total;
}

void EditHistory::clear() {
    m_undo.clear();
    m_redo.clear();
}

bool EditHistory::isModified(int n) const {
    if (n < 0 || static_cast<std::size_t>(n) >= m_versions.size()) return false;
    const Versions& v = m_versions[static_cast<std::size_t>(n)];
    return v.current != v.saved;
}

bool EditHistory::anyModified() const {
    return std::any_of(m_versions.begin(), m_versions.end(),
                       [](const Versions& v) { return v.current != v.saved; });
}

void EditHistory::markSaved(int n) {
    if (n >= 0 && static_cast<std::size_t>(n) < m_versions.size())
        m_versions[static_cast<std::size_t>(n)].saved = m_versions[static_cast<std::size_t>(n)].current;
}

void EditHistory::markAllSaved() {
    for (Versions& v : m_versions)
        v.saved = v.current;
}

void EditHistory::dataSetAppended(int n, const std::string&) {
    dataSetInserted(n, {});
}

void EditHistory::dataSetInserted(int n, const std::string&) {
    // A new set (created, downloaded, loaded) is as it came: unmodified.
    const std::uint64_t v = nextVersion();
    const auto at = std::min(static_cast<std::size_t>(std::max(n, 0)), m_versions.size());
    m_versions.insert(m_versions.begin() + static_cast<std::ptrdiff_t>(at), Versions{v, v});
}

void EditHistory::dataSetRemoved(int n) {
    if (n >= 0 && static_cast<std::size_t>(n) < m_versions.size()) m_versions.erase(m_versions.begin() + n);
}

} // namespace orvo
