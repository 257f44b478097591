#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace brevik2::engine {

struct TracePoint {
    double time = 0;
    float value = 0;
};

struct DecimatedTrace {
    std::vector<TracePoint> points;      // in time order
    std::vector<std::size_t> runStarts;  // index of the first point of each unbroken run
};

// Alarm states of the data file's ALARM column, in rising order of concern; None where no record
// covers a column.
enum class AlarmLevel : std::uint8_t {
    None,
    Operating,
    Unknown,
    WarmingUp,
    MinorFault,
    MajorFault
};

AlarmLevel alarmLevel(std::uint8_t alarmCode);

// Reduces a long record to what a plot of a given width in pixels can show. Times are seconds,
// sorted; a window [start, end) is cut into `columns` equal pixel columns, column c beginning at
// columnStart(start, end, columns, c).
//
// A pause in the record is a gap when it is longer than ten seconds and more than three times
// the spacing on either side of it: a station switched off for a night, not a longer
// SamplingInterval.
//
// Thread safety: const members may be called from several threads; setTimes from one, alone.
class TraceDecimation {
public:
    // Takes the record's times and finds its gaps. The times are referred to, not copied: call
    // again whenever they have changed or moved.
    void setTimes(std::span<const double> times);

    static double columnStart(double start, double end, int columns, int c);

    // Keeps, for each pixel column and each unbroken run within it, the first, the smallest, the
    // largest and the last value, in time order, so the drawn line covers the same pixels as a
    // line through every record and no spike is ever lost. One record on each side of the
    // window is kept as well, so the line reaches the edges. NaN values are left out.
    DecimatedTrace trace(std::span<const float> values, double start, double end,
                         int columns) const;

    // The worst state in each pixel column. A record's state lasts until the next record unless
    // a gap follows it, so a zoomed-in view has no holes between polls and a fault is never
    // hidden by the operating records around it.
    std::vector<AlarmLevel> alarms(std::span<const std::uint8_t> codes, double start, double end,
                                   int columns) const;

    // The record whose values hold at time t: the last one at or before t while no gap follows
    // it, otherwise the nearest one within tolerance seconds; nothing in a gap or far beyond the
    // record.
    std::optional<std::size_t> recordAt(double t, double tolerance) const;

    bool isGapBefore(std::size_t i) const;
    const std::vector<std::size_t>& gaps() const { return m_gaps; }

private:
    std::span<const double> m_times;
    std::vector<std::size_t> m_gaps;  // records that follow a gap, ascending
};

}  // namespace brevik2::engine
