#pragma once

#include <optional>

namespace brevik2::trends {

enum class RangePreset { LastDay, LastWeek, LastMonth, All };

// The time window the plots show, in seconds since 1970. A preset follows the record: the
// window ends just after the latest record and slides on as records arrive. Zooming or panning
// stops the following, so the view an operator is studying stays put; choosing a preset again
// starts it.
class TrendsViewRange {
public:
    static constexpr double kMinSpanSeconds = 60.0;

    explicit TrendsViewRange(double now);

    void setPreset(RangePreset preset);
    RangePreset preset() const { return m_preset; }
    bool following() const { return m_following; }

    // The times of the first and last record; none while there is no record.
    void setRecordSpan(std::optional<double> first, std::optional<double> last);

    // Zooms about the time at fraction (0 left edge, 1 right edge); a factor below 1 zooms in.
    void zoom(double fraction, double factor);
    // Moves the window by a fraction of its width; positive moves to later times.
    void pan(double fraction);

    double start() const { return m_start; }
    double end() const { return m_end; }
    double timeAt(double fraction) const { return m_start + fraction * (m_end - m_start); }

private:
    void follow();
    void clamp();

    RangePreset m_preset = RangePreset::LastDay;
    bool m_following = true;
    double m_now;
    std::optional<double> m_first;
    std::optional<double> m_last;
    double m_start = 0;
    double m_end = 1;
};

}  // namespace brevik2::trends
