// The Recorded Data page driven through its controls: the view buttons, the Zoom, Climb and Peak
// tools with real mouse events on the plot box, the cursor overlay and Crop.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTabWidget>
#include <QTest>
#include <QWindow>

#include "app/appwindows.h"
#include "app/plotbox.h"
#include "app/tmainform.h"
#include "controls.h"
#include "scriptedprompts.h"
#include "windowsfixture.h"

namespace {

class PlotViewTest : public WindowsFixture {
  protected:
    void SetUp() override {
        WindowsFixture::SetUp(); // makes the first data set: 21 points (0,0)..(20,20)
        control<QTabWidget>(main, "PageControl1")->setCurrentWidget(control<QWidget>(main, "DataPage"));
        box = main->findChild<PlotBoxWidget*>(QStringLiteral("PlotBox"));
        ASSERT_NE(box, nullptr);
        paint();
    }
    void paint() {
        box->repaint();
        QCoreApplication::processEvents();
    }
    void click(const char* name) {
        auto* b = main->findChild<QAbstractButton*>(QString::fromLatin1(name));
        ASSERT_NE(b, nullptr) << name;
        b->click();
        paint();
    }
    void tool(int index) { control<QButtonGroup>(main, "MouseGrpItems")->button(index)->click(); }
    QPoint at(double t, double a) {
        const orvo::PlotFrame& f = box->frame();
        return QPoint(f.plotLeft + orvo::TimeToPixel(plot(), f, t),
                      f.plotTop + orvo::AltitudeToPixel(plot(), f, a));
    }
    void mouse(QEvent::Type type, QPoint pos, Qt::MouseButton button = Qt::LeftButton) {
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent e(type, QPointF(pos), box->mapToGlobal(QPointF(pos)),
                      type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(box, &e);
        QCoreApplication::processEvents();
    }
    void drag(QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton) {
        mouse(QEvent::MouseMove, from);
        mouse(QEvent::MouseButtonPress, from, button);
        mouse(QEvent::MouseMove, to);
        mouse(QEvent::MouseButtonRelease, to, Qt::LeftButton);
        paint();
    }
    void view(double t0, double t1, double a0, double a1) {
        plot().timeMin = t0, plot().timeMax = t1, plot().altitudeMin = a0, plot().altitudeMax = a1;
        paint();
    }

    PlotBoxWidget* box = nullptr;
};

} // namespace

TEST_F(PlotViewTest, PageHasItsControlsAndThePlotFillsIt) {
    auto* dataPage = control<QWidget>(main, "DataPage");
    for (const char* name : {"ZoomInBtn", "ZoomOutBtn", "ZoomResetBtn", "ZoomCropBtn", "PanUpBtn", "PanDnBtn",
                             "PanLtBtn", "PanRtBtn", "ScaleBtn", "EditBtn", "PrtBtn", "ExportBtn"})
        EXPECT_NE(dataPage->findChild<QAbstractButton*>(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_EQ(control<QPushButton>(main, "ZoomResetBtn")->toolTip(), "Zoom back to original size");
    EXPECT_EQ(control<QPushButton>(main, "ZoomCropBtn")->toolTip(), "Crop data to that shown in display");
    EXPECT_EQ(control<QButtonGroup>(main, "MouseGrpItems")->checkedId(), 0);
    EXPECT_FALSE(control<QCheckBox>(main, "ShowPointsChk")->isVisible());
    EXPECT_GT(box->width(), dataPage->width() * 9 / 10);
    EXPECT_GT(box->height(), dataPage->height() / 2);
    // The screen borrows the output size and colour flag and gives them back.
    windows->state.plot.output.width = 7.257;
    windows->state.plot.output.colour = 0;
    paint();
    EXPECT_DOUBLE_EQ(windows->state.plot.output.width, 7.257);
    EXPECT_EQ(windows->state.plot.output.colour, 0);
    EXPECT_EQ(box->picture().pixel(box->width() / 2, 2), qRgb(255, 255, 255));
}

TEST_F(PlotViewTest, ViewButtons) {
    view(0, 12, 0, 1000);
    click("ZoomInBtn");
    EXPECT_DOUBLE_EQ(plot().timeMin, 1);
    EXPECT_DOUBLE_EQ(plot().timeMax, 11);
    EXPECT_DOUBLE_EQ(plot().altitudeMin, 250);
    EXPECT_DOUBLE_EQ(plot().altitudeMax, 750);
    view(0, 3, 0, 3);
    click("ZoomOutBtn");
    EXPECT_DOUBLE_EQ(plot().timeMin, -3.5);
    EXPECT_DOUBLE_EQ(plot().altitudeMax, 6.5);
    view(0, 100, 0, 100);
    click("PanRtBtn");
    EXPECT_DOUBLE_EQ(plot().timeMin, 20);
    EXPECT_DOUBLE_EQ(plot().timeMax, 120);
    click("PanLtBtn");
    EXPECT_DOUBLE_EQ(plot().timeMin, 0);
    click("PanUpBtn");
    EXPECT_DOUBLE_EQ(plot().altitudeMin, 20);
    click("PanDnBtn");
    EXPECT_DOUBLE_EQ(plot().altitudeMin, 0);
    windows->state.plot.home = {5, 15, -10, 40};
    const int renders = box->renderCount();
    click("ZoomResetBtn");
    EXPECT_DOUBLE_EQ(plot().timeMin, 5);
    EXPECT_DOUBLE_EQ(plot().altitudeMax, 40);
    EXPECT_GT(box->renderCount(), renders);
}

TEST_F(PlotViewTest, ZoomDragNeedsTwoSecondsAndTwoUnits) {
    const int renders = box->renderCount();
    drag(at(2, 5), at(3.5, 9)); // 1.5 s: no zoom, but a repaint
    EXPECT_DOUBLE_EQ(plot().timeMin, 0);
    EXPECT_DOUBLE_EQ(plot().timeMax, 20);
    EXPECT_GT(box->renderCount(), renders);

    drag(at(5, 11), at(2, 5)); // 3 s by 6 units, dragged right to left
    EXPECT_NEAR(plot().timeMin, 2, 0.1);
    EXPECT_NEAR(plot().timeMax, 5, 0.1);
    EXPECT_NEAR(plot().altitudeMin, 5, 0.1);
    EXPECT_NEAR(plot().altitudeMax, 11, 0.1);

    // Another button than the left one does not start a zoom.
    paint();
    view(0, 20, 0, 20);
    drag(at(2, 2), at(10, 10), Qt::RightButton);
    EXPECT_DOUBLE_EQ(plot().timeMax, 20);
}

TEST_F(PlotViewTest, CursorMoveDrawsOnlyTheOverlay) {
    const int renders = box->renderCount();
    const long draws = orvo::SeriesDrawCount();
    mouse(QEvent::MouseMove, at(7.2, 3));
    mouse(QEvent::MouseMove, at(8.1, 3));
    EXPECT_EQ(box->renderCount(), renders);
    EXPECT_EQ(orvo::SeriesDrawCount(), draws);
    EXPECT_TRUE(box->overlay().circle);
    EXPECT_EQ(box->overlay().centre, at(8, 8)); // the nearest sample, on the data
    EXPECT_EQ(control<QLabel>(main, "XYDisp")->text(), "Time =      8.0, Altitude =    8");
    EXPECT_EQ(control<QLabel>(main, "ROCDisp")->text(), "Rate of Climb =    1.000 units/sec");
    EXPECT_EQ(main->mouseTools().cursorSample, 8);
    // The circle is XOR-drawn on screen, not into the cached picture.
    // (grab() would paint afresh; the screen's own copy of the window shows what is there.)
    const QPoint origin = box->mapTo(main, QPoint(0, 0));
    const QImage onScreen = main->screen()
                                ->grabWindow(main->winId())
                                .toImage()
                                .convertToFormat(QImage::Format_RGB32)
                                .copy(QRect(origin, box->size()));
    int changed = 0;
    for (int y = at(8, 8).y() - 6; y <= at(8, 8).y() + 6; ++y)
        for (int x = at(8, 8).x() - 6; x <= at(8, 8).x() + 6; ++x)
            changed += onScreen.pixel(x, y) != box->picture().pixel(x, y);
    EXPECT_GT(changed, 10);
    // Outside the plot area nothing happens.
    mouse(QEvent::MouseMove, QPoint(2, 2));
    EXPECT_EQ(main->mouseTools().cursorSample, 8);
    // A real repaint clears the overlay.
    main->repaintPlot();
    paint();
    EXPECT_FALSE(box->overlay().circle);
}

TEST_F(PlotViewTest, PeakClickTogglesTheMark) {
    tool(2);
    orvo::SampleBuffer& b = plot().series.dataSet(0).samples;
    mouse(QEvent::MouseMove, at(6, 6));
    mouse(QEvent::MouseButtonPress, at(6, 6));
    mouse(QEvent::MouseButtonRelease, at(6, 6));
    EXPECT_EQ(b.peakMark[6], 1);
    mouse(QEvent::MouseButtonPress, at(6, 6), Qt::RightButton);
    EXPECT_EQ(b.peakMark[6], 0);
    // The active set with no samples: nothing to mark, nothing breaks.
    b.count = 0;
    mouse(QEvent::MouseMove, at(3, 3));
    mouse(QEvent::MouseButtonPress, at(3, 3));
    EXPECT_EQ(b.peakMark[3], 0);
}

TEST_F(PlotViewTest, ClimbDragAddsAMarkWhenBigEnough) {
    tool(1);
    const orvo::Series& s = plot().series.dataSet(0);
    drag(at(4, 4), at(5, 5)); // too small
    EXPECT_EQ(s.climbMarkCount(), 0);
    drag(at(4, 4), at(12, 12));
    ASSERT_EQ(s.climbMarkCount(), 1);
    EXPECT_EQ(s.climbMarks[0].start, 4);
    EXPECT_EQ(s.climbMarks[0].end, 12);
    EXPECT_EQ(main->mouseTools().climbDrag, 0);
}

TEST_F(PlotViewTest, CropKeepsTheViewOfEverySet) {
    orvo::SeriesList& list = plot().series;
    orvo::Series& a = list.dataSet(0);
    a.samples.count = 61;
    for (int i = 0; i < 61; ++i) {
        a.samples.time[std::size_t(i)] = i;
        a.samples.altitude[std::size_t(i)] = 100 + i;
    }
    orvo::SampleBuffer& trig = list.triggerSet(0).samples;
    trig.count = 2;
    trig.time[0] = 5, trig.time[1] = 25;
    list.AddClimbMark(0, 15, 25);
    orvo::Series& early = list.CreateDataSet();
    for (int i = 0; i < 21; ++i)
        early.samples.time[std::size_t(i)] = i - 50.0;
    view(10, 30, 0, 200);
    click("ZoomCropBtn");
    EXPECT_EQ(a.samples.count, 21);
    EXPECT_DOUBLE_EQ(a.samples.altitude[0], 110);
    ASSERT_EQ(trig.count, 1);
    EXPECT_DOUBLE_EQ(trig.time[0], 15);
    EXPECT_EQ(a.climbMarks[0].start, 5);
    EXPECT_EQ(a.climbMarks[0].end, 15);
    EXPECT_EQ(early.samples.count, 21);
    const orvo::HomeView& home = windows->state.plot.home;
    EXPECT_DOUBLE_EQ(plot().timeMin, home.timeMin);
    EXPECT_DOUBLE_EQ(plot().timeMax, home.timeMax);
    EXPECT_LE(plot().timeMin, -50);
}
