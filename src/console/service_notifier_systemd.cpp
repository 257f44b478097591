// The service manager's notification socket, through libsystemd.
#include <systemd/sd-daemon.h>

#include <cstdint>

#include "console/service_notifier.h"

namespace brevik2::console {

void notifyServiceManager(const std::string& state) {
    sd_notify(0, state.c_str());
}

std::chrono::microseconds serviceWatchdogInterval() {
    std::uint64_t usec = 0;
    return sd_watchdog_enabled(0, &usec) > 0 ? std::chrono::microseconds(usec)
                                             : std::chrono::microseconds(0);
}

}  // namespace brevik2::console
