// Exported pictures of the plot: the image drawn once at its final pixel size, and the BMP, JPEG
// (libjpeg), GIF (giflib) and PNG (libpng) encoders that the Export button and `orvo-cli render` write with.
// No widgets: every file goes through the one safe save of the data layer.
#pragma once

#include <QImage>
#include <string>

#include "data/datafile.h"
#include "plot/plotsettings.h"

namespace orvo {

// The export dialog's file types, numbered as its filter list.
enum class ImageType { Bmp = 1, Jpeg = 2, Gif = 3 };

// The extension of a path's last component in lower case, without the dot ("" when none).
std::string lowerExtension(const std::string& path);
// The type a file name's extension names (bmp, jpg, jpeg, gif, any case); false for anything else.
bool ImageTypeForName(const std::string& path, ImageType& type);

// Images are drawn at 100 pixels per inch; a side beyond this many pixels is refused rather than
// trying to allocate a bitmap the machine cannot hold.
inline constexpr int ExportPixelsPerInch = 100;
inline constexpr int MaxImageSide = 20000;

// trunc(ppi x inches) for both sides; false when either is not finite, below 1 pixel or above
// MaxImageSide (w and h are then left as they were).
bool ImagePixelSize(double width, double height, int ppi, int& w, int& h);

// The plot drawn directly into a w x h image at ppi (24-bit colour, no margin whatever left and top
// hold). A null image when the size is refused or the memory could not be had.
QImage RenderPlotImage(const PlotState& state, int ppi);

// Encoders of a 24-bit picture (any QImage; it is read as RGB). Each returns false only when the
// library refused, which it does not for a valid image.
std::string EncodeBmp(const QImage& image, int ppi = ExportPixelsPerInch);
bool EncodeJpeg(const QImage& image, std::string& out, int quality = 90, int ppi = ExportPixelsPerInch);
// One image at (0, 0), not interlaced, with its own colour map: exactly the image's colours when
// there are at most 256 of them; up to 4096 colours the 256 most used stay exact and the rest take
// their nearest; beyond that giflib's quantiser picks 256.
bool EncodeGif(const QImage& image, std::string& out);
// 24-bit RGB PNG with the resolution recorded, through libpng with unfiltered rows and zlib's
// fastest level (a plot is flat colour: adaptive filtering costs far more than it saves).
bool EncodePng(const QImage& image, std::string& out, int ppi = ExportPixelsPerInch);

// Encodes image as type and writes it safely to path: an existing file stays as it was unless the
// whole new file was written.
FileStatus WriteImageFile(const std::string& path, const QImage& image, ImageType type,
                          int ppi = ExportPixelsPerInch);

} // namespace orvo
