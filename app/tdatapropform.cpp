#include "app/tdatapropform.h"
#include "app/corepath.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStylePainter>
#include <QStyledItemDelegate>
#include <QUrl>
#include <QVBoxLayout>

#include "app/appstate.h"
#include "app/prompts.h"
#include "data/drift.h"
#include "data/flightstats.h"
#include "plot/setedit.h"

QColor toQColor(orvo::Colour c) {
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

orvo::Colour fromQColor(const QColor& c) {
    return orvo::Colour(c.red()) | (orvo::Colour(c.green()) << 8) | (orvo::Colour(c.blue()) << 16);
}

std::string cutUtf8(const QString& text, std::size_t maxBytes) {
    // One encoding, one cut, then back to the first byte of the character the cut fell in.
    // (Encoding again after every dropped character froze the window for seconds when a long
    // non-ASCII text had been pasted.)
    std::string bytes = text.toStdString();
    if (bytes.size() <= maxBytes) return bytes;
    std::size_t end = maxBytes;
    while (end > 0 && (static_cast<unsigned char>(bytes[end]) & 0xC0) == 0x80)
        --end;
    bytes.resize(end);
    return bytes;
}

namespace {

QString lfText(double v) {
    return QString::fromStdString(orvo::formatFixed(v, 0, 6));
}

// Draws every item of a StyleCombo's drop-down list as a 16-pixel-high picture.
class StyleDelegate : public QStyledItemDelegate {
  public:
    StyleDelegate(StyleCombo* combo) : QStyledItemDelegate(combo), m_combo(combo) {}
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        p->save();
        m_combo->drawItem()(*p, index.row(), option.rect);
        if (option.state & QStyle::State_Selected) {
            // The picture has no text, so the highlight is a frame around it.
            p->setPen(QPen(option.palette.highlight().color(), 2));
            p->setBrush(Qt::NoBrush);
            p->drawRect(option.rect.adjusted(1, 1, -1, -1));
        }
        p->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QSize(QStyledItemDelegate::sizeHint(option, index).width(), 16);
    }

  private:
    StyleCombo* m_combo;
};

const QStringList LineStyleNames = {"-none-", "Solid", "Dot", "Dash", "Dash Dot", "Dash Dot Dot"};
const QStringList PointStyleNames = {"-none-", "Dot", "Circle",  "Square",
                                     "Cross",  "X",   "Diamond", "Triangle"};

} // namespace

ColourPanel::ColourPanel(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setMinimumSize(40, 20);
    setCursor(Qt::PointingHandCursor);
}

void ColourPanel::setColour(orvo::Colour c) {
    m_colour = c & 0x00FFFFFF;
    update();
}

void ColourPanel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit clicked();
    QFrame::mousePressEvent(event);
}

void ColourPanel::paintEvent(QPaintEvent* event) {
    {
        QPainter p(this);
        p.fillRect(contentsRect(), toQColor(m_colour));
    }
    QFrame::paintEvent(event);
}

StyleCombo::StyleCombo(const QStringList& items, DrawItem draw, QWidget* parent)
    : QComboBox(parent), m_draw(std::move(draw)) {
    addItems(items);
    setItemDelegate(new StyleDelegate(this));
    setMinimumWidth(90);
}

void StyleCombo::paintEvent(QPaintEvent*) {
    QStylePainter p(this);
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    opt.currentText.clear();
    opt.currentIcon = QIcon();
    p.drawComplexControl(QStyle::CC_ComboBox, opt);
    const QRect face = style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, this);
    if (currentIndex() >= 0) m_draw(p, currentIndex(), face);
}

// Rectangles follow the module software's item convention: right and bottom lie just outside.
void TDataPropForm::LineStyleComboDrawItem(QPainter& p, int index, const QRect& rect) {
    p.fillRect(rect, Qt::white);
    static const Qt::PenStyle styles[] = {Qt::NoPen,    Qt::SolidLine,   Qt::DotLine,
                                          Qt::DashLine, Qt::DashDotLine, Qt::DashDotDotLine};
    if (index <= 0 || index > 5) return;
    p.setPen(QPen(Qt::black, 0, styles[index]));
    const int top = rect.y(), bottom = rect.y() + rect.height();
    const int y = top + (bottom - top) / 2;
    // The end point is excluded, as a line drawn to right - 4 would stop short of it.
    p.drawLine(rect.x() + 4, y, rect.x() + rect.width() - 5, y);
}

