#include "app/csvimportdialog.h"

#include <QComboBox>
#include <QCryptographicHash>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSettings>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr int FirstValuesShown = 3;

QString settingsKey(const std::string& headerKey) {
    // One key per header, whatever characters it holds.
    const QByteArray hash =
        QCryptographicHash::hash(QByteArray::fromStdString(headerKey), QCryptographicHash::Sha1).toHex();
    return QStringLiteral("Import/") + QString::fromLatin1(hash);
}

} // namespace

CsvImportDialog::CsvImportDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("CsvImportDialog");
    setWindowTitle(QStringLiteral("Import CSV File"));
    auto* box = new QVBoxLayout(this);
    DoubtLabel = new QLabel(this);
    DoubtLabel->setObjectName("DoubtLabel");
    DoubtLabel->setWordWrap(true);
    box->addWidget(DoubtLabel);
    ColumnTable = new QTableWidget(this);
    ColumnTable->setObjectName("ColumnTable");
    ColumnTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    box->addWidget(ColumnTable);
    auto* form = new QFormLayout();
    TimeCombo = new QComboBox(this);
    TimeCombo->setObjectName("TimeCombo");
    AltitudeCombo = new QComboBox(this);
    AltitudeCombo->setObjectName("AltitudeCombo");
    UnitCombo = new QComboBox(this);
    UnitCombo->setObjectName("UnitCombo");
    form->addRow(QStringLiteral("Time column:"), TimeCombo);
    form->addRow(QStringLiteral("Altitude column:"), AltitudeCombo);
    form->addRow(QStringLiteral("Altitude unit:"), UnitCombo);
    box->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    box->addWidget(buttons);
}

void CsvImportDialog::setLayout(const orvo::CsvLayout& layout, const orvo::CsvMapping& mapping) {
    m_layout = layout;
    m_guess = mapping;
    const int columns = static_cast<int>(layout.columns.size());
    ColumnTable->clear();
    ColumnTable->setRowCount(columns);
    ColumnTable->setColumnCount(1 + FirstValuesShown);
    QStringList heads{QStringLiteral("Column")};
    for (int i = 1; i <= FirstValuesShown; ++i)
        heads << QStringLiteral("Row %1").arg(i);
    ColumnTable->setHorizontalHeaderLabels(heads);
    TimeCombo->clear();
    AltitudeCombo->clear();
    for (int c = 0; c < columns; ++c) {
        const orvo::CsvColumn& col = layout.columns[static_cast<std::size_t>(c)];
        const QString name = QString::fromStdString(col.name);
        ColumnTable->setItem(c, 0, new QTableWidgetItem(name));
        for (int v = 0; v < FirstValuesShown && v < static_cast<int>(col.firstValues.size()); ++v)
            ColumnTable->setItem(
                c, 1 + v,
                new QTableWidgetItem(QString::fromStdString(col.firstValues[static_cast<std::size_t>(v)])));
        TimeCombo->addItem(name);
        AltitudeCombo->addItem(name);
    }
    ColumnTable->horizontalHeader()->setStretchLastSection(true);
    TimeCombo->setCurrentIndex(mapping.timeColumn);
    AltitudeCombo->setCurrentIndex(mapping.altitudeColumn);
    UnitCombo->clear();
    UnitCombo->addItem(QStringLiteral("As the file or the plot says"));
    for (const orvo::AltitudeUnit& u : orvo::AltitudeUnits)
        UnitCombo->addItem(QString::fromLatin1(u.name));
    UnitCombo->setCurrentIndex(
        mapping.unitNamed && mapping.unit && mapping.unitScale == 1.0 ? 1 + mapping.unit->code : 0);
    DoubtLabel->setText(QString::fromStdString(layout.doubt));
    DoubtLabel->setVisible(!layout.doubt.empty());
}

orvo::CsvMapping CsvImportDialog::mapping() const {
    orvo::CsvChoice choice;
    if (TimeCombo->currentIndex() >= 0) choice.timeColumn = std::to_string(TimeCombo->currentIndex() + 1);
    if (AltitudeCombo->currentIndex() >= 0)
        choice.altitudeColumn = std::to_string(AltitudeCombo->currentIndex() + 1);
    if (UnitCombo->currentIndex() > 0) choice.unit = orvo::altitudeUnitOfCode(UnitCombo->currentIndex() - 1);
    orvo::CsvMapping m = m_guess;
    if (choice.timeColumn == std::to_string(m_guess.timeColumn + 1)) choice.timeColumn.clear();
    if (choice.altitudeColumn == std::to_string(m_guess.altitudeColumn + 1)) choice.altitudeColumn.clear();
    orvo::applyChoice(m_layout, choice, m);
    return m;
}

orvo::CsvChoice rememberedImportChoice(const std::string& headerKey) {
    QSettings store(QStringLiteral("TamberlinSystems"), QStringLiteral("Orvo"));
    const QStringList v = store.value(settingsKey(headerKey)).toStringList();
    orvo::CsvChoice choice;
    if (v.size() != 3) return choice;
    choice.timeColumn = v[0].toStdString();
    choice.altitudeColumn = v[1].toStdString();
    choice.unit = orvo::altitudeUnitOfShortName(v[2].toStdString());
    return choice;
}

void rememberImportChoice(const std::string& headerKey, const orvo::CsvLayout& layout,
                          const orvo::CsvMapping& mapping) {
    if (!orvo::readable(layout, mapping)) return;
    QSettings store(QStringLiteral("TamberlinSystems"), QStringLiteral("Orvo"));
    store.setValue(
        settingsKey(headerKey),
        QStringList{QString::number(mapping.timeColumn + 1), QString::number(mapping.altitudeColumn + 1),
                    QString::fromLatin1(mapping.unitNamed && mapping.unit ? mapping.unit->shortName : "")});
}
