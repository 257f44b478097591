#include "link/platform_port.h"

#include "link/network_port_name.h"

#ifndef _WIN32
#include "link/network_port.h"
#endif

namespace brevik2::link {

std::unique_ptr<PlatformPort> makePlatformPort(std::string_view device, const StopSignal* stop) {
#ifndef _WIN32
    if (auto name = parseNetworkPortName(device)) {
        return std::make_unique<NetworkPort>(std::move(*name), stop);
    }
#else
    // Network ports are built on POSIX sockets only so far; a network name fails to open as a
    // device here.
    (void)stop;
#endif
    return makeDevicePort();
}

}  // namespace brevik2::link
