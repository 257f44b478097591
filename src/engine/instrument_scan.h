#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/scan_plan.h"

namespace brevik2::link {
class SerialPort;
class SettingsFile;
struct SettingsKey;
class StatusOutput;
class StopSignal;
}  // namespace brevik2::link

namespace brevik2::engine {

class StatusQueries;
struct MonitorSharedState;
struct UnitRecords;

// The search for the instrument over ports and line settings, run on the monitor thread when
// the serial setup's Detect asks for it. Each trial writes its settings to the settings file,
// reports code 19, resets the port from the file and sends the unit status query. Phase 1 tries
// six common settings on each of the plan's ports; phase 2 every combination up to 19200 baud.
// A plan without line settings (a network port whose line is fixed at the server) has one
// trial, as the settings stand.
//
// It stops at the first answer (code 20), or reports code 21 when nothing answered or the scan
// request flag was cleared. It also ends after the trial under way when the program is shutting
// down, so that closing the window during a scan of many minutes still exits in time. Every end
// without an answer first puts the five line keys back as they were before the scan.
class InstrumentScan {
public:
    using PostNow = std::function<void(int code)>;

    InstrumentScan(const link::SettingsFile& settings, MonitorSharedState& shared,
                   link::SerialPort& port, StatusQueries& queries, UnitRecords& records,
                   const link::StopSignal& stop, PostNow postNow, ScanPlan plan,
                   link::StatusOutput* status = nullptr);

    // True when the unit answered.
    bool run();

private:
    bool trial();
    bool cancelled() const;
    bool stopping() const;
    void write(const link::SettingsKey& key, const std::string& value);
    bool phaseOne();
    bool phaseTwo();

    const link::SettingsFile& m_settings;
    MonitorSharedState& m_shared;
    link::SerialPort& m_port;
    StatusQueries& m_queries;
    UnitRecords& m_records;
    const link::StopSignal& m_stop;
    PostNow m_postNow;
    ScanPlan m_plan;
    link::StatusOutput* m_status;
};

}  // namespace brevik2::engine
