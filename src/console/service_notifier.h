#pragma once

#include <chrono>
#include <string>

namespace brevik2::console {

// Tells the service manager how brevik2-monitor is doing: READY=1 once the monitor thread has
// run its first cycle, WATCHDOG=1 from the thread's cycles at half the watchdog interval (so a
// thread that hangs stops the pings and gets the service restarted), STOPPING=1 at the end.
// Without a service manager, or off Linux, it sends nothing.
//
// Thread safety: cycle() on the monitor thread only; stopping() on the owning thread after the
// monitor thread has ended.
class ServiceNotifier {
public:
    ServiceNotifier();

    void cycle();
    void stopping();

private:
    using Clock = std::chrono::steady_clock;

    std::chrono::microseconds m_watchdogInterval;  // zero: no watchdog asked for
    bool m_ready = false;
    Clock::time_point m_lastPing{};
};

// The platform's side, in service_notifier_<platform>.cpp: sends one notification, and reads
// the watchdog interval the service manager asked for (zero when none).
void notifyServiceManager(const std::string& state);
std::chrono::microseconds serviceWatchdogInterval();

}  // namespace brevik2::console
