// The Data Properties dialog driven through its controls, with scripted answers to its questions.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "app/appwindows.h"
#include "app/recordeddatapage.h"
#include "app/tdatapropform.h"
#include "app/tmainform.h"
#include "controls.h"
#include "data/datafile.h"
#include "scriptedprompts.h"
#include "windowsfixture.h"

namespace {

class DataPropTest : public WindowsFixture {
  protected:
    void SetUp() override {
        WindowsFixture::SetUp(); // creates the first data set
        form = windows->dataPropForm.get();
        form->show();
    }
    orvo::Series& filled(int count, double altitude) {
        orvo::Series& s = list().CreateDataSet();
        s.samples.count = count;
        for (int i = 0; i < count; ++i) {
            s.samples.time[static_cast<std::size_t>(i)] = i;
            s.samples.altitude[static_cast<std::size_t>(i)] = altitude;
        }
        return s;
    }
    // A mouse click on entry n of the list, as the user selects a set.
    void select(int n) {
        QListWidget* box = form->SetListBox;
        QTest::mouseClick(box->viewport(), Qt::LeftButton, {}, box->visualItemRect(box->item(n)).center());
        ASSERT_EQ(box->currentRow(), n);
    }

    TDataPropForm* form = nullptr;
};

QImage drawn(void (*draw)(QPainter&, int, const QRect&), int index) {
    QImage img(40, 16, QImage::Format_RGB32);
    img.fill(Qt::red);
    QPainter p(&img);
    draw(p, index, img.rect());
    return img;
}

int blackPixels(const QImage& img) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += img.pixel(x, y) == qRgb(0, 0, 0);
    return n;
}

} // namespace

TEST_F(DataPropTest, TheButtonOpensTheDialogModallyAtTheFirstDataSet) {
    auto* dataPropBtn = control<QPushButton>(main, "DataPropBtn");
    ASSERT_NE(dataPropBtn, nullptr);
    EXPECT_EQ(dataPropBtn->text(), QStringLiteral("Data Properties"));
    EXPECT_EQ(dataPropBtn->toolTip(), QStringLiteral("Edit Dataset Properties"));
    // Start-up already loaded the first set's look into the dialog.
    EXPECT_EQ(form->Line_Clr->colour(), 0x00FF0000u);
    EXPECT_EQ(form->TrigStyleCombo->currentIndex(), orvo::PointTriangle);
    EXPECT_TRUE(form->ApplyBtn->isEnabled());

    filled(30, 5.0).name = "Second";
    select(1);
    int rowWhenShown = -1;
    QString nameWhenShown;
    prompts.dialogActions.push_back([&](QDialog*) {
        rowWhenShown = form->SetListBox->currentRow();
        nameWhenShown = form->SignalDisplayNameEdit->text();
        return int(QDialog::Rejected);
    });
    dataPropBtn->click();
    ASSERT_EQ(prompts.dialogsShown.size(), 1u);
    EXPECT_EQ(prompts.dialogsShown[0], QStringLiteral("TDataPropForm"));
    EXPECT_EQ(rowWhenShown, 0);
    EXPECT_EQ(nameWhenShown, QStringLiteral("Data000"));
}

