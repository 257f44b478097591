#pragma once

#include <QHash>
#include <QWidget>

#include "engine/status_records.h"

class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;

namespace brevik2::link {
class SettingsFile;
}
namespace brevik2::engine {
class Station;
}

namespace brevik2::shell {

// The unit status panel: a separate, resizable window with the unit's latest values in groups,
// and the unit's event log. It never talks to the unit. The main frame refreshes it from its
// copy of the records after each completed poll while it is shown; Retrieve only asks the
// monitor thread for the event log. When the window is smaller than its layout, scroll bars
// appear and the content starts at its origin; when they go, the content is back at its origin.
//
// Thread safety: user-interface thread only.
class UnitStatusPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int kExtentMarkerId = 1110;
    static constexpr int kEventLogListId = 1056;
    static constexpr int kRetrieveButtonId = 1104;

    UnitStatusPanel(const link::SettingsFile& settings, engine::Station& station);

    // Places the window from UnitStatusRectangle on a screen of the given size.
    void placeFromSettings(const QSize& screen);

    // Sets the caption and every read-out from the records. A new event table, when given,
    // replaces the event log list; without one the list keeps its items.
    void refresh(const engine::UnitRecords& records, const engine::EventTable* newEventTable);

    // Show and hide keep the panel visible flag; showing does not refresh.
    void showPanel();
    void hidePanel();
    bool panelVisible() const { return m_panelVisible; }

    // Stores the rectangle (unless the window sits at the screen's edge) and the visibility,
    // then clears the panel visible flag.
    void save();

    // For the main frame's tests and the tests of the panel itself.
    QString readoutText(int id) const;
    QWidget* control(int id) const;
    QStringList eventLogItems() const;
    QComboBox* eventLogList() const { return m_eventLog; }
    QScrollArea* scrollArea() const { return m_scrollArea; }

signals:
    // The operator closed the panel with its close box.
    void closedByOperator();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* buildContent();

    const link::SettingsFile& m_settings;
    engine::Station& m_station;
    QScrollArea* m_scrollArea = nullptr;
    QHash<int, QLabel*> m_readouts;
    QHash<int, QWidget*> m_controls;
    QComboBox* m_eventLog = nullptr;
    QPushButton* m_retrieve = nullptr;
    bool m_panelVisible = false;
};

}  // namespace brevik2::shell
