#include "plot/imagewriters.h"

#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>

#include "plot/plotrender.h"

namespace orvo {

namespace {

// Every encoder reads 32-bit pixels 0xffRRGGBB.
QImage asRgb32(const QImage& image) {
    if (image.format() == QImage::Format_RGB32) return image;
    return image.convertToFormat(QImage::Format_RGB32);
}

void put16(std::string& s, std::uint32_t v) {
    s.push_back(char(v & 0xff));
    s.push_back(char((v >> 8) & 0xff));
}
void put32(std::string& s, std::uint32_t v) {
    put16(s, v & 0xffff);
    put16(s, v >> 16);
}

// --- JPEG ---

struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};

[[noreturn]] void jpegFail(j_common_ptr c) {
    std::longjmp(reinterpret_cast<JpegError*>(c->err)->jump, 1);
}
void jpegQuiet(j_common_ptr) {}

// Kept free of C++ objects with destructors: libjpeg reports errors with longjmp.
bool jpegCompress(const QImage& img, unsigned char** mem, unsigned long* size, int quality, int ppi) {
    jpeg_compress_struct cinfo;
    JpegError err;
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = jpegFail;
    err.mgr.output_message = jpegQuiet;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, mem, size);
    cinfo.image_width = JDIMENSION(img.width());
    cinfo.image_height = JDIMENSION(img.height());
    cinfo.input_components = 4;
    // A 32-bit pixel 0xffRRGGBB lies in memory as B, G, R, X on little-endian machines.
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    cinfo.in_color_space = JCS_EXT_BGRX;
#else
    cinfo.in_color_space = JCS_EXT_XRGB;
#endif
    jpeg_set_defaults(&cinfo); // baseline Huffman coding, YCbCr colour
    jpeg_set_quality(&cinfo, quality, TRUE);
    cinfo.density_unit = 1; // dots per inch
    cinfo.X_density = UINT16(std::clamp(ppi, 1, 65535));
    cinfo.Y_density = cinfo.X_density;
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(img.constScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

// --- GIF ---

int gifAppend(GifFileType* gif, const GifByteType* bytes, int n) {
    static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(bytes), std::size_t(n));
    return n;
}

// Maps every pixel to an index into a palette of the image's own colours: all of them when there
// are at most 256; when there are up to 4096 (a plot whose smoothed text adds a few shades), the 256
// most used keep their exact colour and each rarer one takes its nearest. False beyond 4096.
bool fewColourPalette(const QImage& img, std::vector<GifByteType>& indices,
                      std::vector<GifColorType>& colours) {
    constexpr std::uint32_t Empty = 0xffffffffu, Slots = 8192, MaxColours = 4096;
    std::vector<std::uint32_t> keys(Slots, Empty), counts(Slots, 0), order;
    std::vector<GifByteType> slotIndex(Slots, 0);
    order.reserve(MaxColours);
    const auto slotOf = [&](std::uint32_t c) {
        std::uint32_t k = (c * 2654435761u) >> 19;
        while (keys[k] != c && keys[k] != Empty)
            k = (k + 1) & (Slots - 1);
        return k;
    };
    const int w = img.width(), h = img.height();
    // Runs of one colour are counted once per run: the order of popularity stays about the same.
    std::uint32_t last = Empty;
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(img.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            const std::uint32_t c = row[x] & 0x00ffffffu;
            if (c == last) continue;
            const std::uint32_t k = slotOf(c);
            if (keys[k] == Empty) {
                if (order.size() == MaxColours) return false;
                keys[k] = c;
                order.push_back(k);
            }
            ++counts[k];
            last = c;
        }
    }
    if (order.size() > 256)
        std::stable_sort(order.begin(), order.end(),
                         [&](std::uint32_t a, std::uint32_t b) { return counts[a] > counts[b]; });
    const std::size_t kept = std::min<std::size_t>(order.size(), 256);
    colours.clear();
    for (std::size_t i = 0; i < kept; ++i) {
        const std::uint32_t c = keys[order[i]];
        slotIndex[order[i]] = GifByteType(i);
        colours.push_back(GifColorType{GifByteType(c >> 16), GifByteType(c >> 8), GifByteType(c)});
    }
    for (std::size_t i = kept; i < order.size(); ++i) {
        const std::uint32_t c = keys[order[i]];
        const int r = int(c >> 16), g = int((c >> 8) & 0xff), b = int(c & 0xff);
        int best = 0, bestDistance = 1 << 30;
        for (std::size_t j = 0; j < kept; ++j) {
            const int dr = r - colours[j].Red, dg = g - colours[j].Green, db = b - colours[j].Blue;
            const int d = dr * dr + dg * dg + db * db;
            if (d < bestDistance) bestDistance = d, best = int(j);
        }
        slotIndex[order[i]] = GifByteType(best);
    }
    indices.resize(std::size_t(w) * std::size_t(h));
    GifByteType* out = indices.data();
    last = Empty;
    GifByteType lastIndex = 0;
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(img.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            const std::uint32_t c = row[x] & 0x00ffffffu;
            if (c != last) {
                last = c;
                lastIndex = slotIndex[slotOf(c)];
            }
            *out++ = lastIndex;
        }
    }
    return true;
}