TEST_F(DataPropTest, ApplyShiftsEachTimeAndTheBoxesKeepTheirText) {
    orvo::Series& s = list().dataSet(0);
    orvo::Series& t = list().triggerSet(0);
    t.samples.count = 1;
    t.samples.time[0] = 4.0;
    t.samples.altitude[0] = 4.0;
    select(0);
    EXPECT_EQ(form->XOffsetEdit->text(), QStringLiteral("0.000000"));
    EXPECT_EQ(form->YScaleEdit->text(), QStringLiteral("1.000000"));

    form->XOffsetEdit->setText(QStringLiteral("10"));
    form->YOffsetEdit->setText(QStringLiteral("not a number"));
    form->ApplyBtn->click();
    form->ApplyBtn->click();
    EXPECT_DOUBLE_EQ(s.samples.time[0], 20.0);
    EXPECT_DOUBLE_EQ(s.samples.time[20], 40.0);
    EXPECT_DOUBLE_EQ(t.samples.time[0], 24.0);
    EXPECT_DOUBLE_EQ(s.samples.altitude[20], 20.0);
    EXPECT_EQ(form->XOffsetEdit->text(), QStringLiteral("10"));
    EXPECT_DOUBLE_EQ(s.timeOffset, 0.0);

    form->XOffsetEdit->setText(QStringLiteral("0.000005"));
    form->YOffsetEdit->setText(QStringLiteral("-0.000005"));
    form->ApplyBtn->click();
    EXPECT_DOUBLE_EQ(s.samples.time[0], 20.0);
    EXPECT_DOUBLE_EQ(s.samples.altitude[0], 0.0);

    // Scales: a number is taken, anything else leaves the scale alone.
    form->XOffsetEdit->setText(QStringLiteral("0"));
    form->XScaleEdit->setText(QStringLiteral("2.5"));
    form->YScaleEdit->setText(QStringLiteral("x"));
    form->ApplyBtn->click();
    EXPECT_DOUBLE_EQ(s.timeScale, 2.5);
    EXPECT_DOUBLE_EQ(s.altitudeScale, 1.0);

    // Choosing the set again shows the stored offsets, which stay 0.
    filled(30, 1.0);
    select(1);
    select(0);
    EXPECT_EQ(form->XOffsetEdit->text(), QStringLiteral("0.000000"));
    EXPECT_EQ(form->XScaleEdit->text(), QStringLiteral("2.500000"));
}

