#include "link/settings_defaults.h"

#include <string>
#include <utility>

#include "link/settings_file.h"
#include "link/settings_value.h"

namespace brevik2::link {

void applyStartupDefaults(const SettingsFile& settings) {
    const std::pair<const char*, std::string> defaults[] = {
        {"WindowRectangle", "600,200,0,0"},
        {"ComPort", "Com1"},
        {"BaudRate", "9600"},
        {"StopBits", "1"},
        {"DataBits", "8"},
        {"Parity", "n"},
        {"MonitoringEnabled", "false"},
        {"SamplingInterval", "3600"},
        {"TelemetryFilenameTemplate", "Unit%ld_Data.txt"},
        {"OnlineDatafileDirectory", defaultDataDirectory()},
        {"MultiUnitSupport", "false"},
        {"SerialSwitchControlCode", "22"},
        {"SerialSwitchPorts", "16"},
        {"SerialSwitchCodeRepeatFactor", "8"},
    };
    for (const auto& [key, value] : defaults) {
        if (settings.readString(key, "err", 254) == "err") {
            settings.writeString(key, value);
        }
    }
}

}  // namespace brevik2::link
