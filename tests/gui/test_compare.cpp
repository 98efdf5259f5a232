// Comparing flights in the window: other programs' files loaded in one unit with what the load did,
// Line Up as one undoable step, and the large plot window that follows the same data.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "app/appwindows.h"
#include "app/flighttable.h"
#include "app/largeplot.h"
#include "app/plotbox.h"
#include "app/recordeddatapage.h"
#include "app/tmainform.h"
#include "controls.h"
#include "data/flightstats.h"
#include "scriptedprompts.h"
#include "windowsfixture.h"

namespace {

// A flight on the pad for `pad` seconds, climbing to 300 m and coming down, 20 samples a second.
QByteArray flightRows(double pad, double scale, const char* sep) {
    QByteArray text;
    for (int i = 0; i < 800; ++i) {
        const double t = i * 0.05;
        const double up = t < pad ? 0.0 : std::min(300.0, 12.0 * (t - pad) * (t - pad));
        const double down = t > pad + 15 ? std::max(0.0, up - 10.0 * (t - pad - 15)) : up;
        text +=
            QByteArray::number(t, 'f', 2) + sep + QByteArray::number(down * scale, 'f', 2) + sep + "7.9\n";
    }
    return text;
}

class CompareTest : public WindowsFixture {
  protected:
    void SetUp() override {
        WindowsFixture::SetUp();
        ASSERT_TRUE(dir.isValid());
        metres =
            write("sim.csv", "# Simulation\n# Time (s),Altitude (m),Voltage\n" + flightRows(2.0, 1.0, ","));
        feet = write("altimeter.csv", "Time;Altitude (ft);Voltage\n" + flightRows(5.0, 1 / 0.3048, ";"));
    }

    QString metres, feet;
};

} // namespace

TEST_F(CompareTest, ForeignFilesLoadInOneUnitAndLineUpIsOneUndoableStep) {
    main->dataPage()->openDataFiles({metres, feet});
    ASSERT_EQ(list().dataSetCount(), 2); // in place of the start-up set
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(control<QComboBox>(main, "ActiveSetCombo")->itemText(0), "sim");
    EXPECT_EQ(control<QComboBox>(main, "ActiveSetCombo")->itemText(1), "altimeter");
    EXPECT_EQ(windows->state.plot.settings.yLabel, "Altitude (Meters)");
    EXPECT_EQ(list().dataSet(1).altitudeUnit, orvo::altitudeUnitOfCode(2));
    auto* status = control<QStatusBar>(main, "StatusPanel");
    EXPECT_TRUE(status->currentMessage().contains("converted from feet to meters"))
        << status->currentMessage().toStdString();
    // The view fits the loaded flights.
    EXPECT_GE(windows->state.plot.settings.timeMax, 39.0);
    EXPECT_GE(windows->state.plot.settings.altitudeMax, 300.0);

    const double before = list().dataSet(1).samples.time[0];
    control<QPushButton>(main, "LineUpBtn")->click();
    for (int n = 0; n < 2; ++n)
        EXPECT_NEAR(orvo::computeFlightStatistics(list().dataSet(n)).liftoffTime, 0.0, 1e-9);
    EXPECT_TRUE(status->currentMessage().contains("Lined up 2"));
    main->dataPage()->UndoEdit();
    EXPECT_EQ(list().dataSet(1).samples.time[0], before); // both sets back in one step
    EXPECT_NEAR(orvo::computeFlightStatistics(list().dataSet(0)).liftoffTime, 2.0, 0.3);
    main->dataPage()->RedoEdit();
    EXPECT_NEAR(orvo::computeFlightStatistics(list().dataSet(1)).liftoffTime, 0.0, 1e-9);
}

TEST_F(CompareTest, TheUntouchedStartUpSetGivesWayToTheFirstLoadedData) {
    // The Load button, like a drop: the start-up set goes, the loaded set stays; undo brings
    // the start-up set back, and a second load adds beside what is there.
    prompts.fileNames.push_back(metres);
    control<QPushButton>(main, "LoadBtn")->click();
    ASSERT_EQ(list().dataSetCount(), 1);
    EXPECT_EQ(list().dataSet(0).name, "sim");
    EXPECT_GE(windows->state.plot.settings.altitudeMax, 300.0); // fitted to the flight
    prompts.fileNames.push_back(feet);
    control<QPushButton>(main, "LoadBtn")->click();
    ASSERT_EQ(list().dataSetCount(), 2);
    EXPECT_EQ(control<QComboBox>(main, "ActiveSetCombo")->itemText(0), "sim");
}

