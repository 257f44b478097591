#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "status_records.h"

namespace brevik2::engine {

inline constexpr int kTelemetryColumnCount = 51;

// The Modified Julian Date of 1970-01-01 00:00 UTC, the epoch the data file's MJD counts from.
inline constexpr double kSecondsPerDay = 86400.0;
inline constexpr double kMjdOfUnixEpoch = 40587.0;

// Modified Julian Date of a moment given in seconds since 1970-01-01 00:00 UTC, and back.
constexpr double modifiedJulianDate(double secondsSinceEpoch) {
    return secondsSinceEpoch / kSecondsPerDay + kMjdOfUnixEpoch;
}
constexpr double secondsSinceEpochOfMjd(double mjd) {
    return (mjd - kMjdOfUnixEpoch) * kSecondsPerDay;
}

// The PC's local date and time of a record.
struct LocalDateTime {
    int year = 2000;  // four digits
    int month = 1;    // 1 to 12
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// How a column of the data file is printed, which is how it is read back.
enum class TelemetryColumnKind {
    Time,     // MJD and the local date and time: the time axis, never plotted
    Integer,  // "%d", "%2u"
    Hex,      // "%2x": the ALRM bytes
    Fixed2,   // "%.2f"
    Fixed3,   // "%.3f"
    Text,     // MODE, OSC_STAT, VERSION
};

// Everything one line is made of: the records of a completed poll and the moment it was written.
struct TelemetrySource {
    const UnitRecords& records;
    LocalDateTime local;
    double mjd = 0.0;
};

// One column's value before printing; the alternative matches the column's format ("%d",
// "%u"/"%x", "%f", "%s").
using TelemetryCell = std::variant<std::int32_t, std::uint32_t, double, std::string>;

// One column of the data file. A column exported as a metric has a metric name (base unit as
// suffix where the unit's reply has one) and the factor from the file's value to that unit.
struct TelemetryColumn {
    std::string_view name;
    TelemetryColumnKind kind;
    const char* format;  // printf format of the value, without the separating comma
    TelemetryCell (*read)(const TelemetrySource&);
    std::string_view description;
    std::string_view metricName;  // empty: not a metric of its own
    double metricScale = 1.0;
};

// The 51 columns in the order of the header line.
const std::array<TelemetryColumn, kTelemetryColumnCount>& telemetrySchema();

// The 51 column names, in the order of the header line.
const std::array<std::string, kTelemetryColumnCount>& telemetryColumnNames();
TelemetryColumnKind telemetryColumnKind(int column);
// A column that holds a number and is not part of the time.
bool isPlottableTelemetryColumn(int column);
std::optional<int> telemetryColumnIndex(std::string_view name);

inline constexpr int kTelemetryIdColumn = 7;
inline constexpr int kTelemetryAlarmColumn = 9;
inline constexpr int kTelemetryFirstAlarmByteColumn = 10;  // ALRM1, then ALRM2 to ALRM5
inline constexpr int kTelemetryAlarmByteCount = 5;

}  // namespace brevik2::engine
