// The renderer's pictures over a table of scenes. With ORVO_PLOT_REFERENCE_DIR set, the pictures
// are written there (ORVO_PLOT_REFERENCE_WRITE=1) or compared pixel for pixel with the ones
// written there before, so a change to the renderer can be checked against the pictures of the
// program before it.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPainter>
#include <cstdlib>

#include "plotscenes.h"

namespace {

QImage renderPlain(const orvo::PlotState& s, int w, int h, int ppi) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    orvo::RenderPlot(p, ppi, ppi, s);
    return img;
}

} // namespace

TEST(PlotPictures, MatchThePicturesWrittenBefore) {
    const char* dir = std::getenv("ORVO_PLOT_REFERENCE_DIR");
    if (!dir) GTEST_SKIP() << "ORVO_PLOT_REFERENCE_DIR not set";
    const bool write = std::getenv("ORVO_PLOT_REFERENCE_WRITE") != nullptr;
    plotscenes::ensureApp();
    QDir().mkpath(QString::fromLocal8Bit(dir));
    for (const plotscenes::Scene& sc : plotscenes::scenes()) {
        orvo::PlotState s;
        plotscenes::build(sc, s);
        const QImage img = renderPlain(s, sc.width, sc.height, sc.ppi);
        const QString file = QString::fromLocal8Bit(dir) + "/" + QString::fromStdString(sc.name) + ".png";
        if (write) {
            ASSERT_TRUE(img.save(file)) << sc.name;
            continue;
        }
        const QImage ref = QImage(file).convertToFormat(QImage::Format_RGB32);
        ASSERT_FALSE(ref.isNull()) << sc.name;
        EXPECT_TRUE(ref == img) << sc.name;
    }
}
