#include "console/repeat_filter.h"

#include <algorithm>

namespace brevik2::console {

bool RepeatFilter::pass(std::string_view text, Clock::time_point now) {
    const auto seen =
        std::find_if(m_seen.begin(), m_seen.end(), [&](const Seen& s) { return s.text == text; });
    if (seen == m_seen.end()) {
        if (m_seen.size() < kMaxTexts) {
            m_seen.push_back({std::string(text), 0});
        }
        return true;
    }
    ++seen->repeats;
    if (!m_firstRepeat) {
        m_firstRepeat = now;
    }
    return false;
}

std::optional<std::string> RepeatFilter::due(Clock::time_point now) {
    if (!m_firstRepeat || now - *m_firstRepeat < m_window) {
        return std::nullopt;
    }
    return report(now);
}

std::optional<std::string> RepeatFilter::progress(Clock::time_point now) {
    auto line = report(now);
    m_seen.clear();
    return line;
}

std::optional<std::string> RepeatFilter::report(Clock::time_point now) {
    if (!m_firstRepeat) {
        return std::nullopt;
    }
    const auto seconds = std::max<long long>(
        1, std::chrono::duration_cast<std::chrono::seconds>(now - *m_firstRepeat).count());
    std::string line;
    for (Seen& seen : m_seen) {
        if (seen.repeats > 0) {
            line += (line.empty() ? "" : ", ") + std::to_string(seen.repeats) + " x \"" +
                    seen.text + "\"";
            seen.repeats = 0;
        }
    }
    m_firstRepeat.reset();
    return line + " in " + std::to_string(seconds) + " s";
}

}  // namespace brevik2::console
