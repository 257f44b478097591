// No service manager to notify on this platform.
#include "console/service_notifier.h"

namespace brevik2::console {

void notifyServiceManager(const std::string&) {}

std::chrono::microseconds serviceWatchdogInterval() {
    return std::chrono::microseconds(0);
}

}  // namespace brevik2::console
