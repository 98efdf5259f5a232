// Print and Export on the Recorded Data page, driven through their buttons with scripted answers:
// the Output dialog, the export dialog's type and extension rules, the image written, the printed
// page (a PDF rasterised with pdftoppm) and the screen plot left without margin afterwards.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include "app/appwindows.h"
#include "app/plotbox.h"
#include "app/settings.h"
#include "app/tmainform.h"
#include "app/tprtlocform.h"
#include "controls.h"
#include "scriptedprompts.h"

namespace {

constexpr orvo::Colour Blue = 0x00FF0000; // 0x00BBGGRR

class OutputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        QSettings(QStringLiteral("TamberlinSystems"), QStringLiteral("Orvo")).clear();
        ASSERT_TRUE(dir.isValid());
    }
    void TearDown() override {
        windows.reset();
        QSettings(QStringLiteral("TamberlinSystems"), QStringLiteral("Orvo")).clear();
    }
    // Shows the window (which reads the settings) and gives data set 0 a blue rising line.
    void start() {
        windows = std::make_unique<AppWindows>(&prompts);
        main = windows->mainForm.get();
        main->resize(772, 565);
        main->show();
        control<QTabWidget>(main, "PageControl1")->setCurrentWidget(control<QWidget>(main, "DataPage"));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main));
        QCoreApplication::processEvents();
        orvo::Series& s = plot().series.dataSet(0);
        for (int i = 0; i < 21; ++i) {
            s.samples.time[std::size_t(i)] = i;
            s.samples.altitude[std::size_t(i)] = i;
        }
        s.samples.count = 21;
        s.lineColour = Blue;
        s.lineStyle = orvo::LineSolid;
    }
    orvo::PlotSettings& plot() { return windows->state.plot.settings; }
    orvo::OutputSettings& output() { return windows->state.plot.output; }
    TPrtLocForm* form() { return windows->prtLocForm.get(); }
    QString path(const QString& name) const { return dir.filePath(name); }

    // The export dialog's answer: optionally the type the user picks, then the name typed.
    void answerExportDialog(const QString& name, const QString& pickedType = QString(),
                            QString* shownType = nullptr, QString* shownSuffix = nullptr) {
        prompts.dialogActions.push_back([=, this](QDialog* d) {
            auto* fd = qobject_cast<QFileDialog*>(d);
            if (!fd) return int(QDialog::Rejected);
            if (shownType) *shownType = fd->selectedNameFilter();
            if (shownSuffix) *shownSuffix = fd->defaultSuffix();
            if (!pickedType.isEmpty()) {
                fd->selectNameFilter(pickedType);
                emit fd->filterSelected(pickedType); // as the dialog does when the user picks it
            }
            fd->setDirectory(dir.path());
            fd->selectFile(name);
            return int(QDialog::Accepted);
        });
    }
    // The Output dialog's answer: the box texts given (null leaves a box), then OK.
    void answerOutput(const char* width, const char* height, const char* left, const char* top, bool colour,
                      bool* distancesEnabled = nullptr) {
        prompts.dialogActions.push_back([=](QDialog* d) {
            auto* f = qobject_cast<TPrtLocForm*>(d);
            if (!f) return int(QDialog::Rejected);
            if (distancesEnabled) *distancesEnabled = f->LeftEdit->isEnabled() && f->TopLabel->isEnabled();
            if (width) f->WidthEdit->setText(QString::fromLatin1(width));
            if (height) f->HeightEdit->setText(QString::fromLatin1(height));
            if (left) f->LeftEdit->setText(QString::fromLatin1(left));
            if (top) f->TopEdit->setText(QString::fromLatin1(top));
            f->ColorChk->setChecked(colour);
            f->setResult(QDialog::Rejected);
            f->OKBtn->click();
            return f->result();
        });
    }
    static QByteArray head(const QString& file, int n) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.read(n) : QByteArray();
    }

    ScriptedPrompts prompts;
    std::unique_ptr<AppWindows> windows;
    TMainForm* main = nullptr;
    QTemporaryDir dir;
};

int bluePixels(const QImage& img) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = img.pixel(x, y);
            n += qBlue(c) > 200 && qRed(c) < 60 && qGreen(c) < 60;
        }
    return n;
}

// The page of a PDF at 600 dots per inch, without smoothing, cut to its top-left w x h dots.
QImage rasterise(const QString& pdf, int w, int h) {
    const QString out = pdf + QStringLiteral("-page");
    QProcess p;
    p.start(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QStringLiteral("600"), QStringLiteral("-aa"), QStringLiteral("no"),
             QStringLiteral("-aaVector"), QStringLiteral("no"), QStringLiteral("-x"), QStringLiteral("0"),
             QStringLiteral("-y"), QStringLiteral("0"), QStringLiteral("-W"), QString::number(w),
             QStringLiteral("-H"), QString::number(h), QStringLiteral("-singlefile"), QStringLiteral("-png"),
             pdf, out});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) return QImage();
    return QImage(out + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

} // namespace

