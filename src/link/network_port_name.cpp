#include "link/network_port_name.h"

#include <cctype>

namespace brevik2::link {
namespace {

constexpr std::string_view kTcpScheme = "tcp://";
constexpr std::string_view kRfc2217Scheme = "rfc2217://";

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) {
            return false;
        }
    }
    return true;
}

bool isHostCharacter(char c) {
    const auto u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '.' || c == '-' || c == '_' || c == ':' || c == '%';
}

bool isValidPort(std::string_view port) {
    if (port.empty() || port.size() > 5) {
        return false;
    }
    int value = 0;
    for (char c : port) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            return false;
        }
        value = value * 10 + (c - '0');
    }
    return value >= 1 && value <= 65535;
}

}  // namespace

bool hasNetworkScheme(std::string_view comPort) {
    return startsWithNoCase(comPort, kTcpScheme) || startsWithNoCase(comPort, kRfc2217Scheme);
}

std::optional<NetworkPortName> parseNetworkPortName(std::string_view comPort) {
    NetworkPortName name;
    std::string_view rest;
    if (startsWithNoCase(comPort, kTcpScheme)) {
        name.kind = NetworkPortName::Kind::RawTcp;
        rest = comPort.substr(kTcpScheme.size());
    } else if (startsWithNoCase(comPort, kRfc2217Scheme)) {
        name.kind = NetworkPortName::Kind::Rfc2217;
        rest = comPort.substr(kRfc2217Scheme.size());
    } else {
        return std::nullopt;
    }
    std::string_view host;
    std::string_view port;
    if (!rest.empty() && rest.front() == '[') {
        const std::size_t close = rest.find(']');
        if (close == std::string_view::npos || close + 1 >= rest.size() || rest[close + 1] != ':') {
            return std::nullopt;
        }
        host = rest.substr(1, close - 1);
        port = rest.substr(close + 2);
    } else {
        const std::size_t colon = rest.rfind(':');
        if (colon == std::string_view::npos) {
            return std::nullopt;
        }
        host = rest.substr(0, colon);
        port = rest.substr(colon + 1);
        // An unbracketed IPv6 address cannot be told from its port.
        if (host.find(':') != std::string_view::npos) {
            return std::nullopt;
        }
    }
    if (host.empty() || !isValidPort(port)) {
        return std::nullopt;
    }
    for (char c : host) {
        if (!isHostCharacter(c)) {
            return std::nullopt;
        }
    }
    name.host = std::string(host);
    name.port = std::string(port);
    return name;
}

}  // namespace brevik2::link
