// The hidden Log Data page: live altitude logging. Start tells the module to stream its altitude
// ('l'); the page shows a time and an altitude read-out and the strip chart AltBox drawn from the
// ring buffer of recent readings. Nothing reads the stream yet, so the tick does nothing.
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "app/infotextlog.h"
#include "app/moduletransactions.h"
#include "app/tmainform.h"
#include "link/livelog.h"
#include "moduleops/moduleoperations.h"

namespace {

// The strip chart: its picture comes from the window's AltBoxPaint.
class AltBoxWidget : public QWidget {
  public:
    AltBoxWidget(TMainForm* form, QWidget* parent) : QWidget(parent), m_form(form) {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        m_form->AltBoxPaint(p);
    }

  private:
    TMainForm* m_form;
};

QLabel* readout(QWidget* parent, const char* name, const QString& text, const char* colour) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setAlignment(Qt::AlignCenter);
    l->setFixedSize(170, 28);
    l->setStyleSheet(
        QStringLiteral("QLabel { background: black; color: %1; font-weight: bold; font-size: 12pt; }")
            .arg(QLatin1String(colour)));
    return l;
}

} // namespace

void TMainForm::buildLogPage() {
    QWidget* const body = pageBody(LogPage);
    auto* layout = new QHBoxLayout(body);

    auto* left = new QVBoxLayout;
    Label2 = new QLabel(QStringLiteral("Time"), body);
    Label2->setObjectName("Label2");
    Panel3 = readout(body, "Panel3", QStringLiteral("0d 00:00:00.00"), "lime");
    Label3 = new QLabel(QStringLiteral("Altitude (feet)"), body);
    Label3->setObjectName("Label3");
    AltDisp = readout(body, "AltDisp", QStringLiteral("10000"), "red");
    StartBtn = new QPushButton(QStringLiteral("Start"), body);
    StartBtn->setObjectName("StartBtn");
    ClearBtn = new QPushButton(QStringLiteral("Clear"), body);
    ClearBtn->setObjectName("ClearBtn");
    left->addWidget(Label2);
    left->addWidget(Panel3);
    left->addSpacing(8);
    left->addWidget(Label3);
    left->addWidget(AltDisp);
    left->addSpacing(16);
    left->addWidget(StartBtn);
    left->addWidget(ClearBtn);
    left->addStretch(1);
    layout->addLayout(left);

    auto* chart = new QVBoxLayout;
    AMaxLabel = new QLabel(QStringLiteral("10000"), body);
    AMaxLabel->setObjectName("AMaxLabel");
    chart->addWidget(AMaxLabel);
    AltBox = new AltBoxWidget(this, body);
    AltBox->setObjectName("AltBox");
    AltBox->setFixedSize(540, 380);
    chart->addWidget(AltBox);
    AMinLabel = new QLabel(QStringLiteral("0"), body);
    AMinLabel->setObjectName("AMinLabel");
    chart->addWidget(AMinLabel);
    chart->addStretch(1);
    layout->addLayout(chart, 1);

    connect(StartBtn, &QPushButton::clicked, this, &TMainForm::StartBtnClick);
    // ClearBtn has no action: nothing fills the chart yet.
}

void TMainForm::StartBtnClick() {
    AppState& s = *m_state;
    // Refused while another exchange runs: it holds Timer1 and would start it again when done.
    if (m_transactions->running()) return;
    if (s.logging) {
        // Stop sends nothing; the module keeps streaming until it is reset or switched off.
        Timer1->stop();
        s.logging = false;
        StartBtn->setText(QStringLiteral("Start"));
        LogDisp->clear();
        return;
    }
    auto busy = m_transactions->begin();
    if (!busy) return;
    if (!linkConnected(true)) return;
    InfoTextLog log(this);
    if (orvo::startModuleLiveLog(m_state->link, log) != orvo::LinkStatus::Ok) return;
    s.logging = true;
    StartBtn->setText(QStringLiteral("Stop"));
    LogDisp->setText(QStringLiteral("Logging"));
    Timer1->start();
}

void TMainForm::Timer1Timer() {
    // The module's live stream is not read yet; the tick keeps its place for when it is.
}

void TMainForm::AltBoxPaint(QPainter& canvas) {
    const int w = AltBox->width();
    const int h = AltBox->height();
    const AppState& s = *m_state;
    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.fillRect(0, 0, w, h, Qt::black);
    canvas.setPen(QPen(QColor(0x80, 0x80, 0x80), 1));
    for (int i = 0; i <= 10; ++i) {
        const int y = i * h / 10;
        canvas.drawLine(0, y, w, y);
    }
    const std::vector<orvo::ChartPoint> points =
        orvo::stripChartPoints(s.liveLog, s.logHead, s.logTail, s.logCount, w, h);
    if (points.size() > 1) {
        QPolygon line;
        line.reserve(static_cast<int>(points.size()));
        for (const orvo::ChartPoint& p : points)
            line << QPoint(p.x, p.y);
        canvas.setPen(QPen(QColor(0xFF, 0, 0), 2));
        canvas.setBrush(QColor(0xFF, 0, 0));
        canvas.drawPolyline(line);
    }
    canvas.setPen(QPen(QColor(0x80, 0x80, 0x80), 1));
}
