#include "link/network_port.h"

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "link/read_deadline.h"
#include "link/stop_signal.h"
#include "link/telnet_com_port.h"
#include "link/trace.h"

namespace brevik2::link {

namespace {

// The write deadline: as long as a read of as many bytes may take.
SocketStream::Clock::time_point writeDeadline(const SerialTimeouts& timeouts, std::size_t count) {
    return SocketStream::Clock::now() + std::chrono::milliseconds(timeouts.readTotalConstantMs) +
           std::chrono::milliseconds(static_cast<long long>(timeouts.readTotalMultiplierMs) *
                                     static_cast<long long>(count));
}

}  // namespace

NetworkPort::NetworkPort(NetworkPortName name, const StopSignal* stop, SerialTimeouts timeouts)
    : m_name(std::move(name)), m_stop(stop), m_timeouts(timeouts) {}

NetworkPort::~NetworkPort() {
    restoreAndClose();
}

std::error_code NetworkPort::waitBeforeRetry() {
    if (m_failedConnections == 0) {
        return {};
    }
    const int doublings = std::min(m_failedConnections - 1, 16);
    const auto wait =
        std::min<std::chrono::milliseconds>(kRetryFirst * (1LL << doublings), kRetryLimit);
    pollfd fd{m_stop ? m_stop->fd() : -1, POLLIN, 0};
    const auto until = Clock::now() + wait;
    // poll() counts whole milliseconds: round up, and wait again if it woke a little early, so
    // the wait is never shorter than it says.
    for (auto now = Clock::now(); now < until; now = Clock::now()) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - now);
        if (::poll(&fd, 1, static_cast<int>(left.count())) > 0) {
            return std::make_error_code(std::errc::operation_canceled);
        }
    }
    return {};
}

std::error_code NetworkPort::open(const std::string&) {
    restoreAndClose();
    if (std::error_code error = waitBeforeRetry()) {
        return error;
    }
    const auto deadline = Clock::now() + kConnectLimit;
    if (std::error_code error = m_socket.connect(m_name.host, m_name.port, deadline, m_stop)) {
        ++m_failedConnections;
        return error;
    }
    m_dataArrived = false;
    m_lostByServer = false;
    if (m_name.kind == NetworkPortName::Kind::RawTcp) {
        return {};
    }
    m_telnet = std::make_unique<TelnetComPort>();
    m_negotiationBytes = 0;
    if (std::error_code error = negotiate(deadline)) {
        restoreAndClose();
        return error;
    }
    return {};
}

std::error_code NetworkPort::negotiate(Clock::time_point deadline) {
    m_telnet->start();
    if (std::error_code error = flush(deadline, m_stop)) {
        return error;
    }
    while (m_telnet->comPortOption() == TelnetComPort::OptionState::Asked) {
        if (Clock::now() >= deadline) {
            // libtelnet gives no event for a refusal of an option we asked for, so a server
            // without the option ends here too.
            traceNote("telnet: the server did not agree to the COM-PORT-OPTION");
            return std::make_error_code(std::errc::timed_out);
        }
        if (std::error_code error = pump(deadline, m_stop)) {
            return error;
        }
    }
    if (m_telnet->comPortOption() == TelnetComPort::OptionState::Refused) {
        traceNote("telnet: the server refuses the COM-PORT-OPTION");
        return std::make_error_code(std::errc::protocol_not_supported);
    }
    // A fresh connection starts with empty buffers at the far end too, as a reset should.
    m_telnet->purge();
    return flush(deadline, m_stop);
}

std::error_code NetworkPort::configure(int baudRate, std::optional<Parity> parity,
                                       StopBits stopBits, int dataBits) {
    if (!m_socket.isOpen()) {
        return std::make_error_code(std::errc::bad_file_descriptor);
    }
    if (!m_telnet) {
        traceNote("tcp: the line settings are fixed at the server");
        return {};
    }
    m_telnet->setLine(baudRate, parity, stopBits, dataBits);
    // Waiting for the answers makes sure the line is set before the first request goes out.
    const auto deadline = Clock::now() + kAnswerLimit;
    m_negotiationBytes = 0;
    if (std::error_code error = flush(deadline, m_stop)) {
        return error;
    }
    while (!m_telnet->lineAnswered() && Clock::now() < deadline) {
        if (std::error_code error = pump(deadline, m_stop)) {
            return error;
        }
    }
    if (!m_telnet->lineAnswered()) {
        // Kept: a server that applies settings without answering still works.
        traceNote("telnet: the server did not answer every line setting");
        return {};
    }
    // Only a speed the server reports otherwise is a refusal, as with a local device: data
    // size and parity read back differently from a pty behind the server.
    const auto baud = m_telnet->answeredBaudRate();
    if (baud && *baud != 0 && *baud != static_cast<std::uint32_t>(baudRate)) {
        traceNote("telnet: the server runs at " + std::to_string(*baud) + " baud");
        return std::make_error_code(std::errc::invalid_argument);
    }
    return {};
}

