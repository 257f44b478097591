#include "engine/reply_lines.h"

#include <algorithm>

namespace brevik2::engine {

std::vector<std::string> splitReplyLines(std::string_view reply, int replyLimit) {
    constexpr std::size_t kLineMax = 255;
    std::vector<std::string> lines;
    if (reply.empty() || reply.front() == '\0' || replyLimit < 0) {
        return lines;
    }
    std::string current;
    auto flush = [&] {
        if (!current.empty()) {
            lines.push_back(std::move(current));
            current.clear();
        }
    };
    // The reply buffer always ends with a zero byte after the bytes received.
    const std::size_t last =
        std::min<std::size_t>(static_cast<std::size_t>(replyLimit), reply.size());
    for (std::size_t i = 0; i <= last; ++i) {
        if (current.size() == kLineMax) {
            flush();
        }
        const char byte = i < reply.size() ? reply[i] : '\0';
        if (byte == '\0' || byte == '\x03') {
            break;
        }
        if (byte == '\x02' || byte == '\n') {
            continue;
        }
        if (byte == '\r') {
            flush();
            continue;
        }
        current += byte;
    }
    flush();
    return lines;
}

}  // namespace brevik2::engine
