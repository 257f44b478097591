#include "engine/telemetry_file_path.h"

#include "engine/telemetry_format.h"
#include "link/settings_file.h"
#include "link/settings_keys.h"
#include "link/settings_value.h"

namespace brevik2::engine {

std::optional<std::string> telemetryDataFilePath(const link::SettingsFile& settings, long unitId) {
    constexpr auto& kTemplate = link::settings_keys::kTelemetryFilenameTemplate;
    constexpr auto& kDirectory = link::settings_keys::kOnlineDatafileDirectory;
    const std::string nameTemplate =
        link::trimSettingsValue(settings.readString(kTemplate.name, kTemplate.fallback, 63));
    const std::optional<std::string> fileName = formatTelemetryFileName(nameTemplate, unitId);
    if (!fileName) {
        return std::nullopt;
    }
    const std::string directory = link::ensureTrailingSeparator(link::resolveDataDirectory(
        link::trimSettingsValue(settings.readString(kDirectory.name, kDirectory.fallback, 127))));
    return directory + *fileName;
}

}  // namespace brevik2::engine
