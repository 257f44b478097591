#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brevik2::console {

// Keeps a failure that goes on unchanged (a port that will not open, a unit that does not
// answer) from filling the log: after the last sign of progress each status text is printed
// the first time it comes, and then only counted. Once a window has passed since the first
// repeat, one line says what repeated and how often; a sign of progress (any status message
// but 0) ends the failure, its repeats are told at once, and every text is new again.
//
// Thread safety: one thread.
class RepeatFilter {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::seconds kWindow{60};
    // Texts told apart within one failure; more are printed each time.
    static constexpr std::size_t kMaxTexts = 64;

    explicit RepeatFilter(std::chrono::milliseconds window = kWindow) : m_window(window) {}

    // True when the text is to be printed now; false when it only repeats.
    bool pass(std::string_view text, Clock::time_point now);
    // The line about the repeats once the window has passed since the first; nothing before.
    std::optional<std::string> due(Clock::time_point now);
    // Progress: the repeats not yet told (nothing when none), and every text is new again.
    std::optional<std::string> progress(Clock::time_point now);

private:
    struct Seen {
        std::string text;
        std::uint64_t repeats = 0;
    };
    std::optional<std::string> report(Clock::time_point now);

    std::chrono::milliseconds m_window;
    std::vector<Seen> m_seen;  // in the order they first came
    std::optional<Clock::time_point> m_firstRepeat;
};

}  // namespace brevik2::console
