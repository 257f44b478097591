#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "link/line_settings.h"

struct telnet_t;
union telnet_event_t;

namespace brevik2::link {

// The client side of a Telnet session with the COM-PORT-OPTION, without the socket: bytes from
// the network go in through feed(), the serial data they carry comes out of takeData(), and
// everything to send (escaped data, option negotiation, line settings) collects in
// takeOutgoing(). libtelnet does the Telnet layer (negotiation, IAC escaping both ways); this
// class adds the option's commands and keeps the server's answers.
//
// The data waiting to be taken is bounded: a server that floods it (or inflates a compressed
// stream) past kMaxPendingData puts the session in the failed state instead.
//
// Thread safety: none; one thread owns it.
class TelnetComPort {
public:
    static constexpr std::size_t kMaxPendingData = 1 << 20;

    enum class OptionState { Asked, Agreed, Refused };

    TelnetComPort();
    ~TelnetComPort();
    TelnetComPort(const TelnetComPort&) = delete;
    TelnetComPort& operator=(const TelnetComPort&) = delete;

    // Queues the opening negotiation: binary both ways, and the COM-PORT-OPTION.
    void start();
    void feed(const char* bytes, std::size_t count);
    // Queues serial data for the remote line; a 0xFF byte goes out doubled.
    void sendData(const char* bytes, std::size_t count);
    // Queues the four line settings (no parity asks for the current one), DTR and RTS on and no
    // flow control, and forgets earlier answers.
    void setLine(int baudRate, std::optional<Parity> parity, StopBits stopBits, int dataBits);
    // Queues a purge of both remote buffers.
    void purge();

    std::string takeData();
    std::string takeOutgoing();
    bool hasData() const { return !m_data.empty(); }

    OptionState comPortOption() const { return m_option; }
    // True once the server has answered all four line settings of the last setLine().
    bool lineAnswered() const;
    // The baud rate the server last reported; nothing before an answer.
    std::optional<std::uint32_t> answeredBaudRate() const { return m_baudAnswer; }
    // Set when libtelnet met a fatal protocol error or the data overflowed; says which.
    const std::string& failure() const { return m_failure; }

private:
    static void onEvent(telnet_t* telnet, telnet_event_t* event, void* self);
    void handle(const telnet_event_t& event);
    void sendCommand(unsigned char command, std::uint32_t value);

    telnet_t* m_telnet = nullptr;
    std::string m_data;
    std::string m_outgoing;
    OptionState m_option = OptionState::Asked;
    std::optional<std::uint32_t> m_baudAnswer;
    // Bit n set: the answer to line command n arrived since the last setLine().
    unsigned m_lineAnswers = 0;
    std::string m_failure;
};

}  // namespace brevik2::link
