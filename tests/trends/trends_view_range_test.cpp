#include "trends/trends_view_range.h"

#include <gtest/gtest.h>

#include "trends/time_axis_ticks.h"

#include <QDateTime>

namespace brevik2::trends {
namespace {

constexpr double kDay = 86400;
constexpr double kNow = 1.7e9;

struct PresetCase {
    RangePreset preset;
    double span;
};

class ViewPresets : public ::testing::TestWithParam<PresetCase> {};

TEST_P(ViewPresets, EndJustAfterTheLatestRecordAndFollowIt) {
    TrendsViewRange range(kNow);
    range.setPreset(GetParam().preset);
    const double first = kNow - 400 * kDay;
    range.setRecordSpan(first, kNow - 10 * kDay);
    const double span = GetParam().span > 0 ? GetParam().span : 390 * kDay;
    EXPECT_NEAR(range.end() - range.start(), span, span * 0.03);
    EXPECT_GT(range.end(), kNow - 10 * kDay);
    EXPECT_LT(range.end(), kNow - 10 * kDay + span * 0.03);
    EXPECT_TRUE(range.following());

    range.setRecordSpan(first, kNow);  // new records slide the window on
    EXPECT_GT(range.end(), kNow);
    EXPECT_LT(range.end(), kNow + span * 0.03);
    if (GetParam().span == 0) {
        EXPECT_LE(range.start(), first);
    }
}

INSTANTIATE_TEST_SUITE_P(Presets, ViewPresets,
                         ::testing::Values(PresetCase{RangePreset::LastDay, kDay},
                                           PresetCase{RangePreset::LastWeek, 7 * kDay},
                                           PresetCase{RangePreset::LastMonth, 30 * kDay},
                                           PresetCase{RangePreset::All, 0}));

TEST(TrendsViewRange, ZoomAndPanStopFollowingAndKeepSomeRecordInView) {
    TrendsViewRange range(kNow);
    range.setRecordSpan(kNow - 30 * kDay, kNow);
    range.setPreset(RangePreset::LastWeek);

    const double anchor = range.timeAt(0.25);
    range.zoom(0.25, 0.5);
    EXPECT_FALSE(range.following());
    EXPECT_NEAR(range.timeAt(0.25), anchor, 1e-3);  // the time under the mouse stays put
    EXPECT_NEAR(range.end() - range.start(), 3.5 * kDay, 1);

    const double before = range.start();
    range.pan(-0.5);
    EXPECT_NEAR(range.start(), before - 1.75 * kDay, 1);

    range.setRecordSpan(kNow - 30 * kDay, kNow + 600);  // a new poll does not move the view
    EXPECT_NEAR(range.start(), before - 1.75 * kDay, 1);

    range.pan(100);  // far into the future: stopped with the latest record still shown
    EXPECT_LE(range.start(), kNow + 600);
    range.pan(-1000);
    EXPECT_GE(range.end(), kNow - 30 * kDay);

    range.zoom(0.5, 1e-9);  // no closer than a minute
    EXPECT_NEAR(range.end() - range.start(), TrendsViewRange::kMinSpanSeconds, 1e-6);
    range.zoom(0.5, 1e12);  // no further than ten years for a short record
    EXPECT_LT(range.end() - range.start(), 11 * 365 * kDay);
    range.zoom(0.5, -1);  // nonsense is ignored
    range.pan(std::numeric_limits<double>::quiet_NaN());
    EXPECT_TRUE(std::isfinite(range.start()));

    range.setPreset(RangePreset::LastDay);
    EXPECT_TRUE(range.following());
    EXPECT_GT(range.end(), kNow + 600);
}

TEST(TrendsViewRange, WithoutRecordsShowsTheLastDayToNow) {
    TrendsViewRange range(kNow);
    EXPECT_NEAR(range.end() - range.start(), kDay, 1);
    EXPECT_GE(range.end(), kNow);
}

struct TickCase {
    double span;
    int width;
    qint64 roundTo;  // seconds of local wall-clock time each tick is a multiple of
};

class TimeTicks : public ::testing::TestWithParam<TickCase> {};

TEST_P(TimeTicks, FallOnRoundLocalTimesAboutAHundredPixelsApart) {
    const TickCase c = GetParam();
    const double start = kNow + 1234.5;
    const std::vector<TimeTick> ticks = timeAxisTicks(start, start + c.span, c.width);
    ASSERT_GE(ticks.size(), 2u);
    const double pixelsPerSecond = c.width / c.span;
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        EXPECT_GE(ticks[i].time, start);
        EXPECT_LE(ticks[i].time, start + c.span);
        EXPECT_FALSE(ticks[i].label.isEmpty());
        const QDateTime local = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(ticks[i].time));
        const qint64 wallClock = local.time().msecsSinceStartOfDay() / 1000;
        if (c.roundTo < 86400) {
            EXPECT_EQ(wallClock % c.roundTo, 0) << local.toString().toStdString();
        } else {
            EXPECT_EQ(wallClock, 0) << local.toString().toStdString();
        }
        if (i > 0) {
            EXPECT_GE((ticks[i].time - ticks[i - 1].time) * pixelsPerSecond, 60);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Spans, TimeTicks,
                         ::testing::Values(TickCase{600, 1000, 60}, TickCase{kDay, 1000, 3600},
                                           TickCase{7 * kDay, 1000, 86400},
                                           TickCase{365 * kDay, 1000, 86400}));

TEST(TimeTicksLimits, NothingForAnEmptyOrAbsurdWindow) {
    EXPECT_TRUE(timeAxisTicks(kNow, kNow, 1000).empty());
    EXPECT_TRUE(timeAxisTicks(kNow, kNow + kDay, 0).empty());
    EXPECT_TRUE(timeAxisTicks(kNow, std::numeric_limits<double>::infinity(), 1000).empty());
    EXPECT_LE(timeAxisTicks(0, 1e11, 100000).size(), 400u);
}

}  // namespace
}  // namespace brevik2::trends