TEST_F(DataPropTest, ALongNameIsCutAndBothListsShowItInPlace) {
    filled(30, 1.0);
    filled(30, 1.0); // the active set is now the last one
    select(1);
    form->SignalDisplayNameEdit->setText(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXY"));
    form->Note1Edit->setText(QString(300, QLatin1Char('n')));
    form->ApplyBtn->click();
    const QString cut = QStringLiteral("ABCDEFGHIJKLMNOPQRS");
    EXPECT_EQ(QString::fromStdString(list().dataSet(1).name), cut);
    EXPECT_EQ(form->SetListBox->item(1)->text(), cut);
    EXPECT_EQ(form->SetListBox->currentRow(), 1);
    EXPECT_EQ(control<QComboBox>(main, "ActiveSetCombo")->itemText(1), cut);
    EXPECT_EQ(control<QComboBox>(main, "ActiveSetCombo")->currentIndex(), 2);
    EXPECT_EQ(list().dataSet(1).note1.size(), 255u);

    // A name of non-ASCII characters is cut at a character boundary, never mid-character.
    form->SignalDisplayNameEdit->setText(QString(19, QChar(0x00E9)));
    form->ApplyBtn->click();
    const QString stored = QString::fromStdString(list().dataSet(1).name);
    EXPECT_LE(list().dataSet(1).name.size(), 19u);
    EXPECT_EQ(stored, QString(9, QChar(0x00E9)));
}

TEST_F(DataPropTest, ColourPanelsAndStylesReachTheSetOnlyOnApply) {
    select(0);
    prompts.colours.push_back(QColor(255, 0, 0));
    QTest::mouseClick(form->Line_Clr, Qt::LeftButton);
    EXPECT_EQ(form->Line_Clr->colour(), 0x000000FFu);
    EXPECT_EQ(list().dataSet(0).lineColour, 0x00FF0000u);
    QTest::mouseClick(form->Pt_Clr, Qt::LeftButton); // cancelled: the panel keeps its colour
    EXPECT_EQ(form->Pt_Clr->colour(), 0x00FF0000u);
    prompts.colours.push_back(QColor(0x12, 0x34, 0x56));
    QTest::mouseClick(form->Trig_Clr, Qt::LeftButton);

    form->LineStyleCombo->setCurrentIndex(orvo::LineDashDot);
    form->PointStyleCombo->setCurrentIndex(orvo::PointDiamond);
    form->TrigStyleCombo->setCurrentIndex(orvo::PointX);
    form->ApplyBtn->click();
    EXPECT_EQ(list().dataSet(0).lineColour, 0x000000FFu);
    EXPECT_EQ(list().dataSet(0).pointColour, 0x00FF0000u);
    EXPECT_EQ(list().triggerSet(0).pointColour, 0x00563412u);
    EXPECT_EQ(list().dataSet(0).lineStyle, orvo::LineDashDot);
    EXPECT_EQ(list().dataSet(0).pointStyle, orvo::PointDiamond);
    EXPECT_EQ(list().triggerSet(0).pointStyle, orvo::PointX);
    EXPECT_EQ(list().triggerSet(0).lineStyle, orvo::LineNone);
}

TEST_F(DataPropTest, DeleteSelectsTheFirstRemainingSetAndTheLastLeavesNothingToPress) {
    filled(30, 1.0).name = "Second";
    filled(30, 1.0).name = "Third";
    select(2);
    form->DelSetBtn->click();
    ASSERT_EQ(list().dataSetCount(), 2);
    EXPECT_EQ(form->SetListBox->currentRow(), 0);
    EXPECT_EQ(form->SignalDisplayNameEdit->text(), QStringLiteral("Data000"));
    EXPECT_EQ(control<QComboBox>(main, "ActiveSetCombo")->count(), 2);

    form->DelSetBtn->click();
    form->DelSetBtn->click();
    EXPECT_EQ(list().dataSetCount(), 0);
    for (QWidget* w :
         std::initializer_list<QWidget*>{form->ApplyBtn, form->DelSetBtn, form->DriftBtn, form->OffsetBtn,
                                         form->Line_Clr, form->SignalDisplayNameEdit})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    EXPECT_TRUE(form->OKBtn->isEnabled());
    // Nothing that still reaches a handler may act on a missing set.
    form->ApplySetProperties();
    form->DriftBtnClick();
    form->PhotoBtnClick();
    form->FormShow();
    EXPECT_TRUE(prompts.messages.empty());

    // A set created afterwards becomes editable on the next opening.
    filled(30, 1.0);
    control<QPushButton>(main, "DataPropBtn")->click();
    EXPECT_TRUE(form->ApplyBtn->isEnabled());
}

TEST_F(DataPropTest, FixDriftAndFixOffsetCorrectTheSetOrSayWhyNot) {
    orvo::Series& s = filled(1000, 200.0);
    s.samples.altitude[20] = 100.0;
    s.samples.altitude[950] = 112.0;
    s.samples.altitude[485] = 300.0;
    windows->state.plot.settings.info3 = "Flight max=1 ft";
    select(1);
    int repaints = 0;
    form->plotChanged = [&] { ++repaints; };
    form->DriftBtn->click();
    EXPECT_NEAR(s.samples.altitude[485], 294.0, 1e-9);
    EXPECT_NEAR(s.samples.altitude[999], 100.0, 1e-9);
    EXPECT_EQ(windows->state.plot.settings.info3, "Flight max=294");
    EXPECT_DOUBLE_EQ(windows->state.plot.settings.altitudeMax, 300.0);
    EXPECT_EQ(repaints, 1);

    form->OffsetBtn->click();
    EXPECT_NEAR(s.samples.altitude[0], 0.0, 1e-9);
    EXPECT_EQ(windows->state.plot.settings.info3, "Flight max=194");

    filled(9, 3.0);
    select(2);
    form->DriftBtn->click();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].caption, QStringLiteral("Error"));
    EXPECT_TRUE(prompts.messages[0].text.contains(QStringLiteral("9 samples")));
    EXPECT_EQ(windows->state.plot.settings.info3, "Flight max=194");
    EXPECT_EQ(repaints, 2);
}