bool quantisedPalette(const QImage& img, std::vector<GifByteType>& indices,
                      std::vector<GifColorType>& colours) {
    const int w = img.width(), h = img.height();
    const std::size_t n = std::size_t(w) * std::size_t(h);
    std::vector<GifByteType> r(n), g(n), b(n);
    std::size_t i = 0;
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < w; ++x, ++i) {
            r[i] = GifByteType(qRed(row[x]));
            g[i] = GifByteType(qGreen(row[x]));
            b[i] = GifByteType(qBlue(row[x]));
        }
    }
    indices.resize(n);
    colours.assign(256, GifColorType{0, 0, 0});
    int count = 256;
    if (GifQuantizeBuffer(unsigned(w), unsigned(h), &count, r.data(), g.data(), b.data(), indices.data(),
                          colours.data()) != GIF_OK)
        return false;
    colours.resize(std::size_t(std::max(count, 1)));
    return true;
}

// --- PNG ---

void pngAppend(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::string*>(png_get_io_ptr(png));
    try {
        out->append(reinterpret_cast<const char*>(data), length);
    } catch (...) {
        png_error(png, "out of memory");
    }
}
void pngFlush(png_structp) {}
[[noreturn]] void pngFail(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void pngQuiet(png_structp, png_const_charp) {}

// Kept free of C++ objects with destructors: libpng reports errors with longjmp. A plot is flat
// colour, whole rows of the background and the grid repeat: unfiltered rows with zlib's fastest
// level pack it as small as libpng's adaptive filter choice, which tries all five filters on every
// row and costs more than the deflate itself.
bool pngCompress(const QImage& img, std::string* out, int ppi) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, pngFail, pngQuiet);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, pngAppend, pngFlush);
    png_set_IHDR(png, info, png_uint_32(img.width()), png_uint_32(img.height()), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    const auto ppm = png_uint_32(std::lround(std::clamp(ppi, 1, 65535) / 0.0254));
    png_set_pHYs(png, info, ppm, ppm, PNG_RESOLUTION_METER);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, 1);
    png_write_info(png, info);
    // A 32-bit pixel 0xffRRGGBB lies in memory as B, G, R, X on little-endian machines: libpng
    // swaps to RGB and drops the fourth byte while it writes.
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    png_set_bgr(png);
    png_set_filler(png, 0, PNG_FILLER_AFTER);
#else
    png_set_filler(png, 0, PNG_FILLER_BEFORE);
#endif
    for (int y = 0; y < img.height(); ++y)
        png_write_row(png, img.constScanLine(y));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

std::string lowerExtension(const std::string& path) {
    const auto dot = path.find_last_of('.');
    const auto slash = path.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string();
    std::string e = path.substr(dot + 1);
    for (char& c : e)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return e;
}

bool ImageTypeForName(const std::string& path, ImageType& type) {
    const std::string e = lowerExtension(path);
    if (e == "bmp")
        type = ImageType::Bmp;
    else if (e == "jpg" || e == "jpeg")
        type = ImageType::Jpeg;
    else if (e == "gif")
        type = ImageType::Gif;
    else
        return false;
    return true;
}

bool ImagePixelSize(double width, double height, int ppi, int& w, int& h) {
    const double pw = std::trunc(double(ppi) * width), ph = std::trunc(double(ppi) * height);
    // The negated comparisons also refuse NaN.
    if (!(pw >= 1.0 && pw <= MaxImageSide && ph >= 1.0 && ph <= MaxImageSide)) return false;
    w = int(pw);
    h = int(ph);
    return true;
}

QImage RenderPlotImage(const PlotState& state, int ppi) {
    int w = 0, h = 0;
    if (!ImagePixelSize(state.output.width, state.output.height, ppi, w, h)) return QImage();
    QImage image(w, h, QImage::Format_RGB32);
    if (image.isNull()) return image;
    image.fill(Qt::white);
    const int dpm = int(std::lround(ppi / 0.0254));
    image.setDotsPerMeterX(dpm);
    image.setDotsPerMeterY(dpm);
    // An image never has a margin: the print's left and top do not apply.
    OutputSettings output = state.output;
    output.left = output.top = 0.0;
    QPainter p(&image);
    RenderPlot(p, ppi, ppi, state.settings, output, state.show, PlotBackground());
    return image;
}

