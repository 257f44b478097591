#include "engine/telemetry_file_path.h"

#include "engine/telemetry_format.h"
#include "link/settings_file.h"
#include "link/settings_value.h"

namespace brevik2::engine {

std::optional<std::string> telemetryDataFilePath(const link::SettingsFile& settings, long unitId) {
    const std::string nameTemplate = link::trimSettingsValue(
        settings.readString("TelemetryFilenameTemplate", "Unit %ld.txt", 63));
    const std::optional<std::string> fileName = formatTelemetryFileName(nameTemplate, unitId);
    if (!fileName) {
        return std::nullopt;
    }
    const std::string directory = link::ensureTrailingSeparator(link::resolveDataDirectory(
        link::trimSettingsValue(settings.readString("OnlineDatafileDirectory", "c:\\", 127))));
    return directory + *fileName;
}

}  // namespace brevik2::engine
