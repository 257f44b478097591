#include "trends/time_axis_ticks.h"

#include <QDateTime>
#include <array>
#include <cmath>

namespace brevik2::trends {

namespace {

constexpr double kLabelSpacingPixels = 100;
// Far more than a screen can hold: a bound on the loops whatever the window is set to.
constexpr std::size_t kMaxTicks = 400;

enum class Unit { Seconds, Days, Months };

struct Step {
    Unit unit;
    int count;

    double nominalSeconds() const {
        switch (unit) {
            case Unit::Seconds:
                return count;
            case Unit::Days:
                return count * 86400.0;
            case Unit::Months:
                return count * 30.44 * 86400.0;
        }
        return count;
    }
};

constexpr std::array kSteps{
    Step{Unit::Seconds, 1},     Step{Unit::Seconds, 2},     Step{Unit::Seconds, 5},
    Step{Unit::Seconds, 10},    Step{Unit::Seconds, 15},    Step{Unit::Seconds, 30},
    Step{Unit::Seconds, 60},    Step{Unit::Seconds, 120},   Step{Unit::Seconds, 300},
    Step{Unit::Seconds, 600},   Step{Unit::Seconds, 900},   Step{Unit::Seconds, 1800},
    Step{Unit::Seconds, 3600},  Step{Unit::Seconds, 7200},  Step{Unit::Seconds, 10800},
    Step{Unit::Seconds, 21600}, Step{Unit::Seconds, 43200}, Step{Unit::Days, 1},
    Step{Unit::Days, 2},        Step{Unit::Days, 7},        Step{Unit::Days, 14},
    Step{Unit::Months, 1},      Step{Unit::Months, 2},      Step{Unit::Months, 3},
    Step{Unit::Months, 6},      Step{Unit::Months, 12},     Step{Unit::Months, 24},
    Step{Unit::Months, 60},     Step{Unit::Months, 120},    Step{Unit::Months, 600},
};

QString labelOf(const QDateTime& at, const Step& step) {
    if (step.unit == Unit::Months) {
        return at.toString(step.count >= 12 ? QStringLiteral("yyyy") : QStringLiteral("MMM yyyy"));
    }
    if (step.unit == Unit::Days || at.time() == QTime(0, 0)) {
        return at.toString(QStringLiteral("d MMM"));
    }
    return at.toString(step.count < 60 ? QStringLiteral("HH:mm:ss") : QStringLiteral("HH:mm"));
}

}  // namespace

std::vector<TimeTick> timeAxisTicks(double start, double end, int widthPixels) {
    std::vector<TimeTick> ticks;
    if (!(end > start) || widthPixels <= 0 || !std::isfinite(start) || !std::isfinite(end)) {
        return ticks;
    }
    const double wanted = (end - start) / widthPixels * kLabelSpacingPixels;
    Step step = kSteps.back();
    for (const Step& candidate : kSteps) {
        if (candidate.nominalSeconds() >= wanted) {
            step = candidate;
            break;
        }
    }
    // Far beyond any record (a corrupted view): nothing sensible to label.
    if (step.nominalSeconds() < wanted) {
        return ticks;
    }

    const auto add = [&](const QDateTime& at) {
        const auto t = static_cast<double>(at.toSecsSinceEpoch());
        if (t >= start && t <= end) {
            ticks.push_back({t, labelOf(at, step)});
        }
    };
    const QDate firstDay =
        QDateTime::fromSecsSinceEpoch(static_cast<qint64>(std::floor(start))).date();
    const QDate lastDay = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(std::ceil(end))).date();

    switch (step.unit) {
        case Unit::Seconds:
            // Counted from each local midnight, so the ticks stay on round wall-clock times
            // across a change to or from summer time.
            for (QDate day = firstDay; day <= lastDay && ticks.size() < kMaxTicks;
                 day = day.addDays(1)) {
                const QDateTime midnight = day.startOfDay();
                const QDateTime nextMidnight = day.addDays(1).startOfDay();
                for (qint64 s = 0; s < 86400 && ticks.size() < kMaxTicks; s += step.count) {
                    const QDateTime at = midnight.addSecs(s);
                    if (at >= nextMidnight) {
                        break;
                    }
                    add(at);
                }
            }
            break;
        case Unit::Days: {
            QDate day = firstDay;
            if (step.count == 2 && day.toJulianDay() % 2 != 0) {
                day = day.addDays(1);
            } else if (step.count >= 7) {
                day = day.addDays((8 - day.dayOfWeek()) % 7);  // to a Monday
                if (step.count == 14 && (day.toJulianDay() / 7) % 2 != 0) {
                    day = day.addDays(7);
                }
            }
            for (; day <= lastDay && ticks.size() < kMaxTicks; day = day.addDays(step.count)) {
                add(day.startOfDay());
            }
            break;
        }
        case Unit::Months: {
            QDate month(firstDay.year(), firstDay.month(), 1);
            while ((month.year() * 12 + month.month() - 1) % step.count != 0) {
                month = month.addMonths(1);
            }
            for (; month <= lastDay && ticks.size() < kMaxTicks;
                 month = month.addMonths(step.count)) {
                add(month.startOfDay());
            }
            break;
        }
    }
    return ticks;
}

}  // namespace brevik2::trends
