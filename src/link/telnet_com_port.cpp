#include "link/telnet_com_port.h"

#include <libtelnet.h>

#include <utility>

#include "link/com_port_option.h"
#include "link/trace.h"

namespace brevik2::link {
namespace {

// What this side does: binary both ways, so neither end rewrites CR or 0xFF, and the
// COM-PORT-OPTION as its client; every other option is refused by libtelnet.
const telnet_telopt_t kOptions[] = {
    {TELNET_TELOPT_BINARY, TELNET_WILL, TELNET_DO},
    {TELNET_TELOPT_SGA, TELNET_WILL, TELNET_DO},
    {com_port::kOption, TELNET_WILL, TELNET_DONT},
    {-1, 0, 0},
};

constexpr unsigned kAllLineAnswers = (1u << com_port::kSetBaudRate) |
                                     (1u << com_port::kSetDataSize) | (1u << com_port::kSetParity) |
                                     (1u << com_port::kSetStopSize);

unsigned char parityCode(std::optional<Parity> parity) {
    if (!parity) {
        return 0;  // the server's current parity
    }
    switch (*parity) {
        case Parity::None:
            return com_port::kParityNone;
        case Parity::Odd:
            return com_port::kParityOdd;
        case Parity::Even:
            return com_port::kParityEven;
        case Parity::Mark:
            return com_port::kParityMark;
        case Parity::Space:
            return com_port::kParitySpace;
    }
    return 0;
}

unsigned char stopCode(StopBits stopBits) {
    switch (stopBits) {
        case StopBits::One:
            return com_port::kStopOne;
        case StopBits::OneAndHalf:
            return com_port::kStopOneAndHalf;
        case StopBits::Two:
            return com_port::kStopTwo;
    }
    return com_port::kStopOne;
}

}  // namespace

TelnetComPort::TelnetComPort() : m_telnet(telnet_init(kOptions, &TelnetComPort::onEvent, 0, this)) {
    if (m_telnet == nullptr) {
        m_failure = "Telnet state could not be allocated";
    }
}

TelnetComPort::~TelnetComPort() {
    if (m_telnet != nullptr) {
        telnet_free(m_telnet);
    }
}

void TelnetComPort::start() {
    if (m_telnet == nullptr) {
        return;
    }
    telnet_negotiate(m_telnet, TELNET_WILL, TELNET_TELOPT_BINARY);
    telnet_negotiate(m_telnet, TELNET_DO, TELNET_TELOPT_BINARY);
    telnet_negotiate(m_telnet, TELNET_WILL, com_port::kOption);
}

void TelnetComPort::feed(const char* bytes, std::size_t count) {
    if (m_telnet != nullptr && m_failure.empty()) {
        telnet_recv(m_telnet, bytes, count);
    }
}

void TelnetComPort::sendData(const char* bytes, std::size_t count) {
    if (m_telnet != nullptr) {
        telnet_send(m_telnet, bytes, count);
    }
}

void TelnetComPort::sendCommand(unsigned char command, std::uint32_t value) {
    const std::string payload =
        com_port::encodeCommand(static_cast<com_port::Command>(command), value);
    telnet_subnegotiation(m_telnet, com_port::kOption, payload.data(), payload.size());
}

void TelnetComPort::setLine(int baudRate, std::optional<Parity> parity, StopBits stopBits,
                            int dataBits) {
    if (m_telnet == nullptr) {
        return;
    }
    m_lineAnswers = 0;
    m_baudAnswer.reset();
    sendCommand(com_port::kSetBaudRate, static_cast<std::uint32_t>(baudRate));
    sendCommand(com_port::kSetDataSize, static_cast<std::uint32_t>(dataBits));
    sendCommand(com_port::kSetParity, parityCode(parity));
    sendCommand(com_port::kSetStopSize, stopCode(stopBits));
    // Some servers never answer these (a pty has no modem lines), so nothing waits for them.
    sendCommand(com_port::kSetControl, com_port::kControlNoFlow);
    sendCommand(com_port::kSetControl, com_port::kControlDtrOn);
    sendCommand(com_port::kSetControl, com_port::kControlRtsOn);
}

void TelnetComPort::purge() {
    if (m_telnet != nullptr) {
        sendCommand(com_port::kPurgeData, com_port::kPurgeBoth);
    }
}

std::string TelnetComPort::takeData() {
    return std::exchange(m_data, {});
}

std::string TelnetComPort::takeOutgoing() {
    return std::exchange(m_outgoing, {});
}

bool TelnetComPort::lineAnswered() const {
    return (m_lineAnswers & kAllLineAnswers) == kAllLineAnswers;
}

void TelnetComPort::onEvent(telnet_t*, telnet_event_t* event, void* self) {
    static_cast<TelnetComPort*>(self)->handle(*event);
}

void TelnetComPort::handle(const telnet_event_t& event) {
    switch (event.type) {
        case TELNET_EV_DATA:
            if (m_data.size() + event.data.size > kMaxPendingData) {
                m_failure = "the server sent more than the port can hold";
                return;
            }
            m_data.append(event.data.buffer, event.data.size);
            break;
        case TELNET_EV_SEND:
            m_outgoing.append(event.data.buffer, event.data.size);
            break;
        case TELNET_EV_DO:
            if (event.neg.telopt == com_port::kOption) {
                m_option = OptionState::Agreed;
            }
            break;
        case TELNET_EV_DONT:
            if (event.neg.telopt == com_port::kOption) {
                m_option = OptionState::Refused;
            }
            break;
        case TELNET_EV_SUBNEGOTIATION:
            if (event.sub.telopt == com_port::kOption) {
                const auto answer = com_port::decodeServerAnswer(
                    reinterpret_cast<const unsigned char*>(event.sub.buffer), event.sub.size);
                if (answer && answer->command >= com_port::kSetBaudRate &&
                    answer->command <= com_port::kSetStopSize) {
                    m_lineAnswers |= 1u << answer->command;
                    if (answer->command == com_port::kSetBaudRate) {
                        m_baudAnswer = answer->value;
                    }
                }
            }
            break;
        case TELNET_EV_WARNING:
            traceNote(std::string("telnet: ") + event.error.msg);
            break;
        case TELNET_EV_ERROR:
            m_failure = std::string("telnet: ") + event.error.msg;
            break;
        default:
            break;
    }
}

}  // namespace brevik2::link
