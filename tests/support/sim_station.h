#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "engine/station.h"
#include "engine/task_queue.h"
#include "link/settings_file.h"
#include "sim/sim_server.h"
#include "support/temp_folder.h"

namespace brevik2::testing {

// Starts a simulated unit behind the link at `link`; nothing (and the reason in error) when it
// cannot start.
std::unique_ptr<sim::SimServer> startSimUnit(const std::filesystem::path& link,
                                             sim::SimOptions options = {},
                                             std::string* error = nullptr);

// The settings that reach such a unit at its default 9600 8N1 on comPort: monitoring on, no data
// file.
void writeSimLineSettings(const link::SettingsFile& settings, const std::string& comPort = "Com1");

// A simulated unit on a pty and a station talking to it through a "Com1" link beside its
// settings file: 9600 8N1, monitoring on, no data file, short read time-outs. Without a Deliver
// of its own the station delivers into `queue`, which the test runs.
//
// Thread safety: the test's thread owns everything; the queue takes posts from the monitor
// thread.
class SimStation {
public:
    explicit SimStation(engine::Station::Deliver deliver = {},
                        engine::MonitorThread::Options options = fastOptions());
    ~SimStation();  // stops the station before the unit
    SimStation(const SimStation&) = delete;
    SimStation& operator=(const SimStation&) = delete;

    // The simulator answers at once, so short read time-outs only shorten the waits after a
    // failed exchange; a 50 ms cycle takes a test-mode line four times as fast as the unit's.
    static engine::MonitorThread::Options fastOptions();

    // Starts the unit and writes the settings that reach it; the station is not started yet.
    bool startUnit(sim::SimOptions options = {}, std::string* error = nullptr);
    // How often the unit heard exactly this request ("A06 12/31/03", "W12").
    int timesSeen(const std::string& request) const;

    TempFolder folder;
    engine::TaskQueue queue;
    engine::Station station;
    std::unique_ptr<sim::SimServer> server;
};

}  // namespace brevik2::testing
