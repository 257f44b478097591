#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <iosfwd>
#include <string>

#include "console/console_options.h"
#include "console/repeat_filter.h"
#include "engine/monitor_thread.h"

namespace brevik2::console {

// Exit statuses of brevik2-monitor.
enum ConsoleExitStatus : int {
    kExitDone = 0,
    kExitScanNotFound = 1,                         // --scan alone found no unit
    kExitUsage = 2,                                // a mistake on the command line
    kExitRequestNotDone = 3,                       // a requested exchange failed or was never sent
    kExitMonitorStuck = engine::kStuckExitStatus,  // the monitor thread did not stop in time
};

// brevik2-monitor: the monitoring engine without a window. It prints one line per status text
// ("status: ..."), per non-zero status message ("message: N") and per line of a request's reply
// ("reply: ..."), and stops after the polls, the seconds or the requests asked for, when
// interrupted, or when its output is closed. A request that fails or is never sent gets a line
// on the error stream naming it. While a failure goes on unchanged its texts are printed once
// and then counted, one "repeats: ..." line per window (see RepeatFilter).
//
// Both streams are written by threads of their own, so an output that blocks never holds up the
// loop that watches for the stop: lines it cannot take are dropped with a count, and at the end
// it gets kDrainBound to take what is left.
//
// Thread safety: run() on one thread; the station delivers the engine's reports onto it.
class ConsoleMonitor {
public:
    static constexpr std::chrono::milliseconds kDrainBound{1000};

    ConsoleMonitor(ConsoleOptions options, std::ostream& out, std::ostream& err,
                   engine::MonitorThread::Options engineOptions = {},
                   std::chrono::milliseconds repeatWindow = RepeatFilter::kWindow);

    // Called on run()'s thread with what the station is doing: each status text, or while the
    // port will not open the reason (for the service manager's status line).
    void onServiceStatus(std::function<void(const std::string&)> report) {
        m_serviceStatus = std::move(report);
    }

    // Runs until a stop condition or until interrupted becomes true; returns the exit status.
    int run(const std::atomic<bool>& interrupted);

    // After run(): the output was closed (a pipe whose reader has gone), which ended the run.
    bool outputClosed() const { return m_outputClosed; }
    // After run(): an output still blocked at the end; the process must not flush it on exit.
    bool outputBlocked() const { return m_outputBlocked; }

    // How long a run with requests and without --seconds waits for the next request to finish
    // before it gives up: six contact attempts on a silent unit (each a cycle and the read
    // time-out of a status reply) and one reset's drain. About 17 s with the unit's time-outs.
    static std::chrono::milliseconds requestBound(const engine::MonitorThread::Options& options);

private:
    ConsoleOptions m_options;
    std::ostream& m_out;
    std::ostream& m_err;
    engine::MonitorThread::Options m_engineOptions;
    std::chrono::milliseconds m_repeatWindow;
    bool m_outputClosed = false;
    bool m_outputBlocked = false;
    std::function<void(const std::string&)> m_serviceStatus;
};

}  // namespace brevik2::console
