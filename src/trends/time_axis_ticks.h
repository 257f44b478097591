#pragma once

#include <QString>
#include <vector>

namespace brevik2::trends {

struct TimeTick {
    double time = 0;  // seconds since 1970-01-01 00:00 UTC
    QString label;    // local time
};

// Ticks of the shared time axis at round local times (whole minutes, hours, midnights, Mondays,
// first days of a month or year), as dense as labels about 100 pixels apart allow. A tick that
// starts a new day is labelled with the date, so the day stays readable when zoomed into hours.
std::vector<TimeTick> timeAxisTicks(double start, double end, int widthPixels);

}  // namespace brevik2::trends
