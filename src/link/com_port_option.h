#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace brevik2::link {

// The Telnet COM-PORT-OPTION (RFC 2217): the sub-negotiation payloads a client sends to set the
// remote line, and the decoding of what the server sends back. Pure functions, no I/O.
namespace com_port {

inline constexpr unsigned char kOption = 44;
// A server's answer to a command carries the command's code plus this.
inline constexpr unsigned char kServerOffset = 100;

enum Command : unsigned char {
    kSignature = 0,
    kSetBaudRate = 1,
    kSetDataSize = 2,
    kSetParity = 3,
    kSetStopSize = 4,
    kSetControl = 5,
    kNotifyLineState = 6,
    kNotifyModemState = 7,
    kFlowControlSuspend = 8,
    kFlowControlResume = 9,
    kSetLineStateMask = 10,
    kSetModemStateMask = 11,
    kPurgeData = 12,
};

// Values on the wire.
inline constexpr unsigned char kParityNone = 1, kParityOdd = 2, kParityEven = 3, kParityMark = 4,
                               kParitySpace = 5;
inline constexpr unsigned char kStopOne = 1, kStopTwo = 2, kStopOneAndHalf = 3;
inline constexpr unsigned char kControlNoFlow = 1, kControlDtrOn = 8, kControlRtsOn = 11;
inline constexpr unsigned char kPurgeBoth = 3;

// The payload after the option byte: the command, then the value (four bytes, network order,
// for the baud rate; one byte for every other command that has a value).
std::string encodeCommand(Command command, std::uint32_t value);

// What the server said about one command. A value of 0 means "the current setting".
struct ServerAnswer {
    Command command;
    std::uint32_t value = 0;
};

// Decodes one sub-negotiation payload from the server (the bytes between "IAC SB 44" and
// "IAC SE", already unescaped). Nothing for a client code, an unknown command or a payload of
// the wrong length for its command; a signature's text is not kept.
std::optional<ServerAnswer> decodeServerAnswer(const unsigned char* payload, std::size_t size);

}  // namespace com_port
}  // namespace brevik2::link
