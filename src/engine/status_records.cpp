#include "status_records.h"

namespace brevik2::engine {

namespace {

// The mode text lives in a numeric slot so that the record stays an array of 32-bit values; the
// characters go in from the low byte up and a zero byte ends the text.
constexpr std::size_t kModeChars = 3;

}  // namespace

std::string VariablesRecord::modeText() const {
    std::string text;
    const std::uint32_t packed = slot[kVarMode];
    for (std::size_t i = 0; i < kModeChars; ++i) {
        const auto c = static_cast<char>((packed >> (8 * i)) & 0xFF);
        if (c == '\0') {
            break;
        }
        text.push_back(c);
    }
    return text;
}

void VariablesRecord::setModeText(const std::string& text) {
    std::uint32_t packed = 0;
    for (std::size_t i = 0; i < kModeChars && i < text.size() && text[i] != '\0'; ++i) {
        packed |= static_cast<std::uint32_t>(static_cast<unsigned char>(text[i])) << (8 * i);
    }
    slot[kVarMode] = packed;
}

}  // namespace brevik2::engine
