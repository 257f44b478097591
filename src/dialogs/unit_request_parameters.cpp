#include "dialogs/unit_request_parameters.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>

#include "dialogs/field_text.h"

namespace brevik2::dialogs {
namespace {

constexpr std::size_t kCustomerMessageChars = 9;

// printf's "%<width>.<precision>f" in the C locale. The largest double has 309 digits before
// the point, so the buffer always suffices.
std::string fixedPoint(double value, std::size_t width, int precision) {
    std::array<char, 400> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed, precision);
    std::string text(buffer.data(), result.ec == std::errc() ? result.ptr : buffer.data());
    if (text.size() < width) {
        text.insert(0, width - text.size(), ' ');
    }
    return text;
}

std::string printInteger(const char* format, std::int32_t value) {
    std::array<char, 32> buffer{};
    const int n = std::snprintf(buffer.data(), buffer.size(), format, static_cast<int>(value));
    return n > 0 ? std::string(buffer.data(), std::min<std::size_t>(n, buffer.size() - 1))
                 : std::string();
}

std::string_view firstCharacter(std::string_view text) {
    return text.substr(0, 1);
}

}  // namespace

std::string formatUnitId(std::int32_t unitId) {
    return printInteger("%05d", unitId);
}

std::string formatFrequencyOffset(std::int32_t offset) {
    return printInteger("%+07d", offset);
}

std::string formatTimeConstant(double seconds) {
    return fixedPoint(seconds, 5, 2);
}

std::string unitIdParameter(std::string_view fieldText) {
    return std::string(fieldText.substr(0, kFieldTextChars));
}

std::string serialParameters(std::string_view baudRate, std::string_view dataBits,
                             std::string_view parity, std::string_view stopBits) {
    std::string parameter(baudRate);
    for (std::string_view part : {dataBits, parity, stopBits}) {
        parameter += ',';
        parameter += firstCharacter(part);
    }
    return parameter;
}

std::string timeConstantParameter(std::string_view fieldText) {
    return "1 " + fixedPoint(leadingReal(fieldText.substr(0, kFieldTextChars)), 4, 2);
}

std::string frequencyOffsetParameter(std::string_view fieldText) {
    return formatFrequencyOffset(leadingInteger(fieldText.substr(0, kFieldTextChars))) + "  ";
}

std::string customerMessageParameter(std::string_view fieldText) {
    std::string parameter(fieldText.substr(0, kCustomerMessageChars));
    parameter.resize(kCustomerMessageChars, '_');
    return parameter;
}

std::string switchParameter(std::string_view entry, std::string_view onWord) {
    std::string lower(entry);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return lower == onWord ? "1" : "0";
}

}  // namespace brevik2::dialogs
