#pragma once

#include <QHash>
#include <QMainWindow>
#include <functional>
#include <memory>

#include "dialogs/dialog_context.h"
#include "engine/station.h"
#include "engine/status_message.h"
#include "engine/status_records.h"
#include "shell/clock_snapshot.h"
#include "shell/local_time.h"

class QLabel;
class QMenu;

namespace brevik2::trends {
class TrendsWindow;
}

namespace brevik2::shell {

class UnitStatusPanel;

// The main window: menus, the status bar, the unit status panel and every dialog. It subscribes
// to the station's status texts and status messages and keeps the latest copy of the records
// that came with them: the panel, the snapshot report, the dialogs and the enabling of the
// model-dependent commands all read that copy, never the monitor thread's own records. Replies
// to a dialog's request go to that dialog, not through the frame.
//
// Thread safety: user-interface thread only; the station delivers onto it.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    // The station must have applied the start-up defaults already and must outlive the frame.
    CMainFrame(engine::Station& station, dialogs::UserPrompts& prompts, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Writes a status text into the status bar's message pane.
    void showStatusText(const QString& text);

    // Shows where the metrics endpoint serves, or why it does not, in a pane of the status bar
    // (nothing when metrics are off).
    void showMetricsState(const QString& text, bool serving);

    // Takes one status message: keeps its records, then acts on its code.
    void handleStatusMessage(const engine::StatusMessage& message);

    // Stores the window's rectangle as WindowRectangle now; the exit step does it before the
    // monitor thread is stopped, so a thread that will not stop cannot lose it.
    void saveWindowRectangle();

    // The action of a command identifier, in a menu or not; nullptr for an unknown one.
    QAction* commandAction(int id) const { return m_actions.value(id); }
    UnitStatusPanel* unitStatusPanel() const { return m_panel; }
    const engine::UnitRecords& records() const { return m_records; }
    QString messagePaneText() const;
    QLabel* lockIndicator(int index) const;  // 0 CAP, 1 NUM, 2 SCRL
    const ClockSnapshot& snapshot() const { return m_snapshot; }

    // The PC clock the time, date and snapshot commands read; tests set a fixed one.
    void setClock(std::function<LocalTime()> clock) { m_clock = std::move(clock); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct Dialogs;

    QAction* addCommand(QMenu* menu, int id, const char* text, const char* prompt,
                        std::function<void()> handler);
    void buildMenus();
    void showPortFailure();
    void buildStatusBar();
    void createPanel();
    void updateModelCommands();
    void updateLockIndicators();
    void takeEventTable(const engine::EventTable& table);
    void refreshPanel();

    void monitorsCommand(bool checked);
    void directRequestCommand(int id);
    void modelCommand(int id, void (CMainFrame::*open)());
    void snapshotCommand();
    void aboutCommand();

    // The dialogs, in frame_dialogs.cpp.
    void createDialogs();
    void destroyDialogs();
    void openSerialSetup();
    void openMonitoringOptions();
    void openUnitInitialization();
    void openTestDiagnostics();
    void openCommandDialog();
    void openTelecomOutputs();
    void openPpsSync();
    void openTtlOutput();

    engine::Station& m_station;
    const link::SettingsFile& m_settings;
    dialogs::UserPrompts& m_prompts;

    engine::UnitRecords m_records;
    engine::EventTable m_eventTable;
    // A table taken from code 23 that the panel has not listed yet. Until it has, the monitor
    // thread's retrieved flag stays set and the unit's log is not read again.
    bool m_eventTableNew = false;

    dialogs::DialogContext m_context;
    Dialogs* m_dialogs = nullptr;  // owned; see frame_dialogs.cpp
    ClockSnapshot m_snapshot;
    std::function<LocalTime()> m_clock;

    engine::Station::Subscription m_texts;
    engine::Station::Subscription m_messages;
    class CBrevik2View* m_view = nullptr;

    QHash<int, QAction*> m_actions;
    QLabel* m_messagePane = nullptr;
    bool m_promptlessItemHighlighted = false;
    QLabel* m_lockPanes[3] = {nullptr, nullptr, nullptr};

    UnitStatusPanel* m_panel = nullptr;        // owned; a window of its own
    trends::TrendsWindow* m_trends = nullptr;  // a child window, shown from View > Trends
    bool m_panelCreated = false;
};

}  // namespace brevik2::shell
