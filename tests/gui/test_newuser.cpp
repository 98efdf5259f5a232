// What a new user meets first in the window: the tab bar's keys, deleting the set being looked
// at, the photo list's real file dialog with a file already there, where the log shows its newest
// line, and Save naming its file.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/appwindows.h"
#include "app/tdatapropform.h"
#include "app/tmainform.h"
#include "app/tsavesel.h"
#include "controls.h"
#include "scriptedprompts.h"

namespace {

void clearStore() {
    QSettings(QStringLiteral("TamberlinSystems"), QStringLiteral("Orvo")).clear();
}

class NewUserTest : public ::testing::Test {
  protected:
    void SetUp() override { clearStore(); }
    void TearDown() override {
        windows.reset();
        clearStore();
    }
    TMainForm& start(Prompts* with = nullptr) {
        windows = std::make_unique<AppWindows>(with ? with : &prompts);
        windows->mainForm->show();
        return *windows->mainForm;
    }
    orvo::SeriesList& list() { return windows->state.plot.settings.series; }

    ScriptedPrompts prompts;
    std::unique_ptr<AppWindows> windows;
};

} // namespace

TEST_F(NewUserTest, HiddenLogPageIsNeverReachedFromTheTabBar) {
    TMainForm& f = start();
    QTabWidget* pages = control<QTabWidget>(&f, "PageControl1");
    QList<QWidget*> shown;
    QObject::connect(pages, &QTabWidget::currentChanged, [&](int i) { shown << pages->widget(i); });
    auto* dataPage = control<QWidget>(&f, "DataPage");
    pages->setCurrentWidget(dataPage);
    pages->tabBar()->setFocus();

    QTest::keyClick(pages->tabBar(), Qt::Key_Right);
    EXPECT_EQ(pages->currentWidget(), control<QWidget>(&f, "AboutPage"));
    QTest::keyClick(pages->tabBar(), Qt::Key_Left);
    EXPECT_EQ(pages->currentWidget(), dataPage);
    QTest::keyClick(pages, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(pages->currentWidget(), control<QWidget>(&f, "AboutPage"));
    QTest::keyClick(pages, Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(pages->currentWidget(), dataPage);
    auto* logPage = control<QWidget>(&f, "LogPage");
    EXPECT_FALSE(shown.contains(logPage));
    // Only the tab is out of reach: the page and its controls stay usable by the program.
    EXPECT_TRUE(logPage->isEnabled());
    EXPECT_FALSE(pages->isTabVisible(pages->indexOf(logPage)));
}

TEST_F(NewUserTest, DeletingTheActiveSetMakesTheFirstActiveAndAnotherKeepsIt) {
    TMainForm& f = start();
    for (int i = 0; i < 3; ++i)
        list().CreateDataSet();
    // Data000 from start-up, Data001..Data003.
    auto* activeSets = control<QComboBox>(&f, "ActiveSetCombo");
    ASSERT_EQ(activeSets->count(), 4);
    TDataPropForm* dlg = windows->dataPropForm.get();
    dlg->show();

    // Deleting a set before the active one leaves the same set active.
    activeSets->setCurrentIndex(2);
    dlg->SetListBox->setCurrentRow(1);
    dlg->DelSetBtn->click();
    EXPECT_EQ(activeSets->currentText(), QStringLiteral("Data002"));
    EXPECT_EQ(activeSets->currentIndex(), 1);

    // Deleting the active set itself makes set 0 active, not its neighbour.
    dlg->SetListBox->setCurrentRow(1);
    dlg->DelSetBtn->click();
    ASSERT_EQ(activeSets->count(), 2);
    EXPECT_EQ(activeSets->currentIndex(), 0);
    EXPECT_EQ(activeSets->currentText(), QStringLiteral("Data000"));
}

// The real dialog: the user types "photos" where photos.txt already exists.
TEST_F(NewUserTest, PhotoListDialogAsksBeforeReplacingAFileNamedWithoutItsSuffix) {
    QtPrompts real;
    start(&real);
    orvo::Series& t = list().triggerSet(0);
    t.DisplayFlag = 1;
    t.samples.count = 1;
    TDataPropForm* dlg = windows->dataPropForm.get();
    dlg->show();
    dlg->SetListBox->setCurrentRow(0);
    dlg->ShowSetProperties();
    ASSERT_TRUE(dlg->PhotoBtn->isVisible());

    QTemporaryDir dir;
    const QString existing = dir.filePath(QStringLiteral("photos.txt"));
    {
        QFile old(existing);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("keep me\n");
    }
    QString question;
    bool dialogSeen = false;
    QTimer::singleShot(0, [&] {
        auto* fd = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!fd) return;
        dialogSeen = true;
        // The overwrite question comes up inside accept(); the user says No, then cancels.
        QTimer::singleShot(0, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                question = box->text();
                box->button(QMessageBox::No)->click();
            }
        });
        fd->setDirectory(dir.path());
        fd->selectFile(QStringLiteral("photos"));
        QMetaObject::invokeMethod(fd, "accept", Qt::DirectConnection); // the Save button
        if (fd->isVisible()) fd->reject();
    });
    dlg->PhotoBtn->click();

    EXPECT_TRUE(dialogSeen);
    EXPECT_TRUE(question.contains(QStringLiteral("photos.txt"))) << question.toStdString();
    QFile kept(existing);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("keep me\n"));
}

TEST_F(NewUserTest, LogShowsItsNewestLineAndSaveNamesItsFile) {
    TMainForm& f = start();
    // Lines written while another page is shown (a configuration read from the Configure page).
    auto* pages = control<QTabWidget>(&f, "PageControl1");
    pages->setCurrentWidget(control<QWidget>(&f, "ConfigurePage"));
    for (int i = 0; i < 200; ++i)
        f.infoLine(QStringLiteral("line %1").arg(i));
    pages->setCurrentWidget(control<QWidget>(&f, "ConnectPage"));
    QApplication::processEvents();
    QScrollBar* bar = control<QPlainTextEdit>(&f, "InfoText")->verticalScrollBar();
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
    // The user scrolls up to read; the next line brings the view back to the end.
    bar->setValue(0);
    f.infoLine(QStringLiteral("newest"));
    QApplication::processEvents();
    EXPECT_EQ(bar->value(), bar->maximum());

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("flight.csv"));
    prompts.dialogActions.push_back([](QDialog* d) {
        auto* sel = qobject_cast<TSaveSel*>(d);
        sel->BitBtn1->click();
        return sel->result();
    });
    prompts.fileNames.push_back(file);
    pages->setCurrentWidget(control<QWidget>(&f, "DataPage"));
    control<QPushButton>(&f, "SaveBtn")->click();
    ASSERT_TRUE(QFile::exists(file));
    EXPECT_EQ(control<QStatusBar>(&f, "StatusPanel")->currentMessage(), QStringLiteral("Saved %1").arg(file));
}
