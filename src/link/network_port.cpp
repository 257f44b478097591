#include "link/network_port.h"

#include <algorithm>
#include <cstring>

#include "link/read_deadline.h"
#include "link/telnet_com_port.h"
#include "link/trace.h"

namespace brevik2::link {

NetworkPort::NetworkPort(NetworkPortName name, const StopSignal* stop)
    : m_name(std::move(name)), m_stop(stop) {}

NetworkPort::~NetworkPort() {
    restoreAndClose();
}

std::error_code NetworkPort::open(const std::string&) {
    restoreAndClose();
    const auto deadline = Clock::now() + kConnectLimit;
    if (std::error_code error = m_socket.connect(m_name.host, m_name.port, deadline, m_stop)) {
        return error;
    }
    if (m_name.kind == NetworkPortName::Kind::RawTcp) {
        return {};
    }
    m_telnet = std::make_unique<TelnetComPort>();
    if (std::error_code error = negotiate(deadline)) {
        restoreAndClose();
        return error;
    }
    return {};
}

std::error_code NetworkPort::negotiate(Clock::time_point deadline) {
    m_telnet->start();
    if (std::error_code error = flush(m_stop)) {
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
    return flush(m_stop);
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
    if (std::error_code error = flush(m_stop)) {
        return error;
    }
    // Waiting for the answers makes sure the line is set before the first request goes out.
    const auto deadline = Clock::now() + kAnswerLimit;
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
    m_socket.close();
    m_telnet.reset();
    m_inbound.clear();
}

std::error_code NetworkPort::flush(const StopSignal* stop) {
    if (!m_telnet) {
        return {};
    }
    const std::string outgoing = m_telnet->takeOutgoing();
    return m_socket.sendAll(outgoing.data(), outgoing.size(), stop);
}

std::error_code NetworkPort::pump(Clock::time_point deadline, const StopSignal* stop) {
    if (m_inbound.size() > TelnetComPort::kMaxPendingData) {
        return std::make_error_code(std::errc::no_buffer_space);
    }
    char chunk[4096];
    std::size_t got = 0;
    if (std::error_code error = m_socket.receive(chunk, sizeof chunk, got, deadline, stop)) {
        return error;
    }
    if (!m_telnet) {
        m_inbound.append(chunk, got);
        return {};
    }
    m_telnet->feed(chunk, got);
    m_inbound += m_telnet->takeData();
    if (!m_telnet->failure().empty()) {
        traceNote(m_telnet->failure());
        return std::make_error_code(std::errc::protocol_error);
    }
    return flush(stop);
}

PortReadResult NetworkPort::read(char* buffer, std::size_t count, const SerialTimeouts& timeouts,
                                 const StopSignal* stop) {
    if (!m_socket.isOpen()) {
        return {0, std::make_error_code(std::errc::bad_file_descriptor)};
    }
    ReadDeadline deadline(timeouts, count);
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
    if (!m_telnet) {
        return m_socket.sendAll(data, count, stop);
    }
    m_telnet->sendData(data, count);
    return flush(stop);
}

}  // namespace brevik2::link
