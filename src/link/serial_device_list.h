#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace brevik2::link {

// The serial devices present in folder (on Linux, /dev): ttyUSB<n>, ttyACM<n> and ttyS<n>, as
// full paths, USB adapters first and each kind in the order of its number (ttyS2 before
// ttyS10). Names without a number after the kind are not devices of that kind and are left out.
// An unreadable or missing folder gives an empty list. A device that one of alreadyNamed is (a
// "comN" link's target, say) is left out, so no device is offered twice.
std::vector<std::string> listSerialDevices(const std::filesystem::path& folder,
                                           const std::vector<std::string>& alreadyNamed = {});

// The same list with USB adapters only (ttyUSB<n>, ttyACM<n>).
std::vector<std::string> listUsbSerialDevices(const std::filesystem::path& folder,
                                              const std::vector<std::string>& alreadyNamed = {});

}  // namespace brevik2::link
