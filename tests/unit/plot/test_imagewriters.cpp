// The exported pictures decoded again with the libraries that read them (QImage, libjpeg, giflib)
// and compared with the rendered image: BMP, PNG and GIF exact, JPEG close, baseline and quality 90.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

#include <gif_lib.h>
#include <jpeglib.h>

#include "plot/imagewriters.h"
#include "plot/plotrender.h"
#include "plotscenes.h"

namespace fs = std::filesystem;

namespace {

// One application for the whole test program, shared with the picture scenes.
using plotscenes::ensureApp;

// A colour plot of two flights with symbols, as an export would draw it.
QImage plotImage(double width, double height, int colour = 1) {
    ensureApp();
    orvo::PlotState s;
    s.output.width = width;
    s.output.height = height;
    s.output.colour = colour;
    s.output.left = s.output.top = 2.0; // must not move the picture
    for (int k = 0; k < 2; ++k) {
        orvo::Series& set = s.settings.series.CreateDataSet();
        for (int i = 0; i < 400; ++i) {
            set.samples.time[std::size_t(i)] = i * 0.1;
            set.samples.altitude[std::size_t(i)] = (k + 1) * (i < 200 ? i * 3.0 : 1200.0 - i * 2.5);
        }
        set.samples.count = 400;
        set.pointStyle = 2 + k;
    }
    if (colour) s.settings.info1 = "Flight of the day"; // red text adds its own shades
    orvo::AutoScaleTime(s.settings, s.home);
    orvo::AutoScaleAltitude(s.settings, s.home);
    return orvo::RenderPlotImage(s, orvo::ExportPixelsPerInch);
}

struct GifDecoded {
    int width = 0, height = 0, images = 0;
    bool interlaced = true, globalMap = true, localMap = false;
    int left = -1, top = -1, colours = 0;
    QImage image;
};

int readFromString(GifFileType* gif, GifByteType* buf, int n) {
    auto* in = static_cast<std::istringstream*>(gif->UserData);
    in->read(reinterpret_cast<char*>(buf), n);
    return int(in->gcount());
}

GifDecoded decodeGif(const std::string& bytes) {
    GifDecoded d;
    std::istringstream in(bytes);
    int error = 0;
    GifFileType* gif = DGifOpen(&in, readFromString, &error);
    if (!gif) return d;
    if (DGifSlurp(gif) == GIF_OK && gif->ImageCount >= 1) {
        const SavedImage& im = gif->SavedImages[0];
        d.width = gif->SWidth;
        d.height = gif->SHeight;
        d.images = gif->ImageCount;
        d.interlaced = im.ImageDesc.Interlace;
        d.globalMap = gif->SColorMap != nullptr;
        d.localMap = im.ImageDesc.ColorMap != nullptr;
        d.left = im.ImageDesc.Left;
        d.top = im.ImageDesc.Top;
        const ColorMapObject* map = im.ImageDesc.ColorMap ? im.ImageDesc.ColorMap : gif->SColorMap;
        d.colours = map->ColorCount;
        d.image = QImage(im.ImageDesc.Width, im.ImageDesc.Height, QImage::Format_RGB32);
        for (int y = 0; y < d.image.height(); ++y)
            for (int x = 0; x < d.image.width(); ++x) {
                const GifColorType c = map->Colors[im.RasterBits[y * d.image.width() + x]];
                d.image.setPixel(x, y, qRgb(c.Red, c.Green, c.Blue));
            }
    }
    DGifCloseFile(gif, &error);
    return d;
}

struct JpegDecoded {
    bool ok = false;
    int width = 0, height = 0, components = 0;
    bool progressive = true;
    J_COLOR_SPACE space = JCS_UNKNOWN;
    UINT16 luminance[DCTSIZE2] = {};
    QImage image;
};

struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};

void decodeJpegInto(const std::string& bytes, JpegDecoded& d) {
    jpeg_decompress_struct cinfo;
    JpegError err;
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = [](j_common_ptr c) { std::longjmp(reinterpret_cast<JpegError*>(c->err)->jump, 1); };
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    jpeg_read_header(&cinfo, TRUE);
    d.progressive = cinfo.progressive_mode;
    d.space = cinfo.jpeg_color_space;
    d.components = cinfo.num_components;
    for (int i = 0; i < DCTSIZE2; ++i)
        d.luminance[i] = cinfo.quant_tbl_ptrs[0]->quantval[i];
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    d.width = int(cinfo.output_width);
    d.height = int(cinfo.output_height);
    d.image = QImage(d.width, d.height, QImage::Format_RGB888);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = d.image.scanLine(int(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    d.ok = true;
}

// Pixels that differ, comparing RGB only.
int differingPixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return -1;
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            n += (a.pixel(x, y) & 0xffffff) != (b.pixel(x, y) & 0xffffff);
    return n;
}

int distinctColours(const QImage& img) {
    std::vector<bool> seen(1u << 24);
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const unsigned c = img.pixel(x, y) & 0xffffff;
            if (!seen[c]) seen[c] = true, ++n;
        }
    return n;
}

} // namespace

