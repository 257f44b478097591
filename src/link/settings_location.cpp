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
    // Access rights and the virtualised Program Files make any test short of a write unreliable
    // there: make a file of this process's own and remove it.
    std::error_code ec;
    if (dir.empty() || !std::filesystem::is_directory(dir, ec)) {
        return false;
    }
    const auto probe = dir / ("Brevik2-write-test-" + std::to_string(GetCurrentProcessId()));
    const HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(file);
    return true;
#else
    return !dir.empty() && access(dir.c_str(), W_OK | X_OK) == 0;
#endif
}

}  // namespace

std::filesystem::path executableDirectory() {
#ifdef _WIN32
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return std::filesystem::path(buffer).parent_path();
        }
        buffer.resize(buffer.size() * 2);  // a long path: cut names would point elsewhere
    }
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
    // An installed program's folder is not writable: the user's roaming profile instead.
    std::filesystem::path folder;
    if (const wchar_t* appData = _wgetenv(L"APPDATA"); appData && *appData) {
        folder = std::filesystem::path(appData) / "Brevik2";
    } else {
        folder = std::filesystem::temp_directory_path() / "Brevik2";
    }
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return folder / kSettingsFileName;
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
