#include "trace_decimation.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "status_records.h"

namespace brevik2::engine {

namespace {

constexpr double kGapFactor = 3.0;
// Polls a second apart come out of the file one or two seconds apart (whole seconds), and a
// pause of a few seconds is nothing a trend plot needs to show.
constexpr double kMinGapSeconds = 10.0;

bool pauseIsGap(std::span<const double> times, std::size_t i) {
    const double pause = times[i] - times[i - 1];
    if (pause <= kMinGapSeconds) {
        return false;
    }
    // The shorter neighbouring spacing, so an isolated record between two long pauses leaves
    // both of them gaps.
    double reference = std::numeric_limits<double>::infinity();
    if (i >= 2) {
        reference = times[i - 1] - times[i - 2];
    }
    if (i + 1 < times.size()) {
        reference = std::min(reference, times[i + 1] - times[i]);
    }
    return std::isfinite(reference) && pause > kGapFactor * reference;
}

constexpr std::array<AlarmLevel, 256> kLevels = [] {
    std::array<AlarmLevel, 256> levels{};
    levels.fill(AlarmLevel::Unknown);
    levels[kAlarmOperating] = AlarmLevel::Operating;
    levels[kAlarmWarmingUp] = AlarmLevel::WarmingUp;
    levels[kAlarmMinorFault] = AlarmLevel::MinorFault;
    levels[kAlarmMajorFault] = AlarmLevel::MajorFault;
    return levels;
}();

}  // namespace

AlarmLevel alarmLevel(std::uint8_t alarmCode) {
    return kLevels[alarmCode];
}

void TraceDecimation::setTimes(std::span<const double> times) {
    m_times = times;
    m_gaps.clear();
    for (std::size_t i = 1; i < times.size(); ++i) {
        if (pauseIsGap(times, i)) {
            m_gaps.push_back(i);
        }
    }
}

double TraceDecimation::columnStart(double start, double end, int columns, int c) {
    return start + (end - start) * c / columns;
}

bool TraceDecimation::isGapBefore(std::size_t i) const {
    return std::binary_search(m_gaps.begin(), m_gaps.end(), i);
}

DecimatedTrace TraceDecimation::trace(std::span<const float> values, double start, double end,
                                      int columns) const {
    DecimatedTrace trace;
    const std::size_t n = std::min(m_times.size(), values.size());
    if (n == 0 || columns <= 0 || !(end > start)) {
        return trace;
    }
    const auto times = m_times.first(n);
    const auto indexOf = [&](std::size_t from, std::size_t to, double t) {
        const auto begin = times.begin() + static_cast<std::ptrdiff_t>(from);
        const auto last = times.begin() + static_cast<std::ptrdiff_t>(to);
        return static_cast<std::size_t>(std::lower_bound(begin, last, t) - times.begin());
    };
    const std::size_t lo = indexOf(0, n, start);
    const std::size_t hi = indexOf(lo, n, end);
    const std::size_t from = lo > 0 ? lo - 1 : 0;
    const std::size_t to = hi < n ? hi + 1 : n;
    trace.points.reserve(
        std::min<std::size_t>(to - from, 4 * static_cast<std::size_t>(columns) + 8));

    bool runBreak = true;
    // The first, smallest, largest and last value of records [x, y).
    const auto emit = [&](std::size_t x, std::size_t y) {
        std::size_t first = x;
        while (first < y && std::isnan(values[first])) {
            ++first;
        }
        if (first == y) {
            return;
        }
        std::size_t last = y - 1;
        while (std::isnan(values[last])) {
            --last;
        }
        std::size_t min = first;
        std::size_t max = first;
        float low = values[first];
        float high = low;
        const float* v = values.data();
        for (std::size_t j = first + 1; j <= last; ++j) {
            // A NaN fails both comparisons.
            if (v[j] < low) {
                low = v[j];
                min = j;
            } else if (v[j] > high) {
                high = v[j];
                max = j;
            }
        }
        std::array<std::size_t, 4> picked{first, min, max, last};
        std::sort(picked.begin(), picked.end());
        const auto pickedEnd = std::unique(picked.begin(), picked.end());
        if (runBreak) {
            trace.runStarts.push_back(trace.points.size());
            runBreak = false;
        }
        for (auto it = picked.begin(); it != pickedEnd; ++it) {
            trace.points.push_back({times[*it], values[*it]});
        }
    };
    // Buckets from x up to y, cut at every gap.
    auto gap = std::upper_bound(m_gaps.begin(), m_gaps.end(), from);
    std::size_t x = from;
    const auto advanceTo = [&](std::size_t y) {
        for (; gap != m_gaps.end() && *gap < y; ++gap) {
            if (*gap > x) {
                emit(x, *gap);
                x = *gap;
            }
            runBreak = true;
        }
        if (y > x) {
            emit(x, y);
            x = y;
        }
    };

    advanceTo(lo);  // the record left of the window
    for (int c = 1; c < columns && x < hi; ++c) {
        advanceTo(indexOf(x, hi, columnStart(start, end, columns, c)));
    }
    advanceTo(hi);
    advanceTo(to);  // the record right of the window
    return trace;
}

std::vector<AlarmLevel> TraceDecimation::alarms(std::span<const std::uint8_t> codes, double start,
                                                double end, int columns) const {
    std::vector<AlarmLevel> levels(static_cast<std::size_t>(std::max(columns, 0)),
                                   AlarmLevel::None);
    const std::size_t n = std::min(m_times.size(), codes.size());
    if (n == 0 || columns <= 0 || !(end > start)) {
        return levels;
    }
    const auto times = m_times.first(n);
    std::size_t a = static_cast<std::size_t>(std::lower_bound(times.begin(), times.end(), start) -
                                             times.begin());
    for (int c = 0; c < columns; ++c) {
        const double columnBegin = c > 0 ? columnStart(start, end, columns, c) : start;
        const double columnEnd = c + 1 < columns ? columnStart(start, end, columns, c + 1) : end;
        const auto b = static_cast<std::size_t>(
            std::lower_bound(times.begin() + static_cast<std::ptrdiff_t>(a), times.end(),
                             columnEnd) -
            times.begin());
        AlarmLevel level = AlarmLevel::None;
        // The record before the column lasts into it until the next one, if no gap is between.
        if (a > 0 && a < n && times[a] > columnBegin && !isGapBefore(a)) {
            level = kLevels[codes[a - 1]];
        }
        for (std::size_t j = a; j < b; ++j) {
            level = std::max(level, kLevels[codes[j]]);
        }
        levels[static_cast<std::size_t>(c)] = level;
        a = b;
    }
    return levels;
}

std::optional<std::size_t> TraceDecimation::recordAt(double t, double tolerance) const {
    const auto times = m_times;
    if (times.empty()) {
        return std::nullopt;
    }
    const auto next =
        static_cast<std::size_t>(std::upper_bound(times.begin(), times.end(), t) - times.begin());
    if (next > 0 && next < times.size() && !isGapBefore(next)) {
        return next - 1;
    }
    std::optional<std::size_t> best;
    double bestDistance = tolerance;
    if (next > 0 && t - times[next - 1] <= bestDistance) {
        best = next - 1;
        bestDistance = t - times[next - 1];
    }
    if (next < times.size() && times[next] - t <= bestDistance) {
        best = next;
    }
    return best;
}

}  // namespace brevik2::engine
