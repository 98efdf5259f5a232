#include "app/teditinfoform.h"

#include <QCheckBox>
#include <QColor>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "app/appstate.h"
#include "app/prompts.h"
#include "app/tdatapropform.h"

TEditInfoForm::TEditInfoForm(AppState* state, Prompts* prompts, QWidget* parent)
    : OrvoDialog("TEditInfoForm", QStringLiteral("Edit Plot Info"), state, prompts, parent) {
    auto* layout = new QVBoxLayout(this);

    GroupBox1 = new QGroupBox(QStringLiteral("Plot Labels"), this);
    GroupBox1->setObjectName("GroupBox1");
    auto* labels = new QGridLayout(GroupBox1);
    int row = 0;
    auto text = [&](const char* name, const QString& caption) {
        auto* label = new QLabel(caption, GroupBox1);
        auto* e = new QLineEdit(GroupBox1);
        e->setObjectName(name);
        e->setMinimumWidth(320);
        label->setBuddy(e);
        labels->addWidget(label, row, 0);
        labels->addWidget(e, row++, 1);
        return e;
    };
    TitleText = text("TitleText", QStringLiteral("Title"));
    XAxisText = text("XAxisText", QStringLiteral("X Axis"));
    YAxisText = text("YAxisText", QStringLiteral("Y Axis"));
    Info1Text = text("Info1Text", QStringLiteral("Info1"));
    Info2Text = text("Info2Text", QStringLiteral("Info2"));
    Info3Text = text("Info3Text", QStringLiteral("Info3"));
    layout->addWidget(GroupBox1);

    GroupBox2 = new QGroupBox(QStringLiteral("Plot Colors"), this);
    GroupBox2->setObjectName("GroupBox2");
    auto* colours = new QGridLayout(GroupBox2);
    int column = 0;
    auto panel = [&](const char* name, const QString& caption) {
        auto* p = new ColourPanel(GroupBox2);
        p->setObjectName(name);
        p->setFixedSize(56, 24);
        p->setToolTip(caption);
        auto* label = new QLabel(caption, GroupBox2);
        colours->addWidget(label, 0, column, Qt::AlignHCenter);
        colours->addWidget(p, 1, column++, Qt::AlignHCenter);
        return p;
    };
    BGColorPanel = panel("BGColorPanel", QStringLiteral("Background"));
    GridColorPanel = panel("GridColorPanel", QStringLiteral("Grid"));
    ScaleColorPanel = panel("ScaleColorPanel", QStringLiteral("Scale"));
    LabelColorPanel = panel("LabelColorPanel", QStringLiteral("Labels"));
    InfoColorPanel = panel("InfoColorPanel", QStringLiteral("Info"));
    layout->addWidget(GroupBox2);

    ShowInfoChk = new QCheckBox(QStringLiteral("Show Text Info"), this);
    ShowInfoChk->setObjectName("ShowInfoChk");
    ShowInfoChk->setChecked(true);
    ShowBackgroundChk = new QCheckBox(QStringLiteral("Show Background Logo"), this);
    ShowBackgroundChk->setObjectName("ShowBackgroundChk");
    ShowLegendChk = new QCheckBox(QStringLiteral("Show legend"), this);
    ShowLegendChk->setObjectName("ShowLegendChk");
    ShowLegendChk->setChecked(true);
    ShowROCChk = new QCheckBox(QStringLiteral("Show Avg Rate of Climb"), this);
    ShowROCChk->setObjectName("ShowROCChk");
    ShowROCChk->setVisible(false);
    DataLenBtn = new QPushButton(QStringLiteral("Edit Data Length"), this);
    DataLenBtn->setObjectName("DataLenBtn");
    DataLenBtn->setAutoDefault(false);
    DataLenBtn->setVisible(false);
    auto* checks = new QHBoxLayout;
    checks->addWidget(ShowInfoChk);
    checks->addWidget(ShowBackgroundChk);
    checks->addWidget(ShowLegendChk);
    checks->addWidget(ShowROCChk);
    checks->addStretch(1);
    checks->addWidget(DataLenBtn);
    layout->addLayout(checks);

    // The shared row names its OK button BitBtn1; in this dialog OK is BitBtn2.
    addOkCancel(layout, BitBtn2, BitBtn1);
    BitBtn2->setObjectName("BitBtn2");
    BitBtn1->setObjectName("BitBtn1");

    connect(BGColorPanel, &ColourPanel::clicked, this, &TEditInfoForm::BGColorPanelClick);
    connect(GridColorPanel, &ColourPanel::clicked, this, &TEditInfoForm::GridColorPanelClick);
    connect(ScaleColorPanel, &ColourPanel::clicked, this, &TEditInfoForm::ScaleColorPanelClick);
    connect(LabelColorPanel, &ColourPanel::clicked, this, &TEditInfoForm::LabelColorPanelClick);
    connect(InfoColorPanel, &ColourPanel::clicked, this, &TEditInfoForm::InfoColorPanelClick);
    // Any change of a box's state, by the user or by the stored settings at start-up, is its flag.
    connect(ShowInfoChk, &QCheckBox::toggled, this, &TEditInfoForm::ShowInfoChkClick);
    connect(ShowBackgroundChk, &QCheckBox::toggled, this, &TEditInfoForm::ShowBackgroundChkClick);
    connect(ShowLegendChk, &QCheckBox::toggled, this, [this](bool on) {
        m_state->plot.show.ShowLegend = on;
        changed();
    });
    connect(ShowROCChk, &QCheckBox::toggled, this, [this](bool on) {
        m_state->plot.show.ShowAvgROC = on;
        changed();
    });
    connect(DataLenBtn, &QPushButton::clicked, this, &TEditInfoForm::DataLenBtnClick);
}

