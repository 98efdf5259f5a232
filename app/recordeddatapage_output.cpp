// Print and Export on the Recorded Data page: the Output dialog, the printer page and the image
// files. Left and top are a print's alone: every flow ends with them back at 0.
#include <algorithm>

#include <QBuffer>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QSvgGenerator>

#include "app/appwindows.h"
#include "app/plotbox.h"
#include "app/prompts.h"
#include "app/recordeddatapage.h"
#include "app/tmainform.h"
#include "app/tprtlocform.h"
#include "plot/imagewriters.h"
#include "plot/plotrender.h"

namespace {

// ExportDialog1's filter, one entry per file type 1..6, and each type's extension. 1..3 are the
// types the settings have always stored; PNG, SVG and PDF follow.
const QStringList ExportFilters = {QStringLiteral("Bitmap (*.bmp)"), QStringLiteral("JPEG (*.jpg)"),
                                   QStringLiteral("GIF (*.gif)"),    QStringLiteral("PNG (*.png)"),
                                   QStringLiteral("SVG (*.svg)"),    QStringLiteral("PDF (*.pdf)")};
const QStringList ExportExtensions = {QStringLiteral("bmp"), QStringLiteral("jpg"), QStringLiteral("gif"),
                                      QStringLiteral("png"), QStringLiteral("svg"), QStringLiteral("pdf")};
enum ExportType { BmpType = 1, JpegType, GifType, PngType, SvgType, PdfType };
constexpr int ExportTypeCount = 6;

// Where the last export went; kept beside the settings, not among them.
const QString LastExportFolderKey = QStringLiteral("Recent/ExportFolder");

// How long the status bar names the picture just exported.
constexpr int ExportedMessageMs = 8000;

int exportTypeOf(const QString& filter) {
    const int i = ExportFilters.indexOf(filter);
    return i < 0 ? 1 : i + 1;
}

// The type a file name's extension names (any case; "jpeg" too), 0 for none.
int exportTypeOfName(const QString& file) {
    const QString e = QFileInfo(file).suffix().toLower();
    if (e == QLatin1String("jpeg")) return JpegType;
    return static_cast<int>(ExportExtensions.indexOf(e)) + 1;
}

// The plot drawn on a vector surface of the export's size at ppi, encoded into *bytes.
bool renderVector(const orvo::PlotState& state, int type, int ppi, QByteArray* bytes) {
    const orvo::OutputSettings& out = state.output;
    int w = 0, h = 0;
    if (!orvo::ImagePixelSize(out.width, out.height, ppi, w, h)) return false;
    QBuffer buffer(bytes);
    buffer.open(QIODevice::WriteOnly);
    QPainter painter;
    if (type == SvgType) {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(QSize(w, h));
        svg.setViewBox(QRect(0, 0, w, h));
        svg.setResolution(ppi);
        svg.setTitle(QString::fromStdString(state.settings.title));
        if (!painter.begin(&svg)) return false;
        orvo::RenderPlot(painter, ppi, ppi, state);
        return painter.end();
    }
    QPdfWriter pdf(&buffer);
    pdf.setResolution(ppi);
    pdf.setPageSize(QPageSize(QSizeF(out.width, out.height), QPageSize::Inch));
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    pdf.setTitle(QString::fromStdString(state.settings.title));
    if (!painter.begin(&pdf)) return false;
    orvo::RenderPlot(painter, ppi, ppi, state);
    return painter.end();
}

} // namespace

void RecordedDataPage::connectOutputHandlers() {
    connect(PrtBtn, &QPushButton::clicked, this, &RecordedDataPage::PrtBtnClick);
    connect(ExportBtn, &QPushButton::clicked, this, &RecordedDataPage::ExportBtnClick);
}

void RecordedDataPage::applyOutputSettings(const StoredSettings& v) {
    if (v.wasRead(Setting::PrtColor)) m_state->printColour = v.PrtColor != 0;
    if (m_form->windows()) m_form->windows()->prtLocForm->showColour();
    // A type index beyond the list picks the first type.
    if (v.wasRead(Setting::ExportType))
        m_state->exportType = (v.ExportType >= 1 && v.ExportType <= ExportTypeCount) ? v.ExportType : 1;
    if (ExportDialog1) ExportDialog1->selectNameFilter(ExportFilters[m_state->exportType - 1]);
}

void RecordedDataPage::collectOutputSettings(StoredSettings& v) const {
    v.PrtColor = m_state->printColour ? 1 : 0;
    v.ExportType = m_state->exportType;
}

