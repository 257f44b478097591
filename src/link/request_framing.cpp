#include "link/request_framing.h"

#include <algorithm>

#include "link/serial_port.h"

namespace brevik2::link {

std::string frameRequest(std::string_view code, std::string_view parameter) {
    std::string wire;
    wire.reserve(12 + parameter.size());
    wire += kStx;
    wire.append(code.size() < 3 ? 3 - code.size() : 0, ' ');
    wire += code;
    wire += " 00000 ";
    wire += parameter;
    wire += kEtx;
    return wire;
}

bool sendRequest(SerialPort& port, std::string_view code, std::string_view parameter) {
    const std::string wire = frameRequest(code, parameter);
    if (parameter.empty()) {
        return port.write(wire.data(), wire.size());
    }
    const std::size_t head = wire.size() - parameter.size() - 1;
    return port.write(wire.data(), head) && port.write(wire.data() + head, parameter.size()) &&
           port.write(wire.data() + wire.size() - 1, 1);
}

bool readUntil(SerialPort& port, std::string& reply, char terminator, int limit, char alsoEndAt) {
    if (terminator == '\0') {
        return true;
    }
    reply.clear();
    const int bounded = std::min(limit, kReplyBufferSize - 1);
    char byte[2];
    for (int i = 0; i < bounded; ++i) {
        if (!port.read(1, byte)) {
            return false;
        }
        reply += byte[0];
        if (byte[0] == terminator || (alsoEndAt != '\0' && byte[0] == alsoEndAt)) {
            return true;
        }
    }
    return false;
}

}  // namespace brevik2::link
