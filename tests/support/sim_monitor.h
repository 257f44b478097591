#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/monitor_shared_state.h"
#include "engine/monitor_thread.h"
#include "link/settings_file.h"
#include "sim/sim_server.h"
#include "support/recording_reporter.h"
#include "support/temp_folder.h"

namespace brevik2::testing {

// A simulated unit and a monitor thread of its own (no station) on a settings file in a
// temporary folder: the set-up of the monitor thread's own tests. A test fixture derives from it.
//
// Thread safety: the test's thread owns everything; the reporter and the shared state take what
// the monitor thread hands over.
class SimMonitor {
public:
    SimMonitor() = default;
    ~SimMonitor() { stopMonitor(); }
    SimMonitor(const SimMonitor&) = delete;
    SimMonitor& operator=(const SimMonitor&) = delete;

    // The simulator answers at once, so short read time-outs only shorten the waits after a
    // failed exchange; a thread that will not stop fails the test.
    static engine::MonitorThread::Options quickOptions();
    // For a scan, where a failed trial costs a drain and a status query, each a full read
    // time-out: a total of 150 ms still leaves the simulator room to answer on a loaded machine
    // (a trial it misses would let the scan run on to a look-alike setting).
    static engine::MonitorThread::Options scanOptions();

    // Starts the unit behind the link folder/linkName ("com1" is what ComPort=Com1 opens);
    // a failure says why.
    ::testing::AssertionResult startUnit(sim::SimOptions options = {},
                                         const std::string& linkName = "com1");
    // A unit that answers only at these line settings.
    ::testing::AssertionResult startUnit(link::LineSettings line,
                                         const std::string& linkName = "com1");
    // writeSimLineSettings() with monitoring on or off, and the running sampling interval.
    void writeSettings(bool monitoring, int interval, const std::string& comPort = "Com1");
    // The reporter, unless the test passes one that feeds it.
    void startMonitor(engine::MonitorThread::Options options = quickOptions(),
                      engine::MonitorReporter* feeding = nullptr);

    // Raises the shutdown flag and stops the thread, if any (a failure if it will not stop).
    void stopMonitor();

    TempFolder folder;
    link::SettingsFile settings{folder / "Brevik2.ini"};
    engine::MonitorSharedState shared;
    RecordingReporter reporter;
    std::unique_ptr<sim::SimServer> unit;
    std::unique_ptr<engine::MonitorThread> monitor;
};

}  // namespace brevik2::testing
