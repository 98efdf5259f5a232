// The Recorded Data page: the plot view, its view buttons and mouse tools, the set buttons.
#include <algorithm>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/plotbox.h"
#include "app/tmainform.h"

// --- the page ---

namespace {

// A filled arrow pointing up, turned clockwise by quarterTurns quarters, in colour.
QIcon arrowIcon(int quarterTurns, const QColor& colour) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(8, 8);
    p.rotate(90.0 * quarterTurns);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPolygon(QPolygonF({QPointF(0, -5), QPointF(5.5, 2.5), QPointF(1.75, 2.5), QPointF(1.75, 6),
                             QPointF(-1.75, 6), QPointF(-1.75, 2.5), QPointF(-5.5, 2.5)}));
    return QIcon(pm);
}

} // namespace

void TMainForm::buildDataPage() {
    QWidget* const body = pageBody(DataPage);
    m_state->history.onEditNotKept = [this](const std::string& label) { EditNotKept(label); };
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);

    PlotBox = m_pagePlotBox = new PlotBoxWidget(this, body);
    layout->addWidget(PlotBox, 1);

    auto* row = new QHBoxLayout;
    row->setSpacing(4);
    layout->addLayout(row);
    auto button = [this](QWidget* parent, const char* name, const QString& caption, const QString& hint) {
        auto* b = new QPushButton(caption, parent);
        b->setObjectName(name);
        if (!hint.isEmpty()) b->setToolTip(hint);
        // Tab reaches it, a click leaves the focus where it was; the plot's arrow keys are taken
        // before any control sees them (eventFilter), whatever has the focus.
        b->setFocusPolicy(Qt::TabFocus);
        return b;
    };

    GroupBox5 = new QGroupBox(QStringLiteral("Zoom"), body);
    GroupBox5->setObjectName("GroupBox5");
    auto* zoom = new QGridLayout(GroupBox5);
    zoom->setContentsMargins(4, 2, 4, 2);
    zoom->setSpacing(2);
    ZoomInBtn = button(GroupBox5, "ZoomInBtn", QStringLiteral("IN"), QString());
    ZoomOutBtn = button(GroupBox5, "ZoomOutBtn", QStringLiteral("OUT"), QString());
    ZoomResetBtn = button(GroupBox5, "ZoomResetBtn", QStringLiteral("Reset"),
                          QStringLiteral("Zoom back to original size"));
    ZoomCropBtn = button(GroupBox5, "ZoomCropBtn", QStringLiteral("Crop"),
                         QStringLiteral("Crop data to that shown in display"));
    for (QPushButton* b : {ZoomInBtn, ZoomOutBtn, ZoomResetBtn, ZoomCropBtn})
        b->setFixedWidth(48);
    zoom->addWidget(ZoomInBtn, 0, 0);
    zoom->addWidget(ZoomOutBtn, 0, 1);
    zoom->addWidget(ZoomResetBtn, 1, 0);
    zoom->addWidget(ZoomCropBtn, 1, 1);
    row->addWidget(GroupBox5);

    GroupBox6 = new QGroupBox(QStringLiteral("Pan"), body);
    GroupBox6->setObjectName("GroupBox6");
    auto* pan = new QGridLayout(GroupBox6);
    pan->setContentsMargins(4, 2, 4, 2);
    pan->setSpacing(1);
    // The arrows are drawn here: looking up the style's arrow icons goes through the desktop's
    // icon theme and costs more than the rest of the page.
    auto arrow = [&](const char* name, int quarterTurns) {
        QPushButton* b = button(GroupBox6, name, QString(), QString());
        b->setIcon(arrowIcon(quarterTurns, palette().color(QPalette::ButtonText)));
        b->setFixedSize(26, 22);
        return b;
    };
    PanUpBtn = arrow("PanUpBtn", 0);
    PanRtBtn = arrow("PanRtBtn", 1);
    PanDnBtn = arrow("PanDnBtn", 2);
    PanLtBtn = arrow("PanLtBtn", 3);
    pan->addWidget(PanUpBtn, 0, 1);
    pan->addWidget(PanLtBtn, 1, 0);
    pan->addWidget(PanRtBtn, 1, 2);
    pan->addWidget(PanDnBtn, 2, 1);
    row->addWidget(GroupBox6);

    MouseGrp = new QGroupBox(QStringLiteral("Mouse"), body);
    MouseGrp->setObjectName("MouseGrp");
    auto* mouse = new QVBoxLayout(MouseGrp);
    mouse->setContentsMargins(4, 2, 4, 2);
    mouse->setSpacing(0);
    MouseGrpItems = new QButtonGroup(MouseGrp);
    MouseGrpItems->setObjectName("MouseGrpItems");
    const char* tools[] = {"Zoom", "Climb", "Peak"};
    for (int i = 0; i < 3; ++i) {
        auto* r = new QRadioButton(QString::fromLatin1(tools[i]), MouseGrp);
        r->setObjectName(QStringLiteral("MouseGrp%1").arg(tools[i]));
        r->setFocusPolicy(Qt::TabFocus);
        MouseGrpItems->addButton(r, i);
        mouse->addWidget(r);
    }
    MouseGrpItems->button(0)->setChecked(true);
    row->addWidget(MouseGrp);

    auto* sets = new QHBoxLayout;
    ActiveSetCombo = new QComboBox(body);
    ActiveSetCombo->setObjectName("ActiveSetCombo");
    ActiveSetCombo->setMinimumWidth(104);
    sets->addWidget(ActiveSetCombo);
    ShowPointsChk = new QCheckBox(QStringLiteral("Show Points"), body);
    ShowPointsChk->setObjectName("ShowPointsChk");
    ShowPointsChk->setVisible(false);
    sets->addWidget(ShowPointsChk);
    sets->addStretch(1);

    // Save, Load and Data Properties are made by their own code and placed beside these once made;
    // Scale, Plot Properties, Print and Export open their dialogs.
    m_dataButtons = new QGridLayout;
    m_dataButtons->setSpacing(2);
    ScaleBtn = button(body, "ScaleBtn", QStringLiteral("Scale"), QStringLiteral("Manually set plot scale"));
    EditBtn = button(body, "EditBtn", QStringLiteral("Plot Properties"),
                     QStringLiteral("Edit plot colors and text"));
    PrtBtn = button(body, "PrtBtn", QStringLiteral("Print"), QStringLiteral("Print the plot"));
    ExportBtn = button(body, "ExportBtn", QStringLiteral("Export"),
                       QStringLiteral("Export plot to bitmap, JPEG, GIF"));
    for (QPushButton* b : {ScaleBtn, EditBtn, PrtBtn, ExportBtn})
        b->setMinimumWidth(b->sizeHint().width());
    m_dataButtons->addWidget(ScaleBtn, 0, 3);
    m_dataButtons->addWidget(EditBtn, 1, 0);
    m_dataButtons->addWidget(PrtBtn, 1, 1);
    m_dataButtons->addWidget(ExportBtn, 1, 2);
    // The set combo above the buttons, so all of them fit the fixed window width.
    auto* right = new QVBoxLayout;
    right->addLayout(sets);
    right->addLayout(m_dataButtons);
    right->addStretch(1);
    row->addStretch(1);
    row->addLayout(right);

    Image2 = new QLabel(body);
    Image2->setObjectName("Image2");
    Image2->setVisible(false); // its picture is drawn once the window is up (finishStartup)

    connectPlotViewHandlers();
}