std::string EncodeBmp(const QImage& source, int ppi) {
    const QImage img = asRgb32(source);
    const std::uint32_t w = std::uint32_t(img.width()), h = std::uint32_t(img.height());
    const std::uint32_t stride = (w * 3 + 3) & ~3u; // rows are padded to 4 bytes
    const std::uint32_t pixelBytes = stride * h;
    const std::uint32_t headers = 14 + 40;
    std::string s;
    s.reserve(headers + pixelBytes);
    s += "BM";
    put32(s, headers + pixelBytes);
    put32(s, 0);
    put32(s, headers);
    put32(s, 40); // BITMAPINFOHEADER
    put32(s, w);
    put32(s, h); // positive: rows stored bottom-up
    put16(s, 1);
    put16(s, 24);
    put32(s, 0); // no compression
    put32(s, pixelBytes);
    const auto dpm = std::uint32_t(std::lround(std::max(ppi, 0) / 0.0254));
    put32(s, dpm);
    put32(s, dpm);
    put32(s, 0);
    put32(s, 0);
    s.resize(headers + pixelBytes, '\0');
    char* base = s.data() + headers;
    for (std::uint32_t y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(int(h - 1 - y)));
        auto* out = reinterpret_cast<unsigned char*>(base + std::size_t(y) * stride);
        for (std::uint32_t x = 0; x < w; ++x) {
            const QRgb c = row[x];
            *out++ = static_cast<unsigned char>(qBlue(c));
            *out++ = static_cast<unsigned char>(qGreen(c));
            *out++ = static_cast<unsigned char>(qRed(c));
        }
    }
    return s;
}

bool EncodeJpeg(const QImage& source, std::string& out, int quality, int ppi) {
    const QImage img = asRgb32(source);
    if (img.isNull()) return false;
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    const bool ok = jpegCompress(img, &mem, &size, quality, ppi);
    if (ok) out.assign(reinterpret_cast<const char*>(mem), size);
    std::free(mem);
    return ok;
}

bool EncodePng(const QImage& source, std::string& out, int ppi) {
    const QImage img = asRgb32(source);
    if (img.isNull()) return false;
    out.clear();
    return pngCompress(img, &out, ppi);
}

bool EncodeGif(const QImage& source, std::string& out) {
    const QImage img = asRgb32(source);
    if (img.isNull() || img.width() > 65535 || img.height() > 65535) return false;
    std::vector<GifByteType> indices;
    std::vector<GifColorType> colours;
    if (!fewColourPalette(img, indices, colours) && !quantisedPalette(img, indices, colours)) return false;
    // A GIF colour map has a power-of-two size of at least 2; the spare entries stay black.
    int mapSize = 2;
    while (mapSize < int(colours.size()))
        mapSize *= 2;
    colours.resize(std::size_t(mapSize), GifColorType{0, 0, 0});
    ColorMapObject* map = GifMakeMapObject(mapSize, colours.data());
    if (!map) return false;

    out.clear();
    int error = 0;
    GifFileType* gif = EGifOpen(&out, gifAppend, &error);
    bool ok = gif != nullptr;
    ok = ok && EGifPutScreenDesc(gif, img.width(), img.height(), 8, 0, nullptr) == GIF_OK;
    ok = ok && EGifPutImageDesc(gif, 0, 0, img.width(), img.height(), false, map) == GIF_OK;
    ok = ok && EGifPutLine(gif, indices.data(), img.width() * img.height()) == GIF_OK;
    if (gif) ok = EGifCloseFile(gif, &error) == GIF_OK && ok;
    GifFreeMapObject(map);
    return ok;
}

FileStatus WriteImageFile(const std::string& path, const QImage& image, ImageType type, int ppi) {
    if (image.isNull()) return FileStatus::WriteFailed;
    std::string bytes;
    bool ok = true;
    switch (type) {
    case ImageType::Bmp:
        bytes = EncodeBmp(image, ppi);
        break;
    case ImageType::Jpeg:
        ok = EncodeJpeg(image, bytes, 90, ppi);
        break;
    case ImageType::Gif:
        ok = EncodeGif(image, bytes);
        break;
    }
    if (!ok) return FileStatus::WriteFailed;
    return writeFileSafely(path, bytes);
}

} // namespace orvo
