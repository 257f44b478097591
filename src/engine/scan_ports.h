#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace brevik2::engine {

// The ComPort values the instrument scan tries, in order: "Com1" to "Com3", then on POSIX each
// USB adapter present in deviceFolder (ttyUSB<n>, then ttyACM<n>) as its path, since most units
// today hang on one. An adapter that a "comN" link beside the settings file already names is
// not tried twice.
std::vector<std::string> scanPorts(const std::filesystem::path& deviceFolder,
                                   const std::filesystem::path& settingsFolder);

}  // namespace brevik2::engine
