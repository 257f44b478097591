#pragma once

#include <filesystem>

namespace brevik2::link {

// Where Brevik2.ini lives: the file named by BREVIK2_SETTINGS when that is set (tests, demos and
// several stations on one machine use it); otherwise beside the executable when that folder is
// writable (a portable install, a build folder); otherwise in $XDG_CONFIG_HOME/Brevik2/ (default
// ~/.config/Brevik2/) on POSIX and in %APPDATA%\Brevik2\ on Windows, created when missing, since
// an installed program could never save a setting beside itself.
std::filesystem::path locateSettingsFile();

// The folder of the running executable, with its case kept.
std::filesystem::path executableDirectory();

inline constexpr const char* kSettingsFileName = "Brevik2.ini";
inline constexpr const char* kSettingsEnvironmentVariable = "BREVIK2_SETTINGS";

}  // namespace brevik2::link
