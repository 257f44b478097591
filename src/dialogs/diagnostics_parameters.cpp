#include "dialogs/diagnostics_parameters.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <limits>

namespace brevik2::dialogs {
namespace {

bool startsWith(std::string_view text, char c) {
    return !text.empty() && text.front() == c;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::string ddsParameter(std::string_view entry) {
    if (entry.empty() || startsWith(entry, 'E')) {
        return "0";
    }
    return std::string(1, entry.front());
}

std::string gainParameter(std::string_view entry) {
    if (startsWith(entry, 'A')) {
        entry = "B7h";
    } else if (entry.empty() || startsWith(entry, 'E')) {
        entry = "00h";
    }
    entry = entry.substr(0, entry.find('h'));
    unsigned value = 0;
    const auto [end, error] = std::from_chars(entry.data(), entry.data() + entry.size(), value, 16);
    if (error != std::errc()) {
        value = 0;
    }
    return std::to_string(value);
}

std::string timeUpdatingParameter(std::string_view field) {
    // Read as the decimal conversion of a C library would: leading blanks, a sign, digits.
    std::size_t i = 0;
    while (i < field.size() && (field[i] == ' ' || field[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) {
        negative = field[i] == '-';
        ++i;
    }
    // A long run of digits saturates instead of wrapping into a different slew.
    std::int64_t magnitude = 0;
    constexpr std::int64_t kLimit = std::numeric_limits<std::int32_t>::max();
    for (; i < field.size() && isDigit(field[i]); ++i) {
        magnitude = std::min<std::int64_t>(magnitude * 10 + (field[i] - '0'), kLimit + 1);
    }
    const std::int64_t value = negative ? -magnitude : std::min(magnitude, kLimit);
    char text[32];
    std::snprintf(text, sizeof text, "%+06lldf", static_cast<long long>(value));
    return text;
}

std::string resultLineText(std::string_view reply) {
    // A request's reply comes framed, STX ... CR LF ETX: the frame is no text to show.
    const bool framed = reply.starts_with('\x02');
    if (framed) {
        reply.remove_prefix(1);
    }
    if (reply.size() > 2) {
        reply.remove_suffix(2);
        if (framed && reply.ends_with('\r')) {
            reply.remove_suffix(1);
        }
    }
    return std::string(reply);
}

}  // namespace brevik2::dialogs
