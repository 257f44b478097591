#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "engine/gated_status_output.h"
#include "engine/monitor_thread.h"
#include "engine/status_queries.h"
#include "engine/status_records.h"
#include "engine/telemetry_recorder.h"
#include "link/serial_port.h"

namespace brevik2::engine {

// What the monitor thread holds while it runs: the port, the records, the counters of its
// cycle. It lives on the monitor thread from start to end and is never seen by another thread.
class MonitorSession {
public:
    // Waits up to the given time for the stop; true when stopping.
    using StopWait = std::function<bool(std::chrono::milliseconds)>;

    MonitorSession(const link::SettingsFile& settings, MonitorSharedState& shared,
                   MonitorReporter& reporter, const MonitorThread::Options& options,
                   const link::StopSignal& stop, StopWait waitForStop);

    // The start sequence: port, flags from the settings, response mode, remote on.
    void begin();
    // One cycle; false when the stop came during its wait.
    bool cycle();

private:
    void contactAttempt();
    void onlineStep();
    void runPendingRequest();
    void serviceTestModes();
    void pollIfDue();
    void retrieveEventLog();
    void showOnlineStatus();
    void post(int code);

    const link::SettingsFile& m_settings;
    MonitorSharedState& m_shared;
    MonitorReporter& m_reporter;
    const MonitorThread::Options& m_options;
    const link::StopSignal& m_stop;
    StopWait m_waitForStop;

    GatedStatusOutput m_status;
    std::unique_ptr<link::SerialPort> m_port;
    std::unique_ptr<StatusQueries> m_queries;
    TelemetryRecorder m_recorder;
    UnitRecords m_records;
    EventTable m_eventTable;

    int m_cycleCode = 0;
    int m_failures = 0;
    std::int64_t m_elapsedMs = 0;
    std::optional<RequestOutcome> m_outcome;  // of the request this cycle ran
    std::string m_testLine;  // the test-mode line being collected, at most 255 bytes
};

}  // namespace brevik2::engine
