#include "engine/reply_frame.h"

#include <algorithm>

#include "engine/reply_parsing.h"
#include "link/request_framing.h"

namespace brevik2::engine {
namespace {

constexpr std::string_view kStatusHead{"\x02\r\nID", 5};
// The memory reply holds 36 values; no other reply comes near this many commas.
constexpr std::ptrdiff_t kMemoryCommas = 20;

bool hasStatusHead(std::string_view reply) {
    return reply.starts_with(kStatusHead);
}

std::ptrdiff_t commas(std::string_view reply) {
    return std::count(reply.begin(), reply.end(), ',');
}

// STX first and nowhere else; ETX nowhere but as the last byte.
bool singleFrame(std::string_view reply) {
    if (reply.empty() || reply.front() != link::kStx) {
        return false;
    }
    const std::string_view inside = reply.substr(1, reply.size() - 1);
    const std::size_t etx = inside.find(link::kEtx);
    return inside.find(link::kStx) == std::string_view::npos &&
           (etx == std::string_view::npos || etx == inside.size() - 1);
}

bool fixedStatusFrame(std::string_view reply, std::size_t length) {
    return reply.size() == length && hasStatusHead(reply) && singleFrame(reply) &&
           reply.back() == link::kEtx;
}

}  // namespace

bool fitsReplyFrame(ReplyFrame frame, std::string_view reply) {
    switch (frame) {
        case ReplyFrame::Variables:
            return fixedStatusFrame(reply, kVariablesReplyLength);
        case ReplyFrame::Constants:
            return fixedStatusFrame(reply, kConstantsReplyLength);
        case ReplyFrame::Nvram:
            // What arrived counts, however little (nothing at all included); but once it is
            // complete it must hold the memory reply's values.
            return reply.empty() ||
                   (singleFrame(reply) && !hasStatusHead(reply) &&
                    (reply.back() != link::kEtx || commas(reply) >= kMemoryCommas));
        case ReplyFrame::Text:
            return singleFrame(reply) && !hasStatusHead(reply) && commas(reply) < kMemoryCommas;
        case ReplyFrame::Counters:
            return singleFrame(reply) && !hasStatusHead(reply) && commas(reply) <= 3;
        case ReplyFrame::EventLog:
            return singleFrame(reply) && !hasStatusHead(reply) &&
                   reply != std::string_view("\x02\r\n", 3);
    }
    return false;
}

}  // namespace brevik2::engine
