// `orvo-cli render` as a user runs it: data files in, a picture of the requested size out, in
// colour or monochrome, with the view given or fitted; bad input gives a failing exit status.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include "data/datafile.h"

namespace {

const QString Cli = QStringLiteral(ORVO_BINARY_DIR "/cli/orvo-cli");

int run(const QStringList& args, QString* err = nullptr) {
    QProcess p;
    p.start(Cli, QStringList{QStringLiteral("render")} + args);
    if (!p.waitForFinished(60000)) return -1;
    if (err) *err = QString::fromLocal8Bit(p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

class RenderCli : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(QFile::exists(Cli)) << "build orvo-cli first";
        ASSERT_TRUE(dir.isValid());
        orvo::SeriesList list;
        orvo::Series& s = list.CreateDataSet();
        s.samples.count = 200;
        for (int i = 0; i < 200; ++i) {
            s.samples.time[std::size_t(i)] = i * 0.5;
            s.samples.altitude[std::size_t(i)] = i < 100 ? i * 10.0 : (200 - i) * 10.0;
        }
        s.lineColour = 0x000000FF; // red
        // A loaded set takes the first colour of the cycle: blue.
        data = dir.filePath(QStringLiteral("flight.csv"));
        ASSERT_EQ(orvo::saveDataSetFile(data.toStdString(), list, 0, orvo::PlotFileHeader{}),
                  orvo::FileStatus::Ok);
    }
    QTemporaryDir dir;
    QString data;
};

int countColour(const QImage& img, QRgb c) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += img.pixel(x, y) == c;
    return n;
}

} // namespace

TEST_F(RenderCli, DrawsAPictureOfTheRequestedSize) {
    const QString out = dir.filePath(QStringLiteral("a.png"));
    ASSERT_EQ(run({data, QStringLiteral("-o"), out}), 0);
    QImage img(out);
    EXPECT_EQ(img.size(), QSize(700, 350));
    EXPECT_GT(countColour(img.convertToFormat(QImage::Format_RGB32), qRgb(0, 0, 255)), 200);

    const QString wide = dir.filePath(QStringLiteral("b.png"));
    ASSERT_EQ(run({data, QStringLiteral("-o"), wide, QStringLiteral("--width"), QStringLiteral("7.257"),
                   QStringLiteral("--ppi"), QStringLiteral("200"), QStringLiteral("--mono")}),
              0);
    QImage mono = QImage(wide).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(mono.width(), 1451); // truncated, not rounded
    EXPECT_EQ(countColour(mono, qRgb(0, 0, 255)), 0);

    for (const char* name : {"c.svg", "d.pdf"}) {
        const QString vec = dir.filePath(QString::fromLatin1(name));
        ASSERT_EQ(run({data, QStringLiteral("-o"), vec}), 0) << name;
        EXPECT_GT(QFile(vec).size(), 1000) << name;
    }
}

// Every format is written whole or not at all: under a tiny file-size limit the old file stays.
TEST_F(RenderCli, EveryFormatIsWrittenSafely) {
    for (const char* name : {"p.png", "p.svg", "p.pdf", "p.bmp", "p.jpg", "p.gif"}) {
        const QString out = dir.filePath(QString::fromLatin1(name));
        {
            QFile f(out);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("old");
        }
        QProcess p;
        p.start(QStringLiteral("/bin/sh"),
                {QStringLiteral("-c"), QStringLiteral("ulimit -f 1; exec \"$0\" \"$@\""), Cli,
                 QStringLiteral("render"), data, QStringLiteral("-o"), out});
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 1) << name;
        EXPECT_TRUE(
            QString::fromLocal8Bit(p.readAllStandardError()).contains(QStringLiteral("Unable to write")))
            << name;
        QFile f(out);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), QByteArray("old")) << name;

        ASSERT_EQ(run({data, QStringLiteral("-o"), out}), 0) << name;
        if (QByteArray("png bmp jpg gif").contains(QFileInfo(out).suffix().toLatin1())) {
            const QImage img = QImage(out).convertToFormat(QImage::Format_RGB32);
            EXPECT_EQ(img.size(), QSize(700, 350)) << name;
            // The blue line survives every encoding (JPEG only nearly blue).
            int blue = 0;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x) {
                    const QRgb c = img.pixel(x, y);
                    blue += qBlue(c) > qRed(c) + 60 && qBlue(c) > qGreen(c) + 60;
                }
            EXPECT_GT(blue, 200) << name;
        }
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 7); // no temporaries left
}

