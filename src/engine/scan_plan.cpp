#include "engine/scan_plan.h"

#include "link/network_port_name.h"

namespace brevik2::engine {

ScanPlan scanPlanFor(std::string_view storedComPort, std::vector<std::string> localPorts) {
    if (const auto name = link::parseNetworkPortName(storedComPort)) {
        return {{std::string(storedComPort)}, name->kind == link::NetworkPortName::Kind::Rfc2217};
    }
    return {std::move(localPorts), true};
}

}  // namespace brevik2::engine
