#include "app/largeplot.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/plotbox.h"
#include "app/recordeddatapage.h"
#include "app/tmainform.h"

LargePlotWindow::LargePlotWindow(TMainForm* form) : QWidget(form, Qt::Window), m_form(form) {
    setObjectName("LargePlotWindow");
    setWindowTitle(QStringLiteral("Orvo - Plot"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    // The same name as the page's plot, and the same view.
    m_box = new PlotBoxWidget(form->plotView(), this);
    m_box->installEventFilter(this);
    layout->addWidget(m_box, 1);
    auto* readouts = new QHBoxLayout;
    m_position = new QLabel(this);
    m_position->setObjectName("LargeXYDisp");
    m_rate = new QLabel(this);
    m_rate->setObjectName("LargeROCDisp");
    readouts->addWidget(m_position, 1);
    readouts->addWidget(m_rate, 1);
    auto* flights = new QPushButton(QStringLiteral("Flights"), this);
    flights->setObjectName("LargeFlightsBtn");
    flights->setFocusPolicy(Qt::NoFocus);
    connect(flights, &QPushButton::clicked, form, [form] { form->dataPage()->showFlightTable(); });
    readouts->addWidget(flights);
    auto* fit = new QPushButton(QStringLiteral("Fit All (A)"), this);
    fit->setObjectName("LargeFitBtn");
    fit->setFocusPolicy(Qt::NoFocus);
    fit->setToolTip(QStringLiteral("Fit the view to every data set (key A), as Scale, Auto does"));
    connect(fit, &QPushButton::clicked, form, [form] { form->dataPage()->fitViewToAllSets(); });
    readouts->addWidget(fit);
    layout->addLayout(readouts);
    resize(1000, 600);
}

void LargePlotWindow::showReadouts() {
    m_position->setText(m_form->positionReadout());
    m_rate->setText(m_form->rateReadout());
}

void LargePlotWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F11) {
        isFullScreen() ? showNormal() : showFullScreen();
        return;
    }
    if (event->key() == Qt::Key_Escape && isFullScreen()) {
        showNormal();
        return;
    }
    // The plot keys act on the plot as on the Recorded Data page.
    if (m_form->dataPageShown() && m_form->FormKeyDown(event)) return;
    QWidget::keyPressEvent(event);
}

bool LargePlotWindow::eventFilter(QObject* watched, QEvent* event) {
    // The read-outs follow every mouse move over the plot.
    // (after the move has been handled).
    if (watched == m_box && event->type() == QEvent::MouseMove)
        QMetaObject::invokeMethod(this, &LargePlotWindow::showReadouts, Qt::QueuedConnection);
    return QWidget::eventFilter(watched, event);
}

LargePlotOpener::LargePlotOpener(TMainForm* form) : QObject(form), m_form(form) {
    qApp->installEventFilter(this);
}

bool LargePlotOpener::eventFilter(QObject* watched, QEvent* event) {
    const bool f11 =
        event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F11;
    const bool doubleClick = event->type() == QEvent::MouseButtonDblClick && m_form->isPagePlot(watched);
    if (!f11 && !doubleClick) return false;
    if (f11 && (!watched->isWidgetType() || static_cast<QWidget*>(watched)->window() != m_form ||
                !m_form->dataPageShown()))
        return false;
    m_form->dataPage()->showLargePlot();
    return true;
}
