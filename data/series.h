// The data set model: a data set is an altitude Series with a companion trigger Series,
// held at positions 2n and 2n+1 of the plot's SeriesList. Used by every other layer.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "data/altitudeunit.h"

namespace orvo {

constexpr int MaxSamples = 65536;
constexpr int MaxClimbMarks = 256;
constexpr int MaxNameLength = 19;  // set names are cut to this many characters
constexpr int MaxTextLength = 255; // notes and plot texts are cut to this many characters

// Line and point styles, as indexes stored in files.
enum LineStyle { LineNone = 0, LineSolid, LineDot, LineDash, LineDashDot, LineDashDotDot };
enum PointStyle {
    PointNone = 0,
    PointDot,
    PointCircle,
    PointSquare,
    PointCross,
    PointX,
    PointDiamond,
    PointTriangle
};

// Colours are 0x00BBGGRR everywhere.
using Colour = std::uint32_t;

// One column of a series' samples (times, altitudes or peak marks). Every index below
// MaxSamples may be written: storage grows to the highest index written, so a data set costs
// what it holds rather than its full capacity. Reading an index that was never written gives 0,
// as it did when the storage was allocated whole.
template <typename T> class SampleColumn {
  public:
    T& operator[](std::size_t i) {
        if (i >= m_values.size()) grow(i);
        return m_values[i];
    }
    const T& operator[](std::size_t i) const { return i < m_values.size() ? m_values[i] : zero(); }

    // The indexes that have storage: 0 .. size() - 1. Raw pointers and iterators reach only these.
    std::size_t size() const { return m_values.size(); }
    bool empty() const { return m_values.empty(); }
    T* data() { return m_values.data(); }
    const T* data() const { return m_values.data(); }
    T* begin() { return m_values.data(); }
    T* end() { return m_values.data() + m_values.size(); }
    const T* begin() const { return m_values.data(); }
    const T* end() const { return m_values.data() + m_values.size(); }
    // Storage for indexes 0 .. n - 1 exactly (new ones 0); n is cut to MaxSamples.
    void resize(std::size_t n) { m_values.resize(std::min<std::size_t>(n, MaxSamples)); }
    void reserve(std::size_t n) { m_values.reserve(std::min<std::size_t>(n, MaxSamples)); }
    // Storage held, written or not.
    std::size_t capacity() const { return m_values.capacity(); }
    // Gives back the room that growing by doubling left beyond size().
    void shrinkToFit() {
        if (m_values.capacity() > m_values.size()) m_values.shrink_to_fit();
    }
    // The stored values, for code that takes a std::vector.
    operator const std::vector<T>&() const { return m_values; }
    friend bool operator==(const SampleColumn& a, const std::vector<T>& b) { return a.m_values == b; }
    friend bool operator==(const SampleColumn& a, const SampleColumn& b) { return a.m_values == b.m_values; }

  private:
    void grow(std::size_t i) {
        if (i >= static_cast<std::size_t>(MaxSamples))
            throw std::out_of_range("sample index beyond MaxSamples");
        m_values.resize(i + 1);
    }
    static const T& zero() {
        static const T z{};
        return z;
    }
    std::vector<T> m_values;
};

// A series' samples: three parallel columns and a count. Indexes 0 .. MaxSamples - 1 are valid;
// the columns hold storage only up to the highest index written, so a data set costs what it
// holds (an empty one a few hundred bytes) and loading many small sets stays cheap.
struct SampleBuffer {
    SampleColumn<double> time;
    SampleColumn<double> altitude;
    SampleColumn<std::uint8_t> peakMark; // never written for a trigger set
    int count = 0;
    bool hasPeakMarks = true; // false for a trigger set

    explicit SampleBuffer(bool withPeakMarks = true) : hasPeakMarks(withPeakMarks) {}
    int capacity() const { return MaxSamples; }
};

struct ClimbMark {
    int start = 0;
    int end = 0;
    std::uint8_t inUse = 0;
    bool operator==(const ClimbMark&) const = default;
};

// What a data set shows besides its samples: name, look, shifts and scales, marks and notes. It is
// copied and compared as a whole (undo keeps it that way), so a field added here is undone with
// the rest.
struct SeriesDisplay {
    std::string name;
    Colour lineColour = 0;
    Colour pointColour = 0;
    int lineStyle = LineSolid;
    int pointStyle = PointNone;
    double timeOffset = 0.0;
    double altitudeOffset = 0.0;
    double timeScale = 1.0;
    double altitudeScale = 1.0;
    std::uint8_t DisplayFlag = 1;
    std::array<ClimbMark, MaxClimbMarks> climbMarks{}; // altitude series only
    std::string note1, note2, note3;

