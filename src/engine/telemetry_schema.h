#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
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

// Where a field's value comes from: a reply's record, the poll's other replies, or the moment the
// data file line is written.
enum class FieldRecord : std::uint8_t {
    kVariables,  // "D*1", slot = its field number
    kConstants,  // "D*2", slot = its field number
    kNvram,      // "D*5", slot = its field number
    kCounters,   // "A24", slot 0 to 3
    kVersion,    // "C03", slot 0 the letter, 1 the number
    kDateTime,   // "A08"
    kStamp,      // the PC's clock: slot 0 the MJD, then month, day, year, hour, minute, second
};

// A field's value as the snapshot keeps it.
enum class FieldType : std::uint8_t { kSigned, kUnsigned, kFloat, kChar, kText, kReal };

// Where a field sits in a fixed-layout reply and the scan conversion that reads it ("%u" and "%x"
// unsigned, "%d" signed, "%f" float, "%c" a character, "%Ns" a text).
struct ReplySpan {
    std::size_t position = 0;
    std::size_t length = 0;
    std::string_view format;
};

// When a field counts as valid. The range is inclusive, on the value as its type; a deciding
// field must be valid for its reply to be taken.
enum class FieldCheck : std::uint8_t { kNone, kRange, kMode, kOscState };
struct FieldRule {
    FieldCheck check = FieldCheck::kNone;
    double low = 0.0;
    double high = 0.0;
    bool decides = false;
};

class UnitSnapshot;

// One value before printf sees it; the alternative matches the format's conversion ("%d",
// "%u"/"%x"/"%X", "%f", "%s").
using TelemetryCell = std::variant<std::int32_t, std::uint32_t, double, std::string>;

// A field whose form in some place is not its plain value printed with the row's format.
using CellForm = TelemetryCell (*)(const UnitSnapshot&);
using TextForm = std::string (*)(const UnitSnapshot&);

// One field the unit reports (or the data file's time stamp): where it comes from, what it is
// and every form it takes. A place the field does not appear in has an empty entry.
struct UnitField {
    std::string_view name;  // the data file's column name where it has one
    FieldRecord record;
    int slot;
    FieldType type;
    ReplySpan reply{};  // the fixed-layout replies ("D*1", "D*2") only
    FieldRule rule{};
    std::string_view unit{};  // unit of measure, where the unit's replies state one
    std::string_view description{};

    // The data file: a column (in table order) when it has a format.
    TelemetryColumnKind kind = TelemetryColumnKind::Text;
    const char* format = nullptr;  // printf format, without the separating comma
    CellForm fileForm = nullptr;

    // The unit status panel: the read-out's identifier, its printf format, the factor applied
    // first (0 for none), or a form of its own.
    int panelId = 0;
    const char* panelFormat = nullptr;
    double panelScale = 0.0;
    TextForm panelForm = nullptr;

    // The metrics page: the metric's name (base unit as suffix where the reply has one) and the
    // factor from the data file's value to that unit.
    std::string_view metricName{};
    double metricScale = 1.0;

    // The snapshot report's line (label and printf format of the value as long long), or a form
    // of its own.
    const char* reportFormat = nullptr;
    TextForm reportForm = nullptr;
};

// Every field, the data file's 51 columns first in the order of its header line.
std::span<const UnitField> unitFields();

// The data file's columns.
using TelemetryColumn = UnitField;
std::span<const UnitField, kTelemetryColumnCount> telemetrySchema();

// The row of a record's field; nullptr when the table has none.
const UnitField* unitField(FieldRecord record, int slot);

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
