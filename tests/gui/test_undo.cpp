// Undo and redo on the Recorded Data page (Ctrl+Z, Ctrl+Shift+Z, Ctrl+Y) after edits made through
// the window, and the question about unsaved changes when the window closes.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include "app/appwindows.h"
#include "app/recordeddatapage.h"
#include "app/tdatapropform.h"
#include "app/tmainform.h"
#include "app/tsavesel.h"
#include "controls.h"
#include "data/datafile.h"
#include "plot/plotfile.h"
#include "scriptedprompts.h"
#include "windowsfixture.h"

namespace {

class UndoTest : public WindowsFixture {
  protected:
    void SetUp() override {
        WindowsFixture::SetUp();
        ASSERT_TRUE(dir.isValid());
        // Three loaded sets: loads and downloads are not unsaved changes.
        QFile f(dir.filePath("three.csv"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        QByteArray text = "Orvo Plot\n#T\n#x\n#y\n#\n#\n#max=1\n#0,0,60,300\n";
        for (int n = 0; n < 3; ++n) {
            text += "! 255, 1, 255, 0, 0, 7\n#Set" + QByteArray::number(n) + "\n#\n#\n#\n#\n#\n#0,0,0,0,0\n";
            for (int i = 0; i < 60; ++i)
                text +=
                    QByteArray::number(i) + ", " + QByteArray::number(100 + i * (n + 1) + (i % 7)) + ", 0\n";
        }
        f.write(text);
        f.close();
        main->dataPage()->openDataFiles({f.fileName()}); // in place of the start-up set
        ASSERT_EQ(list().dataSetCount(), 3);
        ASSERT_FALSE(windows->state.history.anyModified());
        windows->state.history.clear(); // the edits start here
    }
    std::string saved() {
        const std::string path = dir.filePath("compare.csv").toStdString();
        EXPECT_EQ(orvo::savePlotFile(path, list(), orvo::plotFileHeader(windows->state.plot.settings)),
                  orvo::FileStatus::Ok);
        QFile f(QString::fromStdString(path));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll().toStdString();
    }
    void key(int k, Qt::KeyboardModifiers mods) {
        QTest::keyClick(control<QComboBox>(main, "ActiveSetCombo"), Qt::Key(k), mods);
    }
};

} // namespace

TEST_F(UndoTest, CtrlZUndoesCropDriftApplyAndDeleteAndTheRedoKeysRedo) {
    control<QTabWidget>(main, "PageControl1")->setCurrentWidget(control<QWidget>(main, "DataPage"));
    auto& p = windows->state.plot.settings;
    p.timeMin = 10, p.timeMax = 30;
    const std::string start = saved();
    control<QPushButton>(main, "ZoomCropBtn")->click();
    const std::string cropped = saved();
    ASSERT_NE(cropped, start);

    TDataPropForm* form = windows->dataPropForm.get();
    form->FormShow();
    form->SetListBox->setCurrentRow(1);
    form->DriftBtn->click();
    const std::string drifted = saved();
    ASSERT_NE(drifted, cropped);
    form->YOffsetEdit->setText("12.5");
    form->SignalDisplayNameEdit->setText("Renamed");
    form->ApplyBtn->click();
    const std::string applied = saved();
    form->SetListBox->setCurrentRow(1);
    form->DelSetBtn->click();
    ASSERT_EQ(list().dataSetCount(), 2);
    EXPECT_TRUE(windows->state.history.anyModified());

    key(Qt::Key_Z, Qt::ControlModifier); // Delete
    ASSERT_EQ(list().dataSetCount(), 3);
    EXPECT_EQ(control<QComboBox>(main, "ActiveSetCombo")->itemText(1),
              "Renamed"); // back at its place in both lists
    EXPECT_EQ(form->SetListBox->item(1)->text(), "Renamed");
    EXPECT_EQ(saved(), applied);
    EXPECT_EQ(control<QLabel>(main, "XYDisp")->text(), "Undone: Delete Data Set");
    key(Qt::Key_Z, Qt::ControlModifier); // Apply
    EXPECT_EQ(saved(), drifted);
    EXPECT_EQ(control<QComboBox>(main, "ActiveSetCombo")->itemText(1), "Set1");
    key(Qt::Key_Z, Qt::ControlModifier); // Fix Drift
    EXPECT_EQ(saved(), cropped);
    key(Qt::Key_Z, Qt::ControlModifier); // Crop
    EXPECT_EQ(saved(), start);
    EXPECT_FALSE(windows->state.history.anyModified());
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(control<QLabel>(main, "XYDisp")->text(), "Nothing to undo");

    key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(saved(), cropped);
    key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(saved(), drifted);

    // On another page the keys reach the focused control.
    control<QTabWidget>(main, "PageControl1")->setCurrentWidget(control<QWidget>(main, "ConnectPage"));
    QTest::keyClick(control<QComboBox>(main, "CommPortBox"), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(saved(), drifted);
}

TEST_F(UndoTest, ClosingWithoutChangesAsksNothing) {
    main->close();
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_FALSE(main->isVisible());
}

TEST_F(UndoTest, CancelKeepsTheWindowDiscardClosesSaveSavesFirst) {
    control<QTabWidget>(main, "PageControl1")->setCurrentWidget(control<QWidget>(main, "DataPage"));
    auto& p = windows->state.plot.settings;
    p.timeMin = 10, p.timeMax = 30;
    control<QPushButton>(main, "ZoomCropBtn")->click();

    prompts.answers.push_back(QMessageBox::Cancel);
    main->close();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Save changes to the plot before closing?");
    EXPECT_EQ(prompts.messages[0].buttons, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(list().dataSetCount(), 3);

    // Save, but the file dialog is cancelled: the window stays.
    prompts.answers.push_back(QMessageBox::Save);
    prompts.dialogActions.push_back([](QDialog* d) {
        auto* sel = qobject_cast<TSaveSel*>(d);
        sel->setItemIndex(TSaveSel::PlotAndAllDataSets);
        return int(QDialog::Accepted);
    });
    prompts.fileNames.push_back(QString());
    main->close();
    EXPECT_TRUE(main->isVisible());

    // Save through the Save flow: the plot file is written, then the window closes.
    const QString out = dir.filePath("saved.csv");
    prompts.answers.push_back(QMessageBox::Save);
    prompts.dialogActions.push_back([](QDialog* d) {
        auto* sel = qobject_cast<TSaveSel*>(d);
        sel->setItemIndex(TSaveSel::PlotAndAllDataSets);
        return int(QDialog::Accepted);
    });
    prompts.fileNames.push_back(out);
    const std::string expected = saved();
    main->close();
    EXPECT_FALSE(main->isVisible());
    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().toStdString(), expected);
}

TEST_F(UndoTest, DiscardClosesWithoutSaving) {
    TDataPropForm* form = windows->dataPropForm.get();
    form->FormShow();
    form->DriftBtn->click();
    prompts.answers.push_back(QMessageBox::Discard);
    main->close();
    EXPECT_EQ(prompts.messages.size(), 1u);
    EXPECT_FALSE(main->isVisible());
}

TEST_F(UndoTest, ASetSavedAfterItsEditIsNotAskedAbout) {
    TDataPropForm* form = windows->dataPropForm.get();
    form->FormShow();
    form->DriftBtn->click(); // set 0
    control<QComboBox>(main, "ActiveSetCombo")->setCurrentIndex(0);
    prompts.dialogActions.push_back([](QDialog* d) {
        qobject_cast<TSaveSel*>(d)->setItemIndex(TSaveSel::ActiveDataSet);
        return int(QDialog::Accepted);
    });
    prompts.fileNames.push_back(dir.filePath("set0.csv"));
    control<QPushButton>(main, "SaveBtn")->click();
    ASSERT_TRUE(QFile::exists(dir.filePath("set0.csv")));
    main->close();
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_FALSE(main->isVisible());
}

// An edit larger than the undo bound is made, and the window says it cannot be undone; Ctrl+Z
// then takes nothing back (no earlier step either, which would mix old and new samples).
TEST_F(UndoTest, AnEditTooLargeToKeepSaysItCannotBeUndone) {
    control<QTabWidget>(main, "PageControl1")->setCurrentWidget(control<QWidget>(main, "DataPage"));
    TDataPropForm* form = windows->dataPropForm.get();
    form->FormShow();
    form->SetListBox->setCurrentRow(1);
    form->DriftBtn->click();
    ASSERT_TRUE(windows->state.history.canUndo());
    ASSERT_TRUE(prompts.messages.empty());
    // Room for the copy of one set, not of all three that Crop changes.
    windows->state.history.setByteBound(12 * 1024);
    auto& p = windows->state.plot.settings;
    p.timeMin = 10, p.timeMax = 30;
    control<QPushButton>(main, "ZoomCropBtn")->click();
    const std::string cropped = saved();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_TRUE(prompts.messages[0].text.contains("\"Crop\"")) << prompts.messages[0].text.toStdString();
    EXPECT_TRUE(prompts.messages[0].text.contains("cannot be undone"));
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(control<QLabel>(main, "XYDisp")->text(), "Nothing to undo");
    EXPECT_EQ(saved(), cropped);
    EXPECT_TRUE(windows->state.history.anyModified());
}