// The remote line keeps its settings: the server puts back its own configuration for the
// next client.
void NetworkPort::restoreAndClose() {
    if (m_socket.isOpen()) {
        // Only a connection the server ended (or spoiled) without sending data failed; one this
        // side closed after a silent read, as a scan's trials do, did not.
        if (m_dataArrived) {
            m_failedConnections = 0;
        } else if (m_lostByServer) {
            ++m_failedConnections;
        }
    }
    m_socket.close();
    m_telnet.reset();
    m_inbound.clear();
}

std::error_code NetworkPort::flush(Clock::time_point deadline, const StopSignal* stop) {
    if (!m_telnet) {
        return {};
    }
    const std::string outgoing = m_telnet->takeOutgoing();
    return m_socket.sendAll(outgoing.data(), outgoing.size(), deadline, stop);
}

std::error_code NetworkPort::pump(Clock::time_point deadline, const StopSignal* stop,
                                  std::size_t* received) {
    if (m_inbound.size() > TelnetComPort::kMaxPendingData) {
        return std::make_error_code(std::errc::no_buffer_space);
    }
    char chunk[4096];
    std::size_t got = 0;
    if (std::error_code error = m_socket.receive(chunk, sizeof chunk, got, deadline, stop)) {
        m_lostByServer = error != std::errc::operation_canceled;
        return error;
    }
    if (received != nullptr) {
        *received = got;
    }
    if (!m_telnet) {
        m_inbound.append(chunk, got);
        m_dataArrived = m_dataArrived || got > 0;
        return {};
    }
    m_telnet->feed(chunk, got);
    const std::string data = m_telnet->takeData();
    m_inbound += data;
    m_dataArrived = m_dataArrived || !data.empty();
    if (!m_telnet->failure().empty()) {
        traceNote(m_telnet->failure());
        m_lostByServer = true;
        return std::make_error_code(std::errc::protocol_error);
    }
    // What carried no data was negotiation, and answering it is work the server makes; past the
    // bound the connection is dropped rather than kept busy.
    m_negotiationBytes += got > data.size() ? got - data.size() : 0;
    if (m_negotiationBytes > kNegotiationLimit) {
        traceNote("telnet: the server sends nothing but negotiation");
        m_lostByServer = true;
        return std::make_error_code(std::errc::protocol_error);
    }
    return flush(Clock::now() + std::chrono::milliseconds(m_timeouts.readTotalConstantMs), stop);
}

PortReadResult NetworkPort::read(char* buffer, std::size_t count, const SerialTimeouts& timeouts,
                                 const StopSignal* stop) {
    if (!m_socket.isOpen()) {
        return {0, std::make_error_code(std::errc::bad_file_descriptor)};
    }
    ReadDeadline deadline(timeouts, count);
    m_negotiationBytes = 0;
    std::size_t got = 0;
    while (got < count) {
        if (!m_inbound.empty()) {
            const std::size_t n = std::min(count - got, m_inbound.size());
            std::memcpy(buffer + got, m_inbound.data(), n);
            m_inbound.erase(0, n);
            got += n;
            deadline.bytesArrived();
            continue;
        }
        if (Clock::now() >= deadline.next()) {
            break;
        }
        if (std::error_code error = pump(deadline.next(), stop)) {
            return {got, error};
        }
    }
    return {got, {}};
}

std::error_code NetworkPort::write(const char* data, std::size_t count, const StopSignal* stop) {
    const auto deadline = writeDeadline(m_timeouts, count);
    if (!m_telnet) {
        return m_socket.sendAll(data, count, deadline, stop);
    }
    m_telnet->sendData(data, count);
    return flush(deadline, stop);
}

std::size_t NetworkPort::discard(bool output) {
    if (!m_socket.isOpen()) {
        return 0;
    }
    // Takes what has come without waiting for more; bounded, as a server may never stop.
    constexpr int kMostChunks = 16;
    for (int i = 0; i < kMostChunks; ++i) {
        std::size_t got = 0;
        if (pump(Clock::now(), m_stop, &got) || got == 0) {
            break;
        }
    }
    const std::size_t dropped = m_inbound.size();
    m_inbound.clear();
    if (output && m_telnet) {
        m_telnet->purge();
        flush(writeDeadline(m_timeouts, 0), m_stop);
    }
    return dropped;
}

}  // namespace brevik2::link
