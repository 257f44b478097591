#include "console/service_notifier.h"

namespace brevik2::console {

ServiceNotifier::ServiceNotifier() : m_watchdogInterval(serviceWatchdogInterval()) {}

void ServiceNotifier::cycle() {
    const auto now = Clock::now();
    const bool pingDue =
        m_watchdogInterval.count() > 0 && (!m_ready || now - m_lastPing >= m_watchdogInterval / 2);
    if (!m_ready) {
        notifyServiceManager(pingDue ? "READY=1\nWATCHDOG=1" : "READY=1");
        m_ready = true;
    } else if (pingDue) {
        notifyServiceManager("WATCHDOG=1");
    }
    if (pingDue) {
        m_lastPing = now;
    }
}

void ServiceNotifier::status(std::string_view text) {
    std::string line(text);
    for (char& c : line) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            c = ' ';
        }
    }
    if (line == m_lastStatus) {
        return;
    }
    m_lastStatus = line;
    notifyServiceManager("STATUS=" + line);
}

void ServiceNotifier::stopping() {
    notifyServiceManager("STOPPING=1");
}

}  // namespace brevik2::console