void TDataPropForm::PointStyleComboDrawItem(QPainter& p, int index, const QRect& rect) {
    p.fillRect(rect, Qt::white);
    p.setPen(QPen(Qt::black, 0));
    p.setBrush(Qt::NoBrush);
    p.setRenderHint(QPainter::Antialiasing, false);
    const int left = rect.x(), top = rect.y(), right = rect.x() + rect.width(),
              bottom = rect.y() + rect.height();
    const int h = bottom - top;
    const int cx = left + (right - left) / 2, cy = top + h / 2;
    const int q = h / 4, f = h / 5, s = h / 6;
    auto path = [&p](std::initializer_list<QPoint> pts) { p.drawPolyline(QPolygon(QList<QPoint>(pts))); };
    switch (index) {
    case 1:
        p.drawPoint(cx, cy);
        break;
    case 2:
        p.drawEllipse(QRect(QPoint(cx - q, cy - q), QPoint(cx + q - 1, cy + q - 1)));
        break;
    case 3:
        p.drawRect(QRect(QPoint(cx - f, cy - f), QPoint(cx + f - 1, cy + f - 1)));
        break;
    case 4:
        p.drawLine(cx - f, cy, cx + f, cy);
        p.drawLine(cx, cy - f, cx, cy + f);
        break;
    case 5:
        p.drawLine(cx - f, cy - f, cx + f, cy + f);
        p.drawLine(cx - f, cy + f, cx + f, cy - f);
        break;
    case 6:
        path({{cx, cy - q}, {cx - q, cy}, {cx, cy + q}, {cx + q, cy}, {cx, cy - q}});
        break;
    case 7:
        path({{cx, cy - q}, {cx - f, cy + s}, {cx + f, cy + s}, {cx, cy - q}});
        break;
    default:
        break;
    }
}

