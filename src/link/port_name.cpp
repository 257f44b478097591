#include "link/port_name.h"

#include <cctype>
#include <system_error>

namespace brevik2::link {
namespace {

// The N of "ComN", or 0 when the value is not of that form.
int comPortNumber(std::string_view name) {
    if (name.size() < 4 || name.size() > 6) {
        return 0;
    }
    for (int i = 0; i < 3; ++i) {
        if (std::tolower(static_cast<unsigned char>(name[i])) != "com"[i]) {
            return 0;
        }
    }
    int number = 0;
    for (char c : name.substr(3)) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            return 0;
        }
        number = number * 10 + (c - '0');
    }
    return number;
}

}  // namespace

std::string resolvePortName(std::string_view comPort, const std::filesystem::path& settingsFolder) {
    const int number = comPortNumber(comPort);
    if (number <= 0) {
        return std::string(comPort);
    }
#ifdef _WIN32
    (void)settingsFolder;
    return "\\\\.\\COM" + std::to_string(number);
#else
    const auto link = settingsFolder / ("com" + std::to_string(number));
    std::error_code ec;
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(link, ec))) {
        return link.string();
    }
    return "/dev/ttyS" + std::to_string(number - 1);
#endif
}

}  // namespace brevik2::link
