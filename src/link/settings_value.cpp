#include "link/settings_value.h"

#include <cstdlib>

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

namespace brevik2::link {

std::string trimSettingsValue(std::string_view value) {
    const auto comment = value.find(';');
    if (comment != std::string_view::npos) {
        value = value.substr(0, comment);
    }
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) {
        value.remove_suffix(1);
    }
    return std::string(value);
}

std::string ensureTrailingSeparator(std::string_view directory) {
    std::string result(directory);
    if (result.empty() || (result.back() != '/' && result.back() != '\\')) {
#ifdef _WIN32
        result += '\\';
#else
        result += '/';
#endif
    }
    return result;
}

std::string defaultDataDirectory() {
#ifdef _WIN32
    return "c:\\";
#else
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') {
        const passwd* entry = getpwuid(getuid());
        home = entry != nullptr ? entry->pw_dir : "/";
    }
    return ensureTrailingSeparator(home);
#endif
}

std::string resolveDataDirectory(std::string_view stored) {
#ifndef _WIN32
    if (stored.size() == 3 && (stored[0] == 'c' || stored[0] == 'C') && stored[1] == ':' &&
        stored[2] == '\\') {
        return defaultDataDirectory();
    }
#endif
    return std::string(stored);
}

}  // namespace brevik2::link
