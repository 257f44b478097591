#pragma once

#include <atomic>
#include <iosfwd>

#include "console/console_options.h"
#include "engine/monitor_thread.h"

namespace brevik2::console {

// brevik2-monitor: the monitoring engine without a window. It prints one line per status text
// ("status: ..."), per non-zero status message ("message: N") and per line of a request's reply
// ("reply: ..."), flushing each, and stops after the polls, the seconds or the requests asked
// for, or when interrupted.
//
// Thread safety: run() on one thread; the engine's reports reach it through a queue.
class ConsoleMonitor {
public:
    ConsoleMonitor(ConsoleOptions options, std::ostream& out, std::ostream& err,
                   engine::MonitorThread::Options engineOptions = {});

    // Runs until a stop condition or until interrupted becomes true; returns the exit status.
    int run(const std::atomic<bool>& interrupted);

private:
    ConsoleOptions m_options;
    std::ostream& m_out;
    std::ostream& m_err;
    engine::MonitorThread::Options m_engineOptions;
};

}  // namespace brevik2::console
