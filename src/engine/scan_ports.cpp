#include "engine/scan_ports.h"

#include "link/port_name.h"
#include "link/serial_device_list.h"

namespace brevik2::engine {

std::vector<std::string> scanPorts(const std::filesystem::path& deviceFolder,
                                   const std::filesystem::path& settingsFolder) {
    std::vector<std::string> ports{"Com1", "Com2", "Com3"};
#ifndef _WIN32
    std::vector<std::string> named;
    for (const std::string& port : ports) {
        named.push_back(link::resolvePortName(port, settingsFolder));
    }
    for (std::string& device : link::listUsbSerialDevices(deviceFolder, named)) {
        ports.push_back(std::move(device));
    }
#else
    (void)deviceFolder;
    (void)settingsFolder;
#endif
    return ports;
}

}  // namespace brevik2::engine
