#include "scan_format.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <limits>
#include <optional>

namespace brevik2::engine {

float ScanValue::asFloat() const {
    return std::bit_cast<float>(bits);
}

namespace {

constexpr std::size_t kNoWidth = std::numeric_limits<std::size_t>::max();
// Formats are written in the code, but a slip must not make the width arithmetic overflow.
constexpr std::size_t kMaxWidth = 1u << 20;
constexpr std::int64_t kMaxExponent = 1'000'000'000;

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int digitValue(char c, int base) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (base == 16 && c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (base == 16 && c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

struct Directive {
    std::size_t width = kNoWidth;
    bool longModifier = false;
    char conversion = '\0';
    std::string_view set;  // %[ only
    bool negatedSet = false;
};

struct ParsedInteger {
    std::size_t used = 0;
    std::uint64_t magnitude = 0;
    bool negative = false;
    bool overflow = false;
};

std::optional<ParsedInteger> parseInteger(std::string_view field, int base) {
    ParsedInteger result;
    std::size_t i = 0;
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) {
        result.negative = field[i] == '-';
        ++i;
    }
    // "0x" counts as a prefix only when a hex digit follows; otherwise the "0" is the number.
    if (base == 16 && i + 2 < field.size() && field[i] == '0' &&
        (field[i + 1] == 'x' || field[i + 1] == 'X') && digitValue(field[i + 2], 16) >= 0) {
        i += 2;
    }
    const std::size_t firstDigit = i;
    const auto ubase = static_cast<std::uint64_t>(base);
    for (; i < field.size(); ++i) {
        const int digit = digitValue(field[i], base);
        if (digit < 0) {
            break;
        }
        const auto udigit = static_cast<std::uint64_t>(digit);
        if (result.overflow ||
            result.magnitude > (std::numeric_limits<std::uint64_t>::max() - udigit) / ubase) {
            result.overflow = true;
        } else {
            result.magnitude = result.magnitude * ubase + udigit;
        }
    }
    if (i == firstDigit) {
        return std::nullopt;
    }
    if (result.overflow) {
        result.magnitude = std::numeric_limits<std::uint64_t>::max();
    }
    result.used = i;
    return result;
}

std::uint32_t signedBits(const ParsedInteger& parsed) {
    constexpr auto kMaxPositive =
        static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    std::int64_t value = 0;
    if (parsed.negative) {
        value = parsed.magnitude > kMaxPositive ? std::numeric_limits<std::int64_t>::min()
                                                : -static_cast<std::int64_t>(parsed.magnitude);
    } else {
        value = parsed.magnitude > kMaxPositive ? std::numeric_limits<std::int64_t>::max()
                                                : static_cast<std::int64_t>(parsed.magnitude);
    }
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(value));
}

std::uint32_t unsignedBits(const ParsedInteger& parsed) {
    if (parsed.overflow) {
        return static_cast<std::uint32_t>(std::numeric_limits<std::uint64_t>::max());
    }
    const std::uint64_t value = parsed.negative ? 0 - parsed.magnitude : parsed.magnitude;
    return static_cast<std::uint32_t>(value);
}

// The decimal exponent of the leading significant digit of a number from_chars found out of
// range: above zero it overflowed, below it underflowed.
std::int64_t leadingExponent(std::string_view number) {
    std::int64_t exponent = 0;
    std::int64_t zerosAfterPoint = 0;
    bool point = false;
    bool significant = false;
    std::size_t i = 0;
    for (; i < number.size() && number[i] != 'e' && number[i] != 'E'; ++i) {
        const char c = number[i];
        if (c == '.') {
            point = true;
        } else if (significant) {
            exponent += point ? 0 : 1;
        } else if (c != '0') {
            significant = true;
            exponent = point ? -(zerosAfterPoint + 1) : 0;
        } else if (point) {
            ++zerosAfterPoint;
        }
    }
    if (i < number.size()) {
        ++i;
        const bool negative = i < number.size() && number[i] == '-';
        if (i < number.size() && (number[i] == '-' || number[i] == '+')) {
            ++i;
        }
        std::int64_t written = 0;
        for (; i < number.size() && number[i] >= '0' && number[i] <= '9'; ++i) {
            written = std::min(written * 10 + (number[i] - '0'), kMaxExponent);
        }
        exponent += negative ? -written : written;
    }
    return exponent;
}

std::optional<std::pair<float, std::size_t>> parseFloat(std::string_view field) {
    std::size_t i = 0;
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) {
        negative = field[i] == '-';
        ++i;
    }
    // from_chars takes a minus of its own, which would let "--1" through.
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) {
        return std::nullopt;
    }
    const char* first = field.data() + i;
    const char* last = field.data() + field.size();
    float value = 0.0f;
    const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
    if (error == std::errc::invalid_argument) {
        return std::nullopt;
    }
    if (error == std::errc::result_out_of_range) {
        const std::string_view number(first, static_cast<std::size_t>(end - first));
        value = leadingExponent(number) > 0 ? std::numeric_limits<float>::infinity() : 0.0f;
    }
    return std::pair{negative ? -value : value, static_cast<std::size_t>(end - field.data())};
}