QFileDialog* RecordedDataPage::exportDialog() {
    if (ExportDialog1) return ExportDialog1;
    ExportDialog1 = new QFileDialog(m_form, QStringLiteral("Export Graph Data"));
    ExportDialog1->setObjectName("ExportDialog1");
    ExportDialog1->setAcceptMode(QFileDialog::AcceptSave);
    ExportDialog1->setFileMode(QFileDialog::AnyFile);
    ExportDialog1->setNameFilters(ExportFilters);
    ExportDialog1->selectNameFilter(ExportFilters[m_state->exportType - 1]);
    // "bmp" until the user picks another type, whatever type the last run left selected.
    ExportDialog1->setDefaultSuffix(QStringLiteral("bmp"));
    ExportDialog1->setSizeGripEnabled(true);
    // It opens in the folder of the last export, of this run or an earlier one.
    const QString last = QSettings(QStringLiteral("TamberlinSystems"), QStringLiteral("Orvo"))
                             .value(LastExportFolderKey)
                             .toString();
    if (!last.isEmpty() && QFileInfo(last).isDir()) ExportDialog1->setDirectory(last);
    connect(ExportDialog1, &QFileDialog::filterSelected, this, &RecordedDataPage::ExportDialog1TypeChange);
    return ExportDialog1;
}

void RecordedDataPage::ExportDialog1TypeChange(const QString& filter) {
    // A name typed without extension gets the chosen type's.
    if (ExportDialog1) ExportDialog1->setDefaultSuffix(ExportExtensions[exportTypeOf(filter) - 1]);
}

void RecordedDataPage::PrtBtnClick() {
    if (!m_form->windows()) return;
    orvo::OutputSettings& out = m_state->plot.output;
    TPrtLocForm* form = m_form->windows()->prtLocForm.get();
    form->showSize(out.width, out.height);
    form->setDistancesEnabled(true);
    if (m_prompts->execDialog(form) == QDialog::Accepted) {
        if (!m_printer) m_printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
        // A size made smaller to fit the page is for this print alone.
        const double chosenWidth = out.width, chosenHeight = out.height;
        if (m_prompts->printDialog(m_form, m_printer.get()) && fitPrintToPage()) {
            // The window repaints what the print dialog covered; the screen paint leaves the
            // print's size, corner and colour choice as they are.
            QCoreApplication::processEvents();
            QPainter page;
            if (page.begin(m_printer.get())) {
                orvo::RenderPlot(page, page.device()->logicalDpiX(), page.device()->logicalDpiY(),
                                 m_state->plot);
                if (!page.end()) m_prompts->error(m_form, QStringLiteral("Unable to print the plot!"));
            } else {
                m_prompts->error(m_form, QStringLiteral("Unable to print the plot!"));
            }
        }
        out.width = chosenWidth;
        out.height = chosenHeight;
    }
    out.left = out.top = 0.0;
    repaintPlot();
}

bool RecordedDataPage::fitPrintToPage() {
    orvo::OutputSettings& out = m_state->plot.output;
    const QSizeF page = m_printer->pageLayout().paintRect(QPageLayout::Inch).size();
    const auto fits = [&out](QSizeF area) {
        constexpr double slack = 1e-6;
        return out.left + out.width <= area.width() + slack && out.top + out.height <= area.height() + slack;
    };
    if (fits(page)) return true;
    const bool portrait = m_printer->pageLayout().orientation() == QPageLayout::Portrait;
    const bool turnedFits = fits(page.transposed());
    const double scale =
        std::min((page.width() - out.left) / out.width, (page.height() - out.top) / out.height);
    const bool canShrink = scale > 0.0;
    QString text = QStringLiteral("The plot (%1 x %2 inches, %3 and %4 inches from the corner) does not fit "
                                  "the printable area of the page (%5 x %6 inches): it would be cut off.")
                       .arg(out.width, 0, 'g', 4)
                       .arg(out.height, 0, 'g', 4)
                       .arg(out.left, 0, 'g', 4)
                       .arg(out.top, 0, 'g', 4)
                       .arg(page.width(), 0, 'g', 4)
                       .arg(page.height(), 0, 'g', 4);
    QMessageBox::StandardButtons buttons = QMessageBox::Cancel;
    if (turnedFits) {
        text +=
            QStringLiteral("\n\nYes: print on the page turned %1.").arg(portrait ? "landscape" : "portrait");
        buttons |= QMessageBox::Yes;
    }
    if (canShrink) {
        text += QStringLiteral("\nNo: print it smaller, %1 x %2 inches, to fit.")
                    .arg(out.width * scale, 0, 'g', 4)
                    .arg(out.height * scale, 0, 'g', 4);
        buttons |= QMessageBox::No;
    }
    text += QStringLiteral("\nCancel: print nothing.");
    const QMessageBox::StandardButton answer =
        m_prompts->message(m_form, Prompts::Icon::Warning, QStringLiteral("Print"), text, buttons);
    if (answer == QMessageBox::Yes && turnedFits) {
        m_printer->setPageOrientation(portrait ? QPageLayout::Landscape : QPageLayout::Portrait);
        return true;
    }
    if (answer == QMessageBox::No && canShrink) {
        out.width *= scale;
        out.height *= scale;
        return true;
    }
    return false;
}

