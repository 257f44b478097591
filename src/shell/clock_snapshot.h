#pragma once

#include <QString>
#include <functional>

#include "engine/status_records.h"
#include "shell/local_time.h"
#include "shell/snapshot_file.h"

class QWidget;

namespace brevik2::engine {
class Station;
}
namespace brevik2::dialogs {
class UserPrompts;
}

namespace brevik2::shell {

// The clock data snapshot: a text report of the unit's identity and configuration, written at
// once from the records of the last completed poll, and finished with the unit's event log once
// the monitor thread has read it afresh (status code 23). Between the two the report stays open
// and the snapshot is pending.
//
// Thread safety: user-interface thread only.
class ClockSnapshot {
public:
    static constexpr const char* kTitle = "Snapshot";
    static constexpr const char* kFilter = "Text File (*.txt);;All Files (*.*)";
    static constexpr const char* kSuffix = "txt";

    ClockSnapshot(dialogs::UserPrompts& prompts, engine::Station& station);

    // Asks for the file, writes the first section and asks the monitor thread for the event
    // log. A snapshot still waiting for its log is ended first, with a note in its file. The
    // report's time is read from clock when the file is written, not before the file dialog.
    void start(QWidget* parent, const engine::UnitRecords& records,
               const std::function<LocalTime()>& clock);

    // Writes the event log section and closes the report; nothing when no snapshot is pending.
    void finish(QWidget* parent, const engine::EventTable& table);

    bool pending() const { return m_pending; }
    const QString& path() const { return m_file.path(); }

private:
    void failed(QWidget* parent, const QString& what);
    void endPendingWithoutEventLog(QWidget* parent);

    dialogs::UserPrompts& m_prompts;
    engine::Station& m_station;
    SnapshotFile m_file;
    bool m_pending = false;
};

}  // namespace brevik2::shell
