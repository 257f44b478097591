#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "status_records.h"

namespace brevik2::engine {

// The PC's local date and time of a record.
struct LocalDateTime {
    int year = 2000;  // four digits
    int month = 1;    // 1 to 12
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The header line of a new data file: 51 column names, each line ending CR LF.
std::string telemetryHeaderLine();

// One record line of the data file (51 values, CR LF at the end), a pure function of the
// records, the local time and the Modified Julian Date. Unprintable bytes, commas and line ends
// in the texts that come from the unit (MODE, VERSION) are written as "?", so a line always has
// 51 columns. The mode text ends at its first NUL, as the unit's zero-terminated slot does, and
// is padded on the left to three characters; a version letter never read (0) is written as "?".
std::string formatTelemetryLine(const UnitRecords& records, const LocalDateTime& local, double mjd);

// Modified Julian Date of a moment given in seconds since 1970-01-01 00:00 UTC.
double modifiedJulianDate(double secondsSinceEpoch);

// The data file's name: the template with its first "%ld" replaced by the unit ID and every
// other character kept literally, a second "%ld" included. Empty (refused) when the name is
// empty or "." or would contain a path separator ("/" or "\\"), a drive colon, "..", or a NUL.
std::optional<std::string> formatTelemetryFileName(std::string_view nameTemplate, long unitId);

}  // namespace brevik2::engine
