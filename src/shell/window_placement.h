#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brevik2::shell {

// A window's outer rectangle in screen pixels, in the order the settings file stores it.
struct WindowRect {
    int width = 0;
    int height = 0;
    int left = 0;
    int top = 0;

    bool operator==(const WindowRect&) const = default;
};

// Which width and height the fit tests of a stored left and top use: the main window tests the
// stored values even when they were replaced; the unit status panel tests what it will use.
enum class FitTest { StoredSize, UsedSize };

// Where a window goes from its stored rectangle text ("width,height,left,top") on a screen of
// the given size. The preset is 600 x 400 (or the window's own preset size, no larger than the
// screen) centred; a text starting with "x" (nothing stored) keeps it. Otherwise each number is
// checked on its own and an unusable one is replaced by the preset's: a size above the screen's or
// below 40, a position below 0 or one that would push the window past the screen's right or bottom
// edge. A missing or unreadable number counts as unusable.
WindowRect placeStoredRectangle(std::string_view stored, int screenWidth, int screenHeight,
                                FitTest fit, int presetWidth = 600, int presetHeight = 400);

// The text to store for a window's outer rectangle, "width,height,left,top"; nothing when its
// left, top, right or bottom is at 0 or below (a window at the screen's edge, or off it), so the
// previous value stays.
std::optional<std::string> rectangleToStore(const WindowRect& rect);

}  // namespace brevik2::shell
