#pragma once

#include <chrono>
#include <functional>

#include "status_records.h"

namespace brevik2::link {
class SettingsFile;
class StatusOutput;
}  // namespace brevik2::link

namespace brevik2::engine {

// Appends one telemetry line per completed poll to the unit's data file, found from
// TelemetryFilenameTemplate and OnlineDatafileDirectory at every record. The file is opened,
// appended with one write and closed for every record, so it can be read or moved between
// polls; a record that cannot be written in full is taken back, never left half written. A
// name that is not a regular file (a FIFO, a device, a folder) takes no record: that is a write
// failure, found without blocking.
//
// Thread safety: monitor thread only.
class TelemetryRecorder {
public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;

    struct Timing {
        int openAttempts = 10;
        std::chrono::milliseconds retryDelay{200};
    };

    // Real time and the 200 ms open retries; the other form lets tests shorten the waits and
    // fix the clock.
    TelemetryRecorder(const link::SettingsFile& settings, link::StatusOutput& status);
    TelemetryRecorder(const link::SettingsFile& settings, link::StatusOutput& status, Timing timing,
                      Clock clock = {});

    // True when the line was written; otherwise a status text says why.
    bool writeRecord(const UnitRecords& records);

private:
    const link::SettingsFile& m_settings;
    link::StatusOutput& m_status;
    Timing m_timing;
    Clock m_clock;
};

}  // namespace brevik2::engine
