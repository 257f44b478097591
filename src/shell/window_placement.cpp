#include "shell/window_placement.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace brevik2::shell {
namespace {

constexpr int kSmallestSide = 40;

// Reads "a,b,c,d" the way a formatted scan would: blanks before each number are skipped, a
// number stops at its first non-digit, and the scan ends at the first field that does not
// convert; the fields after it stay unread.
std::array<std::optional<long long>, 4> scanFourNumbers(std::string_view text) {
    std::array<std::optional<long long>, 4> numbers;
    std::size_t i = 0;
    for (std::size_t n = 0; n < numbers.size(); ++n) {
        if (n > 0) {
            if (i >= text.size() || text[i] != ',') {
                break;
            }
            ++i;
        }
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
            ++i;
        }
        long long value = 0;
        const char* begin = text.data() + i;
        const char* end = text.data() + text.size();
        if (begin != end && *begin == '+') {
            ++begin;  // from_chars takes no plus sign
        }
        const auto [stop, error] = std::from_chars(begin, end, value);
        if (error != std::errc() || stop == begin) {
            break;  // no digits, or too large to be a position on any screen
        }
        numbers[n] = value;
        i = static_cast<std::size_t>(stop - text.data());
    }
    return numbers;
}

}  // namespace

WindowRect placeStoredRectangle(std::string_view stored, int screenWidth, int screenHeight,
                                FitTest fit, int presetWidth, int presetHeight) {
    presetWidth = std::min(presetWidth, screenWidth);
    presetHeight = std::min(presetHeight, screenHeight);
    const int centredLeft = (screenWidth - presetWidth) / 2;
    const int centredTop = (screenHeight - presetHeight) / 2;
    WindowRect rect{presetWidth, presetHeight, centredLeft, centredTop};
    if (stored.empty() || stored.front() == 'x') {
        return rect;
    }
    const auto [width, height, left, top] = scanFourNumbers(stored);

    auto usableSide = [](const std::optional<long long>& side, int screenSide) {
        return side && *side <= screenSide && *side >= kSmallestSide;
    };
    if (usableSide(width, screenWidth)) {
        rect.width = static_cast<int>(*width);
    }
    if (usableSide(height, screenHeight)) {
        rect.height = static_cast<int>(*height);
    }

    auto usableStart = [](const std::optional<long long>& start,
                          const std::optional<long long>& extent, int screenSide) {
        return start && extent && *start >= 0 && *start + *extent <= screenSide;
    };
    const std::optional<long long> fitWidth =
        fit == FitTest::StoredSize ? width : std::optional<long long>(rect.width);
    const std::optional<long long> fitHeight =
        fit == FitTest::StoredSize ? height : std::optional<long long>(rect.height);
    if (usableStart(left, fitWidth, screenWidth)) {
        rect.left = static_cast<int>(*left);
    }
    if (usableStart(top, fitHeight, screenHeight)) {
        rect.top = static_cast<int>(*top);
    }
    return rect;
}

std::optional<std::string> rectangleToStore(const WindowRect& rect) {
    const long long right = static_cast<long long>(rect.left) + rect.width;
    const long long bottom = static_cast<long long>(rect.top) + rect.height;
    if (rect.left <= 0 || rect.top <= 0 || right <= 0 || bottom <= 0) {
        return std::nullopt;
    }
    return std::to_string(rect.width) + "," + std::to_string(rect.height) + "," +
           std::to_string(rect.left) + "," + std::to_string(rect.top);
}

}  // namespace brevik2::shell