TEST_F(OutputTest, ExportWritesTheChosenTypeWithoutMarginAndPersistsItsChoices) {
    start();
    auto* exportBtn = control<QPushButton>(main, "ExportBtn");
    EXPECT_EQ(exportBtn->toolTip(), "Export plot to bitmap, JPEG, GIF");
    EXPECT_EQ(control<QPushButton>(main, "PrtBtn")->toolTip(), "Print the plot");
    EXPECT_EQ(form()->windowTitle(), "Output");
    EXPECT_EQ(form()->WidthEdit->text(), "7.0");
    EXPECT_EQ(form()->TopLabel->text(), "Distance from Top (inches)");

    // GIF picked, a name without extension: ".gif", an image with no margin though the boxes say 2.0.
    QString shownType, shownSuffix;
    answerExportDialog(QStringLiteral("flight"), QStringLiteral("GIF (*.gif)"), &shownType, &shownSuffix);
    bool distances = true;
    answerOutput(nullptr, nullptr, "2.0", "2.0", false, &distances);
    exportBtn->click();
    EXPECT_EQ(shownType, "Bitmap (*.bmp)");
    EXPECT_EQ(shownSuffix, "bmp");
    EXPECT_FALSE(distances);
    ASSERT_EQ(control<QFileDialog>(main, "ExportDialog1")->windowTitle(), "Export Graph Data");
    EXPECT_EQ(control<QFileDialog>(main, "ExportDialog1")->nameFilters(),
              QStringList({"Bitmap (*.bmp)", "JPEG (*.jpg)", "GIF (*.gif)", "PNG (*.png)", "SVG (*.svg)",
                           "PDF (*.pdf)"}));
    EXPECT_TRUE(prompts.messages.empty()) << prompts.lastMessage().toStdString();
    ASSERT_EQ(head(path("flight.gif"), 4), "GIF8");
    const QImage gif = QImage(path("flight.gif")).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(gif.size(), QSize(700, 350));
    EXPECT_EQ(gif.pixel(0, 0), qRgb(0, 0, 0)); // the black outline in the corner: no margin
    EXPECT_EQ(bluePixels(gif), 0);             // "Print with color" unchecked
    EXPECT_EQ(output().left, 0.0);
    EXPECT_EQ(output().top, 0.0);

    // A cancelled export dialog writes nothing and asks nothing more.
    const auto shown = prompts.dialogsShown.size();
    exportBtn->click();
    EXPECT_EQ(prompts.dialogsShown.size(), shown + 1);
    EXPECT_EQ(output().left, 0.0);

    // JPEG in colour at 7.257 inches: 725 pixels wide.
    answerExportDialog(QStringLiteral("wide.jpg"), QStringLiteral("JPEG (*.jpg)"));
    answerOutput("7.257", nullptr, nullptr, nullptr, true);
    exportBtn->click();
    const QImage jpg(path("wide.jpg"));
    EXPECT_EQ(jpg.size(), QSize(725, 350));
    EXPECT_EQ(head(path("wide.jpg"), 2), QByteArray("\xFF\xD8"));
    EXPECT_EQ(control<QStatusBar>(main, "StatusPanel")->currentMessage(),
              "Exported " + QDir::toNativeSeparators(path("wide.jpg")));

    // A folder that does not exist: the failure is said, nothing is left behind.
    answerExportDialog(path("missing/x.bmp"));
    answerOutput(nullptr, nullptr, nullptr, nullptr, true);
    exportBtn->click();
    ASSERT_FALSE(prompts.messages.empty());
    EXPECT_EQ(prompts.messages.back().caption, "Error");
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("Unable to write %1!").arg(path("missing/x.bmp")));
    EXPECT_TRUE(
        control<QStatusBar>(main, "StatusPanel")->currentMessage().isEmpty()); // no success left showing

    // The type and the colour choice are kept for the next run.
    main->close();
    QSettings s(QStringLiteral("TamberlinSystems"), QStringLiteral("Orvo"));
    s.beginGroup("Settings");
    EXPECT_EQ(s.value("ExportType").toInt(), 2);
    EXPECT_EQ(s.value("PrtColor").toInt(), 1);
    EXPECT_DOUBLE_EQ(s.value("PrtWidth").toDouble(), 7.257);
}

