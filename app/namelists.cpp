#include "app/namelists.h"

#include <QComboBox>
#include <QListWidget>

void NameListBinder::dataSetAppended(int, const std::string& name) {
    const QString text = QString::fromStdString(name);
    if (m_list) m_list->addItem(text);
    if (m_combo) {
        m_combo->addItem(text);
        m_combo->setCurrentIndex(m_combo->count() - 1); // the new set becomes the active one
    }
}

void NameListBinder::dataSetRemoved(int n) {
    if (m_list) {
        delete m_list->takeItem(n);
        if (m_list->count() > 0) m_list->setCurrentRow(0);
    }
    if (m_combo) {
        // The combo would move the selection to a neighbour of a removed active set; the rule is
        // that the first set becomes active. Another set's removal keeps the active one.
        const bool wasActive = m_combo->currentIndex() == n;
        m_combo->removeItem(n);
        if ((wasActive || m_combo->currentIndex() < 0) && m_combo->count() > 0) m_combo->setCurrentIndex(0);
    }
}

void NameListBinder::dataSetRenamed(int n, const std::string& name) {
    const QString text = QString::fromStdString(name);
    if (m_list && n < m_list->count()) {
        delete m_list->takeItem(n);
        m_list->insertItem(n, text);
        m_list->setCurrentRow(n);
    }
    if (m_combo && n < m_combo->count()) {
        const int selected = m_combo->currentIndex();
        m_combo->removeItem(n);
        m_combo->insertItem(n, text);
        m_combo->setCurrentIndex(selected);
    }
}

void NameListBinder::dataSetInserted(int n, const std::string& name) {
    // A set put back by undo takes its old place and becomes the active one again.
    const QString text = QString::fromStdString(name);
    if (m_list) {
        m_list->insertItem(n, text);
        m_list->setCurrentRow(n);
    }
    if (m_combo) {
        m_combo->insertItem(n, text);
        m_combo->setCurrentIndex(n);
    }
}
