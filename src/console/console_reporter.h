#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <string>

#include "engine/monitor_reporter.h"
#include "engine/monitor_shared_state.h"

namespace brevik2::console {

// One report of the engine as the console receives it.
struct ConsoleEvent {
    bool isMessage = false;
    std::string text;
    engine::StatusMessage message;
    bool requestPendingAtPost = false;  // the slot's state when the message was posted
};

// Hands the engine's reports from the monitor thread to the console's thread.
//
// Thread safety: statusText and statusMessage from any thread; next() from the console thread.
class ConsoleReporter final : public engine::MonitorReporter {
public:
    explicit ConsoleReporter(const engine::MonitorSharedState& shared) : m_shared(shared) {}

    void statusText(std::string_view text) override;
    void statusMessage(engine::StatusMessage message) override;

    // The next report, waiting at most the given time.
    std::optional<ConsoleEvent> next(std::chrono::milliseconds wait);

private:
    const engine::MonitorSharedState& m_shared;
    std::mutex m_mutex;  //!< Protects m_events
    std::condition_variable m_arrived;
    std::deque<ConsoleEvent> m_events;
};

}  // namespace brevik2::console
