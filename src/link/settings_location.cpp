#include "link/settings_location.h"

#include <cstdlib>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace brevik2::link {
namespace {

bool isWritableDirectory(const std::filesystem::path& dir) {
#ifdef _WIN32
    std::error_code ec;
    return std::filesystem::is_directory(dir, ec);
#else
    return !dir.empty() && access(dir.c_str(), W_OK | X_OK) == 0;
#endif
}

}  // namespace

std::filesystem::path executableDirectory() {
#ifdef _WIN32
    char buffer[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    return std::filesystem::path(std::string(buffer, length)).parent_path();
#else
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) {
        return std::filesystem::current_path(ec);
    }
    return exe.parent_path();
#endif
}

std::filesystem::path locateSettingsFile() {
    if (const char* named = std::getenv(kSettingsEnvironmentVariable); named && *named) {
        return std::filesystem::path(named);
    }
    const auto besideExecutable = executableDirectory();
    if (isWritableDirectory(besideExecutable)) {
        return besideExecutable / kSettingsFileName;
    }
#ifdef _WIN32
    return besideExecutable / kSettingsFileName;
#else
    std::filesystem::path configHome;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') {
        configHome = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        configHome = std::filesystem::path(home) / ".config";
    } else {
        configHome = std::filesystem::temp_directory_path();
    }
    const auto folder = configHome / "Brevik2";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return folder / kSettingsFileName;
#endif
}

}  // namespace brevik2::link