TDataPropForm::TDataPropForm(AppState* state, Prompts* prompts, QWidget* parent)
    : OrvoDialog("TDataPropForm", QStringLiteral("Data Properties"), state, prompts, parent) {
    auto* layout = new QHBoxLayout(this);

    auto* listColumn = new QVBoxLayout;
    listColumn->addWidget(new QLabel(QStringLiteral("Data Sets"), this));
    SetListBox = new QListWidget(this);
    SetListBox->setObjectName("SetListBox");
    SetListBox->setMinimumWidth(140);
    listColumn->addWidget(SetListBox, 1);
    layout->addLayout(listColumn);

    GroupBox1 = new QGroupBox(QStringLiteral("Options"), this);
    GroupBox1->setObjectName("GroupBox1");
    auto* grid = new QGridLayout(GroupBox1);
    int row = 0;
    auto edit = [this](const char* name, int maxLength) {
        auto* e = new QLineEdit(GroupBox1);
        e->setObjectName(name);
        if (maxLength > 0) e->setMaxLength(maxLength);
        return e;
    };
    auto label = [this](const QString& text) { return new QLabel(text, GroupBox1); };
    auto panel = [this](const char* name) {
        auto* p = new ColourPanel(GroupBox1);
        p->setObjectName(name);
        return p;
    };
    auto combo = [this](const char* name, const QStringList& items, StyleCombo::DrawItem draw) {
        auto* c = new StyleCombo(items, std::move(draw), GroupBox1);
        c->setObjectName(name);
        return c;
    };

    SignalDisplayNameEdit = edit("SignalDisplayNameEdit", orvo::MaxNameLength);
    grid->addWidget(label(QStringLiteral("Data Set Name")), row, 0);
    grid->addWidget(SignalDisplayNameEdit, row++, 1, 1, 3);

    Line_Clr = panel("Line_Clr");
    LineStyleCombo = combo("LineStyleCombo", LineStyleNames, &TDataPropForm::LineStyleComboDrawItem);
    grid->addWidget(label(QStringLiteral("Line Color")), row, 0);
    grid->addWidget(Line_Clr, row, 1);
    grid->addWidget(LineStyleCombo, row++, 2, 1, 2);

    Pt_Clr = panel("Pt_Clr");
    PointStyleCombo = combo("PointStyleCombo", PointStyleNames, &TDataPropForm::PointStyleComboDrawItem);
    grid->addWidget(label(QStringLiteral("Point Color")), row, 0);
    grid->addWidget(Pt_Clr, row, 1);
    grid->addWidget(PointStyleCombo, row++, 2, 1, 2);

    Trig_Clr = panel("Trig_Clr");
    TrigStyleCombo = combo("TrigStyleCombo", PointStyleNames, &TDataPropForm::PointStyleComboDrawItem);
    grid->addWidget(label(QStringLiteral("Trig Color")), row, 0);
    grid->addWidget(Trig_Clr, row, 1);
    grid->addWidget(label(QStringLiteral("Point Style")), row, 2);
    grid->addWidget(TrigStyleCombo, row++, 3);

    XOffsetEdit = edit("XOffsetEdit", 0);
    YOffsetEdit = edit("YOffsetEdit", 0);
    grid->addWidget(label(QStringLiteral("Time Offset")), row, 0);
    grid->addWidget(XOffsetEdit, row++, 1, 1, 3);
    grid->addWidget(label(QStringLiteral("Altitude Offset")), row, 0);
    grid->addWidget(YOffsetEdit, row++, 1, 1, 3);

    XScaleEdit = edit("XScaleEdit", 0);
    YScaleEdit = edit("YScaleEdit", 0);
    XScaleLabel = label(QStringLiteral("Time Scale"));
    YScaleLabel = label(QStringLiteral("Altitude Scale"));
    for (QWidget* w : {static_cast<QWidget*>(XScaleEdit), static_cast<QWidget*>(YScaleEdit),
                       static_cast<QWidget*>(XScaleLabel), static_cast<QWidget*>(YScaleLabel)})
        w->setVisible(false);
    grid->addWidget(XScaleLabel, row, 0);
    grid->addWidget(XScaleEdit, row++, 1, 1, 3);
    grid->addWidget(YScaleLabel, row, 0);
    grid->addWidget(YScaleEdit, row++, 1, 1, 3);

    Note1Edit = edit("Note1Edit", orvo::MaxTextLength);
    Note2Edit = edit("Note2Edit", orvo::MaxTextLength);
    Note3Edit = edit("Note3Edit", orvo::MaxTextLength);
    QLineEdit* notes[] = {Note1Edit, Note2Edit, Note3Edit};
    for (int i = 0; i < 3; ++i) {
        grid->addWidget(label(QStringLiteral("Note %1").arg(i + 1)), row, 0);
        grid->addWidget(notes[i], row++, 1, 1, 3);
    }
    // What happened in the selected flight, read-only under the options.
    StatsGroup = new QGroupBox(QStringLiteral("Flight Statistics"), this);
    StatsGroup->setObjectName("StatsGroup");
    auto* statsLayout = new QVBoxLayout(StatsGroup);
    FlightStatsDisp = new QLabel(StatsGroup);
    FlightStatsDisp->setObjectName("FlightStatsDisp");
    FlightStatsDisp->setTextInteractionFlags(Qt::TextSelectableByMouse);
    FlightStatsDisp->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    statsLayout->addWidget(FlightStatsDisp);
    auto* middleColumn = new QVBoxLayout;
    middleColumn->addWidget(GroupBox1, 1);
    middleColumn->addWidget(StatsGroup);
    layout->addLayout(middleColumn, 1);

    auto* buttons = new QVBoxLayout;
    auto button = [this, buttons](const char* name, const QString& text, const QString& hint) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        if (!hint.isEmpty()) b->setToolTip(hint);
        buttons->addWidget(b);
        return b;
    };
    ApplyBtn = button("ApplyBtn", QStringLiteral("Apply"), QString());
    DelSetBtn = button("DelSetBtn", QStringLiteral("Delete Data Set"), QString());
    DriftBtn = button("DriftBtn", QStringLiteral("Fix Drift"),
                      QStringLiteral("Adjust for pressure drift over time"));
    OffsetBtn = button("OffsetBtn", QStringLiteral("Fix Offset"), QStringLiteral("Adjust for offset"));
    PhotoBtn = button("PhotoBtn", QStringLiteral("Export Photo Info"),
                      QStringLiteral("Export list of triggers with altitudes"));
    PhotoBtn->setVisible(false);
    buttons->addStretch(1);
    OKBtn = button("OKBtn", QStringLiteral("Close"), QString());
    layout->addLayout(buttons);

    connect(SetListBox, &QListWidget::currentRowChanged, this, [this] {
        if (!m_applying) SetListBoxClick();
    });
    // A click on the entry already selected shows it afresh too (the offset boxes read 0 again).
    connect(SetListBox, &QListWidget::itemClicked, this, &TDataPropForm::SetListBoxClick);
    connect(ApplyBtn, &QPushButton::clicked, this, &TDataPropForm::ApplyBtnClick);
    connect(DelSetBtn, &QPushButton::clicked, this, &TDataPropForm::DelSetBtnClick);
    connect(DriftBtn, &QPushButton::clicked, this, &TDataPropForm::DriftBtnClick);
    connect(OffsetBtn, &QPushButton::clicked, this, &TDataPropForm::OffsetBtnClick);
    connect(PhotoBtn, &QPushButton::clicked, this, &TDataPropForm::PhotoBtnClick);
    connect(OKBtn, &QPushButton::clicked, this, &TDataPropForm::OKBtnClick);
    for (ColourPanel* p : {Line_Clr, Pt_Clr, Trig_Clr})
        connect(p, &ColourPanel::clicked, this, [this, p] { Line_ClrClick(p); });

    setSetControlsEnabled(false);
}

