#include "sim/parameter_text.h"

namespace brevik2::sim {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

std::optional<long> parseIntegerIn(std::string_view text, long low, long high) {
    const std::optional<long> value = parseNumber<long>(text);
    if (!value || *value < low || *value > high) {
        return std::nullopt;
    }
    return value;
}

std::vector<std::string_view> split(std::string_view text, std::string_view separators) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t at = text.find_first_of(separators, start);
        parts.push_back(text.substr(start, at == std::string_view::npos ? at : at - start));
        if (at == std::string_view::npos) {
            return parts;
        }
        start = at + 1;
    }
}

}  // namespace brevik2::sim
