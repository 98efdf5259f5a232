#include "app/tprtlocform.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <cmath>
#include <cstdio>

#include "app/appstate.h"
#include "app/prompts.h"
#include "plot/imagewriters.h"

TPrtLocForm::TPrtLocForm(AppState* state, Prompts* prompts, QWidget* parent)
    : OrvoDialog("TPrtLocForm", QStringLiteral("Output"), state, prompts, parent) {
    auto* layout = new QVBoxLayout(this);
    GroupBox1 = new QGroupBox(QStringLiteral("Printed Plot Options"), this);
    GroupBox1->setObjectName("GroupBox1");
    auto* grid = new QGridLayout(GroupBox1);
    auto row = [&](int r, QLabel*& label, const char* labelName, const QString& caption, QLineEdit*& edit,
                   const char* editName, const QString& text) {
        label = new QLabel(caption, GroupBox1);
        label->setObjectName(labelName);
        edit = new QLineEdit(text, GroupBox1);
        edit->setObjectName(editName);
        label->setBuddy(edit);
        grid->addWidget(label, r, 0);
        grid->addWidget(edit, r, 1);
    };
    row(0, WidthLabel, "WidthLabel", QStringLiteral("Width (inches)"), WidthEdit, "WidthEdit",
        QStringLiteral("7.0"));
    row(1, HeightLabel, "HeightLabel", QStringLiteral("Height (inches)"), HeightEdit, "HeightEdit",
        QStringLiteral("3.5"));
    row(2, LeftLabel, "LeftLabel", QStringLiteral("Distance from Left (inches)"), LeftEdit, "LeftEdit",
        QStringLiteral("0.5"));
    row(3, TopLabel, "TopLabel", QStringLiteral("Distance from Top (inches)"), TopEdit, "TopEdit",
        QStringLiteral("0.5"));
    // An image's pixels per inch: its pixel size is the size in inches times this.
    row(4, ResolutionLabel, "ResolutionLabel", QStringLiteral("Image resolution (pixels per inch)"),
        ResolutionEdit, "ResolutionEdit", QString::number(orvo::ExportPixelsPerInch));
    ResolutionLabel->setEnabled(false);
    ResolutionEdit->setEnabled(false);
    ColorChk = new QCheckBox(QStringLiteral("Print with color"), GroupBox1);
    ColorChk->setObjectName("ColorChk");
    grid->addWidget(ColorChk, 5, 0, 1, 2);
    layout->addWidget(GroupBox1);

    addOkCancel(layout, OKBtn, CancelBtn);
    OKBtn->setObjectName("OKBtn");
    CancelBtn->setObjectName("CancelBtn");
    // OK closes the dialog only when the size can be drawn.
    disconnect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(OKBtn, &QPushButton::clicked, this, &TPrtLocForm::OKBtnClick);
    connect(ColorChk, &QCheckBox::toggled, this, [this](bool on) { m_state->printColour = on; });
    disconnect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(CancelBtn, &QPushButton::clicked, this, &TPrtLocForm::CancelBtnClick);
}

void TPrtLocForm::CancelBtnClick() {
    reject(); // nothing changes
}

void TPrtLocForm::setDistancesEnabled(bool enabled) {
    for (QWidget* w : {static_cast<QWidget*>(LeftEdit), static_cast<QWidget*>(TopEdit),
                       static_cast<QWidget*>(LeftLabel), static_cast<QWidget*>(TopLabel)})
        w->setEnabled(enabled);
    // The resolution is an image's alone; a printer has its own.
    ResolutionLabel->setEnabled(!enabled);
    ResolutionEdit->setEnabled(!enabled);
}

namespace {

// "%lf" as the boxes have always been read: leading blanks, a number, anything after it ignored;
// a box that does not start with a number keeps the value.
void scanBox(const QLineEdit* edit, double& value) {
    double v = 0;
    if (std::sscanf(edit->text().toUtf8().constData(), "%lf", &v) == 1) value = v;
}

QString shortest(double v) {
    return QString::number(v, 'g', QLocale::FloatingPointShortest);
}

} // namespace

void TPrtLocForm::showSize(double width, double height) {
    WidthEdit->setText(shortest(width));
    HeightEdit->setText(shortest(height));
}

void TPrtLocForm::showColour() {
    const QSignalBlocker block(ColorChk);
    ColorChk->setChecked(m_state->printColour);
}

void TPrtLocForm::OKBtnClick() {
    orvo::OutputSettings& out = m_state->plot.output;
    double width = out.width, height = out.height, left = out.left, top = out.top;
    scanBox(WidthEdit, width);
    scanBox(HeightEdit, height);
    scanBox(LeftEdit, left);
    scanBox(TopEdit, top);
    // An endless distance ("inf", "nan") counts as no number: the print keeps its corner.
    if (!std::isfinite(left)) left = out.left;
    if (!std::isfinite(top)) top = out.top;
    // A size of no pixels, an endless one or one whose bitmap could not be held would crash or hang
    // the print or export: refuse it and show the values that still apply.
    int w = 0, h = 0;
    if (!orvo::ImagePixelSize(width, height, orvo::ExportPixelsPerInch, w, h)) {
        m_prompts->error(this, QStringLiteral("Width and height must lie between 0.01 and 200 inches."));
        showSize(out.width, out.height);
        return;
    }
    if (ResolutionEdit->isEnabled()) {
        bool number = false;
        const int ppi = ResolutionEdit->text().trimmed().toInt(&number);
        if (!number || ppi < MinImagePpi || ppi > MaxImagePpi ||
            !orvo::ImagePixelSize(width, height, ppi, w, h)) {
            m_prompts->error(this, QStringLiteral("The image resolution must be a whole number from %1 to %2 "
                                                  "pixels per inch, and the image at most %3 pixels a side.")
                                       .arg(MinImagePpi)
                                       .arg(MaxImagePpi)
                                       .arg(orvo::MaxImageSide));
            ResolutionEdit->setText(QString::number(imagePpi));
            return;
        }
        imagePpi = ppi;
    }
    out.width = width;
    out.height = height;
    out.left = left;
    out.top = top;
    out.colour = m_state->printColour ? 1 : 0;
    // The size is what the settings keep for the next run.
    m_state->printWidth = width;
    m_state->printHeight = height;
    accept();
}
