// Makes the pictures of the user manual from the program's own windows, working against the
// built-in simulated module: connect, Download Info, download every flight, then each page and
// the Data Properties dialog are grabbed into docs/images/. Run it by hand after a change to the
// windows (target orvo_manual_shots):
//
//   QT_QPA_PLATFORM=offscreen build/release/docs/orvo_manual_shots docs/images
//
// Settings and downloaded flights go to a temporary home, never to the user's own.
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QThread>

#include <clocale>
#include <cstdio>
#include <cstdlib>

#include "app/appwindows.h"
#include "app/largeplot.h"
#include "app/plotbox.h"
#include "app/prompts.h"
#include "app/recordeddatapage.h"
#include "app/tdatapropform.h"
#include "app/teditinfoform.h"
#include "app/tmainform.h"
#include "data/datafile.h"
#include "plot/plotrender.h"
#include "plot/plotsettings.h"
#include "tests/gui/controls.h"

namespace {

// Every question gets its harmless answer; none is expected on this path.
class QuietPrompts : public Prompts {
  public:
    QMessageBox::StandardButton message(QWidget*, Icon, const QString& caption, const QString& text,
                                        QMessageBox::StandardButtons buttons, const QString&) override {
        std::fprintf(stderr, "question: %s: %s\n", qPrintable(caption), qPrintable(text));
        return (buttons & QMessageBox::No) ? QMessageBox::No : QMessageBox::Ok;
    }
    QString openFileName(QWidget*, const QString&, const QString&, const QString&, QString*) override {
        return {};
    }
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&, QString*,
                         const QString&) override {
        return {};
    }
    bool chooseColour(QWidget*, const QString&, QColor&) override { return false; }
    bool printDialog(QWidget*, QPrinter*) override { return false; }
    int execDialog(QDialog*) override { return 0; }
    bool openUrl(const QUrl&) override { return true; }
};

} // namespace

// A control the pictures need is not there under its name: no picture can be trusted.
void controlMissing(const QObject* root, const char* name, const char* type, std::source_location where) {
    std::fprintf(stderr, "%s:%u: no %s named %s under %s\n", where.file_name(), unsigned(where.line()), type,
                 name, root ? qPrintable(root->objectName()) : "nothing");
    std::exit(1);
}

namespace {

void settle(int ms = 50) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QApplication::processEvents();
        QThread::msleep(5);
    }
}

bool save(QWidget* w, const QDir& dir, const char* name) {
    settle();
    // A palette image keeps the files small; window pictures hold few colours.
    const QImage img = w->grab().toImage().convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    const QString path = dir.filePath(QString::fromLatin1(name));
    const bool ok = img.save(path, "PNG", 0); // 0: the smallest file;
    std::printf("%s %s (%dx%d)\n", ok ? "wrote" : "FAILED", qPrintable(path), img.width(), img.height());
    return ok;
}

void mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons) {
    QMouseEvent e(type, at, w->mapToGlobal(at), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// The pixel of (time, altitude) on the plot box, from the frame of its last picture.
QPoint at(PlotBoxWidget* box, const orvo::PlotSettings& p, double time, double altitude) {
    const orvo::PlotFrame& f = box->frame();
    return {f.plotLeft + orvo::TimeToPixel(p, f, time), f.plotTop + orvo::AltitudeToPixel(p, f, altitude)};
}

} // namespace

int main(int argc, char** argv) {
    // A home of its own for the settings and the download copies, named so that the paths the
    // pictures show read naturally; removed at the end.
    QDir home(QStringLiteral("/tmp/flyer"));
    home.removeRecursively();
    qputenv("XDG_CONFIG_HOME", "/tmp/flyer/.config");
    qputenv("XDG_DATA_HOME", "/tmp/flyer/.local/share");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("Orvo"));
    QApplication::setOrganizationName(QStringLiteral("TamberlinSystems"));
    if (argc != 2) {
        std::fprintf(stderr, "usage: orvo_manual_shots FOLDER\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    bool ok = true;

    QuietPrompts prompts;
    // Started as the program starts: the pages behind About follow the first picture.
    AppWindows windows(&prompts, StartMode::AfterFirstPicture);
    TMainForm& f = *windows.mainForm;
    f.setRequestedPort(QStringLiteral("Simulator"));
    f.show();
    settle(200);
    ok &= save(&f, dir, "about.png");

    // The start-up placeholder set would only clutter the pictures of real flights.
    f.state().plot.settings.series.DeleteDataSet(0);
    control<QPushButton>(&f, "ConnectBtn")->click();
    control<QPushButton>(&f, "DLInfoBtn")->click();
    QComboBox* sets = control<QComboBox>(&f, "SetList");
    sets->setCurrentIndex(sets->count() - 1); // "All"
    control<QPushButton>(&f, "DLDataBtn")->click();
    control<QTabWidget>(&f, "PageControl1")->setCurrentWidget(control<QWidget>(&f, "ConnectPage"));
    ok &= save(&f, dir, "connect.png");
    control<QTabWidget>(&f, "PageControl1")->setCurrentWidget(control<QWidget>(&f, "ConfigurePage"));
    ok &= save(&f, dir, "configure.png");

    // The Recorded Data page with a climb measured on the first flight and its apogee marked.
    control<QTabWidget>(&f, "PageControl1")->setCurrentWidget(control<QWidget>(&f, "DataPage"));
    settle(200);
    auto* box = f.findChild<PlotBoxWidget*>(QStringLiteral("PlotBox"));
    orvo::PlotSettings& p = f.state().plot.settings;
    if (box && p.series.dataSetCount() > 0) {
        // The mouse tools work on the active set.
        control<QComboBox>(&f, "ActiveSetCombo")->setCurrentIndex(0);
        // Zoomed to the first minute, with room above the apogee for its label.
        p.timeMin = 0;
        p.timeMax = 60;
        p.altitudeMin = 0;
        p.altitudeMax = 5000;
        f.repaintPlot();
        settle(100);
        const orvo::Series& set = p.series.dataSet(0);
        int top = 0;
        const orvo::SampleBuffer& s = set.samples;
        for (int i = 0; i < s.count; ++i)
            if (s.altitude[i] > s.altitude[top]) top = i;
        int liftoff = 0;
        while (liftoff < top && s.altitude[liftoff] < 0.05 * s.altitude[top])
            ++liftoff;
        // Climb: drag from liftoff to apogee.
        control<QButtonGroup>(&f, "MouseGrpItems")->button(1)->click();
        const QPoint a = at(box, p, s.time[liftoff], s.altitude[liftoff]);
        const QPoint b = at(box, p, s.time[top], s.altitude[top]);
        mouse(box, QEvent::MouseMove, a, Qt::NoButton, Qt::NoButton);
        mouse(box, QEvent::MouseButtonPress, a, Qt::LeftButton, Qt::LeftButton);
        mouse(box, QEvent::MouseMove, b, Qt::NoButton, Qt::LeftButton);
        mouse(box, QEvent::MouseButtonRelease, b, Qt::LeftButton, Qt::NoButton);
        // Peak: a click at the apogee.
        control<QButtonGroup>(&f, "MouseGrpItems")->button(2)->click();
        mouse(box, QEvent::MouseMove, b, Qt::NoButton, Qt::NoButton);
        mouse(box, QEvent::MouseButtonPress, b, Qt::LeftButton, Qt::LeftButton);
        mouse(box, QEvent::MouseButtonRelease, b, Qt::LeftButton, Qt::NoButton);
        control<QButtonGroup>(&f, "MouseGrpItems")->button(0)->click();
        settle(100);
        mouse(box, QEvent::MouseMove, b, Qt::NoButton, Qt::NoButton);
    }
    ok &= save(&f, dir, "recorded.png");

    TDataPropForm& props = *windows.dataPropForm;
    props.show();
    settle(200);
    ok &= save(&props, dir, "dataprop.png");
    props.hide();

    TEditInfoForm& info = *windows.editInfoForm;
    info.FormShow();
    info.show();
    settle(200);
    ok &= save(&info, dir, "plotinfo.png");
    info.hide();

    // Comparing flights: three downloaded flights written as this program, a backup altimeter (in
    // feet, with a temperature column) and a flight simulator (in metres, under comment lines)
    // would write them, opened together, lined up at liftoff and shown in the large plot.
    if (p.series.dataSetCount() >= 3) {
        for (orvo::ClimbMark& m : p.series.dataSet(0).climbMarks) // the marks of the picture above
            m = orvo::ClimbMark{};
        for (std::uint8_t& mark : p.series.dataSet(0).samples.peakMark)
            mark = 0;
        const QString own = home.filePath(QStringLiteral("module.csv"));
        orvo::saveDataSetFile(own.toStdString(), p.series, 0, orvo::PlotFileHeader{});
        QByteArray backup = "time_s,altitude_ft,temperature,voltage\n";
        QByteArray simulation = "# Simulation 1 (C6-5)\n# Time (s),Altitude (m),Vertical velocity (m/s)\n";
        const orvo::SampleBuffer& b1 = p.series.dataSet(1).samples;
        for (int i = 0; i < b1.count; ++i)
            backup += QByteArray::number(b1.time[i] + 2.5, 'f', 2) + "," +
                      QByteArray::number(b1.altitude[i], 'f', 0) + ",76.7F,7.9\n";
        const orvo::SampleBuffer& b2 = p.series.dataSet(2).samples;
        for (int i = 0; i < b2.count; ++i)
            simulation += QByteArray::number(b2.time[i] + 1.0, 'f', 3) + "," +
                          QByteArray::number(b2.altitude[i] * 0.3048, 'f', 2) + ",0\n";
        const QString backupFile = home.filePath(QStringLiteral("backup.csv"));
        const QString simulationFile = home.filePath(QStringLiteral("simulation.csv"));
        for (const auto& [path, text] :
             {std::pair{backupFile, backup}, std::pair{simulationFile, simulation}}) {
            QFile file(path);
            if (file.open(QIODevice::WriteOnly)) file.write(text);
        }
        while (p.series.dataSetCount() > 0)
            p.series.DeleteDataSet(0);
        p.yLabel = "Altitude (Feet)";
        for (const QString& path : {own, backupFile, simulationFile})
            f.dataPage()->loadDataFile(path);
        const orvo::Colour colours[3] = {0x00C00000, 0x000000D0, 0x00008000}; // blue, red, green
        for (int n = 0; n < p.series.dataSetCount() && n < 3; ++n)
            p.series.dataSet(n).lineColour = colours[n];
        control<QPushButton>(&f, "LineUpBtn")->click();
        orvo::AutoScaleTime(p, f.state().plot.home);
        orvo::AutoScaleAltitude(p, f.state().plot.home);
        p.timeMin = 0;
        p.timeMax = 60;
        p.title = "Three flights lined up at liftoff";
        f.dataPage()->showLargePlot();
        f.dataPage()->largePlot()->resize(900, 480);
        settle(200);
        ok &= save(f.dataPage()->largePlot(), dir, "compare.png");
        f.dataPage()->largePlot()->close();
    }
    f.close();
    home.removeRecursively();
    return ok ? 0 : 1;
}
