#include "link/serial_device_list.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <tuple>

namespace brevik2::link {
namespace {

// In the order the operator most likely wants them: an adapter plugged in for the unit first.
constexpr std::array<std::string_view, 3> kKinds{"ttyUSB", "ttyACM", "ttyS"};

constexpr std::size_t kFirstNonUsbKind = 2;

struct Found {
    std::size_t kind;
    unsigned long number;
    std::string path;
};

// The kind and number of a device name, or false for any other name.
bool classify(std::string_view name, std::size_t& kind, unsigned long& number) {
    for (std::size_t k = 0; k < kKinds.size(); ++k) {
        if (!name.starts_with(kKinds[k])) {
            continue;
        }
        const std::string_view digits = name.substr(kKinds[k].size());
        // Nine digits at most keeps the number well inside an unsigned long.
        if (digits.empty() || digits.size() > 9 ||
            !std::all_of(digits.begin(), digits.end(),
                         [](char c) { return c >= '0' && c <= '9'; })) {
            return false;
        }
        kind = k;
        number = std::stoul(std::string(digits));
        return true;
    }
    return false;
}

bool isOneOf(const std::filesystem::path& device, const std::vector<std::string>& names) {
    return std::any_of(names.begin(), names.end(), [&device](const std::string& name) {
        std::error_code ec;
        return std::filesystem::equivalent(device, name, ec);
    });
}

std::vector<std::string> listDevices(const std::filesystem::path& folder,
                                     const std::vector<std::string>& alreadyNamed,
                                     std::size_t kinds) {
    std::vector<Found> found;
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec);
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        std::size_t kind = 0;
        unsigned long number = 0;
        if (!classify(it->path().filename().string(), kind, number) || kind >= kinds) {
            continue;
        }
        std::error_code typeError;
        if (it->is_directory(typeError) || isOneOf(it->path(), alreadyNamed)) {
            continue;
        }
        found.push_back({kind, number, it->path().string()});
    }
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        return std::tie(a.kind, a.number) < std::tie(b.kind, b.number);
    });
    std::vector<std::string> paths;
    paths.reserve(found.size());
    for (auto& f : found) {
        paths.push_back(std::move(f.path));
    }
    return paths;
}

}  // namespace

std::vector<std::string> listSerialDevices(const std::filesystem::path& folder,
                                           const std::vector<std::string>& alreadyNamed) {
    return listDevices(folder, alreadyNamed, kKinds.size());
}

std::vector<std::string> listUsbSerialDevices(const std::filesystem::path& folder,
                                              const std::vector<std::string>& alreadyNamed) {
    return listDevices(folder, alreadyNamed, kFirstNonUsbKind);
}

}  // namespace brevik2::link
