#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace brevik2::console {

// Tells the service manager how brevik2-monitor is doing: READY=1 once the monitor thread has
// run its first cycle, WATCHDOG=1 from the thread's cycles at half the watchdog interval (so a
// thread that hangs stops the pings and gets the service restarted), STATUS= with what the
// station is doing (shown by systemctl status), STOPPING=1 at the end. Without a service
// manager, or off Linux, it sends nothing.
//
// Thread safety: cycle() on the monitor thread only; status() on the thread that receives the
// station's reports; stopping() on the owning thread after the monitor thread has ended. The
// two threads share no state here.
class ServiceNotifier {
public:
    ServiceNotifier();

    void cycle();
    // Sends the text when it differs from the last one sent; control characters become spaces,
    // as a line break would end the assignment.
    void status(std::string_view text);
    void stopping();

private:
    using Clock = std::chrono::steady_clock;

    std::chrono::microseconds m_watchdogInterval;  // zero: no watchdog asked for
    bool m_ready = false;
    Clock::time_point m_lastPing{};
    std::string m_lastStatus;
};

// The platform's side, in service_notifier_<platform>.cpp: sends one notification, and reads
// the watchdog interval the service manager asked for (zero when none).
void notifyServiceManager(const std::string& state);
std::chrono::microseconds serviceWatchdogInterval();

}  // namespace brevik2::console