TEST(ImageWriters, EachFormatDecodesToTheRenderedPlot) {
    const QImage plot = plotImage(7.0, 3.5);
    ASSERT_EQ(plot.size(), QSize(700, 350));
    EXPECT_EQ(plotImage(7.257, 3.5).width(), 725); // truncated, not rounded
    // Smoothed text gives a colour plot a few hundred shades; a black and white one stays below 256.
    const QImage mono = plotImage(7.0, 3.5, 0);
    const int colours = distinctColours(mono);
    ASSERT_GT(colours, 4);
    ASSERT_LE(colours, 256);

    // BMP: a 24-bit Windows bitmap, identical.
    const std::string bmp = orvo::EncodeBmp(plot);
    ASSERT_GT(bmp.size(), 54u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(static_cast<unsigned char>(bmp[28]), 24); // bits per pixel
    const QImage fromBmp =
        QImage::fromData(reinterpret_cast<const uchar*>(bmp.data()), int(bmp.size()), "BMP");
    EXPECT_EQ(differingPixels(plot, fromBmp), 0);

    // PNG: identical, with its resolution (a 300 ppi picture prints at its size).
    std::string png;
    ASSERT_TRUE(orvo::EncodePng(plot, png, 300));
    const QImage fromPng =
        QImage::fromData(reinterpret_cast<const uchar*>(png.data()), int(png.size()), "PNG");
    EXPECT_EQ(differingPixels(plot, fromPng), 0);
    EXPECT_EQ(fromPng.dotsPerMeterX(), 11811);

    // GIF: one image at (0, 0), not interlaced, its own colour map, every pixel its colour.
    std::string gif;
    ASSERT_TRUE(orvo::EncodeGif(mono, gif));
    const GifDecoded g = decodeGif(gif);
    EXPECT_EQ(g.images, 1);
    EXPECT_EQ(g.width, 700);
    EXPECT_EQ(g.height, 350);
    EXPECT_FALSE(g.interlaced);
    EXPECT_FALSE(g.globalMap);
    EXPECT_TRUE(g.localMap);
    EXPECT_EQ(g.left, 0);
    EXPECT_EQ(g.top, 0);
    EXPECT_GE(g.colours, colours);
    EXPECT_EQ(differingPixels(mono, g.image), 0);
    // Above 256 colours only the rarest shades of smoothed text move; lines and fills stay exact.
    ASSERT_TRUE(orvo::EncodeGif(plot, gif));
    const QImage fromGif = decodeGif(gif).image;
    ASSERT_EQ(fromGif.size(), plot.size());
    EXPECT_LT(differingPixels(plot, fromGif), plot.width() * plot.height() / 200);

    // JPEG: baseline, quality 90 (the standard luminance table scaled to 20 %), colour, close.
    std::string jpeg;
    ASSERT_TRUE(orvo::EncodeJpeg(plot, jpeg));
    JpegDecoded j;
    decodeJpegInto(jpeg, j);
    ASSERT_TRUE(j.ok);
    EXPECT_FALSE(j.progressive);
    EXPECT_NE(jpeg.find("\xFF\xC0"), std::string::npos); // SOF0: baseline DCT
    EXPECT_EQ(j.components, 3);
    EXPECT_EQ(j.space, JCS_YCbCr);
    static const int standardLuminance[DCTSIZE2] = {
        16, 11,  10,  16, 24, 40, 51, 61, 12,  12,  14,  19,  26, 58, 60, 55,  14,  13,  16,  24, 40, 57,
        69, 56,  14,  17, 22, 29, 51, 87, 80,  62,  18,  22,  37, 56, 68, 109, 103, 77,  24,  35, 55, 64,
        81, 104, 113, 92, 49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98,  112, 100, 103, 99};
    for (int i = 0; i < DCTSIZE2; ++i)
        EXPECT_EQ(j.luminance[i], std::max(1, (standardLuminance[i] * 20 + 50) / 100)) << i;
    ASSERT_EQ(j.image.size(), plot.size());
    double error = 0;
    for (int y = 0; y < plot.height(); ++y)
        for (int x = 0; x < plot.width(); ++x) {
            const QRgb a = plot.pixel(x, y), b = j.image.pixel(x, y);
            error +=
                std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
        }
    EXPECT_LT(error / (3.0 * plot.width() * plot.height()), 3.0);
}

TEST(ImageWriters, GifPaletteIsExactUpTo256ColoursAndQuantisedAbove) {
    // 256 colours, each its own: giflib's quantiser alone would merge some of them.
    QImage exact(64, 32, QImage::Format_RGB32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x) {
            const int k = (y / 2) * 16 + x / 4;
            exact.setPixel(x, y, qRgb(k, 255 - k, (k * 37) & 0xff));
        }
    ASSERT_EQ(distinctColours(exact), 256);
    std::string gif;
    ASSERT_TRUE(orvo::EncodeGif(exact, gif));
    GifDecoded g = decodeGif(gif);
    EXPECT_EQ(g.colours, 256);
    EXPECT_EQ(differingPixels(exact, g.image), 0);

    // One colour more: 256 colours stay exact, the least used one takes its nearest neighbour.
    QImage many = exact;
    many.setPixel(0, 0, qRgb(1, 2, 3));
    ASSERT_TRUE(orvo::EncodeGif(many, gif));
    g = decodeGif(gif);
    EXPECT_EQ(g.colours, 256);
    ASSERT_EQ(g.image.size(), many.size());
    EXPECT_LE(differingPixels(many, g.image), 8); // at most the pixels of one colour

    // A smooth gradient of 8192 colours goes to giflib's quantiser and stays close.
    QImage gradient(128, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 128; ++x)
            gradient.setPixel(x, y, qRgb(x * 2, y * 4, 128));
    ASSERT_TRUE(orvo::EncodeGif(gradient, gif));
    g = decodeGif(gif);
    ASSERT_EQ(g.image.size(), gradient.size());
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 128; ++x) {
            const QRgb a = gradient.pixel(x, y), b = g.image.pixel(x, y);
            ASSERT_LE(std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                          std::abs(qBlue(a) - qBlue(b)),
                      60)
                << x << "," << y;
        }

    // A one-colour picture still gets a valid (two-entry) map.
    QImage flat(3, 2, QImage::Format_RGB32);
    flat.fill(qRgb(10, 20, 30));
    ASSERT_TRUE(orvo::EncodeGif(flat, gif));
    g = decodeGif(gif);
    EXPECT_EQ(g.colours, 2);
    EXPECT_EQ(differingPixels(flat, g.image), 0);
}