TEST_F(DataPropTest, PhotoListIsOfferedForTriggerSetsWrittenAndOpened) {
    list().triggerSet(0).DisplayFlag = 0;
    select(0);
    EXPECT_FALSE(form->PhotoBtn->isVisible());
    orvo::Series& t = list().triggerSet(0);
    t.DisplayFlag = 1;
    t.samples.count = 3;
    const double times[] = {2.0, 7.5, 15.0}, alts[] = {2.0, 140.25, 98.0};
    for (int k = 0; k < 3; ++k) {
        t.samples.time[static_cast<std::size_t>(k)] = times[k];
        t.samples.altitude[static_cast<std::size_t>(k)] = alts[k];
    }
    windows->state.plot.settings.info1 = "Club field";
    select(0);
    ASSERT_TRUE(form->PhotoBtn->isVisible());

    QTemporaryDir dir;
    // The dialog adds the default suffix itself, before its overwrite question.
    prompts.fileNames.push_back(dir.filePath(QStringLiteral("photos.txt")));
    form->PhotoBtn->click();
    EXPECT_EQ(prompts.fileTitles.value(0), QStringLiteral("Export Photo Info"));
    EXPECT_EQ(prompts.defaultSuffixes.value(0), QStringLiteral("txt"));
    const QString written = dir.filePath(QStringLiteral("photos.txt"));
    QFile f(written);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(f.readAll()),
              QStringLiteral("#Altitude versus Time\n#Time (sec)\n#Altitude (Feet)\n"
                             "#Club field\n#\n#\n# pic    time   altitude\n"
                             "    1    2.00       2.00\n"
                             "    2    7.50     140.25\n"
                             "    3   15.00      98.00\n"));
    ASSERT_EQ(prompts.openedUrls.size(), 1u);
    EXPECT_EQ(prompts.openedUrls[0], QUrl::fromLocalFile(written));

    const QString bad = dir.filePath(QStringLiteral("missing/photos.txt"));
    prompts.fileNames.push_back(bad);
    form->PhotoBtn->click();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, QStringLiteral("Unable to open %1!").arg(bad));
    EXPECT_EQ(prompts.openedUrls.size(), 1u);

    form->PhotoBtn->click(); // cancelled: nothing asked beyond the file name
    EXPECT_EQ(prompts.messages.size(), 1u);

    // No program for text files: the list is written, and the message says where it is.
    prompts.openUrlResult = false;
    prompts.fileNames.push_back(written);
    QFile::remove(written);
    form->PhotoBtn->click();
    EXPECT_TRUE(QFileInfo::exists(written));
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_TRUE(prompts.messages[1].text.contains(QDir::toNativeSeparators(written)))
        << prompts.messages[1].text.toStdString();
    // It was saved: information, never the failure box.
    EXPECT_EQ(prompts.messages[1].icon, Prompts::Icon::Information);
}

TEST_F(DataPropTest, ALoadRefreshesTheDialogEvenAfterTheLastSetWasDeleted) {
    select(0);
    form->DelSetBtn->click();
    ASSERT_FALSE(form->ApplyBtn->isEnabled());

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("flight.csv"));
    {
        orvo::SeriesList other;
        orvo::Series& s = other.CreateDataSet();
        s.name = "Loaded";
        other.triggerSet(0).DisplayFlag = 0;
        orvo::PlotFileHeader h;
        ASSERT_EQ(orvo::saveDataSetFile(QFile::encodeName(path).toStdString(), other, 0, h),
                  orvo::FileStatus::Ok);
    }
    prompts.fileNames.push_back(path);
    main->dataPage()->LoadBtnClick();
    ASSERT_EQ(list().dataSetCount(), 1);
    EXPECT_TRUE(form->ApplyBtn->isEnabled());
    EXPECT_EQ(form->SetListBox->currentRow(), 0);
    EXPECT_EQ(form->SignalDisplayNameEdit->text(), QStringLiteral("Loaded"));
    EXPECT_EQ(form->Line_Clr->colour(), list().dataSet(0).lineColour);
    EXPECT_FALSE(form->PhotoBtn->isVisible());
}

