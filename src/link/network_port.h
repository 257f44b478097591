#pragma once

#include <memory>
#include <string>

#include "link/network_port_name.h"
#include "link/platform_port.h"
#include "link/socket_stream.h"

namespace brevik2::link {

class TelnetComPort;

// A serial port on the network, behind the same interface as a local device: a raw TCP stream
// to a terminal server, or Telnet with the COM-PORT-OPTION so that the line settings reach the
// remote port. Reads keep the serial time-outs; a connection the server drops is a failed read,
// and the reset that follows connects again. Opening never waits for DTR/RTS answers, which
// some servers never send.
//
// Thread safety: none; the monitor thread owns it. Only the stop signal is raised elsewhere.
class NetworkPort final : public PlatformPort {
public:
    // The bound on setting up a connection: the name lookup, the connect and the Telnet option.
    static constexpr std::chrono::milliseconds kConnectLimit{3000};
    // How long configure waits for the server to answer the four line settings.
    static constexpr std::chrono::milliseconds kAnswerLimit{1000};

    NetworkPort(NetworkPortName name, const StopSignal* stop);
    ~NetworkPort() override;

    std::error_code open(const std::string& device) override;
    std::error_code configure(int baudRate, std::optional<Parity> parity, StopBits stopBits,
                              int dataBits) override;
    void restoreAndClose() override;
    PortReadResult read(char* buffer, std::size_t count, const SerialTimeouts& timeouts,
                        const StopSignal* stop) override;
    std::error_code write(const char* data, std::size_t count, const StopSignal* stop) override;

private:
    using Clock = SocketStream::Clock;

    // Receives what arrives before the deadline (one chunk at most) and keeps the serial data it
    // carried; answers the server's negotiation on the way.
    std::error_code pump(Clock::time_point deadline, const StopSignal* stop);
    std::error_code flush(const StopSignal* stop);
    std::error_code negotiate(Clock::time_point deadline);

    const NetworkPortName m_name;
    const StopSignal* m_stop;
    SocketStream m_socket;
    std::unique_ptr<TelnetComPort> m_telnet;  // only for rfc2217://
    std::string m_inbound;
};

}  // namespace brevik2::link
