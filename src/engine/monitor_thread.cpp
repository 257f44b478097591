#include "engine/monitor_thread.h"

#include <cstdlib>

#include "engine/monitor_reporter.h"
#include "engine/monitor_session.h"
#include "engine/monitor_shared_state.h"
#include "link/settings_file.h"
#include "link/settings_keys.h"
#include "link/settings_value.h"

namespace brevik2::engine {

MonitorThread::MonitorThread(const link::SettingsFile& settings, MonitorSharedState& shared,
                             MonitorReporter& reporter, Options options)
    : m_settings(settings), m_shared(shared), m_reporter(reporter), m_options(std::move(options)) {}

MonitorThread::MonitorThread(const link::SettingsFile& settings, MonitorSharedState& shared,
                             MonitorReporter& reporter)
    : MonitorThread(settings, shared, reporter, Options{}) {}

MonitorThread::~MonitorThread() {
    if (m_thread.joinable()) {
        stop();
    }
}

void MonitorThread::start() {
    if (m_thread.joinable()) {
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_stopRequested = false;
        m_finished = false;
    }
    m_stopSignal.clear();
    m_thread = std::thread([this] { run(); });
}

bool MonitorThread::stop() {
    if (!m_thread.joinable()) {
        return true;
    }
    {
        std::lock_guard lock(m_mutex);
        m_stopRequested = true;
    }
    m_stopSignal.raise();  // ends a blocking read or write on the port at once
    m_changed.notify_all();

    std::unique_lock lock(m_mutex);
    if (!m_changed.wait_for(lock, m_options.stopWait, [this] { return m_finished; })) {
        lock.unlock();
        m_reporter.statusText("Monitor thread did not stop");
        if (m_options.onStuck) {
            m_options.onStuck();
        } else {
            // Destroying a joinable thread would terminate; running static destructors under a
            // live thread would be worse. End the process here instead.
            std::_Exit(kStuckExitStatus);
        }
        m_thread.detach();
        return false;
    }
    lock.unlock();
    m_thread.join();
    return true;
}

bool MonitorThread::waitForStop(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [this] { return m_stopRequested; });
}

void MonitorThread::run() {
    {
        MonitorSession session(m_settings, m_shared, m_reporter, m_options, m_stopSignal,
                               [this](std::chrono::milliseconds t) { return waitForStop(t); });
        session.begin();
        while (session.cycle()) {
            if (m_options.onCycle) {
                m_options.onCycle();
            }
        }
    }  // the session's port restores the line and closes here
    {
        std::lock_guard lock(m_mutex);
        m_finished = true;
    }
    m_changed.notify_all();
}

int readSamplingInterval(const link::SettingsFile& settings) {
    const std::string text = link::trimSettingsValue(
        settings.readString(link::settings_keys::kSamplingInterval.name,
                            link::settings_keys::kSamplingInterval.fallback));
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i++] == '-';
    }
    long long value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9' && value <= 100000) {
        value = value * 10 + (text[i++] - '0');
    }
    if (negative) {
        value = -value;
    }
    return value < 0 || value > 100000 ? 10 : static_cast<int>(value);
}

}  // namespace brevik2::engine