TEST(DataPropDrawing, StylePicturesFollowTheirTables) {
    // Nothing but white for "-none-" in both lists.
    EXPECT_EQ(blackPixels(drawn(&TDataPropForm::LineStyleComboDrawItem, 0)), 0);
    EXPECT_EQ(blackPixels(drawn(&TDataPropForm::PointStyleComboDrawItem, 0)), 0);
    EXPECT_EQ(drawn(&TDataPropForm::PointStyleComboDrawItem, 0).pixel(0, 0), qRgb(255, 255, 255));

    const QImage solid = drawn(&TDataPropForm::LineStyleComboDrawItem, 1);
    EXPECT_EQ(blackPixels(solid), 40 - 8); // x = 4 .. right - 4, one row
    EXPECT_EQ(solid.pixel(4, 8), qRgb(0, 0, 0));
    EXPECT_EQ(solid.pixel(3, 8), qRgb(255, 255, 255));
    const int dotted = blackPixels(drawn(&TDataPropForm::LineStyleComboDrawItem, 2));
    EXPECT_GT(dotted, 0);
    EXPECT_LT(dotted, 40 - 8);

    const QImage dot = drawn(&TDataPropForm::PointStyleComboDrawItem, 1);
    EXPECT_EQ(blackPixels(dot), 1);
    EXPECT_EQ(dot.pixel(20, 8), qRgb(0, 0, 0));
    // Cross: f = 16 / 5 = 3, two strokes of 7 pixels sharing the centre.
    EXPECT_EQ(blackPixels(drawn(&TDataPropForm::PointStyleComboDrawItem, 4)), 13);
    for (int i = 2; i <= 7; ++i)
        EXPECT_GT(blackPixels(drawn(&TDataPropForm::PointStyleComboDrawItem, i)), 4) << i;
}

TEST_F(DataPropTest, FlightStatisticsFollowTheSelectedSetAndItsEdits) {
    orvo::Series& s = filled(400, 0.0);
    for (int i = 0; i < 400; ++i) {
        const double t = i * 0.1;
        s.samples.time[static_cast<std::size_t>(i)] = t;
        s.samples.altitude[static_cast<std::size_t>(i)] = t < 5    ? 0
                                                          : t < 10 ? 100 * (t - 5)
                                                                   : std::max(0.0, 500 - 20 * (t - 10));
    }
    QLabel* stats = form->findChild<QLabel*>("FlightStatsDisp");
    ASSERT_NE(stats, nullptr);
    select(0); // the start-up set: 21 samples climbing to the end
    EXPECT_TRUE(stats->text().contains("Landing: -")) << stats->text().toStdString();
    EXPECT_TRUE(stats->text().contains("Not a whole flight: still in the air at its end"));
    select(1);
    EXPECT_TRUE(stats->text().contains("Apogee: 500.0 units\nApogee time: 10.00 s\nTime to apogee: 5.00 s"))
        << stats->text().toStdString();
    EXPECT_TRUE(stats->text().contains("Flight time: 30.00 s"));
    EXPECT_TRUE(stats->text().contains("Max climb rate: 100.0 units/s"));
    EXPECT_FALSE(stats->text().contains("Not a whole flight"));

    form->YOffsetEdit->setText("25");
    QTest::mouseClick(form->ApplyBtn, Qt::LeftButton);
    EXPECT_TRUE(stats->text().contains("Apogee: 525.0 units")) << stats->text().toStdString();
    EXPECT_TRUE(stats->text().contains("Ground level: 25.0 units"));

    // Rates are in the selected set's own unit, whatever the plot's altitude label says.
    windows->state.plot.settings.yLabel = "Altitude (Feet)";
    s.altitudeUnit = orvo::altitudeUnitOfCode(2);
    select(0);
    select(1);
    EXPECT_TRUE(stats->text().contains("Max climb rate: 100.0 m/s")) << stats->text().toStdString();
    EXPECT_TRUE(stats->text().contains("Apogee: 525.0 m\n")) << stats->text().toStdString();
    s.altitudeUnit = nullptr;
    select(0);
    select(1);
    EXPECT_TRUE(stats->text().contains("Max climb rate: 100.0 units/s")) << stats->text().toStdString();
}
