// Two small controls of the Configure page: a titled radio group with an item index (units,
// auto start, auto stop, auto zero) and an up/down spin button pair (the sampling interval).
#pragma once

#include <QGroupBox>
#include <QStringList>
#include <QWidget>

class QButtonGroup;
class QRadioButton;
class QToolButton;

class RadioGroup : public QGroupBox {
    Q_OBJECT
  public:
    RadioGroup(const QString& title, const QStringList& items, int columns, QWidget* parent = nullptr);

    int count() const;
    QRadioButton* button(int index) const;
    // -1 when no item is selected.
    int itemIndex() const;
    // An index beyond the last item selects the last; a negative one clears the selection.
    void setItemIndex(int index);

  signals:
    // A user's click on an item (not setItemIndex).
    void clicked(int index);

  private:
    QButtonGroup* m_group;
};

class SpinButton : public QWidget {
    Q_OBJECT
  public:
    explicit SpinButton(QWidget* parent = nullptr);
    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }

  signals:
    void upClicked();
    void downClicked();

  private:
    QToolButton* m_up;
    QToolButton* m_down;
};
