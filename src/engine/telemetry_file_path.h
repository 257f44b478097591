#pragma once

#include <optional>
#include <string>

namespace brevik2::link {
class SettingsFile;
}

namespace brevik2::engine {

// The path of the unit's data file from TelemetryFilenameTemplate and OnlineDatafileDirectory as
// they stand now; empty when the template gives no usable name. The recorder writes this file
// and the trends reader reads it, so both find it the same way.
std::optional<std::string> telemetryDataFilePath(const link::SettingsFile& settings, long unitId);

}  // namespace brevik2::engine