TEST_F(OutputTest, ARestoredTypeStillProposesBmpAndTheFileIsWhatItsNameSays) {
    {
        StoredSettings v;
        v.ExportType = 3;
        v.PrtColor = 1;
        QSettings store(QStringLiteral("TamberlinSystems"), QStringLiteral("Orvo"));
        SaveSettings(store, v);
    }
    start();
    EXPECT_TRUE(form()->ColorChk->isChecked());
    QString shownType, shownSuffix;
    answerExportDialog(QStringLiteral("restored"), QString(), &shownType, &shownSuffix);
    answerOutput(nullptr, nullptr, nullptr, nullptr, true);
    control<QPushButton>(main, "ExportBtn")->click();
    EXPECT_EQ(shownType, "GIF (*.gif)");
    EXPECT_EQ(shownSuffix, "bmp");
    // The name says bmp, so the contents are a bitmap, not a GIF behind a .bmp name.
    EXPECT_EQ(head(path("restored.bmp"), 2), "BM");
    const QImage bmp(path("restored.bmp"));
    EXPECT_EQ(bmp.size(), QSize(700, 350));
    EXPECT_GT(bluePixels(bmp.convertToFormat(QImage::Format_RGB32)), 100);
}

TEST_F(OutputTest, AnExportIsTheFormatItsNameSays) {
    start();
    const struct {
        const char* typed;
        const char* filter; // null: the dialog's default, Bitmap
        const char* written;
        QByteArray magic;
    } cases[] = {
        {"cmp.png", nullptr, "cmp.png", "\x89PNG"},
        {"vector.svg", nullptr, "vector.svg", "<?xml"},
        {"page.pdf", "JPEG (*.jpg)", "page.pdf", "%PDF"},
        {"photo.JPEG", nullptr, "photo.JPEG", "\xFF\xD8"},
        {"flight.v2", "GIF (*.gif)", "flight.v2.gif", "GIF8"},
        {"plain", "PNG (*.png)", "plain.png", "\x89PNG"},
        {"drawing", "SVG (*.svg)", "drawing.svg", "<?xml"},
    };
    for (const auto& c : cases) {
        answerExportDialog(QString::fromLatin1(c.typed),
                           c.filter ? QString::fromLatin1(c.filter) : QString());
        answerOutput(nullptr, nullptr, nullptr, nullptr, true);
        control<QPushButton>(main, "ExportBtn")->click();
        EXPECT_EQ(head(path(QString::fromLatin1(c.written)), c.magic.size()), c.magic) << c.typed;
        EXPECT_FALSE(QFileInfo::exists(path(QString::fromLatin1(c.typed))) &&
                     QString::fromLatin1(c.typed) != QString::fromLatin1(c.written))
            << c.typed;
    }
    EXPECT_TRUE(prompts.messages.empty()) << prompts.lastMessage().toStdString();
    EXPECT_EQ(QImage(path("cmp.png")).size(), QSize(700, 350));

    // The resolution is the export's choice: 7 inches at 300 pixels per inch are 2100 pixels.
    answerExportDialog(QStringLiteral("fine.png"));
    prompts.dialogActions.push_back([](QDialog* d) {
        auto* f = qobject_cast<TPrtLocForm*>(d);
        if (!f || !f->ResolutionEdit->isEnabled()) return int(QDialog::Rejected);
        f->ResolutionEdit->setText(QStringLiteral("300"));
        f->setResult(QDialog::Rejected);
        f->OKBtn->click();
        return f->result();
    });
    control<QPushButton>(main, "ExportBtn")->click();
    EXPECT_EQ(QImage(path("fine.png")).size(), QSize(2100, 1050));
    // The dialog opens where the last export went.
    EXPECT_EQ(QFileInfo(control<QFileDialog>(main, "ExportDialog1")->directory().absolutePath()),
              QFileInfo(dir.path()));
}

TEST_F(OutputTest, SizesThatCannotBeDrawnAreRefusedAndTheOldOnesKept) {
    start();
    output().width = 6.0;
    for (const char* bad : {"0", "-3", "nan", "-inf", "1e9", "200.5"}) {
        prompts.messages.clear();
        answerExportDialog(QStringLiteral("bad.bmp"));
        answerOutput(bad, nullptr, nullptr, nullptr, true);
        control<QPushButton>(main, "ExportBtn")->click();
        ASSERT_EQ(prompts.messages.size(), 1u) << bad;
        EXPECT_EQ(prompts.messages[0].caption, "Error");
        EXPECT_EQ(prompts.lastMessage(), "Width and height must lie between 0.01 and 200 inches.");
        EXPECT_EQ(form()->WidthEdit->text(), "6") << bad;
        EXPECT_EQ(output().width, 6.0) << bad;
        EXPECT_FALSE(QFile::exists(path("bad.bmp"))) << bad;
    }
    // A box that does not read as a number keeps the width it had.
    prompts.messages.clear();
    answerExportDialog(QStringLiteral("kept.bmp"));
    answerOutput("wide", "2", nullptr, nullptr, true);
    control<QPushButton>(main, "ExportBtn")->click();
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(QImage(path("kept.bmp")).size(), QSize(600, 200));
}

