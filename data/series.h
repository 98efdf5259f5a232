// The data set model: a data set is an altitude Series with a companion trigger Series,
// held at positions 2n and 2n+1 of the plot's SeriesList. Used by every other layer.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

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

// Fixed-capacity sample storage: allocated at full size when the series is created, never grows.
struct SampleBuffer {
    std::vector<double> time;
    std::vector<double> altitude;
    std::vector<std::uint8_t> peakMark; // empty for a trigger set
    int count = 0;

    explicit SampleBuffer(bool withPeakMarks = true);
    int capacity() const { return MaxSamples; }
};

struct ClimbMark {
    int start = 0;
    int end = 0;
    std::uint8_t inUse = 0;
};

struct Series {
    SampleBuffer samples;
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
    Series* companion = nullptr;                       // the trigger set; altitude series only
    std::string note1, note2, note3;

    explicit Series(bool withPeakMarks) : samples(withPeakMarks) {}
    bool isTriggerSet() const { return samples.peakMark.empty(); }
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
