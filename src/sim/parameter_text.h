#pragma once

#include <charconv>
#include <optional>
#include <string_view>
#include <type_traits>
#include <vector>

namespace brevik2::sim {

// Reading the parameters of the unit's requests.

// Without the blanks and tabs around it.
std::string_view trimmed(std::string_view text);

// A number that fills the whole text, blanks around it allowed; a leading '+' too in decimal.
template <typename T>
std::optional<T> parseNumber(std::string_view text, int base = 10) {
    text = trimmed(text);
    if (base == 10 && !text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    T value{};
    const char* end = text.data() + text.size();
    std::from_chars_result result{};
    if constexpr (std::is_floating_point_v<T>) {
        result = std::from_chars(text.data(), end, value);
    } else {
        result = std::from_chars(text.data(), end, value, base);
    }
    if (text.empty() || result.ec != std::errc() || result.ptr != end) {
        return std::nullopt;
    }
    return value;
}

// A whole decimal number from low to high.
std::optional<long> parseIntegerIn(std::string_view text, long low, long high);

// Splits at any of the separators; "12/31/03" and "12,00,00" give three parts.
std::vector<std::string_view> split(std::string_view text, std::string_view separators);

}  // namespace brevik2::sim
