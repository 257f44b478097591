#include "sim/fault_injection.h"

#include <array>
#include <cstdio>

#include "link/request_framing.h"
#include "sim/status_replies.h"

namespace brevik2::sim {
namespace {

// Bytes that must not reach a host as text: commas (which shift comma-separated scans), NUL
// (which ends a C string early), control bytes and bytes with the top bit set. Never STX, ETX,
// CR or LF, so that the reply keeps its length and its framing.
constexpr std::array<char, 10> kJunk{',', '\0', '\x01', '\x1B', '\x7F',
                                     'Z', ',',  '\x1F', '\x9C', '9'};

void overwrite(std::string& reply, std::size_t position, std::string_view text) {
    if (position + text.size() <= reply.size()) {
        reply.replace(position, text.size(), text);
    }
}

bool isFraming(char c) {
    return c == link::kStx || c == link::kEtx || c == link::kCarriageReturn ||
           c == link::kLineFeed || c == '\t';
}

std::string garbleVariables(std::string reply) {
    using namespace std::string_view_literals;
    overwrite(reply, 15, "47");         // hour
    overwrite(reply, 18, "75");         // minute
    overwrite(reply, 28, ",\0\x01"sv);  // mode text
    overwrite(reply, 36, "42");         // alarm state
    overwrite(reply, 39, "Z,");         // alarm byte
    overwrite(reply, 175, "999.9");     // chassis temperature
    reply[197] = '\0';                  // oscillator state
    overwrite(reply, 215, "-1.0");      // ionizer
    overwrite(reply, 240, "9999");      // signal deviation
    return reply;
}

std::string garbleConstants(std::string reply) {
    using namespace std::string_view_literals;
    overwrite(reply, 28, "-1.0");                     // mass spectrometer nominal
    overwrite(reply, 48, "000");                      // DAC gain
    overwrite(reply, 56, "999");                      // -15
    overwrite(reply, 117, "\0,"sv);                   // CDU
    overwrite(reply, 124, "A,\0B\x01,\x7F\x1BZ,"sv);  // customer message
    overwrite(reply, 135, "9,9");                     // model code
    overwrite(reply, 139, "-99");                     // last value
    return reply;
}

std::string garbleNvram(std::size_t length) {
    using namespace std::string_view_literals;
    // Month 13, day 32, switches out of 0/1, telecom fields outside their lists, control bytes
    // in the text value and a NUL that ends the text early.
    const std::string_view values =
        "\x02-1,1899,13,32,-5,x,0,0,0,0,7,0,0,0,0,9,1e39,-1e39,S\x01\x1B\x7F,0,5,9,ffff,0,9,7,"
        "\x01,\x7F,\x1B,f,\x01,\x1F,\x1B,1f,-9,99\0,,"sv;
    std::string reply(length, ' ');
    overwrite(reply, 0, values.substr(0, length > 3 ? length - 3 : 0));
    overwrite(reply, length - 3, "\r\n\x03");
    return reply;
}

}  // namespace

std::string garbleReply(std::string_view code, std::string reply, unsigned variant) {
    if (code == "D*1" && reply.size() == kVariablesReplyLength) {
        return garbleVariables(std::move(reply));
    }
    if (code == "D*2" && reply.size() == kConstantsReplyLength) {
        return garbleConstants(std::move(reply));
    }
    if (code == "D*5" && reply.size() == kNvramReplyLength) {
        return garbleNvram(reply.size());
    }
    for (std::size_t i = 1; i + 1 < reply.size(); ++i) {
        if (!isFraming(reply[i])) {
            reply[i] = kJunk[(i + variant) % kJunk.size()];
        }
    }
    return reply;
}

std::string truncateReply(std::string reply) {
    reply.resize(reply.size() / 2);
    return reply;
}

std::string streamLine(unsigned number) {
    char line[48];
    std::snprintf(line, sizeof line, "ADC %04u DAC %04u STREAM\r\n", number % 10000,
                  (number * 7) % 10000);
    return line;
}

}  // namespace brevik2::sim
