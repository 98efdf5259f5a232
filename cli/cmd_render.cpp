// `orvo-cli render`: loads data files as the Load button does and draws them with the same
// renderer as the plot window, into a PNG, SVG, PDF, BMP, JPEG or GIF file, for reports and batch
// work. Every format is written whole to a temporary file and only then put in place.
#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/datafiles.h"
#include "data/datafile.h"
#include "plot/imagewriters.h"
#include "plot/plotrender.h"

namespace {

const char* renderHelp =
    "Usage: orvo-cli render FILE... -o OUT.png|.svg|.pdf|.bmp|.jpg|.gif [options]\n"
    "Loads the data files (data set files, plot files, plain sample files) as Load does and draws\n"
    "the plot into OUT, whose extension picks the format (JPEG at quality 90; GIF with the\n"
    "picture's own colours when there are at most 256).\n\n"
    "Options:\n"
    "  -o, --output OUT        the picture to write (required)\n"
    "  --width IN              width in inches (default 7)\n"
    "  --height IN             height in inches (default 3.5)\n"
    "  --ppi N                 pixels per inch (default 100)\n"
    "  --mono                  monochrome output, as an uncoloured print\n"
    "  --view TMIN,TMAX,AMIN,AMAX   the view; otherwise a plot file's own limits, else the view\n"
    "                          fitted to all data sets\n"
    "  --background            draw the background logo\n"
    "  --no-info               leave out the Info lines\n"
    "  --avg-climb             show the average climb of the first data set\n";

bool number(const std::string& text, double& value) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+') ++begin;
    const auto r = std::from_chars(begin, end, value, std::chars_format::general);
    return begin != end && r.ec == std::errc() && r.ptr == end && std::isfinite(value);
}

int usageError(const char* text, const std::string& detail = std::string()) {
    std::fprintf(stderr, "orvo-cli render: %s%s\n\n%s", text, detail.c_str(), renderHelp);
    return 2;
}

