#pragma once

#include <vector>

class QIODevice;

namespace brevik2::engine {
struct TelemetrySeries;
}

namespace brevik2::trends {

// Writes the records from start to end (seconds since 1970, both included) as comma-separated
// text: a header line, then per record its local time, MJD and ALARM and the given file columns
// as the data file prints them, each line ending CR LF like the data file. A value that was not
// a number is left empty. Columns the series has not loaded are left out. False when writing
// failed.
bool writeTrendsCsv(QIODevice& out, const engine::TelemetrySeries& series,
                    const std::vector<int>& columns, double start, double end);

}  // namespace brevik2::trends