void TMainForm::placeDataPageButtons() {
    if (!m_dataButtons) return;
    const struct {
        QWidget* button;
        int row, column;
    } places[] = {{SaveBtn, 0, 0},   {LoadBtn, 0, 1},   {DataPropBtn, 0, 2},
                  {LineUpBtn, 1, 3}, {ImportBtn, 1, 2}, {FlightsBtn, 0, 4}};
    for (const auto& s : places) {
        QWidget* b = s.button;
        if (!b || m_dataButtons->indexOf(b) >= 0) continue;
        m_dataButtons->addWidget(b, s.row, s.column);
        b->setMinimumWidth(b->sizeHint().width());
        b->setFocusPolicy(Qt::TabFocus);
        b->show();
    }
}

void TMainForm::connectPlotViewHandlers() {
    connect(ZoomInBtn, &QPushButton::clicked, this, &TMainForm::ZoomInBtnClick);
    connect(ZoomOutBtn, &QPushButton::clicked, this, &TMainForm::ZoomOutBtnClick);
    connect(ZoomResetBtn, &QPushButton::clicked, this, &TMainForm::ZoomResetBtnClick);
    connect(ZoomCropBtn, &QPushButton::clicked, this, &TMainForm::ZoomCropBtnClick);
    connect(PanLtBtn, &QPushButton::clicked, this, &TMainForm::PanLtBtnClick);
    connect(PanRtBtn, &QPushButton::clicked, this, &TMainForm::PanRtBtnClick);
    connect(PanUpBtn, &QPushButton::clicked, this, &TMainForm::PanUpBtnClick);
    connect(PanDnBtn, &QPushButton::clicked, this, &TMainForm::PanDnBtnClick);
    connect(ShowPointsChk, &QCheckBox::clicked, this, &TMainForm::ShowPointsChkClick);
}

