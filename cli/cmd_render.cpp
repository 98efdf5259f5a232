// `orvo-cli render`: loads data files as the Load button does and draws them with the same
// renderer as the plot window, into a PNG, SVG, PDF, BMP, JPEG or GIF file, for reports and batch
// work. Every format is written whole to a temporary file and only then put in place.
#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/datafiles.h"
#include "cli/options.h"
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
    "  --avg-climb             show the average climb of the first data set\n"
    "  --legend, --no-legend   a legend of the shown sets' names, lines and symbols, in the corner\n"
    "                          where it hides the least data (default: on, drawn when two or more\n"
    "                          sets are shown)\n";

int usageError(const char* text, const std::string& detail = std::string()) {
    return orvo::cli::usageError("render", text + detail, renderHelp);
}

struct RenderJob {
    std::vector<std::string> files;
    std::string out;
    double width = 7.0, height = 3.5;
    double ppiValue = 100.0;
    bool mono = false, haveView = false;
    double view[4] = {0, 0, 0, 0};
    orvo::ShowFlags show;
    // Checked from the options:
    std::string ext;
    orvo::ImageType imageType{};
    bool bitmap = false;
    int ppi = 0;
    int pixelsW = 0, pixelsH = 0; // the picture in pixels
    int imageW = 0, imageH = 0;   // the image of a bitmap or PNG
};

// TMIN,TMAX,AMIN,AMAX: exactly four numbers.
bool parseView(const std::string& v, double view[4]) {
    std::size_t start = 0;
    int k = 0;
    for (; k < 4; ++k) {
        const auto comma = v.find(',', start);
        const std::string part =
            v.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (!orvo::cli::parseNumber(part, view[k])) break;
        if (comma == std::string::npos) {
            ++k;
            break;
        }
        start = comma + 1;
    }
    return k == 4 && v.find(',', start) == std::string::npos;
}

// 0 when the options are complete, -1 after --help, else the exit status.
int parseRenderOptions(const std::vector<std::string>& args, RenderJob& job) {
    job.show.ShowInfo = true;
    job.show.ShowBackground = false;
    job.show.ShowAvgROC = false;
    job.show.ShowLegend = true;
    std::string v;
    for (orvo::cli::ArgReader r(args); r.next();) {
        const std::string& a = r.word();
        if (r.helpShown(renderHelp)) return -1;
        if (r.is("-o", "--output")) {
            if (!r.value(job.out)) return usageError("missing file after ", a);
        } else if (r.is("--width", "--height") || r.is("--ppi")) {
            double d;
            if (!r.value(v) || !orvo::cli::parseNumber(v, d) || d <= 0.0)
                return usageError("expected a positive number after ", a);
            (a == "--width" ? job.width : a == "--height" ? job.height : job.ppiValue) = d;
        } else if (r.is("--mono")) {
            job.mono = true;
        } else if (r.is("--background")) {
            job.show.ShowBackground = true;
        } else if (r.is("--no-info")) {
            job.show.ShowInfo = false;
        } else if (r.is("--avg-climb")) {
            job.show.ShowAvgROC = true;
        } else if (r.is("--legend", "--no-legend")) {
            job.show.ShowLegend = r.is("--legend");
        } else if (r.is("--view")) {
            if (!r.value(v)) return usageError("missing limits after --view");
            if (!parseView(v, job.view))
                return usageError("--view needs four numbers TMIN,TMAX,AMIN,AMAX, not ", v);
            job.haveView = true;
        } else if (r.isOption()) {
            return usageError("unknown option ", a);
        } else {
            job.files.push_back(a);
        }
    }
    if (job.files.empty()) return usageError("no data file given");
    if (job.out.empty()) return usageError("no output file given (-o OUT.png|.svg|.pdf|.bmp|.jpg|.gif)");
    job.ext = orvo::lowerExtension(job.out);
    job.bitmap = orvo::ImageTypeForName(job.out, job.imageType);
    if (job.ext != "png" && job.ext != "svg" && job.ext != "pdf" && !job.bitmap)
        return usageError("the output must end in .png, .svg, .pdf, .bmp, .jpg or .gif: ", job.out);
    job.ppi = int(job.ppiValue);
    if (job.ppi < 1 || job.ppi > 4800) return usageError("--ppi must lie between 1 and 4800");
    const double pixelsW = std::trunc(job.ppi * job.width), pixelsH = std::trunc(job.ppi * job.height);
    if (pixelsW < 1 || pixelsH < 1 || pixelsW * pixelsH > 400.0e6)
        return usageError("the picture must be at least 1 pixel and at most 400 million pixels");
    job.pixelsW = int(pixelsW);
    job.pixelsH = int(pixelsH);
    if ((job.bitmap || job.ext == "png") &&
        !orvo::ImagePixelSize(job.width, job.height, job.ppi, job.imageW, job.imageH))
        return usageError("an image must be 1 to 20000 pixels a side");
    return 0;
}

