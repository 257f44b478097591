#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "status_records.h"
#include "telemetry_schema.h"

namespace brevik2::engine {

// The header line of a new data file: 51 column names, each line ending CR LF.
std::string telemetryHeaderLine();

class UnitSnapshot;

// Appends one value printed with a printf format of one directive that takes it.
void appendTelemetryCell(std::string& out, const char* format, const TelemetryCell& cell);

// A column's value as the data file prints it, before printing.
TelemetryCell telemetryCell(const UnitField& column, const UnitSnapshot& snapshot);

// A numeric column's value as the data file shows it, as a number: an integer as it is, a real
// rounded to the format's decimals the way printf rounds (the exact value, ties to even), so
// "1.420" is 1.42 and not 1.4199999. NaN for a text column.
double telemetryNumber(const UnitField& column, const UnitSnapshot& snapshot);

// The value rounded to a number of decimals exactly as printf prints it and strtod reads it back;
// exact for floats and for reals below 2^52 / 10^decimals (larger ones are returned as they are).
double roundedAsPrinted(double value, int decimals);

// One record line of the data file (51 values, CR LF at the end), a pure function of the
// records, the local time and the Modified Julian Date. Unprintable bytes, commas and line ends
// in the texts that come from the unit (MODE, VERSION) are written as "?", so a line always has
// 51 columns. The mode text ends at its first NUL, as the unit's zero-terminated slot does, and
// is padded on the left to three characters; a version letter never read (0) is written as "?".
std::string formatTelemetryLine(const UnitRecords& records, const LocalDateTime& local, double mjd);
std::string formatTelemetryLine(const UnitSnapshot& snapshot);

// The data file's name: the template with its first "%ld" replaced by the unit ID and every
// other character kept literally, a second "%ld" included. Empty (refused) when the name is
// empty or "." or would contain a path separator ("/" or "\\"), a drive colon, "..", or a NUL.
std::optional<std::string> formatTelemetryFileName(std::string_view nameTemplate, long unitId);

}  // namespace brevik2::engine
