#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace brevik2::link {

// The device to open for a ComPort value. A value starting with "/" is a device path used as it
// is. "ComN" (any case) names the device that a symbolic link "comN" beside the settings file
// points to when that link exists, and /dev/ttyS(N-1) otherwise, so an operator (or a test) can
// make "Com1" mean a USB adapter or a simulator. On Windows "ComN" opens "\\.\COMN". Any other
// value is used as it is.
std::string resolvePortName(std::string_view comPort, const std::filesystem::path& settingsFolder);

}  // namespace brevik2::link