// Reads one directive after its '%'; false for a malformed or unsupported one.
bool parseDirective(std::string_view format, std::size_t& f, Directive& directive) {
    if (f < format.size() && format[f] >= '0' && format[f] <= '9') {
        std::size_t width = 0;
        for (; f < format.size() && format[f] >= '0' && format[f] <= '9'; ++f) {
            width = std::min(width * 10 + static_cast<std::size_t>(format[f] - '0'), kMaxWidth);
        }
        if (width == 0) {
            return false;
        }
        directive.width = width;
    }
    if (f < format.size() && format[f] == 'l') {
        directive.longModifier = true;
        ++f;
    }
    if (f >= format.size()) {
        return false;
    }
    directive.conversion = format[f++];
    switch (directive.conversion) {
        case 'd':
        case 'u':
        case 'x':
            return true;
        case 'f':
        case 's':
            return !directive.longModifier;
        case 'c':
            return !directive.longModifier && (directive.width == kNoWidth || directive.width == 1);
        case '[': {
            if (directive.longModifier) {
                return false;
            }
            if (f < format.size() && format[f] == '^') {
                directive.negatedSet = true;
                ++f;
            }
            // A ']' right after the opening bracket belongs to the set.
            const std::size_t start = f;
            const std::size_t close = format.find(']', f < format.size() ? f + 1 : f);
            if (close == std::string_view::npos) {
                return false;
            }
            directive.set = format.substr(start, close - start);
            f = close + 1;
            return true;
        }
        default:
            return false;
    }
}

// Performs one conversion at input position `in`; false when it matches nothing.
bool convert(const Directive& directive, std::string_view input, std::size_t& in,
             std::vector<ScanValue>& values) {
    const auto skipSpace = [&] {
        while (in < input.size() && isSpace(input[in])) {
            ++in;
        }
    };
    ScanValue value;
    switch (directive.conversion) {
        case 'd':
        case 'u':
        case 'x': {
            skipSpace();
            const auto parsed = parseInteger(input.substr(in, directive.width),
                                             directive.conversion == 'x' ? 16 : 10);
            if (!parsed) {
                return false;
            }
            const bool isSigned = directive.conversion == 'd';
            value.kind = isSigned ? ScanValue::Kind::kSigned : ScanValue::Kind::kUnsigned;
            value.bits = isSigned ? signedBits(*parsed) : unsignedBits(*parsed);
            in += parsed->used;
            break;
        }
        case 'f': {
            skipSpace();
            const auto parsed = parseFloat(input.substr(in, directive.width));
            if (!parsed) {
                return false;
            }
            value.kind = ScanValue::Kind::kFloat;
            value.bits = std::bit_cast<std::uint32_t>(parsed->first);
            in += parsed->second;
            break;
        }
        case 'c':
            if (in >= input.size()) {
                return false;
            }
            value.kind = ScanValue::Kind::kChar;
            value.bits = static_cast<unsigned char>(input[in++]);
            break;
        case 's':
        case '[': {
            if (directive.conversion == 's') {
                skipSpace();
            }
            const auto accepts = [&](char c) {
                if (directive.conversion == 's') {
                    return !isSpace(c);
                }
                return (directive.set.find(c) != std::string_view::npos) != directive.negatedSet;
            };
            const std::size_t start = in;
            while (in < input.size() && in - start < directive.width && accepts(input[in])) {
                ++in;
            }
            if (in == start) {
                return false;
            }
            value.kind = ScanValue::Kind::kText;
            value.text = std::string(input.substr(start, in - start));
            break;
        }
        default:
            return false;
    }
    values.push_back(std::move(value));
    return true;
}

}  // namespace

std::vector<ScanValue> scanFormat(std::string_view input, std::string_view format) {
    input = input.substr(0, input.find('\0'));
    std::vector<ScanValue> values;
    std::size_t in = 0;
    std::size_t f = 0;
    while (f < format.size()) {
        const char c = format[f];
        if (isSpace(c)) {
            while (f < format.size() && isSpace(format[f])) {
                ++f;
            }
            while (in < input.size() && isSpace(input[in])) {
                ++in;
            }
            continue;
        }
        if (c != '%') {
            if (in >= input.size() || input[in] != c) {
                break;
            }
            ++in;
            ++f;
            continue;
        }
        ++f;
        Directive directive;
        if (!parseDirective(format, f, directive) || !convert(directive, input, in, values)) {
            break;
        }
    }
    return values;
}

}  // namespace brevik2::engine
