#pragma once

#include <QComboBox>
#include <QStringList>
#include <functional>
#include <optional>

namespace brevik2::dialogs {

// A drop-down list of fixed entries. An editable one lets the operator type, but typing never
// adds an entry: an entry counts as selected only while the edit text equals it, so whatever
// else was typed is never stored or sent.
class EntryList : public QComboBox {
    Q_OBJECT
public:
    enum class Typing { Allowed, NotAllowed };

    EntryList(const QStringList& entries, Typing typing, QWidget* parent = nullptr);

    // Replaces the entries; nothing is selected afterwards.
    void setEntries(const QStringList& entries);

    // Selects the first entry that begins with value, ignoring case. An empty value names no
    // entry. False, and the selection unchanged, when no entry matches.
    bool selectByPrefix(const QString& value);

    // The entry equal to the edit text (for a list without typing, the selected one), or the
    // edit text itself when the typed-text check accepts it.
    std::optional<QString> selectedEntry() const;

    // Lets typed text that is no entry count when the check accepts it, for values that cannot
    // be listed in advance; everything else typed still counts for nothing.
    void setTypedTextCheck(std::function<bool(const QString&)> accepts) {
        m_acceptsTyped = std::move(accepts);
    }

    // No entry selected and no text.
    void clearSelection();

private:
    std::function<bool(const QString&)> m_acceptsTyped;
};

}  // namespace brevik2::dialogs
