#include "trends/trends_view_range.h"

#include <algorithm>
#include <cmath>

namespace brevik2::trends {

namespace {

constexpr double kDay = 86400.0;
// A little room after the latest record, so it is not drawn on the frame's edge.
constexpr double kTrailingRoom = 0.02;
// Zooming out stops at ten years or four times the record, whichever is longer.
constexpr double kMaxSpanSeconds = 10 * 365.25 * kDay;

double presetSpan(RangePreset preset) {
    switch (preset) {
        case RangePreset::LastDay:
            return kDay;
        case RangePreset::LastWeek:
            return 7 * kDay;
        case RangePreset::LastMonth:
            return 30 * kDay;
        case RangePreset::All:
            break;
    }
    return kDay;
}

}  // namespace

TrendsViewRange::TrendsViewRange(double now) : m_now(now) {
    follow();
}

void TrendsViewRange::setPreset(RangePreset preset) {
    m_preset = preset;
    m_following = true;
    follow();
}

void TrendsViewRange::setRecordSpan(std::optional<double> first, std::optional<double> last) {
    m_first = first;
    m_last = last;
    if (m_following) {
        follow();
    } else {
        clamp();
    }
}

void TrendsViewRange::follow() {
    // Without records the last day up to now is shown, empty.
    const double last = m_last.value_or(m_now);
    const double first = m_first.value_or(last);
    double span = presetSpan(m_preset);
    if (m_preset == RangePreset::All) {
        span = std::max(last - first, kMinSpanSeconds) / (1 - kTrailingRoom);
    }
    m_end = last + span * kTrailingRoom;
    m_start = m_end - span;
}

void TrendsViewRange::zoom(double fraction, double factor) {
    if (!std::isfinite(fraction) || !std::isfinite(factor) || factor <= 0) {
        return;
    }
    fraction = std::clamp(fraction, 0.0, 1.0);
    const double anchor = timeAt(fraction);
    const double maxSpan =
        std::max(kMaxSpanSeconds, 4 * (m_last.value_or(0) - m_first.value_or(0)));
    const double span = std::clamp((m_end - m_start) * factor, kMinSpanSeconds, maxSpan);
    m_start = anchor - fraction * span;
    m_end = m_start + span;
    m_following = false;
    clamp();
}

void TrendsViewRange::pan(double fraction) {
    if (!std::isfinite(fraction)) {
        return;
    }
    const double shift = fraction * (m_end - m_start);
    m_start += shift;
    m_end += shift;
    m_following = false;
    clamp();
}

// A tenth of the window at least stays on the record, so the plots never drift off into empty
// years.
void TrendsViewRange::clamp() {
    if (!m_first || !m_last) {
        return;
    }
    const double span = m_end - m_start;
    const double keep = span / 10;
    if (m_start > *m_last - keep) {
        m_start = *m_last - keep;
    }
    if (m_start + span < *m_first + keep) {
        m_start = *m_first + keep - span;
    }
    m_end = m_start + span;
}

}  // namespace brevik2::trends
