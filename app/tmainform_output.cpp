// Print and Export on the Recorded Data page: the Output dialog, the printer page and the image
// files. Left and top are a print's alone: every flow ends with them back at 0.
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QStatusBar>

#include "app/appwindows.h"
#include "app/plotbox.h"
#include "app/prompts.h"
#include "app/tmainform.h"
#include "app/tprtlocform.h"
#include "plot/imagewriters.h"
#include "plot/plotrender.h"

namespace {

// ExportDialog1's filter, one entry per file type 1..3, and each type's extension.
const QStringList ExportFilters = {QStringLiteral("Bitmap (*.bmp)"), QStringLiteral("JPEG (*.jpg)"),
                                   QStringLiteral("GIF (*.gif)")};
const QStringList ExportExtensions = {QStringLiteral("bmp"), QStringLiteral("jpg"), QStringLiteral("gif")};

// How long the status bar names the picture just exported.
constexpr int ExportedMessageMs = 8000;

int exportTypeOf(const QString& filter) {
    const int i = ExportFilters.indexOf(filter);
    return i < 0 ? 1 : i + 1;
}

} // namespace

void TMainForm::connectOutputHandlers() {
    connect(PrtBtn, &QPushButton::clicked, this, &TMainForm::PrtBtnClick);
    connect(ExportBtn, &QPushButton::clicked, this, &TMainForm::ExportBtnClick);
}

void TMainForm::applyOutputSettings(const StoredSettings& v) {
    if (v.wasRead(Setting::PrtColor)) m_state->printColour = v.PrtColor != 0;
    if (m_windows) m_windows->prtLocForm->showColour();
    // A type index beyond the list picks the first type.
    if (v.wasRead(Setting::ExportType))
        m_state->exportType = (v.ExportType >= 1 && v.ExportType <= 3) ? v.ExportType : 1;
    if (ExportDialog1) ExportDialog1->selectNameFilter(ExportFilters[m_state->exportType - 1]);
}

void TMainForm::collectOutputSettings(StoredSettings& v) const {
    v.PrtColor = m_state->printColour ? 1 : 0;
    v.ExportType = m_state->exportType;
}

QFileDialog* TMainForm::exportDialog() {
    if (ExportDialog1) return ExportDialog1;
    ExportDialog1 = new QFileDialog(this, QStringLiteral("Export Graph Data"));
    ExportDialog1->setObjectName("ExportDialog1");
    ExportDialog1->setAcceptMode(QFileDialog::AcceptSave);
    ExportDialog1->setFileMode(QFileDialog::AnyFile);
    ExportDialog1->setNameFilters(ExportFilters);
    ExportDialog1->selectNameFilter(ExportFilters[m_state->exportType - 1]);
    // "bmp" until the user picks another type, whatever type the last run left selected.
    ExportDialog1->setDefaultSuffix(QStringLiteral("bmp"));
    ExportDialog1->setSizeGripEnabled(true);
    connect(ExportDialog1, &QFileDialog::filterSelected, this, &TMainForm::ExportDialog1TypeChange);
    return ExportDialog1;
}

void TMainForm::ExportDialog1TypeChange(const QString& filter) {
    // A name typed without extension gets the chosen type's.
    if (ExportDialog1) ExportDialog1->setDefaultSuffix(ExportExtensions[exportTypeOf(filter) - 1]);
}

void TMainForm::PrtBtnClick() {
    if (!m_windows) return;
    orvo::OutputSettings& out = m_state->plot.output;
    TPrtLocForm* form = m_windows->prtLocForm.get();
    form->showSize(out.width, out.height);
    form->setDistancesEnabled(true);
    if (m_prompts->execDialog(form) == QDialog::Accepted) {
        if (!m_printer) m_printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
        if (m_prompts->printDialog(this, m_printer.get())) {
            // The window repaints what the print dialog covered; the screen paint leaves the
            // print's size, corner and colour choice as they are.
            QCoreApplication::processEvents();
            QPainter page;
            if (page.begin(m_printer.get())) {
                orvo::RenderPlot(page, page.device()->logicalDpiX(), page.device()->logicalDpiY(),
                                 m_state->plot);
                if (!page.end()) m_prompts->error(this, QStringLiteral("Unable to print the plot!"));
            } else {
                m_prompts->error(this, QStringLiteral("Unable to print the plot!"));
            }
        }
    }
    out.left = out.top = 0.0;
    repaintPlot();
}

void TMainForm::ExportBtnClick() {
    if (!m_windows) return;
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

    TPrtLocForm* form = m_windows->prtLocForm.get();
    form->setDistancesEnabled(false); // an image has no margin
    const int answer = m_prompts->execDialog(form);
    out.left = out.top = 0.0;
    if (answer != QDialog::Accepted || file.isEmpty()) return;

    const QImage image = orvo::RenderPlotImage(m_state->plot, orvo::ExportPixelsPerInch);
    // The contents follow a .bmp, .jpg or .gif name, so the file is what its name says; any other
    // name gets the type chosen in the dialog.
    orvo::ImageType type = static_cast<orvo::ImageType>(m_state->exportType);
    orvo::ImageTypeForName(file.toStdString(), type);
    StatusPanel->clearMessage();
    if (image.isNull()) {
        m_prompts->error(this, QStringLiteral("Not enough memory for a %1 x %2 pixel image!")
                                   .arg(int(out.width * orvo::ExportPixelsPerInch))
                                   .arg(int(out.height * orvo::ExportPixelsPerInch)));
    } else if (orvo::WriteImageFile(file.toStdString(), image, type) != orvo::FileStatus::Ok) {
        m_prompts->error(this, QStringLiteral("Unable to write %1!").arg(file));
    } else {
        // Nothing else shows that the picture was written; the note covers the status fields
        // for a few seconds.
        StatusPanel->showMessage(QStringLiteral("Exported %1").arg(QDir::toNativeSeparators(file)),
                                 ExportedMessageMs);
    }
    out.left = out.top = 0.0;
}