int TDataPropForm::selectedSet() const {
    const int n = SetListBox->currentRow();
    return m_state->plot.settings.series.validSet(n) ? n : -1;
}

void TDataPropForm::setSetControlsEnabled(bool enabled) {
    for (QWidget* w : std::initializer_list<QWidget*>{
             SignalDisplayNameEdit, Line_Clr, LineStyleCombo, Pt_Clr, PointStyleCombo, Trig_Clr,
             TrigStyleCombo, XOffsetEdit, YOffsetEdit, XScaleEdit, YScaleEdit, Note1Edit, Note2Edit,
             Note3Edit, ApplyBtn, DelSetBtn, DriftBtn, OffsetBtn, PhotoBtn})
        w->setEnabled(enabled);
}

void TDataPropForm::changed() {
    if (plotChanged) plotChanged();
}

void TDataPropForm::FormShow() {
    if (SetListBox->count() > 0) SetListBox->setCurrentRow(0);
    ShowSetProperties();
}

void TDataPropForm::ShowSetProperties() {
    const int n = selectedSet();
    if (n < 0) {
        // No data set: nothing to show, nothing that acts on a set can be pressed.
        setSetControlsEnabled(false);
        PhotoBtn->setVisible(false);
        for (QLineEdit* e : {SignalDisplayNameEdit, XOffsetEdit, YOffsetEdit, XScaleEdit, YScaleEdit,
                             Note1Edit, Note2Edit, Note3Edit})
            e->clear();
        showFlightStatistics();
        return;
    }
    setSetControlsEnabled(true);
    const orvo::SeriesList& list = m_state->plot.settings.series;
    const orvo::Series& set = list.dataSet(n);
    const orvo::Series& trig = list.triggerSet(n);
    Line_Clr->setColour(set.lineColour);
    Pt_Clr->setColour(set.pointColour);
    Trig_Clr->setColour(trig.pointColour);
    LineStyleCombo->setCurrentIndex(std::clamp(set.lineStyle, 0, LineStyleCombo->count() - 1));
    PointStyleCombo->setCurrentIndex(std::clamp(set.pointStyle, 0, PointStyleCombo->count() - 1));
    TrigStyleCombo->setCurrentIndex(std::clamp(trig.pointStyle, 0, TrigStyleCombo->count() - 1));
    XOffsetEdit->setText(lfText(set.timeOffset));
    YOffsetEdit->setText(lfText(set.altitudeOffset));
    XScaleEdit->setText(lfText(set.timeScale));
    YScaleEdit->setText(lfText(set.altitudeScale));
    SignalDisplayNameEdit->setText(QString::fromStdString(set.name));
    Note1Edit->setText(QString::fromStdString(set.note1));
    Note2Edit->setText(QString::fromStdString(set.note2));
    Note3Edit->setText(QString::fromStdString(set.note3));
    PhotoBtn->setVisible(trig.DisplayFlag != 0);
    showFlightStatistics();
}

void TDataPropForm::showFlightStatistics() {
    const int n = selectedSet();
    if (n < 0) {
        FlightStatsDisp->clear();
        return;
    }
    // The rate unit is the set's own, never the plot's altitude label (another set's unit).
    const orvo::Series& set = m_state->plot.settings.series.dataSet(n);
    const orvo::FlightStatistics stats = orvo::computeFlightStatistics(set);
    QStringList lines;
    for (const std::string& line : orvo::describeFlightStatistics(stats, orvo::rateUnit(set)))
        lines << QString::fromStdString(line);
    FlightStatsDisp->setText(lines.join('\n'));
}

void TDataPropForm::SetListBoxClick() {
    ShowSetProperties();
}

void TDataPropForm::ApplyBtnClick() {
    ApplySetProperties();
}

void TDataPropForm::ApplySetProperties() {
    const int n = selectedSet();
    if (n < 0) return;
    m_state->history.record("Apply", {n}, [&] { applyFields(n); });
    SignalDisplayNameEdit->setText(QString::fromStdString(m_state->plot.settings.series.dataSet(n).name));
    showFlightStatistics();
    changed();
}

