// The short text replies of a poll: date and time ("A08"), firmware version ("C03") and the four
// counters ("A24"). A reply that does not fit leaves the old values; one that fits gives values
// taken from where the rules say, never from past the reply's end.

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

#include "engine/reply_parsing.h"
#include "fuzz/fuzz_targets.h"

namespace brevik2::fuzz {

int fuzzClockVersionCounters(const std::uint8_t* data, std::size_t size) {
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    // The conversions read a reply as C text, up to its first zero byte.
    const std::string_view text = reply.substr(0, reply.find('\0'));

    std::string dateTime = "kept";
    if (engine::convertDateTimeReply(reply, dateTime)) {
        BREVIK2_FUZZ_CHECK(text.size() > 26 && text[26] >= '0' && text[26] <= '9');
        BREVIK2_FUZZ_CHECK(dateTime.size() <= 255);
        BREVIK2_FUZZ_CHECK(text.substr(26).substr(0, dateTime.size()) == dateTime);
    } else {
        BREVIK2_FUZZ_CHECK(dateTime == "kept");
    }

    engine::FirmwareVersion version{'#', -7};
    if (engine::convertVersionReply(reply, version)) {
        const std::size_t mark = text.find("Version");
        BREVIK2_FUZZ_CHECK(mark != std::string_view::npos && mark + 8 < text.size());
        BREVIK2_FUZZ_CHECK(version.letter == text[mark + 8]);
    } else {
        BREVIK2_FUZZ_CHECK(version.letter == '#' && version.number == -7);
    }

    std::array<std::int32_t, 4> counters{11, 22, 33, 44};
    engine::convertCountersReply(reply, counters);
    // The counters are read from the reply's second byte on, whatever its first byte is.
    const std::string_view afterFirst = reply.empty() ? reply : reply.substr(1);
    const std::string_view counterText = afterFirst.substr(0, afterFirst.find('\0'));
    const bool anyDigit = std::any_of(counterText.begin(), counterText.end(),
                                      [](char c) { return c >= '0' && c <= '9'; });
    if (!anyDigit) {
        BREVIK2_FUZZ_CHECK((counters == std::array<std::int32_t, 4>{11, 22, 33, 44}));
    }
    return 0;
}

}  // namespace brevik2::fuzz
