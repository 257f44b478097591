#include "sim/wire_encoding.h"

#include <bit>
#include <charconv>
#include <vector>

namespace brevik2::sim {
namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

std::optional<int> parseInt(std::string_view text) {
    text = trimmed(text);
    int value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<link::Parity> parityFromLetter(char letter) {
    switch (letter) {
        case 'n':
        case 'N':
            return link::Parity::None;
        case 'o':
        case 'O':
            return link::Parity::Odd;
        case 'e':
        case 'E':
            return link::Parity::Even;
        case 'm':
        case 'M':
            return link::Parity::Mark;
        case 's':
        case 'S':
            return link::Parity::Space;
        default:
            return std::nullopt;
    }
}

std::optional<link::LineSettings> parseSerialParameters(std::string_view text) {
    std::vector<std::string_view> parts;
    text = trimmed(text);
    for (std::size_t start = 0;;) {
        const std::size_t comma = text.find(',', start);
        parts.push_back(
            text.substr(start, comma == std::string_view::npos ? comma : comma - start));
        if (comma == std::string_view::npos) {
            break;
        }
        start = comma + 1;
    }
    if (parts.size() != 4) {
        return std::nullopt;
    }
    link::LineSettings line;
    const std::optional<int> baud = parseInt(parts[0]);
    const std::optional<int> dataBits = parseInt(parts[1]);
    const std::string_view parity = trimmed(parts[2]);
    const std::optional<link::Parity> p =
        parity.size() == 1 ? parityFromLetter(parity.front()) : std::nullopt;
    const std::string_view stop = trimmed(parts[3]);
    if (!baud || !link::isValidBaudRate(*baud) || !dataBits || (*dataBits != 7 && *dataBits != 8) ||
        !p) {
        return std::nullopt;
    }
    line.baudRate = *baud;
    line.dataBits = *dataBits;
    line.parity = *p;
    if (stop == "1") {
        line.stopBits = link::StopBits::One;
    } else if (stop == "1.5") {
        line.stopBits = link::StopBits::OneAndHalf;
    } else if (stop == "2") {
        line.stopBits = link::StopBits::Two;
    } else {
        return std::nullopt;
    }
    return line;
}

std::chrono::nanoseconds characterTime(const link::LineSettings& line) {
    // Counted in half bits so that one and a half stop bits stay exact.
    long halfBits = 2 * (1 + line.dataBits);
    if (line.parity != link::Parity::None) {
        halfBits += 2;
    }
    switch (line.stopBits) {
        case link::StopBits::One:
            halfBits += 2;
            break;
        case link::StopBits::OneAndHalf:
            halfBits += 3;
            break;
        case link::StopBits::Two:
            halfBits += 4;
            break;
    }
    const long baud = line.baudRate > 0 ? line.baudRate : 9600;
    return std::chrono::nanoseconds(halfBits * 1'000'000'000LL / (2 * baud));
}

std::string encodeForLine(std::string bytes, const link::LineSettings& line) {
    if (line.dataBits != 7) {
        return bytes;
    }
    for (char& c : bytes) {
        const auto data = static_cast<unsigned>(static_cast<unsigned char>(c) & 0x7F);
        const bool oddOnes = (std::popcount(data) & 1) != 0;
        bool topBit = true;  // no parity: the first stop bit
        switch (line.parity) {
            case link::Parity::Odd:
                topBit = !oddOnes;
                break;
            case link::Parity::Even:
                topBit = oddOnes;
                break;
            case link::Parity::Mark:
                topBit = true;
                break;
            case link::Parity::Space:
                topBit = false;
                break;
            case link::Parity::None:
                break;
        }
        c = static_cast<char>(data | (topBit ? 0x80u : 0u));
    }
    return bytes;
}

}  // namespace brevik2::sim
