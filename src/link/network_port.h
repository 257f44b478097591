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
// Every write has a deadline too (a serial write has none, but a server that stops reading would
// hold the thread for ever): the read time-out of as many bytes. Connections the server ends
// without bringing any data are tried again later and later, and a server that sends nothing but
// Telnet negotiation has its connection dropped after a bounded amount of it.
//
// Thread safety: none; the monitor thread owns it. Only the stop signal is raised elsewhere.
class NetworkPort final : public PlatformPort {
public:
    // The bound on setting up a connection: the name lookup, the connect and the Telnet option.
    static constexpr std::chrono::milliseconds kConnectLimit{3000};
    // How long configure waits for the server to answer the four line settings.
    static constexpr std::chrono::milliseconds kAnswerLimit{1000};

    // The first wait before connecting again after a connection failed; it doubles with each
    // failure in a row up to the limit.
    static constexpr std::chrono::milliseconds kRetryFirst{100};
    static constexpr std::chrono::milliseconds kRetryLimit{4000};
    // The most Telnet negotiation bytes one open, configure or read takes from the server.
    static constexpr std::size_t kNegotiationLimit = 16 * 1024;

    NetworkPort(NetworkPortName name, const StopSignal* stop, SerialTimeouts timeouts = {});
    ~NetworkPort() override;

    std::error_code open(const std::string& device) override;
    std::error_code configure(int baudRate, std::optional<Parity> parity, StopBits stopBits,
                              int dataBits) override;
    void restoreAndClose() override;
    PortReadResult read(char* buffer, std::size_t count, const SerialTimeouts& timeouts,
                        const StopSignal* stop) override;
    std::error_code write(const char* data, std::size_t count, const StopSignal* stop) override;
    std::size_t discard(bool output) override;

    // Connections that failed in a row since the last good one.
    int failedConnections() const { return m_failedConnections; }

private:
    using Clock = SocketStream::Clock;

    // Receives what arrives before the deadline (one chunk at most) and keeps the serial data it
    // carried; answers the server's negotiation on the way. *received: the bytes that came.
    std::error_code pump(Clock::time_point deadline, const StopSignal* stop,
                         std::size_t* received = nullptr);
    std::error_code flush(Clock::time_point deadline, const StopSignal* stop);
    std::error_code negotiate(Clock::time_point deadline);
    std::error_code waitBeforeRetry();

    const NetworkPortName m_name;
    const StopSignal* m_stop;
    const SerialTimeouts m_timeouts;
    SocketStream m_socket;
    std::unique_ptr<TelnetComPort> m_telnet;  // only for rfc2217://
    std::string m_inbound;
    bool m_dataArrived = false;
    bool m_lostByServer = false;  // the server closed it or broke the protocol
    int m_failedConnections = 0;
    std::size_t m_negotiationBytes = 0;  // since the open, configure or read began
};

}  // namespace brevik2::link
