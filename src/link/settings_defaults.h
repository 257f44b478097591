#pragma once

namespace brevik2::link {

class SettingsFile;

// The start-up pass: writes each key of the defaults table that the file does not hold yet, in
// the table's order. Existing keys are never changed; an unwritable file is left alone and
// every reader then uses its own fallback.
void applyStartupDefaults(const SettingsFile& settings);

}  // namespace brevik2::link