void TDataPropForm::applyFields(int n) {
    orvo::SeriesList& list = m_state->plot.settings.series;
    orvo::Series& set = list.dataSet(n);
    orvo::Series& trig = list.triggerSet(n);
    set.lineColour = Line_Clr->colour();
    set.pointColour = Pt_Clr->colour();
    trig.pointColour = Trig_Clr->colour();
    set.lineStyle = LineStyleCombo->currentIndex();
    set.pointStyle = PointStyleCombo->currentIndex();
    trig.pointStyle = TrigStyleCombo->currentIndex();

    double dt = 0.0, da = 0.0, scale = 0.0;
    if (!orvo::readLf(XOffsetEdit->text().toStdString(), dt)) dt = 0.0;
    if (!orvo::readLf(YOffsetEdit->text().toStdString(), da)) da = 0.0;
    if (orvo::readLf(XScaleEdit->text().toStdString(), scale)) set.timeScale = scale;
    if (orvo::readLf(YScaleEdit->text().toStdString(), scale)) set.altitudeScale = scale;
    list.ShiftDataSet(n, dt, da);

    set.note1 = cutUtf8(Note1Edit->text(), orvo::MaxTextLength);
    set.note2 = cutUtf8(Note2Edit->text(), orvo::MaxTextLength);
    set.note3 = cutUtf8(Note3Edit->text(), orvo::MaxTextLength);
    m_applying = true;
    list.RenameDataSet(n, cutUtf8(SignalDisplayNameEdit->text(), orvo::MaxNameLength));
    m_applying = false;
}

void TDataPropForm::Line_ClrClick(ColourPanel* panel) {
    QColor c = toQColor(panel->colour());
    if (m_prompts->chooseColour(this, QStringLiteral("Color"), c)) panel->setColour(fromQColor(c));
}

void TDataPropForm::DelSetBtnClick() {
    const int n = selectedSet();
    if (n < 0) return;
    m_state->history.recordDelete(n, [&] { m_state->plot.settings.series.DeleteDataSet(n); });
    if (SetListBox->count() > 0) SetListBox->setCurrentRow(0);
    ShowSetProperties();
    changed();
}

void TDataPropForm::DriftBtnClick() {
    const int n = selectedSet();
    if (n < 0) return;
    const orvo::EditResult r =
        m_state->history.record("Fix Drift", {n}, [&] { return orvo::applyFixDrift(m_state->plot, n); });
    if (!r.ok()) {
        m_prompts->error(this, QString::fromStdString(orvo::describeEditResult(r)));
        return;
    }
    showFlightStatistics();
    changed();
}

void TDataPropForm::OffsetBtnClick() {
    const int n = selectedSet();
    if (n < 0) return;
    const orvo::EditResult r =
        m_state->history.record("Fix Offset", {n}, [&] { return orvo::applyFixOffset(m_state->plot, n); });
    if (!r.ok()) {
        m_prompts->error(this, QString::fromStdString(orvo::describeEditResult(r)));
        return;
    }
    showFlightStatistics();
    changed();
}

void TDataPropForm::PhotoBtnClick() {
    const int n = selectedSet();
    if (n < 0) return;
    const QString path = m_prompts->saveFileName(this, QStringLiteral("Export Photo Info"), QString(),
                                                 QStringLiteral("Photo List (*.txt);;All Files (*.*)"),
                                                 nullptr, QStringLiteral("txt"));
    if (path.isEmpty()) return;
    const orvo::FileStatus written = orvo::writePhotoList(m_state->plot.settings, n, orvo::corePath(path));
    if (written != orvo::FileStatus::Ok) {
        // A full disk is a failed write, not a file that could not be opened.
        m_prompts->error(this,
                         (written == orvo::FileStatus::WriteFailed ? QStringLiteral("Unable to write %1!")
                                                                   : QStringLiteral("Unable to open %1!"))
                             .arg(path));
        return;
    }
    // The list is written either way; without a program for text files only the opening fails.
    // A success: told as information, not under "Error".
    if (!m_prompts->openUrl(QUrl::fromLocalFile(path)))
        m_prompts->message(this, Prompts::Icon::Information, QStringLiteral("Export Photo Info"),
                           QStringLiteral("The photo list was saved as %1, but no program is set up on "
                                          "this computer to open it.")
                               .arg(QDir::toNativeSeparators(path)));
}

void TDataPropForm::OKBtnClick() {
    reject();
}
