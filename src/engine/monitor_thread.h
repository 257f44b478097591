#pragma once

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>

#include "engine/status_records.h"
#include "engine/telemetry_recorder.h"
#include "link/serial_timeouts.h"
#include "link/stop_signal.h"

namespace brevik2::link {
class SettingsFile;
}

namespace brevik2::engine {

class MonitorReporter;
struct MonitorSharedState;

// The process's exit status when the monitor thread did not stop within its bound.
inline constexpr int kStuckExitStatus = 4;

// The background thread that alone talks to the unit: it owns the serial port, keeps contact,
// polls at the sampling interval, records telemetry, runs the one pending request, collects
// test-mode lines and retrieves the event log, in cycles of at least 200 ms until stopped.
//
// Thread safety: start() and stop() are for the owning (user-interface) thread. Everything else
// the two threads share goes through MonitorSharedState and the reporter.
class MonitorThread {
public:
    struct Options {
        link::SerialTimeouts timeouts{};
        TelemetryRecorder::Timing telemetryTiming{};
        std::chrono::milliseconds cycle{200};
        // Where the instrument scan looks for USB adapters.
        std::filesystem::path deviceFolder{"/dev"};
        // How long stop() waits for the thread: 51 waits of 100 ms.
        std::chrono::milliseconds stopWait{5100};
        // Called when the thread has not ended within stopWait; the default ends the process
        // with kStuckExitStatus, without running static destructors under a live thread.
        std::function<void()> onStuck;
        // Called on the monitor thread after every cycle: a service watchdog pinged from here
        // falls silent when a cycle hangs.
        std::function<void()> onCycle;
    };

    MonitorThread(const link::SettingsFile& settings, MonitorSharedState& shared,
                  MonitorReporter& reporter, Options options);
    MonitorThread(const link::SettingsFile& settings, MonitorSharedState& shared,
                  MonitorReporter& reporter);
    ~MonitorThread();
    MonitorThread(const MonitorThread&) = delete;
    MonitorThread& operator=(const MonitorThread&) = delete;

    // Starts the thread unless it runs already.
    void start();
    // Signals the stop and waits for the thread; true when it has ended.
    bool stop();
    bool running() const { return m_thread.joinable(); }

private:
    void run();
    bool waitForStop(std::chrono::milliseconds timeout);

    const link::SettingsFile& m_settings;
    MonitorSharedState& m_shared;
    MonitorReporter& m_reporter;
    Options m_options;
    link::StopSignal m_stopSignal;

    std::thread m_thread;
    mutable std::mutex m_mutex;  //!< Protects m_stopRequested and m_finished
    std::condition_variable m_changed;
    bool m_stopRequested = false;
    bool m_finished = false;
};

// SamplingInterval as the start-up reads it: fallback "13", trimmed, its leading decimal
// integer; a value below 0 or above 100000 gives 10.
int readSamplingInterval(const link::SettingsFile& settings);

}  // namespace brevik2::engine
