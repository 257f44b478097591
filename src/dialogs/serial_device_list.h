#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace brevik2::dialogs {

// The serial devices present in folder (on Linux, /dev): ttyUSB<n>, ttyACM<n> and ttyS<n>, as
// full paths, USB adapters first and each kind in the order of its number (ttyS2 before
// ttyS10). Names without a number after the kind are not devices of that kind and are left out.
// An unreadable or missing folder gives an empty list.
std::vector<std::string> listSerialDevices(const std::filesystem::path& folder);

}  // namespace brevik2::dialogs
