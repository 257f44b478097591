#include "engine/metrics_listen.h"

#include <algorithm>
#include <charconv>

#if defined(_WIN32)
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#endif

#include "link/settings_value.h"

namespace brevik2::engine {
namespace {

constexpr int kMaxPort = 65535;

std::optional<int> parsePort(std::string_view text) {
    int port = -1;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || port < 0 ||
        port > kMaxPort) {
        return std::nullopt;
    }
    return port;
}

bool isAddressLiteral(int family, const std::string& host) {
    unsigned char address[16];
    return inet_pton(family, host.c_str(), address) == 1;
}

}  // namespace

std::string MetricsListen::text() const {
    const bool v6 = host.find(':') != std::string::npos;
    return (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

std::optional<MetricsListen> parseMetricsListen(std::string_view value, std::string& error) {
    error.clear();
    const std::string trimmedValue = link::trimSettingsValue(value);
    std::string_view text = trimmedValue;
    text.remove_prefix(std::min(text.size(), text.find_first_not_of(" \t")));
    if (text.empty()) {
        return std::nullopt;
    }
    const std::string quoted = "MetricsListen \"" + std::string(text) + "\"";
    const std::size_t colon = text.rfind(':');
    const std::optional<int> port =
        parsePort(colon == std::string_view::npos ? text : text.substr(colon + 1));
    if (!port) {
        error = quoted + " has no port from 0 to 65535";
        return std::nullopt;
    }
    MetricsListen listen{"127.0.0.1", *port};
    if (colon != std::string_view::npos) {
        std::string host(text.substr(0, colon));
        int family = AF_INET;
        if (host.size() > 2 && host.front() == '[' && host.back() == ']') {
            host = host.substr(1, host.size() - 2);
            family = AF_INET6;
        } else if (host == "localhost") {
            host = "127.0.0.1";
        }
        if (!isAddressLiteral(family, host)) {
            error = quoted + " is not an address: give 127.0.0.1:PORT, [::1]:PORT or PORT";
            return std::nullopt;
        }
        listen.host = host;
    }
    return listen;
}

}  // namespace brevik2::engine
