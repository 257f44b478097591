// The command dialog's view of a reply: whatever the bytes and the reply limit, the lines it
// shows are non-empty, at most 255 characters, free of framing and line-end bytes, and come from
// no further than the limit.

#include <string_view>

#include "engine/reply_lines.h"
#include "fuzz/fuzz_targets.h"

namespace brevik2::fuzz {

int fuzzReplyLines(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    // Two bytes of limit reach below zero and past the 32000 of the longest request.
    const int limit = static_cast<std::int16_t>(data[0] | (data[1] << 8));
    const std::string_view reply(reinterpret_cast<const char*>(data + 2), size - 2);
    const auto lines = engine::splitReplyLines(reply, limit);
    std::size_t shown = 0;
    for (const std::string& line : lines) {
        BREVIK2_FUZZ_CHECK(!line.empty() && line.size() <= 255);
        BREVIK2_FUZZ_CHECK(line.find_first_of(std::string_view("\0\x02\x03\r\n", 5)) ==
                           std::string::npos);
        shown += line.size();
    }
    BREVIK2_FUZZ_CHECK(shown <= reply.size());
    if (limit < 0) {
        BREVIK2_FUZZ_CHECK(lines.empty());
    } else {
        BREVIK2_FUZZ_CHECK(shown <= static_cast<std::size_t>(limit) + 1);
    }
    return 0;
}

}  // namespace brevik2::fuzz