TEST(ImageWriters, SizesThatCannotBeDrawnAreRefused) {
    const double inf = std::numeric_limits<double>::infinity(),
                 nan = std::numeric_limits<double>::quiet_NaN();
    int w = -7, h = -7;
    for (double bad : {0.0, -1.0, 0.0099, nan, inf, -inf, 200.01, 1e300}) {
        EXPECT_FALSE(orvo::ImagePixelSize(bad, 3.5, 100, w, h)) << bad;
        EXPECT_FALSE(orvo::ImagePixelSize(7.0, bad, 100, w, h)) << bad;
    }
    EXPECT_EQ(w, -7); // untouched
    ASSERT_TRUE(orvo::ImagePixelSize(200.0, 0.01, 100, w, h));
    EXPECT_EQ(w, 20000);
    EXPECT_EQ(h, 1);

    ensureApp();
    orvo::PlotState s;
    s.output.width = nan;
    EXPECT_TRUE(orvo::RenderPlotImage(s, 100).isNull());
}

TEST(ImageWriters, FilesAreWrittenWholeOrNotAtAll) {
    const fs::path dir = fs::temp_directory_path() / ("orvo_img_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    QImage img(20, 10, QImage::Format_RGB32);
    img.fill(qRgb(200, 10, 10));
    const fs::path target = dir / "plot.gif";
    { std::ofstream(target) << "old picture"; }
    EXPECT_EQ(orvo::WriteImageFile((dir / "no" / "plot.gif").string(), img, orvo::ImageType::Gif),
              orvo::FileStatus::OpenFailed);
    EXPECT_NE(orvo::WriteImageFile(target.string(), QImage(), orvo::ImageType::Gif), orvo::FileStatus::Ok);
    std::ifstream old(target);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(old), {}), "old picture");

    for (auto type : {orvo::ImageType::Bmp, orvo::ImageType::Jpeg, orvo::ImageType::Gif}) {
        ASSERT_EQ(orvo::WriteImageFile(target.string(), img, type), orvo::FileStatus::Ok);
        const QImage back(QString::fromStdString(target.string()));
        ASSERT_EQ(back.size(), img.size());
        EXPECT_NEAR(qRed(back.pixel(5, 5)), 200, 4);
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator{}), 1); // no temporaries
    fs::remove_all(dir);

    orvo::ImageType t{};
    EXPECT_TRUE(orvo::ImageTypeForName("a/b.JPEG", t));
    EXPECT_EQ(t, orvo::ImageType::Jpeg);
    EXPECT_FALSE(orvo::ImageTypeForName("a.gif/plot", t));
}