int TMainForm::activeDataSet() const {
    const int n = ActiveSetCombo ? ActiveSetCombo->currentIndex() : -1;
    return m_state->plot.settings.series.validSet(n) ? n : -1;
}

// --- handlers ---

orvo::PlotFrame TMainForm::PlotBoxPaint(QPainter& canvas, orvo::PlotRenderCache* cache) {
    const orvo::PlotState& plot = m_state->plot;
    m_mouse.circleShown = false;
    m_mouse.circleX = m_mouse.circleY = -10;
    const int ppiX = std::max(1, PlotBox->logicalDpiX());
    const int ppiY = std::max(1, PlotBox->logicalDpiY());
    // The screen always shows the box's size in colour; a print or export being prepared keeps
    // its own size and colour choice.
    // A print's distance from the page corner never moves the screen plot either.
    orvo::OutputSettings screen = plot.output;
    screen.width = double(PlotBox->width()) / ppiX;
    screen.height = double(PlotBox->height()) / ppiY;
    screen.left = screen.top = 0.0;
    screen.colour = 1;
    if (!cache)
        return orvo::RenderPlot(canvas, ppiX, ppiY, plot.settings, screen, plot.show, orvo::PlotBackground());
    return orvo::RenderPlot(canvas, ppiX, ppiY, plot.settings, screen, plot.show, orvo::PlotBackground(),
                            *cache);
}

void TMainForm::PlotBoxClick() {
    PageControl1->setFocus();
}

void TMainForm::PlotBoxMouseMove(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    const int X = pos.x(), Y = pos.y();
    const orvo::PlotFrame& f = PlotBox->frame();
    if (X < f.plotLeft || X > f.plotRight || Y < f.plotTop || Y > f.plotBottom) return;
    const orvo::PlotSettings& p = m_state->plot.settings;
    const double T = orvo::PixelToTime(p, f, X), A = orvo::PixelToAltitude(p, f, Y);

    const int tool = MouseGrpItems->checkedId();
    if (tool == 0 || tool == 1) {
        const int drag = tool == 0 ? m_mouse.zoomDrag : m_mouse.climbDrag;
        if (!drag) {
            m_mouse.startX = X, m_mouse.startY = Y;
            m_mouse.startTime = T, m_mouse.startAltitude = A;
        }
        m_mouse.endX = X, m_mouse.endY = Y;
        m_mouse.endTime = T, m_mouse.endAltitude = A;
    }

    orvo::PlotOverlay overlay;
    const int n = activeDataSet();
    if (n >= 0) {
        const orvo::Series& s = p.series.dataSet(n);
        const int k = orvo::NearestSample(s, T);
        if (k >= 0) {
            m_mouse.cursorSample = k;
            XYDisp->setText(orvo::CursorPositionText(s, k));
            const QString rate = orvo::CursorRateText(s, k);
            if (!rate.isEmpty()) ROCDisp->setText(rate);
            overlay.circle = true;
            overlay.centre =
                QPoint(f.plotLeft + orvo::TimeToPixel(p, f, s.samples.time[std::size_t(k)]),
                       f.plotTop + orvo::AltitudeToPixel(p, f, s.samples.altitude[std::size_t(k)]));
            m_mouse.climbEndSample = k;
            m_mouse.circleShown = true;
            m_mouse.circleX = overlay.centre.x();
            m_mouse.circleY = overlay.centre.y();
        }
    }
    overlay.zoomBand = m_mouse.zoomDrag != 0;
    overlay.climbBand = m_mouse.climbDrag != 0;
    overlay.bandStart = QPoint(m_mouse.startX, m_mouse.startY);
    overlay.bandEnd = QPoint(m_mouse.endX, m_mouse.endY);
    overlay.top = f.plotTop;
    overlay.bottom = f.plotBottom;
    PlotBox->setOverlay(overlay);
}