// Loads the files as one load into state and sets its view and output; false after a file failed.
bool loadPlot(const RenderJob& job, orvo::PlotState& state) {
    bool plotLimits = false;
    orvo::LoadBudget budget; // the files are one load
    for (const std::string& f : job.files) {
        orvo::PlotFileHeader header;
        orvo::LoadReport report;
        if (!orvo::cli::loadDataFileReporting("orvo-cli render: ", f, state.settings.series, header, report,
                                              &budget))
            return false;
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
    if (job.haveView) {
        state.settings.timeMin = job.view[0];
        state.settings.timeMax = job.view[1];
        state.settings.altitudeMin = job.view[2];
        state.settings.altitudeMax = job.view[3];
    } else if (!plotLimits) {
        orvo::AutoScaleTime(state.settings, state.home);
        orvo::AutoScaleAltitude(state.settings, state.home);
    }
    state.output.width = job.width;
    state.output.height = job.height;
    state.output.colour = job.mono ? 0 : 1;
    state.show = job.show;
    return true;
}

// Draws an SVG or PDF page into bytes; false when the painter failed.
bool renderVector(const RenderJob& job, const orvo::PlotState& state, QByteArray& bytes) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const auto paint = [&](QPaintDevice& device) {
        QPainter p;
        if (!p.begin(&device)) return false;
        orvo::RenderPlot(p, job.ppi, job.ppi, state);
        return p.end();
    };
    bool ok;
    if (job.ext == "svg") {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(QSize(job.pixelsW, job.pixelsH));
        svg.setViewBox(QRect(0, 0, job.pixelsW, job.pixelsH));
        svg.setResolution(job.ppi);
        svg.setTitle(QString::fromStdString(state.settings.title));
        ok = paint(svg);
    } else {
        QPdfWriter pdf(&buffer);
        pdf.setResolution(job.ppi);
        pdf.setPageSize(QPageSize(QSizeF(job.width, job.height), QPageSize::Inch));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setTitle(QString::fromStdString(state.settings.title));
        ok = paint(pdf);
    }
    buffer.close();
    return ok;
}

// Draws the plot and writes it to the output file; the exit status.
int writePicture(const RenderJob& job, const orvo::PlotState& state) {
    // Fonts need the GUI layer: the command runs under orvo-cli's QGuiApplication.
    bool ok = true;
    orvo::FileStatus status = orvo::FileStatus::Ok;
    if (job.bitmap || job.ext == "png") {
        const QImage image = orvo::RenderPlotImage(state, job.ppi);
        if (image.isNull()) {
            std::fprintf(stderr, "orvo-cli render: not enough memory for a %d x %d picture\n", job.imageW,
                         job.imageH);
            return 1;
        }
        if (job.bitmap) {
            status = orvo::WriteImageFile(job.out, image, job.imageType, job.ppi);
        } else {
            std::string bytes;
            ok = orvo::EncodePng(image, bytes, job.ppi);
            if (ok) status = orvo::writeFileSafely(job.out, bytes);
        }
    } else {
        QByteArray bytes;
        ok = renderVector(job, state, bytes);
        if (ok)
            status = orvo::writeFileSafely(job.out,
                                           std::string_view(bytes.constData(), std::size_t(bytes.size())));
    }
    ok = ok && status == orvo::FileStatus::Ok;
    if (!ok) {
        std::fprintf(stderr, "orvo-cli render: Unable to write %s!\n", job.out.c_str());
        return 1;
    }
    return 0;
}

int runRender(const std::vector<std::string>& given) {
    std::vector<std::string> args = given;
    if (const std::string wrong = orvo::cli::takeImportOptions(args); !wrong.empty())
        return orvo::cli::usageError("render", wrong, renderHelp);
    RenderJob job;
    if (const int s = parseRenderOptions(args, job)) return s < 0 ? 0 : s;
    orvo::PlotState state;
    if (!loadPlot(job, state)) return 1;
    return writePicture(job, state);
}

} // namespace

ORVO_CLI_GUI_COMMAND("render", "draw data files into a PNG, SVG, PDF, BMP, JPEG or GIF picture", runRender);