    bool operator==(const SeriesDisplay&) const = default;
};

struct Series : SeriesDisplay {
    SampleBuffer samples;
    Series* companion = nullptr; // the trigger set; altitude series only
    // The altitude unit when known (a download sets it from the module's Units, a data file from
    // its set's altitude axis label, another program's file from its column names), nullptr when
    // not. Never written to files on its own: the axis label carries it.
    const AltitudeUnit* altitudeUnit = nullptr;

    explicit Series(bool withPeakMarks) : samples(withPeakMarks) {}
    SeriesDisplay& display() { return *this; }
    const SeriesDisplay& display() const { return *this; }
    bool isTriggerSet() const { return !samples.hasPeakMarks; }
    int climbMarkCount() const;
    int peakMarkCount() const;
};

// Follows the name lists (the Recorded Data page's set combo and the Data Properties list)
// without the model knowing about widgets.
class SetListObserver {
  public:
    virtual ~SetListObserver() = default;
    virtual void dataSetAppended(int n, const std::string& name) = 0;
    virtual void dataSetRemoved(int n) = 0;
    virtual void dataSetRenamed(int n, const std::string& name) = 0;
    // A set put back at position n (undo of a delete); observers that only append may keep this.
    virtual void dataSetInserted(int n, const std::string& name) { dataSetAppended(n, name); }
};

std::string cutText(const std::string& s, std::size_t maxLength);

class SeriesList {
  public:
    static constexpr std::array<Colour, 13> SetColourCycle = {
        0x00FF0000, 0x000000FF, 0x00008000, 0x00FF00FF, 0x00C0C0C0, 0x00000080, 0x00FFFF00,
        0x0000FF00, 0x00008080, 0x00800080, 0x00808080, 0x00000000, 0x00808000};

    SeriesList() = default;
    SeriesList(const SeriesList&) = delete;
    SeriesList& operator=(const SeriesList&) = delete;

    // All series in list order (altitude series at 2n, trigger sets at 2n+1).
    int size() const { return static_cast<int>(m_series.size()); }
    Series& at(int i) { return *m_series[static_cast<std::size_t>(i)]; }
    const Series& at(int i) const { return *m_series[static_cast<std::size_t>(i)]; }

    int dataSetCount() const { return size() / 2; }
    bool validSet(int n) const { return n >= 0 && n < dataSetCount(); }
    Series& dataSet(int n) { return at(2 * n); }
    const Series& dataSet(int n) const { return at(2 * n); }
    Series& triggerSet(int n) { return at(2 * n + 1); }
    const Series& triggerSet(int n) const { return at(2 * n + 1); }

    // A new data set with 21 placeholder points (0,0)..(20,20), the next colour and name.
    Series& CreateDataSet();
    void DeleteDataSet(int n);
    void AddClimbMark(int n, int start, int end);
    void ShiftDataSet(int n, double dt, double da);
    void RenameDataSet(int n, const std::string& name);
    void clear(); // removes every data set (used at close)

    // Takes data set n out of the list whole (its altitude series and trigger set), for undo.
    std::pair<std::unique_ptr<Series>, std::unique_ptr<Series>> takeDataSet(int n);
    // Puts a data set taken out before back at position n (0..count).
    void insertDataSet(int n, std::unique_ptr<Series> set, std::unique_ptr<Series> triggers);

    void addObserver(SetListObserver* o);
    void removeObserver(SetListObserver* o);

    int colourPosition() const { return m_colourPos; }
    int nameNumber() const { return m_nameNumber; }

  private:
    std::vector<std::unique_ptr<Series>> m_series;
    std::vector<SetListObserver*> m_observers;
    int m_colourPos = 0;
    int m_nameNumber = 0;
};

} // namespace orvo
