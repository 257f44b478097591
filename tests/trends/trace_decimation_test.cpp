#include "engine/trace_decimation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <set>
#include <vector>

#include "engine/status_records.h"

namespace brevik2::engine {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

int columnOf(double t, double start, double end, int columns) {
    int c = 0;
    while (c + 1 < columns && TraceDecimation::columnStart(start, end, columns, c + 1) <= t) {
        ++c;
    }
    return c;
}

struct Record {
    std::vector<double> times;
    std::vector<float> values;
};

// Polls a minute apart with jitter, a few long pauses, spikes and unreadable values.
Record randomRecord(std::mt19937& random, std::size_t count) {
    Record record;
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    std::uniform_int_distribution<int> chance(0, 999);
    double t = 1.0e9;
    for (std::size_t i = 0; i < count; ++i) {
        t += 60 + chance(random) % 3;
        if (chance(random) < 3) {
            t += 6 * 3600;  // station off
        }
        float v = 100.0f + noise(random);
        if (chance(random) < 5) {
            v += 50.0f * noise(random);  // a spike either way
        }
        if (chance(random) < 5) {
            v = kNaN;
        }
        record.times.push_back(t);
        record.values.push_back(v);
    }
    return record;
}

struct Window {
    double startFraction;
    double endFraction;
    int columns;
};

class DecimationWindows : public ::testing::TestWithParam<Window> {};

// The property the plots rest on: within every pixel column the drawn points reach exactly the
// smallest and the largest value of the records there, and every drawn point is a record.
TEST_P(DecimationWindows, KeepsEveryMinimumAndMaximumAndInventsNothing) {
    const Window w = GetParam();
    std::mt19937 random(8);
    const Record record = randomRecord(random, 20000);
    const double first = record.times.front();
    const double span = record.times.back() - first;
    const double start = first + w.startFraction * span;
    const double end = first + w.endFraction * span;

    TraceDecimation decimation;
    decimation.setTimes(record.times);
    const DecimatedTrace trace = decimation.trace(record.values, start, end, w.columns);

    std::vector<float> low(w.columns, std::numeric_limits<float>::infinity());
    std::vector<float> high(w.columns, -std::numeric_limits<float>::infinity());
    for (std::size_t i = 0; i < record.times.size(); ++i) {
        const double t = record.times[i];
        if (t >= start && t < end && !std::isnan(record.values[i])) {
            const int c = columnOf(t, start, end, w.columns);
            low[c] = std::min(low[c], record.values[i]);
            high[c] = std::max(high[c], record.values[i]);
        }
    }
    std::vector<float> drawnLow(w.columns, std::numeric_limits<float>::infinity());
    std::vector<float> drawnHigh(w.columns, -std::numeric_limits<float>::infinity());
    std::size_t outside = 0;
    for (std::size_t k = 0; k < trace.points.size(); ++k) {
        const TracePoint& p = trace.points[k];
        if (k > 0) {
            EXPECT_LE(trace.points[k - 1].time, p.time);
        }
        const auto at = std::lower_bound(record.times.begin(), record.times.end(), p.time);
        ASSERT_NE(at, record.times.end());
        EXPECT_EQ(*at, p.time);
        EXPECT_EQ(record.values[at - record.times.begin()], p.value);
        if (p.time < start || p.time >= end) {
            ++outside;
            continue;
        }
        const int c = columnOf(p.time, start, end, w.columns);
        drawnLow[c] = std::min(drawnLow[c], p.value);
        drawnHigh[c] = std::max(drawnHigh[c], p.value);
    }
    EXPECT_EQ(low, drawnLow);
    EXPECT_EQ(high, drawnHigh);
    EXPECT_LE(outside, 2u);  // one neighbour on each side
    // At most first, smallest, largest and last per column and run.
    EXPECT_LE(trace.points.size(), 4 * (w.columns + trace.runStarts.size()) + 2);
}

INSTANTIATE_TEST_SUITE_P(Windows, DecimationWindows,
                         ::testing::Values(Window{0.0, 1.0001, 300}, Window{0.0, 1.0001, 1},
                                           Window{0.25, 0.5, 777}, Window{0.4, 0.401, 1000},
                                           Window{-0.5, 0.1, 200}, Window{0.9, 1.5, 64}));

TEST(TraceDecimation, BreaksTheLineAtGapsButNotAtASlowerCadence) {
    // Every minute, a night off, every minute, then every hour.
    std::vector<double> times;
    for (int i = 0; i < 10; ++i) {
        times.push_back(i * 60.0);
    }
    for (int i = 0; i < 10; ++i) {
        times.push_back(50000 + i * 60.0);
    }
    for (int i = 1; i <= 10; ++i) {
        times.push_back(50540 + i * 3600.0);
    }
    const std::vector<float> values(times.size(), 1.0f);
    TraceDecimation decimation;
    decimation.setTimes(times);
    EXPECT_EQ(decimation.gaps(), (std::vector<std::size_t>{10, 20}));

    const DecimatedTrace trace = decimation.trace(values, 0, times.back() + 1, 100000);
    ASSERT_EQ(trace.points.size(), times.size());  // fewer records than columns: all kept
    EXPECT_EQ(trace.runStarts, (std::vector<std::size_t>{0, 10, 20}));

    // A lone poll between two pauses is a run of its own.
    decimation.setTimes(std::vector<double>{0, 60, 120, 20000, 40000, 40060, 40120});
    EXPECT_EQ(decimation.gaps(), (std::vector<std::size_t>{3, 4}));
}

TEST(TraceDecimation, AlarmColumnsShowTheWorstStateHeldUntilTheNextRecord) {
    const std::vector<double> times{0, 60, 120, 180, 240, 10000, 10060};
    const std::vector<std::uint8_t> codes{kAlarmWarmingUp, kAlarmOperating,  kAlarmMajorFault,
                                          kAlarmOperating, kAlarmMinorFault, 7,
                                          kAlarmOperating};
    TraceDecimation decimation;
    decimation.setTimes(times);
    using L = AlarmLevel;

    // Ten-second columns over the first five minutes: each state lasts until the next poll.
    const auto fine = decimation.alarms(codes, 0, 300, 30);
    EXPECT_EQ(fine[0], L::WarmingUp);
    EXPECT_EQ(fine[5], L::WarmingUp);
    EXPECT_EQ(fine[6], L::Operating);
    EXPECT_EQ(fine[12], L::MajorFault);
    EXPECT_EQ(fine[17], L::MajorFault);
    EXPECT_EQ(fine[18], L::Operating);
    EXPECT_EQ(fine[24], L::MinorFault);  // the record at 240 s itself
    EXPECT_EQ(fine[25], L::None);        // a gap follows it: nothing is known
    EXPECT_EQ(fine[29], L::None);

    // One column over everything: the major fault wins over all the operating records.
    EXPECT_EQ(decimation.alarms(codes, 0, 20000, 1), std::vector<L>{L::MajorFault});
    // An unknown code is shown, but below any warming up or fault.
    EXPECT_EQ(decimation.alarms(codes, 9990, 10100, 1), std::vector<L>{L::Unknown});
    EXPECT_EQ(alarmLevel(kAlarmOperating), L::Operating);
    EXPECT_LT(L::Unknown, L::WarmingUp);
}

TEST(TraceDecimation, RecordAtFollowsHeldValuesAndStopsAtGaps) {
    TraceDecimation decimation;
    EXPECT_FALSE(decimation.recordAt(5, 100));
    const std::vector<double> times{0, 60, 120, 10000, 10060};
    decimation.setTimes(times);
    EXPECT_EQ(decimation.recordAt(0, 1), 0u);
    EXPECT_EQ(decimation.recordAt(59, 1), 0u);  // held until the next poll
    EXPECT_EQ(decimation.recordAt(60, 1), 1u);
    EXPECT_EQ(decimation.recordAt(125, 10), 2u);  // just after, within reach
    EXPECT_FALSE(decimation.recordAt(5000, 10));  // in the gap
    EXPECT_EQ(decimation.recordAt(9995, 10), 3u);
    EXPECT_FALSE(decimation.recordAt(-50, 10));
    EXPECT_EQ(decimation.recordAt(10065, 10), 4u);
}

}  // namespace
}  // namespace brevik2::engine
