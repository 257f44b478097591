#include "link/com_port_option.h"

namespace brevik2::link::com_port {

std::string encodeCommand(Command command, std::uint32_t value) {
    std::string payload(1, static_cast<char>(command));
    switch (command) {
        case kSetBaudRate:
            for (int shift = 24; shift >= 0; shift -= 8) {
                payload += static_cast<char>((value >> shift) & 0xFF);
            }
            break;
        case kSignature:
        case kFlowControlSuspend:
        case kFlowControlResume:
            break;
        default:
            payload += static_cast<char>(value & 0xFF);
            break;
    }
    return payload;
}

std::optional<ServerAnswer> decodeServerAnswer(const unsigned char* payload, std::size_t size) {
    if (size == 0 || payload[0] < kServerOffset || payload[0] > kServerOffset + kPurgeData) {
        return std::nullopt;
    }
    const auto command = static_cast<Command>(payload[0] - kServerOffset);
    ServerAnswer answer{command, 0};
    switch (command) {
        case kSignature:
            return answer;
        case kFlowControlSuspend:
        case kFlowControlResume:
            return size == 1 ? std::optional(answer) : std::nullopt;
        case kSetBaudRate:
            if (size != 5) {
                return std::nullopt;
            }
            for (std::size_t i = 1; i < 5; ++i) {
                answer.value = (answer.value << 8) | payload[i];
            }
            return answer;
        default:
            if (size != 2) {
                return std::nullopt;
            }
            answer.value = payload[1];
            return answer;
    }
}

}  // namespace brevik2::link::com_port
