#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace brevik2::engine {

// Which ports the instrument scan visits and whether it tries line settings there. A ComPort
// naming a network port is the one place the unit can be: over rfc2217:// the scan tries the
// line settings on that address in place of the local ports; over tcp:// the line is fixed at
// the server, so it tries that address once, as it stands. Anything else scans localPorts.
struct ScanPlan {
    std::vector<std::string> ports;
    bool triesLineSettings = true;
};

ScanPlan scanPlanFor(std::string_view storedComPort, std::vector<std::string> localPorts);

}  // namespace brevik2::engine