void RecordedDataPage::ExportBtnClick() {
    if (!m_form->windows()) return;
    orvo::OutputSettings& out = m_state->plot.output;
    QFileDialog* dialog = exportDialog();
    if (m_prompts->execDialog(dialog) != QDialog::Accepted) {
        out.left = out.top = 0.0;
        return;
    }
    m_state->exportType = exportTypeOf(dialog->selectedNameFilter());
    QString file = dialog->selectedFiles().value(0);
    if (!file.isEmpty() && QFileInfo(file).suffix().isEmpty() && !dialog->defaultSuffix().isEmpty())
        file += QLatin1Char('.') + dialog->defaultSuffix();
    // The contents follow a name whose extension names a type; any other name gets the chosen
    // type's extension added, so no file holds one format under another's name.
    int type = exportTypeOfName(file);
    if (!file.isEmpty() && type == 0) {
        type = m_state->exportType;
        file += QLatin1Char('.') + ExportExtensions[type - 1];
        if (QFileInfo::exists(file) &&
            !m_prompts->confirmDefaultNo(m_form, Prompts::Icon::Warning, QStringLiteral("Export Graph Data"),
                                         QStringLiteral("%1 already exists.\nDo you want to replace it?")
                                             .arg(QDir::toNativeSeparators(file)))) {
            out.left = out.top = 0.0;
            return;
        }
    }

    TPrtLocForm* form = m_form->windows()->prtLocForm.get();
    form->setDistancesEnabled(false); // an image has no margin
    const int answer = m_prompts->execDialog(form);
    out.left = out.top = 0.0;
    if (answer != QDialog::Accepted || file.isEmpty()) return;

    const int ppi = form->imagePpi;
    m_form->statusBar()->clearMessage();
    bool written = false;
    if (type == SvgType || type == PdfType) {
        QByteArray bytes;
        written =
            renderVector(m_state->plot, type, ppi, &bytes) &&
            orvo::writeFileSafely(file.toStdString(), std::string_view(bytes.constData(), bytes.size())) ==
                orvo::FileStatus::Ok;
        if (!written) m_prompts->error(m_form, QStringLiteral("Unable to write %1!").arg(file));
    } else if (const QImage image = orvo::RenderPlotImage(m_state->plot, ppi); image.isNull()) {
        m_prompts->error(m_form, QStringLiteral("Not enough memory for a %1 x %2 pixel image!")
                                     .arg(int(out.width * ppi))
                                     .arg(int(out.height * ppi)));
    } else {
        std::string png;
        written = type == PngType
                      ? orvo::EncodePng(image, png, ppi) &&
                            orvo::writeFileSafely(file.toStdString(), png) == orvo::FileStatus::Ok
                      : orvo::WriteImageFile(file.toStdString(), image, static_cast<orvo::ImageType>(type),
                                             ppi) == orvo::FileStatus::Ok;
        if (!written) m_prompts->error(m_form, QStringLiteral("Unable to write %1!").arg(file));
    }
    if (written) {
        const QString folder = QFileInfo(file).absolutePath();
        QSettings(QStringLiteral("TamberlinSystems"), QStringLiteral("Orvo"))
            .setValue(LastExportFolderKey, folder);
        ExportDialog1->setDirectory(folder);
        // Nothing else shows that the picture was written; the note covers the status fields
        // for a few seconds.
        m_form->statusBar()->showMessage(QStringLiteral("Exported %1").arg(QDir::toNativeSeparators(file)),
                                         ExportedMessageMs);
    }
    out.left = out.top = 0.0;
}
