#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brevik2::engine {

// Where the metrics endpoint listens: an address literal and a port (0: any free port).
struct MetricsListen {
    std::string host;  // "127.0.0.1", or an IPv6 literal without brackets
    int port = 0;

    // "127.0.0.1:9100", "[::1]:9100": the form the web server and a reader both take.
    std::string text() const;
};

// Reads a MetricsListen value: empty is off (nothing returned, error left empty); "PORT" is
// 127.0.0.1:PORT; "HOST:PORT" takes an IPv4 literal, "[IPv6]" or "localhost". Anything else
// returns nothing and says why in error.
std::optional<MetricsListen> parseMetricsListen(std::string_view value, std::string& error);

}  // namespace brevik2::engine