void TEditInfoForm::FormShow() {
    const orvo::PlotSettings& p = m_state->plot.settings;
    TitleText->setText(QString::fromStdString(p.title));
    XAxisText->setText(QString::fromStdString(p.xLabel));
    YAxisText->setText(QString::fromStdString(p.yLabel));
    Info1Text->setText(QString::fromStdString(p.info1));
    Info2Text->setText(QString::fromStdString(p.info2));
    Info3Text->setText(QString::fromStdString(p.info3));
    m_remembered = {p.backgroundColour, p.gridColour, p.scaleColour, p.labelColour, p.infoColour};
    BGColorPanel->setColour(p.backgroundColour);
    GridColorPanel->setColour(p.gridColour);
    ScaleColorPanel->setColour(p.scaleColour);
    LabelColorPanel->setColour(p.labelColour);
    InfoColorPanel->setColour(p.infoColour);
    TitleText->setFocus();
}

void TEditInfoForm::showFlags() {
    const orvo::ShowFlags& show = m_state->plot.show;
    const QSignalBlocker a(ShowInfoChk), b(ShowBackgroundChk), c(ShowROCChk), d(ShowLegendChk);
    ShowLegendChk->setChecked(show.ShowLegend);
    ShowInfoChk->setChecked(show.ShowInfo);
    ShowBackgroundChk->setChecked(show.ShowBackground);
    ShowROCChk->setChecked(show.ShowAvgROC);
}

void TEditInfoForm::FormClose(int result) {
    orvo::PlotSettings& p = m_state->plot.settings;
    if (result == QDialog::Accepted) {
        p.info1 = cutUtf8(Info1Text->text(), orvo::MaxTextLength);
        p.info2 = cutUtf8(Info2Text->text(), orvo::MaxTextLength);
        p.info3 = cutUtf8(Info3Text->text(), orvo::MaxTextLength);
        p.title = cutUtf8(TitleText->text(), orvo::MaxTextLength);
        p.xLabel = cutUtf8(XAxisText->text(), orvo::MaxTextLength);
        p.yLabel = cutUtf8(YAxisText->text(), orvo::MaxTextLength);
    } else {
        // The colours tried while the dialog was open are undone; the show flags are not.
        p.backgroundColour = m_remembered[0];
        p.gridColour = m_remembered[1];
        p.scaleColour = m_remembered[2];
        p.labelColour = m_remembered[3];
        p.infoColour = m_remembered[4];
    }
}

void TEditInfoForm::chooseColour(ColourPanel* panel, orvo::Colour& item) {
    QColor c = toQColor(item);
    if (!m_prompts->chooseColour(this, QStringLiteral("Color"), c)) return;
    item = fromQColor(c);
    panel->setColour(item);
    changed();
}

void TEditInfoForm::BGColorPanelClick() {
    chooseColour(BGColorPanel, m_state->plot.settings.backgroundColour);
}
void TEditInfoForm::GridColorPanelClick() {
    chooseColour(GridColorPanel, m_state->plot.settings.gridColour);
}
void TEditInfoForm::ScaleColorPanelClick() {
    chooseColour(ScaleColorPanel, m_state->plot.settings.scaleColour);
}
void TEditInfoForm::LabelColorPanelClick() {
    chooseColour(LabelColorPanel, m_state->plot.settings.labelColour);
}
void TEditInfoForm::InfoColorPanelClick() {
    chooseColour(InfoColorPanel, m_state->plot.settings.infoColour);
}

void TEditInfoForm::ShowInfoChkClick() {
    m_state->plot.show.ShowInfo = ShowInfoChk->isChecked();
    changed();
}

void TEditInfoForm::ShowBackgroundChkClick() {
    m_state->plot.show.ShowBackground = ShowBackgroundChk->isChecked();
    changed();
}

void TEditInfoForm::DataLenBtnClick() {
    // The button is hidden and has no action; the data length dialog is never opened from here.
}

void TEditInfoForm::changed() {
    if (plotChanged) plotChanged();
}

void TEditInfoForm::showEvent(QShowEvent* event) {
    OrvoDialog::showEvent(event);
    centreOnScreen();
}