TEST_F(CompareTest, TheTableOfAllFlightsShowsCopiesSavesAndPicksTheActiveSet) {
    main->dataPage()->openDataFiles({metres, feet});
    ASSERT_EQ(list().dataSetCount(), 2);
    control<QPushButton>(main, "FlightsBtn")->click();
    FlightTableDialog* dialog = main->dataPage()->flightTable();
    ASSERT_NE(dialog, nullptr);
    QTableWidget* table = dialog->FlightTable;
    ASSERT_EQ(table->rowCount(), 2);
    auto column = [&](const QString& label) {
        for (int c = 0; c < table->columnCount(); ++c)
            if (table->horizontalHeaderItem(c)->text() == label) return c;
        return -1;
    };
    const int apogee = column("Apogee"), rate = column("Max climb rate");
    ASSERT_GE(apogee, 0);
    ASSERT_GE(rate, 0);
    for (int r = 0; r < 2; ++r) {
        EXPECT_TRUE(table->item(r, apogee)->text().endsWith(" m"))
            << table->item(r, apogee)->text().toStdString();
        EXPECT_TRUE(table->item(r, rate)->text().endsWith(" m/s"));
    }
    // A click on a row makes that set the active one.
    auto* sets = control<QComboBox>(main, "ActiveSetCombo");
    sets->setCurrentIndex(1);
    emit table->cellClicked(0, apogee);
    EXPECT_EQ(sets->currentIndex(), 0);

    dialog->CopyBtn->click();
    const QStringList copied = QApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(copied.size(), 3);
    EXPECT_TRUE(copied[1].startsWith("sim\tm\t"));

    const QString csv = dir.filePath("flights.csv");
    prompts.fileNames.push_back(csv);
    dialog->SaveCsvBtn->click();
    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList rows = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 3);
    EXPECT_TRUE(rows[0].startsWith("name,unit,rate_unit,ground,"));
    EXPECT_TRUE(rows[2].startsWith("altimeter,m,m/s,"));
    EXPECT_TRUE(prompts.messages.empty());

    // The large plot reaches the same table.
    main->dataPage()->showLargePlot();
    control<QPushButton>(main->dataPage()->largePlot(), "LargeFlightsBtn")->click();
    EXPECT_EQ(main->dataPage()->flightTable(), dialog);
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(CompareTest, ASetLoadedPartlyOutOfSightIsNamedWithTheKeyThatFitsEverySet) {
    struct Case {
        const char* how;
        double altitudeMax; // of the view before the second load
        bool noted;
    };
    const Case cases[] = {{"inside", 1000.0, false}, {"apogee above the view", 100.0, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        main->dataPage()->openDataFiles({metres}); // on the Recorded Data page
        orvo::PlotSettings& view = windows->state.plot.settings;
        view.timeMin = 0, view.timeMax = 40, view.altitudeMin = 0, view.altitudeMax = c.altitudeMax;
        auto* status = control<QStatusBar>(main, "StatusPanel");
        status->clearMessage();
        prompts.fileNames.push_back(feet);
        control<QPushButton>(main, "LoadBtn")->click();
        EXPECT_EQ(view.altitudeMax, c.altitudeMax); // Load keeps the view
        EXPECT_EQ(status->currentMessage().contains("press A"), c.noted)
            << status->currentMessage().toStdString();
        if (!c.noted) continue;
        EXPECT_TRUE(status->currentMessage().contains("altimeter"));
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        EXPECT_TRUE(main->FormKeyDown(&press));
        EXPECT_GE(view.altitudeMax, 300.0);
        view.altitudeMax = c.altitudeMax;
        main->dataPage()->showLargePlot();
        control<QPushButton>(main->dataPage()->largePlot(), "LargeFitBtn")->click();
        EXPECT_GE(view.altitudeMax, 300.0);
    }
}

TEST_F(CompareTest, TheLargePlotIsResizableAndFollowsTheSameData) {
    const QSize mainSize = main->size();
    QTest::keyClick(control<PlotBoxWidget>(main, "PlotBox"), Qt::Key_F11); // only on the Recorded Data page
    EXPECT_EQ(main->dataPage()->largePlot(), nullptr);
    main->dataPage()->openDataFiles({metres});
    QTest::mouseDClick(control<PlotBoxWidget>(main, "PlotBox"), Qt::LeftButton);
    LargePlotWindow* large = main->dataPage()->largePlot();
    ASSERT_NE(large, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(large));
    large->resize(1200, 700);
    QApplication::processEvents();
    EXPECT_EQ(large->plotBox()->size().width(), large->contentsRect().width() - 4);
    EXPECT_EQ(main->size(), mainSize);

    // A change of the data repaints both plots.
    const int renders = large->plotBox()->renderCount();
    control<QPushButton>(main, "LineUpBtn")->click();
    QApplication::processEvents();
    EXPECT_GT(large->plotBox()->renderCount(), renders);

    // The mouse read-outs show under the large plot, from the large plot's own frame.
    const orvo::PlotFrame& f = large->plotBox()->frame();
    QTest::mouseMove(large->plotBox(),
                     QPoint((f.plotLeft + f.plotRight) / 2, (f.plotTop + f.plotBottom) / 2));
    QApplication::processEvents();
    auto* position = large->findChild<QLabel*>("LargeXYDisp");
    ASSERT_NE(position, nullptr);
    EXPECT_FALSE(position->text().isEmpty());
    EXPECT_EQ(position->text(), control<QLabel>(main, "XYDisp")->text());
    EXPECT_TRUE(large->plotBox()->overlay().circle);
    // The keys of the page act on the plot from the large window too.
    const double span = windows->state.plot.settings.timeMax - windows->state.plot.settings.timeMin;
    QTest::keyClick(large, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_NEAR(windows->state.plot.settings.timeMax - windows->state.plot.settings.timeMin, span / 2, 1e-9);
}

TEST_F(CompareTest, APlotCoveredByTheFullScreenPlotIsRenderedOnlyWhenItComesBackIntoSight) {
    main->dataPage()->openDataFiles({metres});
    main->dataPage()->showLargePlot();
    LargePlotWindow* large = main->dataPage()->largePlot();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(large));
    large->showFullScreen();
    large->activateWindow();
    QApplication::processEvents();
    ASSERT_TRUE(QTest::qWaitForWindowActive(large));
    auto* page = control<PlotBoxWidget>(main, "PlotBox");
    const int pageRenders = page->renderCount(), largeRenders = large->plotBox()->renderCount();
    for (int i = 0; i < 10; ++i) {
        QTest::keyClick(large, Qt::Key_Right, Qt::ShiftModifier);
        QApplication::processEvents();
    }
    EXPECT_EQ(large->plotBox()->renderCount(), largeRenders + 10);
    EXPECT_EQ(page->renderCount(), pageRenders);

    // Out of sight, then in sight: the page's plot shows the view as it is now, rendered once.
    large->close();
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_EQ(page->renderCount(), pageRenders + 1);
}