int runRender(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    std::string out;
    double width = 7.0, height = 3.5;
    double ppiValue = 100.0;
    bool mono = false, haveView = false;
    double view[4] = {0, 0, 0, 0};
    orvo::ShowFlags show;
    show.ShowInfo = true;
    show.ShowBackground = false;
    show.ShowAvgROC = false;

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& v) {
            if (i + 1 >= args.size()) return false;
            v = args[++i];
            return true;
        };
        std::string v;
        if (a == "--help" || a == "-h") {
            std::fputs(renderHelp, stdout);
            return 0;
        } else if (a == "-o" || a == "--output") {
            if (!value(out)) return usageError("missing file after ", a);
        } else if (a == "--width" || a == "--height" || a == "--ppi") {
            double d;
            if (!value(v) || !number(v, d) || d <= 0.0)
                return usageError("expected a positive number after ", a);
            (a == "--width" ? width : a == "--height" ? height : ppiValue) = d;
        } else if (a == "--mono") {
            mono = true;
        } else if (a == "--background") {
            show.ShowBackground = true;
        } else if (a == "--no-info") {
            show.ShowInfo = false;
        } else if (a == "--avg-climb") {
            show.ShowAvgROC = true;
        } else if (a == "--view") {
            if (!value(v)) return usageError("missing limits after --view");
            std::size_t start = 0;
            int k = 0;
            for (; k < 4; ++k) {
                const auto comma = v.find(',', start);
                const std::string part =
                    v.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
                if (!number(part, view[k])) break;
                if (comma == std::string::npos) {
                    ++k;
                    break;
                }
                start = comma + 1;
            }
            if (k != 4 || v.find(',', start) != std::string::npos)
                return usageError("--view needs four numbers TMIN,TMAX,AMIN,AMAX, not ", v);
            haveView = true;
        } else if (!a.empty() && a[0] == '-') {
            return usageError("unknown option ", a);
        } else {
            files.push_back(a);
        }
    }
    if (files.empty()) return usageError("no data file given");
    if (out.empty()) return usageError("no output file given (-o OUT.png|.svg|.pdf|.bmp|.jpg|.gif)");
    const std::string ext = orvo::lowerExtension(out);
    orvo::ImageType imageType{};
    const bool bitmap = orvo::ImageTypeForName(out, imageType);
    if (ext != "png" && ext != "svg" && ext != "pdf" && !bitmap)
        return usageError("the output must end in .png, .svg, .pdf, .bmp, .jpg or .gif: ", out);
    const int ppi = int(ppiValue);
    if (ppi < 1 || ppi > 4800) return usageError("--ppi must lie between 1 and 4800");
    const double pixelsW = std::trunc(ppi * width), pixelsH = std::trunc(ppi * height);
    if (pixelsW < 1 || pixelsH < 1 || pixelsW * pixelsH > 400.0e6)
        return usageError("the picture must be at least 1 pixel and at most 400 million pixels");
    int imageW = 0, imageH = 0;
    if ((bitmap || ext == "png") && !orvo::ImagePixelSize(width, height, ppi, imageW, imageH))
        return usageError("an image must be 1 to 20000 pixels a side");

    orvo::PlotState state;
    bool plotLimits = false;
    orvo::LoadBudget budget; // the files are one load
    for (const std::string& f : files) {
        orvo::PlotFileHeader header;
        orvo::LoadReport report;
        if (!orvo::cli::loadDataFileReporting("orvo-cli render: ", f, state.settings.series, header, report,
                                              &budget))
            return 1;
        if (report.plotFile) {
            orvo::PlotSettings& p = state.settings;
            p.title = header.title;
            p.xLabel = header.xLabel;
            p.yLabel = header.yLabel;
            p.info1 = header.info1;
            p.info2 = header.info2;
            p.info3 = header.info3;
            p.timeMin = header.timeMin;
            p.timeMax = header.timeMax;
            p.altitudeMin = header.altitudeMin;
            p.altitudeMax = header.altitudeMax;
            plotLimits = true;
        } else if (!header.yLabel.empty()) {
            state.settings.yLabel = header.yLabel; // the altitude unit another program's file brought
        }
    }
    if (haveView) {
        state.settings.timeMin = view[0];
        state.settings.timeMax = view[1];
        state.settings.altitudeMin = view[2];
        state.settings.altitudeMax = view[3];
    } else if (!plotLimits) {
        orvo::AutoScaleTime(state.settings, state.home);
        orvo::AutoScaleAltitude(state.settings, state.home);
    }
    state.output.width = width;
    state.output.height = height;
    state.output.colour = mono ? 0 : 1;
    state.show = show;

    // Fonts need the GUI layer: the command runs under orvo-cli's QGuiApplication.
    const int w = int(pixelsW), h = int(pixelsH);
    bool ok = true;
    orvo::FileStatus status = orvo::FileStatus::Ok;
    if (bitmap || ext == "png") {
        const QImage image = orvo::RenderPlotImage(state, ppi);
        if (image.isNull()) {
            std::fprintf(stderr, "orvo-cli render: not enough memory for a %d x %d picture\n", imageW,
                         imageH);
            return 1;
        }
        if (bitmap) {
            status = orvo::WriteImageFile(out, image, imageType, ppi);
        } else {
            std::string bytes;
            ok = orvo::EncodePng(image, bytes, ppi);
            if (ok) status = orvo::writeFileSafely(out, bytes);
        }
    } else {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (ext == "svg") {
            QSvgGenerator svg;
            svg.setOutputDevice(&buffer);
            svg.setSize(QSize(w, h));
            svg.setViewBox(QRect(0, 0, w, h));
            svg.setResolution(ppi);
            svg.setTitle(QString::fromStdString(state.settings.title));
            QPainter p;
            ok = p.begin(&svg);
            if (ok) {
                orvo::RenderPlot(p, ppi, ppi, state);
                ok = p.end();
            }
        } else {
            QPdfWriter pdf(&buffer);
            pdf.setResolution(ppi);
            pdf.setPageSize(QPageSize(QSizeF(width, height), QPageSize::Inch));
            pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
            pdf.setTitle(QString::fromStdString(state.settings.title));
            QPainter p;
            ok = p.begin(&pdf);
            if (ok) {
                orvo::RenderPlot(p, ppi, ppi, state);
                ok = p.end();
            }
        }
        buffer.close();
        if (ok)
            status =
                orvo::writeFileSafely(out, std::string_view(bytes.constData(), std::size_t(bytes.size())));
    }
    ok = ok && status == orvo::FileStatus::Ok;
    if (!ok) {
        std::fprintf(stderr, "orvo-cli render: Unable to write %s!\n", out.c_str());
        return 1;
    }
    return 0;
}

} // namespace

ORVO_CLI_GUI_COMMAND("render", "draw data files into a PNG, SVG, PDF, BMP, JPEG or GIF picture", runRender);
