#include "console/console_reporter.h"

namespace brevik2::console {

void ConsoleReporter::statusText(std::string_view text) {
    {
        std::lock_guard lock(m_mutex);
        ConsoleEvent event;
        event.text.assign(text);
        m_events.push_back(std::move(event));
    }
    m_arrived.notify_one();
}

void ConsoleReporter::statusMessage(engine::StatusMessage message) {
    ConsoleEvent event;
    event.isMessage = true;
    event.requestPendingAtPost = m_shared.slot.isPending();
    event.message = std::move(message);
    {
        std::lock_guard lock(m_mutex);
        m_events.push_back(std::move(event));
    }
    m_arrived.notify_one();
}

std::optional<ConsoleEvent> ConsoleReporter::next(std::chrono::milliseconds wait) {
    std::unique_lock lock(m_mutex);
    if (!m_arrived.wait_for(lock, wait, [this] { return !m_events.empty(); })) {
        return std::nullopt;
    }
    ConsoleEvent event = std::move(m_events.front());
    m_events.pop_front();
    return event;
}

}  // namespace brevik2::console
