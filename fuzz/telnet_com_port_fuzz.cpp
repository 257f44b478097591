// Any bytes from a Telnet server with the COM-PORT-OPTION, cut into pieces as TCP might deliver
// them: the session never holds more than its bound and stops taking bytes once failed; any
// payload decodes to a known command with a value of the right width or to nothing; and any data
// sent escaped comes back out of a second session byte for byte.

#include <algorithm>
#include <string>

#include "fuzz/fuzz_targets.h"
#include "link/com_port_option.h"
#include "link/telnet_com_port.h"

namespace brevik2::fuzz {

int fuzzTelnetComPort(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    // The first byte sets the size of the pieces; the rest is what the server sent.
    const std::size_t piece = 1 + data[0] % 64;
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    const std::size_t count = size - 1;

    const auto answer = link::com_port::decodeServerAnswer(data + 1, count);
    if (answer) {
        BREVIK2_FUZZ_CHECK(answer->command <= link::com_port::kPurgeData);
        BREVIK2_FUZZ_CHECK(answer->command == link::com_port::kSetBaudRate || answer->value <= 255);
    }

    link::TelnetComPort session;
    session.start();
    session.setLine(9600, link::Parity::None, link::StopBits::One, 8);
    for (std::size_t at = 0; at < count; at += piece) {
        const bool failedBefore = !session.failure().empty();
        session.feed(bytes + at, std::min(piece, count - at));
        const std::string got = session.takeData();
        BREVIK2_FUZZ_CHECK(got.size() <= link::TelnetComPort::kMaxPendingData);
        BREVIK2_FUZZ_CHECK(!failedBefore || got.empty());
        session.takeOutgoing();
    }

    link::TelnetComPort sender;
    sender.sendData(bytes, count);
    const std::string wire = sender.takeOutgoing();
    link::TelnetComPort receiver;
    for (std::size_t at = 0; at < wire.size(); at += piece) {
        receiver.feed(wire.data() + at, std::min(piece, wire.size() - at));
    }
    BREVIK2_FUZZ_CHECK(receiver.takeData() == std::string(bytes, count));
    BREVIK2_FUZZ_CHECK(receiver.failure().empty());
    return 0;
}

}  // namespace brevik2::fuzz
