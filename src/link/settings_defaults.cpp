#include "link/settings_defaults.h"

#include <string>

#include "link/settings_file.h"
#include "link/settings_keys.h"
#include "link/settings_value.h"

namespace brevik2::link {

void applyStartupDefaults(const SettingsFile& settings) {
    for (const SettingsKey& key : kSettingsKeys) {
        if (key.seeded != nullptr && settings.readString(key.name, "err", 254) == "err") {
            // Only the data folder's seed, "c:\", names a folder, which resolves outside Windows.
            settings.writeString(key.name, resolveDataDirectory(key.seeded));
        }
    }
}

}  // namespace brevik2::link