TEST_F(OutputTest, PrintPutsThePlotAtItsDistancesInTheChosenColoursAndTheScreenKeepsNoMargin) {
    start();
    const QString pdf = path("page.pdf");
    bool repainted = false;
    orvo::PlotFrame screenDuringPrint;
    orvo::OutputSettings duringPrint;
    auto* plotBox = control<PlotBoxWidget>(main, "PlotBox");
    prompts.onPrintDialog = [&](QPrinter* printer) {
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
        printer->setResolution(600);
        printer->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Inch);
        // The plot repaints while the print dialog closes.
        plotBox->repaint();
        repainted = true;
        screenDuringPrint = plotBox->frame();
        duringPrint = output();
    };

    for (bool colour : {false, true}) {
        SCOPED_TRACE(colour ? "colour" : "monochrome");
        QFile::remove(pdf);
        prompts.printAnswers.push_back(true);
        bool distances = false;
        answerOutput("2", "1", "0.5", "0.5", colour, &distances);
        control<QPushButton>(main, "PrtBtn")->click();
        EXPECT_TRUE(distances);
        ASSERT_TRUE(repainted);
        EXPECT_EQ(duringPrint.left, 0.5); // the screen paint put the print's values back
        EXPECT_EQ(duringPrint.colour, colour ? 1 : 0);
        EXPECT_EQ(screenDuringPrint.yLabelX,
                  plotBox->width() / 20); // and drew without margin
        EXPECT_TRUE(prompts.messages.empty()) << prompts.lastMessage().toStdString();

        const QImage page = rasterise(pdf, 1700, 1000);
        ASSERT_FALSE(page.isNull()) << "pdftoppm (poppler-utils) must be installed";
        // The outline's corner: the first dot that is not white, on the diagonal and its lines.
        int corner = -1;
        for (int i = 0; i < 600 && corner < 0; ++i)
            if (page.pixel(i, i) != qRgb(255, 255, 255)) corner = i;
        EXPECT_NEAR(corner, 300, 1);
        for (int i = 0; i < 290; ++i)
            ASSERT_EQ(page.pixel(i, 400), qRgb(255, 255, 255)) << "left margin at " << i;
        EXPECT_EQ(bluePixels(page) > 0, colour);
    }
    EXPECT_EQ(output().left, 0.0);
    EXPECT_EQ(output().top, 0.0);
    EXPECT_EQ(output().width, 2.0);

    // The boxes show the size in its shortest form next time; a cancelled print dialog prints nothing.
    QFile::remove(pdf);
    prompts.dialogActions.push_back([](QDialog* d) {
        EXPECT_EQ(qobject_cast<TPrtLocForm*>(d)->WidthEdit->text(), "2");
        return int(QDialog::Accepted);
    });
    control<QPushButton>(main, "PrtBtn")->click();
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_EQ(output().left, 0.0);
    plotBox->repaint();
    EXPECT_EQ(plotBox->frame().yLabelX, plotBox->width() / 20);
}

TEST_F(OutputTest, APrintThatDoesNotFitThePageIsSaidAndTurnedOrShrunk) {
    start();
    const QString pdf = path("wide.pdf");
    prompts.onPrintDialog = [&](QPrinter* printer) {
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
        printer->setResolution(72);
        printer->setPageSize(QPageSize(QPageSize::A4));
        printer->setPageOrientation(QPageLayout::Portrait);
        printer->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Inch);
    };
    const struct {
        QMessageBox::StandardButton answer;
        bool printed;
        bool landscape;
    } cases[] = {
        {QMessageBox::Cancel, false, false}, {QMessageBox::Yes, true, true}, {QMessageBox::No, true, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.answer));
        QFile::remove(pdf);
        prompts.messages.clear();
        prompts.printAnswers.push_back(true);
        prompts.answers.push_back(c.answer);
        answerOutput("10", "3", "0.5", "0.5", true); // 10.5 inches across a page of 8.27
        control<QPushButton>(main, "PrtBtn")->click();
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_TRUE(prompts.messages[0].text.contains(QStringLiteral("does not fit")));
        EXPECT_EQ(QFileInfo::exists(pdf), c.printed);
        EXPECT_DOUBLE_EQ(output().width, 10.0); // a smaller size was for that print only
        if (c.printed) {
            QProcess info;
            info.start(QStringLiteral("pdfinfo"), {pdf});
            ASSERT_TRUE(info.waitForFinished(20000));
            const auto size = QRegularExpression(R"(Page size:\s+([\d.]+) x ([\d.]+))")
                                  .match(QString::fromUtf8(info.readAllStandardOutput()));
            ASSERT_TRUE(size.hasMatch());
            EXPECT_EQ(size.captured(1).toDouble() > size.captured(2).toDouble(), c.landscape);
        }
    }
}
