// A flyer's whole session in the real windows against the built-in emulated module on a virtual
// clock: connect, list and download every flight, look at the plot, mark a peak and a climb,
// crop, edit a set's properties, save the whole plot, delete the sets and load them back, erase
// the module, disconnect and close.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>

#include "app/appwindows.h"
#include "app/configwidgets.h"
#include "app/plotbox.h"
#include "app/tdatapropform.h"
#include "app/tmainform.h"
#include "app/tsavesel.h"
#include "controls.h"
#include "desktop/downloadsfolder.h"
#include "link/comm.h"
#include "moduleops/downloadarchive.h"
#include "scriptedprompts.h"
#include "showmain.h"
#include "sim/module.h"

using namespace orvo;

namespace {

// What a data set holds, to compare a set before a save with the one loaded back.
struct SetSnapshot {
    std::string name;
    std::vector<double> time, altitude, triggerTime;
    std::vector<int> peaks;
    std::vector<std::pair<int, int>> climbs;
    int triggerFlag = 0;
};

SetSnapshot snapshot(const SeriesList& list, int n) {
    SetSnapshot s;
    const Series& set = list.dataSet(n);
    const Series& trig = list.triggerSet(n);
    s.name = set.name;
    for (int i = 0; i < set.samples.count; ++i) {
        s.time.push_back(set.samples.time[std::size_t(i)]);
        s.altitude.push_back(set.samples.altitude[std::size_t(i)]);
        if (set.samples.peakMark[std::size_t(i)]) s.peaks.push_back(i);
    }
    for (int i = 0; i < trig.samples.count; ++i)
        s.triggerTime.push_back(trig.samples.time[std::size_t(i)]);
    for (const ClimbMark& m : set.climbMarks)
        if (m.inUse) s.climbs.emplace_back(m.start, m.end);
    s.triggerFlag = trig.DisplayFlag;
    return s;
}

void expectSameSet(const SetSnapshot& want, const SetSnapshot& got) {
    EXPECT_EQ(got.name, want.name);
    ASSERT_EQ(got.time.size(), want.time.size()) << want.name;
    for (std::size_t i = 0; i < want.time.size(); ++i) {
        EXPECT_NEAR(got.time[i], want.time[i], 1e-3) << want.name << " sample " << i;
        EXPECT_NEAR(got.altitude[i], want.altitude[i], 1e-3) << want.name << " sample " << i;
    }
    ASSERT_EQ(got.triggerTime.size(), want.triggerTime.size()) << want.name;
    for (std::size_t i = 0; i < want.triggerTime.size(); ++i)
        EXPECT_NEAR(got.triggerTime[i], want.triggerTime[i], 1e-3) << want.name;
    EXPECT_EQ(got.peaks, want.peaks) << want.name;
    EXPECT_EQ(got.climbs, want.climbs) << want.name;
    EXPECT_EQ(got.triggerFlag, want.triggerFlag) << want.name;
}

QRgb screenColour(Colour c) {
    return qRgb(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

class WorkflowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        QSettings(QStringLiteral("TamberlinSystems"), QStringLiteral("Orvo")).clear();
        windows = std::make_unique<AppWindows>(&prompts);
        main = windows->mainForm.get();
        box = control<PlotBoxWidget>(main, "PlotBox");
        sim::Module& m = link().simulator();
        // The module flies in meters, with a marked start delay to recognise on the page.
        ConfigBlock c = m.defaultConfig();
        c.Units = 2;
        c.AutoStartSec = 17;
        m.setConfig(c);
        m.setRecordedSets({});
        ASSERT_EQ(m.generateFlights(3, 2026), 3);
        // The third flight drifts: its ground level rises 12 units from launch to the end.
        std::vector<sim::RecordedSet> sets = m.recordedSets();
        std::vector<std::uint16_t>& words = sets[2].words;
        for (std::size_t i = 0; i < words.size(); ++i)
            if ((words[i] >> 8) != (sim::TriggerMarker >> 8))
                words[i] = std::uint16_t(words[i] + 12 * i / words.size());
        ASSERT_TRUE(m.setRecordedSets(sets));
        link().CommSetClock(&clock);
        ASSERT_TRUE(dir.isValid());
    }
    void TearDown() override {
        windows.reset();
        QDir(QString::fromStdString(downloadsFolder())).removeRecursively();
        QSettings(QStringLiteral("TamberlinSystems"), QStringLiteral("Orvo")).clear();
    }

    orvo::PortLink& link() { return windows->state.link; }
    PlotSettings& plot() { return windows->state.plot.settings; }
    SeriesList& list() { return plot().series; }
    QStringList infoLines() const {
        return control<QPlainTextEdit>(main, "InfoText")->toPlainText().split('\n');
    }
    void paint() {
        box->repaint();
        QCoreApplication::processEvents();
    }
    QPoint at(double t, double a) {
        const PlotFrame& f = box->frame();
        return QPoint(f.plotLeft + TimeToPixel(plot(), f, t), f.plotTop + AltitudeToPixel(plot(), f, a));
    }
    QPoint atSample(int n, int k) {
        const SampleBuffer& b = list().dataSet(n).samples;
        return at(b.time[std::size_t(k)], b.altitude[std::size_t(k)]);
    }
    void mouse(QEvent::Type type, QPoint pos, Qt::MouseButton button = Qt::LeftButton) {
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent e(type, QPointF(pos), box->mapToGlobal(QPointF(pos)),
                      type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(box, &e);
        QCoreApplication::processEvents();
    }
    // Pixels of colour c within r pixels of p in the picture on the page.
    static int pixelsNear(const QImage& img, QPoint p, int r, QRgb c) {
        int n = 0;
        for (int y = p.y() - r; y <= p.y() + r; ++y)
            for (int x = p.x() - r; x <= p.x() + r; ++x)
                n += img.valid(x, y) && img.pixel(x, y) == c;
        return n;
    }
    static int highestSample(const Series& s) {
        int k = 0;
        for (int i = 1; i < s.samples.count; ++i)
            if (s.samples.altitude[std::size_t(i)] > s.samples.altitude[std::size_t(k)]) k = i;
        return k;
    }
    // Runs body with the Data Properties dialog open, as the button shows it.
    void withDataProperties(std::function<void(TDataPropForm*)> body) {
        prompts.dialogActions.push_back([body](QDialog* d) {
            auto* form = qobject_cast<TDataPropForm*>(d);
            if (!form) return int(QDialog::Rejected);
            body(form);
            form->OKBtn->click();
            return int(QDialog::Rejected);
        });
        control<QPushButton>(main, "DataPropBtn")->click();
    }

    VirtualClock clock{1000};
    ScriptedPrompts prompts;
    std::unique_ptr<AppWindows> windows;
    TMainForm* main = nullptr;
    PlotBoxWidget* box = nullptr;
    QTemporaryDir dir;
};

} // namespace

TEST_F(WorkflowTest, AFlyersSessionFromConnectToClose) {
    showMainForm(*main);
    ASSERT_EQ(list().dataSetCount(), 1); // the start-up set
    const int first = 0;                 // the downloaded sets take the untouched start-up set's place

    // --- connect to the module and read its configuration ---
    QComboBox* ports = control<QComboBox>(main, "CommPortBox");
    ports->setCurrentIndex(ports->findText(SimulatorPortName));
    control<QComboBox>(main, "SpeedBox")->setCurrentIndex(3);
    auto* connectBtn = control<QPushButton>(main, "ConnectBtn");
    connectBtn->click();
    ASSERT_TRUE(windows->state.connected);
    EXPECT_EQ(connectBtn->text(), "Disconnect");
    EXPECT_EQ(control<QLabel>(main, "ConnectStatusDisp")->text(), "Connected");
    EXPECT_EQ(control<RadioGroup>(main, "UnitsGrp")->itemIndex(), 2);
    EXPECT_EQ(control<QLabel>(main, "AboveUnitsPanel")->text(), "Meters");
    EXPECT_EQ(control<QLineEdit>(main, "AutoStartSecEdit")->text(), "17");

    // --- list the recorded sets and download them all ---
    control<QPushButton>(main, "DLInfoBtn")->click();
    auto* setList = control<QComboBox>(main, "SetList");
    ASSERT_EQ(setList->count(), 4);
    EXPECT_EQ(setList->itemText(0), "1");
    EXPECT_EQ(setList->itemText(2), "3");
    EXPECT_EQ(setList->itemText(3), "All");
    EXPECT_EQ(infoLines().last(), "Memory contains 3 data sets.");

    setList->setCurrentIndex(3);
    control<QPushButton>(main, "DLDataBtn")->click();
    ASSERT_EQ(list().dataSetCount(), first + 3);
    const std::vector<sim::RecordedSet>& recorded = link().simulator().recordedSets();
    double latest = 0, highest = -1e9;
    for (int i = 0; i < 3; ++i) {
        const Series& set = list().dataSet(first + i);
        EXPECT_EQ(set.samples.count, recorded[std::size_t(i)].sampleCount()) << "set " << i + 1;
        EXPECT_EQ(list().triggerSet(first + i).DisplayFlag, recorded[std::size_t(i)].triggered ? 1 : 0);
        latest = std::max(latest, set.samples.time[std::size_t(set.samples.count - 1)]);
        highest = std::max(highest, set.samples.altitude[std::size_t(highestSample(set))]);
    }
    EXPECT_GT(list().triggerSet(first + 1).samples.count, 0); // the second flight recorded triggers
    EXPECT_EQ(plot().yLabel, "Altitude (meters)");
    EXPECT_EQ(plot().xLabel, "Time (seconds)");
    EXPECT_LE(plot().timeMin, 0.0);
    EXPECT_GE(plot().timeMax, latest);
    EXPECT_GE(plot().altitudeMax, highest);
    auto* activeSets = control<QComboBox>(main, "ActiveSetCombo");
    EXPECT_EQ(activeSets->count(), first + 3);
    EXPECT_EQ(activeSets->currentIndex(), first + 2);

    // --- the Recorded Data page shows the flights ---
    control<QTabWidget>(main, "PageControl1")->setCurrentWidget(control<QWidget>(main, "DataPage"));
    paint();
    {
        const QImage shown = box->grab().toImage().convertToFormat(QImage::Format_RGB32);
        for (int i = 0; i < 3; ++i) {
            const int n = first + i;
            const Series& set = list().dataSet(n);
            const QPoint apogee = atSample(n, highestSample(set));
            EXPECT_GT(pixelsNear(shown, apogee, 3, screenColour(set.lineColour)), 0)
                << "no line at the apogee of set " << i + 1;
        }
    }

    // --- mark the peak of the active flight, a climb, then crop the landing away ---
    const int active = first + 2;
    const int apex = highestSample(list().dataSet(active));
    control<QButtonGroup>(main, "MouseGrpItems")->button(2)->click();
    mouse(QEvent::MouseMove, atSample(active, apex));
    mouse(QEvent::MouseButtonPress, atSample(active, apex));
    mouse(QEvent::MouseButtonRelease, atSample(active, apex));
    const int peak = main->mouseTools().cursorSample;
    EXPECT_LE(std::abs(peak - apex), 2);
    EXPECT_EQ(list().dataSet(active).samples.peakMark[std::size_t(peak)], 1);

    control<QButtonGroup>(main, "MouseGrpItems")->button(1)->click();
    paint();
    const int climbFrom = std::max(0, apex / 4);
    mouse(QEvent::MouseMove, atSample(active, climbFrom));
    mouse(QEvent::MouseButtonPress, atSample(active, climbFrom));
    mouse(QEvent::MouseMove, atSample(active, apex));
    mouse(QEvent::MouseButtonRelease, atSample(active, apex));
    paint();
    ASSERT_EQ(list().dataSet(active).climbMarkCount(), 1);

    // The cross-hair of the peak is drawn in the set's point colour.
    {
        const QImage shown = box->picture();
        const QPoint c = atSample(active, peak);
        const QRgb point = screenColour(list().dataSet(active).pointColour);
        const int hx = std::max(box->logicalDpiX() / 50, 3);
        EXPECT_GT(pixelsNear(shown, c + QPoint(2 * hx, 0), 1, point), 0) << "no peak mark";
    }

    // The time on the pad before the climb is cropped away: the marks move with their samples.
    const int padSamples = climbFrom / 2;
    const double activeStart = list().dataSet(active).samples.time[std::size_t(padSamples)];
    plot().timeMin = activeStart - 0.01;
    paint();
    control<QPushButton>(main, "ZoomCropBtn")->click();
    paint();
    EXPECT_EQ(list().dataSet(active).samples.count, recorded[2].sampleCount() - padSamples);
    for (int n = 0; n < list().dataSetCount(); ++n)
        EXPECT_GT(list().dataSet(n).samples.count, 0) << "set " << n;
    const int croppedPeak = peak - padSamples;
    EXPECT_EQ(list().dataSet(active).samples.peakMark[std::size_t(croppedPeak)], 1);
    ASSERT_EQ(list().dataSet(active).climbMarkCount(), 1);
    EXPECT_EQ(list().dataSet(active).climbMarks[0].start, climbFrom - padSamples);
    EXPECT_LE(plot().timeMin, 0.0);
    EXPECT_GE(plot().timeMax, list().dataSet(active).samples.time[std::size_t(croppedPeak)]);

    // --- Data Properties: rename, shift in time, fix the drift ---
    const double t0 = list().dataSet(active).samples.time[0];
    const SetSnapshot undrifted = snapshot(list(), active);
    withDataProperties([&](TDataPropForm* form) {
        form->SetListBox->setCurrentRow(active);
        form->SignalDisplayNameEdit->setText(QStringLiteral("Club launch"));
        form->XOffsetEdit->setText(QStringLiteral("2.5"));
        form->ApplyBtn->click();
        form->DriftBtn->click();
    });
    EXPECT_TRUE(prompts.messages.empty()) << prompts.lastMessage().toStdString();
    EXPECT_EQ(list().dataSet(active).name, "Club launch");
    EXPECT_EQ(activeSets->itemText(active), "Club launch");
    EXPECT_DOUBLE_EQ(list().dataSet(active).samples.time[0], t0 + 2.5);
    {
        // The drift is gone: the ground reads the same at the end of the flight as at launch.
        const SetSnapshot fixed = snapshot(list(), active);
        EXPECT_GT(undrifted.altitude.back() - undrifted.altitude.front(), 5.0);
        EXPECT_NEAR(fixed.altitude.back(), fixed.altitude.front(), 1e-6);
    }
    EXPECT_EQ(list().dataSet(active).samples.peakMark[std::size_t(croppedPeak)], 1);

    // --- save the whole plot, delete every set, load it back ---
    std::vector<SetSnapshot> before;
    for (int n = 0; n < list().dataSetCount(); ++n)
        before.push_back(snapshot(list(), n));
    const QString file = dir.filePath(QStringLiteral("session.csv"));
    prompts.dialogActions.push_back([](QDialog* d) {
        auto* sel = qobject_cast<TSaveSel*>(d);
        if (!sel) return int(QDialog::Rejected);
        sel->setItemIndex(TSaveSel::PlotAndAllDataSets);
        sel->BitBtn1->click();
        return sel->result();
    });
    prompts.fileNames.push_back(file);
    control<QPushButton>(main, "SaveBtn")->click();
    ASSERT_TRUE(QFile::exists(file));

    withDataProperties([](TDataPropForm* form) {
        while (form->SetListBox->count() > 0)
            form->DelSetBtn->click();
    });
    EXPECT_EQ(list().dataSetCount(), 0);
    EXPECT_EQ(activeSets->count(), 0);
    paint(); // a plot with no data sets paints too

    prompts.fileNames.push_back(file);
    control<QPushButton>(main, "LoadBtn")->click();
    EXPECT_TRUE(prompts.messages.empty()) << prompts.lastMessage().toStdString();
    ASSERT_EQ(list().dataSetCount(), int(before.size()));
    for (int n = 0; n < list().dataSetCount(); ++n)
        expectSameSet(before[std::size_t(n)], snapshot(list(), n));
    EXPECT_EQ(plot().yLabel, "Altitude (meters)");
    EXPECT_EQ(activeSets->count(), int(before.size()));
    EXPECT_EQ(activeSets->itemText(active), "Club launch");
    paint();

    // --- erase the module: it lists no sets any more; disconnect, close ---
    control<QTabWidget>(main, "PageControl1")->setCurrentWidget(control<QWidget>(main, "ConnectPage"));
    prompts.answers.push_back(QMessageBox::Yes);
    control<QPushButton>(main, "EraseDataBtn")->click();
    EXPECT_TRUE(link().simulator().recordedSets().empty());
    control<QPushButton>(main, "DLInfoBtn")->click();
    ASSERT_EQ(setList->count(), 1);
    EXPECT_EQ(setList->itemText(0), "All");
    // The module answered at once and lists nothing: it is empty.
    EXPECT_EQ(infoLines().last(), "Memory contains 0 data sets.");
    const int before_download = list().dataSetCount();
    control<QPushButton>(main, "DLDataBtn")->click(); // "All" of nothing downloads nothing
    EXPECT_EQ(list().dataSetCount(), before_download);

    connectBtn->click();
    EXPECT_FALSE(windows->state.connected);
    EXPECT_FALSE(link().CommIsOpen());
    EXPECT_EQ(connectBtn->text(), "Connect");
    EXPECT_EQ(control<QLabel>(main, "ConnectStatusDisp")->text(), "Not Connected");

    const int port = ports->currentIndex();
    main->close();
    QSettings store(QStringLiteral("TamberlinSystems"), QStringLiteral("Orvo"));
    store.beginGroup(QStringLiteral("Settings"));
    EXPECT_EQ(store.value("ComPort").toInt(), port);
    EXPECT_EQ(store.value("BaudRate").toInt(), 3);
    EXPECT_EQ(store.value("Interval").toInt(), 100);
}
