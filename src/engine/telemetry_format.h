#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "status_records.h"
#include "telemetry_schema.h"

namespace brevik2::engine {

// The header line of a new data file: 51 column names, each line ending CR LF.
std::string telemetryHeaderLine();

// Appends one column's value as the data file prints it.
void appendTelemetryCell(std::string& out, const TelemetryColumn& column,
                         const TelemetryCell& cell);

// One record line of the data file (51 values, CR LF at the end), a pure function of the
// records, the local time and the Modified Julian Date. Unprintable bytes, commas and line ends
// in the texts that come from the unit (MODE, VERSION) are written as "?", so a line always has
// 51 columns. The mode text ends at its first NUL, as the unit's zero-terminated slot does, and
// is padded on the left to three characters; a version letter never read (0) is written as "?".
std::string formatTelemetryLine(const UnitRecords& records, const LocalDateTime& local, double mjd);

// The data file's name: the template with its first "%ld" replaced by the unit ID and every
// other character kept literally, a second "%ld" included. Empty (refused) when the name is
// empty or "." or would contain a path separator ("/" or "\\"), a drive colon, "..", or a NUL.
std::optional<std::string> formatTelemetryFileName(std::string_view nameTemplate, long unitId);

}  // namespace brevik2::engine
