#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <system_error>

namespace brevik2::link {

class StopSignal;

// One TCP connection to a terminal server, with every wait bounded by a deadline and ended at
// once by the stop signal: the name lookup, the connect, each receive and each send.
//
// Thread safety: none; the monitor thread owns it. Only the stop signal is raised elsewhere.
class SocketStream {
public:
    using Clock = std::chrono::steady_clock;

    SocketStream() = default;
    ~SocketStream();
    SocketStream(const SocketStream&) = delete;
    SocketStream& operator=(const SocketStream&) = delete;

    // Looks the host up and connects to the first of its addresses that accepts, all before
    // the deadline. The error says why nothing connected (refused, timed out, unknown host,
    // cancelled by the stop signal).
    std::error_code connect(const std::string& host, const std::string& port,
                            Clock::time_point deadline, const StopSignal* stop);
    // Waits until bytes arrive or the deadline passes, then takes up to capacity of them.
    // Nothing received and no error: the deadline passed. A connection the server closed is
    // connection_reset; the stop signal is operation_canceled.
    std::error_code receive(char* buffer, std::size_t capacity, std::size_t& received,
                            Clock::time_point deadline, const StopSignal* stop);
    // Sends every byte before the deadline; timed_out when the server stops taking them,
    // operation_canceled on the stop signal.
    std::error_code sendAll(const char* data, std::size_t count, Clock::time_point deadline,
                            const StopSignal* stop);
    void close();
    bool isOpen() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

}  // namespace brevik2::link
