#include "app/configwidgets.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

RadioGroup::RadioGroup(const QString& title, const QStringList& items, int columns, QWidget* parent)
    : QGroupBox(title, parent), m_group(new QButtonGroup(this)) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setVerticalSpacing(2);
    const int cols = std::max(1, columns);
    const int rows = (static_cast<int>(items.size()) + cols - 1) / cols;
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], this);
        b->setObjectName(QStringLiteral("item%1").arg(i));
        b->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed); // never cut an item's caption
        m_group->addButton(b, i);
        // Items run down the first column, then the next.
        grid->addWidget(b, i % rows, i / rows);
    }
    connect(m_group, &QButtonGroup::idClicked, this, &RadioGroup::clicked);
}

int RadioGroup::count() const {
    return static_cast<int>(m_group->buttons().size());
}

QRadioButton* RadioGroup::button(int index) const {
    return qobject_cast<QRadioButton*>(m_group->button(index));
}

int RadioGroup::itemIndex() const {
    return m_group->checkedId();
}

void RadioGroup::setItemIndex(int index) {
    if (count() == 0) return;
    if (index < 0) {
        // An exclusive group never lets the last checked button go.
        m_group->setExclusive(false);
        if (auto* b = m_group->checkedButton()) b->setChecked(false);
        m_group->setExclusive(true);
        return;
    }
    button(std::min(index, count() - 1))->setChecked(true);
}

SpinButton::SpinButton(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto make = [this, layout](Qt::ArrowType arrow, const char* name) {
        auto* b = new QToolButton(this);
        b->setObjectName(name);
        b->setArrowType(arrow);
        b->setAutoRepeat(true);
        b->setFixedSize(18, 12);
        layout->addWidget(b);
        return b;
    };
    m_up = make(Qt::UpArrow, "up");
    m_down = make(Qt::DownArrow, "down");
    connect(m_up, &QToolButton::clicked, this, &SpinButton::upClicked);
    connect(m_down, &QToolButton::clicked, this, &SpinButton::downClicked);
}
