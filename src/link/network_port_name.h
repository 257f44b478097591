#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brevik2::link {

// A ComPort value that names a serial port on the network: "tcp://HOST:PORT" for a raw stream to
// a terminal server whose line settings are fixed there, "rfc2217://HOST:PORT" for Telnet with
// the COM-PORT-OPTION, through which the line settings reach the remote port. An IPv6 address is
// written in brackets: "tcp://[::1]:2000".
struct NetworkPortName {
    enum class Kind { RawTcp, Rfc2217 };
    Kind kind = Kind::RawTcp;
    std::string host;
    std::string port;  // decimal, 1 to 65535
};

// True when the value starts with one of the two schemes (any case), valid or not: such a value
// is never a device name.
bool hasNetworkScheme(std::string_view comPort);

// The parts of a valid network port name; nothing for anything else (a local device name, a
// missing or out-of-range port, an empty host, blanks or control characters).
std::optional<NetworkPortName> parseNetworkPortName(std::string_view comPort);

}  // namespace brevik2::link