void TMainForm::PlotBoxMouseDown(QMouseEvent* event) {
    switch (MouseGrpItems->checkedId()) {
    case 0:
        if (event->button() == Qt::LeftButton) m_mouse.zoomDrag = 1;
        break;
    case 1:
        m_mouse.climbDrag = 1;
        m_mouse.climbStartSample = m_mouse.cursorSample;
        break;
    case 2: {
        const int n = activeDataSet();
        if (n < 0) break;
        orvo::SampleBuffer& b = m_state->plot.settings.series.dataSet(n).samples;
        const int k = m_mouse.cursorSample;
        if (k < 0 || k >= b.count || !b.hasPeakMarks) break;
        m_state->history.record("Peak Mark", {n},
                                [&] { b.peakMark[std::size_t(k)] = b.peakMark[std::size_t(k)] ? 0 : 1; });
        repaintPlot();
        break;
    }
    default:
        break;
    }
}

void TMainForm::PlotBoxMouseUp(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    orvo::PlotSettings& p = m_state->plot.settings;
    const int tool = MouseGrpItems->checkedId();
    const bool big =
        orvo::DragIsBigEnough(m_mouse.startTime, m_mouse.startAltitude, m_mouse.endTime, m_mouse.endAltitude);
    if (tool == 0 && m_mouse.zoomDrag == 1) {
        m_mouse.zoomDrag = 0;
        if (big) {
            p.timeMin = std::min(m_mouse.startTime, m_mouse.endTime);
            p.timeMax = std::max(m_mouse.startTime, m_mouse.endTime);
            p.altitudeMin = std::min(m_mouse.startAltitude, m_mouse.endAltitude);
            p.altitudeMax = std::max(m_mouse.startAltitude, m_mouse.endAltitude);
        }
        repaintPlot();
    } else if (tool == 1 && m_mouse.climbDrag == 1) {
        m_mouse.climbDrag = 0;
        const int n = activeDataSet();
        if (big && n >= 0) {
            m_state->history.record("Climb Mark", {n}, [&] {
                p.series.AddClimbMark(n, m_mouse.climbStartSample, m_mouse.climbEndSample);
            });
        }
        repaintPlot();
    }
}

void TMainForm::ZoomInBtnClick() {
    orvo::ZoomView(m_state->plot.settings, 0.5);
    repaintPlot();
}

void TMainForm::ZoomOutBtnClick() {
    orvo::ZoomView(m_state->plot.settings, 2.0);
    repaintPlot();
}

void TMainForm::ZoomResetBtnClick() {
    orvo::ResetView(m_state->plot.settings, m_state->plot.home);
    repaintPlot();
}

void TMainForm::PanLtBtnClick() {
    orvo::PanTime(m_state->plot.settings, -0.2);
    repaintPlot();
}

void TMainForm::PanRtBtnClick() {
    orvo::PanTime(m_state->plot.settings, 0.2);
    repaintPlot();
}

void TMainForm::PanUpBtnClick() {
    orvo::PanAltitude(m_state->plot.settings, 0.2);
    repaintPlot();
}

void TMainForm::PanDnBtnClick() {
    orvo::PanAltitude(m_state->plot.settings, -0.2);
    repaintPlot();
}

void TMainForm::ZoomCropBtnClick() {
    m_state->history.record("Crop", {},
                            [&] { orvo::CropToView(m_state->plot.settings, m_state->plot.home); });
    repaintPlot();
}

void TMainForm::ShowPointsChkClick() {
    repaintPlot();
}
