// Data files opened without the Load button: named on the command line (orvo FILE...) and
// dropped on the main window; both load as Load does, in place of the start-up set when the plot
// holds nothing else, and show the Recorded Data page.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include "app/appwindows.h"
#include "app/recordeddatapage.h"
#include "app/tmainform.h"
#include "controls.h"
#include "scriptedprompts.h"
#include "windowsfixture.h"

namespace {

class OpenFilesTest : public WindowsFixture {
  protected:
    void SetUp() override {
        openWindows(false);
        ASSERT_TRUE(dir.isValid());
        good = write("flight.csv",
                     "#Cup flight\n#t\n#a\n#n1\n#\n#\n#0,0,20,20,0\n0.0, 10, 0\n0.5, 40, 0\n1.0, 20, 0\n");
        plot =
            write("plot.csv", "Orvo Plot\n#Two flights\n#x\n#y\n#\n#\n#\n#0,0,5,50\n! 255, 1, 255, 0, 0, 7\n"
                              "#First\n#\n#\n#\n#\n#\n#0,0,0,0,0\n0, 1, 0\n! 65280, 1, 65280, 0, 0, 7\n"
                              "#Second\n#\n#\n#\n#\n#\n#0,0,0,0,0\n0, 2, 0\n");
    }
    QStringList names() const {
        QStringList n;
        for (int i = 0; i < control<QComboBox>(main, "ActiveSetCombo")->count(); ++i)
            n << control<QComboBox>(main, "ActiveSetCombo")->itemText(i);
        return n;
    }

    QString good, plot;
};

} // namespace

TEST_F(OpenFilesTest, FilesNamedAtStartLoadAfterTheStartUpStepsWithLoadsMessages) {
    const QString missing = dir.filePath("missing.csv");
    main->setStartupFiles({good, missing, plot});
    main->show();
    EXPECT_EQ(names(), QStringList{"Data000"}); // the start-up set comes first
    QApplication::processEvents();
    // The files replace the start-up set; the plot file's limits are the view and its Reset view.
    EXPECT_EQ(names(), (QStringList{"Cup flight", "First", "Second"}));
    const orvo::PlotState& p = windows->state.plot;
    EXPECT_EQ(p.settings.timeMax, 5.0);
    EXPECT_EQ(p.settings.altitudeMax, 50.0);
    EXPECT_EQ(p.home.timeMax, 5.0);
    EXPECT_EQ(p.home.altitudeMax, 50.0);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].caption, "Error");
    EXPECT_EQ(prompts.messages[0].text, QStringLiteral("Unable to open %1!").arg(missing));
    EXPECT_EQ(control<QTabWidget>(main, "PageControl1")->currentWidget(), control<QWidget>(main, "DataPage"));
    EXPECT_EQ(windows->state.plot.settings.title, "Two flights");
    // The three-second switch to the Connect page does not take the plot away.
    EXPECT_FALSE(control<QTimer>(main, "Timer2")->isActive());
}

TEST_F(OpenFilesTest, DroppedFilesLoadAndShowTheRecordedDataPage) {
    main->show();
    QApplication::processEvents();
    EXPECT_EQ(control<QTabWidget>(main, "PageControl1")->currentWidget(),
              control<QWidget>(main, "AboutPage"));

    QMimeData web;
    web.setUrls({QUrl("https://example.org/flight.csv")});
    QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &web, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(main, &refused);
    EXPECT_FALSE(refused.isAccepted()); // only local files can be loaded

    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(good), QUrl::fromLocalFile(plot)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(main, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(main, &drop);
    EXPECT_EQ(names(), (QStringList{"Cup flight", "First", "Second"})); // in place of the start-up set
    EXPECT_EQ(control<QTabWidget>(main, "PageControl1")->currentWidget(), control<QWidget>(main, "DataPage"));
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(windows->state.plot.settings.series.dataSet(0).samples.count, 3);

    // Opened on a plot that holds data, files are added as Load adds them.
    main->dataPage()->openDataFiles({good, plot});
    EXPECT_EQ(names().size(), 6);
}
