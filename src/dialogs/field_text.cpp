#include "dialogs/field_text.h"

#include <charconv>
#include <cstdint>
#include <limits>

namespace brevik2::dialogs {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view skipBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    return text;
}

}  // namespace

int leadingInteger(std::string_view text) {
    text = skipBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    constexpr std::int64_t kLimit = std::numeric_limits<std::int32_t>::max();
    std::int64_t value = 0;
    for (char c : text) {
        if (!isDigit(c)) {
            break;
        }
        if (value <= kLimit) {
            value = value * 10 + (c - '0');
        }
    }
    if (negative) {
        return value > kLimit ? std::numeric_limits<std::int32_t>::min() : static_cast<int>(-value);
    }
    return value > kLimit ? std::numeric_limits<std::int32_t>::max() : static_cast<int>(value);
}

double leadingReal(std::string_view text) {
    text = skipBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // from_chars would also take "inf" and "nan", which a typed number never means here.
    const bool startsNumber =
        !text.empty() &&
        (isDigit(text.front()) || (text.front() == '.' && text.size() > 1 && isDigit(text[1])));
    if (!startsNumber) {
        return 0.0;
    }
    double value = 0.0;
    const auto result =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (result.ec != std::errc()) {
        return 0.0;
    }
    return negative ? -value : value;
}

std::string firstLine(std::string_view text) {
    const auto end = text.find_first_of("\r\n");
    return std::string(text.substr(0, end));
}

}  // namespace brevik2::dialogs
