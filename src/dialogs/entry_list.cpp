#include "dialogs/entry_list.h"

namespace brevik2::dialogs {

EntryList::EntryList(const QStringList& entries, Typing typing, QWidget* parent)
    : QComboBox(parent) {
    if (typing == Typing::Allowed) {
        setEditable(true);
        setInsertPolicy(QComboBox::NoInsert);
        // Completing as the operator types would show an entry that is not selected.
        setCompleter(nullptr);
    }
    setEntries(entries);
}

void EntryList::setEntries(const QStringList& entries) {
    clear();
    addItems(entries);
    clearSelection();
}

bool EntryList::selectByPrefix(const QString& value) {
    if (value.isEmpty()) {
        return false;
    }
    for (int i = 0; i < count(); ++i) {
        if (itemText(i).startsWith(value, Qt::CaseInsensitive)) {
            setCurrentIndex(i);
            if (isEditable()) {
                setEditText(itemText(i));
            }
            return true;
        }
    }
    return false;
}

std::optional<QString> EntryList::selectedEntry() const {
    if (!isEditable()) {
        return currentIndex() >= 0 ? std::optional<QString>(itemText(currentIndex()))
                                   : std::nullopt;
    }
    const QString text = currentText();
    for (int i = 0; i < count(); ++i) {
        if (itemText(i) == text) {
            return text;
        }
    }
    if (m_acceptsTyped && m_acceptsTyped(text)) {
        return text;
    }
    return std::nullopt;
}

void EntryList::clearSelection() {
    setCurrentIndex(-1);
    if (isEditable()) {
        setEditText(QString());
    }
}

}  // namespace brevik2::dialogs