TEST_F(RenderCli, ViewLimitsDecideWhatIsShown) {
    // A view beyond the data: no line at all.
    const QString out = dir.filePath(QStringLiteral("v.png"));
    ASSERT_EQ(
        run({data, QStringLiteral("-o"), out, QStringLiteral("--view"), QStringLiteral("500,600,0,10")}), 0);
    EXPECT_EQ(countColour(QImage(out).convertToFormat(QImage::Format_RGB32), qRgb(0, 0, 255)), 0);
}

TEST_F(RenderCli, TheLegendComesWithTwoSetsAndGoesWithNoLegend) {
    // The same file twice: two sets. One set, or --no-legend, draws no legend.
    struct Case {
        QStringList files, options;
        bool legend;
    };
    const Case cases[] = {
        {{data}, {QStringLiteral("--legend")}, false},
        {{data, data}, {}, true},
        {{data, data}, {QStringLiteral("--no-legend")}, false},
    };
    const QString bare = dir.filePath(QStringLiteral("bare.png"));
    ASSERT_EQ(run({data, data, QStringLiteral("-o"), bare, QStringLiteral("--no-legend")}), 0);
    const QImage plain = QImage(bare).convertToFormat(QImage::Format_RGB32);
    const QString single = dir.filePath(QStringLiteral("single.png"));
    ASSERT_EQ(run({data, QStringLiteral("-o"), single}), 0);
    for (const Case& c : cases) {
        const QString out = dir.filePath(QStringLiteral("l.png"));
        ASSERT_EQ(run(c.files + c.options + QStringList{QStringLiteral("-o"), out}), 0);
        const QImage img = QImage(out).convertToFormat(QImage::Format_RGB32);
        const QImage& without =
            c.files.size() == 1 ? QImage(single).convertToFormat(QImage::Format_RGB32) : plain;
        EXPECT_EQ(img != without, c.legend) << c.files.size() << " " << c.options.join(' ').toStdString();
    }
}

TEST_F(RenderCli, BadInputFails) {
    QString err;
    EXPECT_EQ(run({dir.filePath(QStringLiteral("none.csv")), QStringLiteral("-o"),
                   dir.filePath(QStringLiteral("x.png"))},
                  &err),
              1);
    EXPECT_TRUE(err.contains(QStringLiteral("Unable to open"))) << err.toStdString();
    EXPECT_EQ(run({data, QStringLiteral("-o"), dir.filePath(QStringLiteral("x.tif"))}), 2);
    EXPECT_EQ(run({data, QStringLiteral("-o"), dir.filePath(QStringLiteral("x.gif")),
                   QStringLiteral("--width"), QStringLiteral("200.01")}),
              2);
    EXPECT_EQ(run({data, QStringLiteral("-o"), dir.filePath(QStringLiteral("x.png")),
                   QStringLiteral("--view"), QStringLiteral("1,2,3")}),
              2);
    EXPECT_EQ(run({data, QStringLiteral("-o"), dir.filePath(QStringLiteral("x.png")),
                   QStringLiteral("--width"), QStringLiteral("-1")}),
              2);
    EXPECT_EQ(run({data}), 2);
    EXPECT_EQ(run({data, QStringLiteral("-o"), dir.filePath(QStringLiteral("no/such/dir/x.png"))}), 1);
}
