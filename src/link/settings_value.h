#pragma once

#include <string>
#include <string_view>

namespace brevik2::link {

// Cuts a settings value at its first ";" (the rest is a comment) and drops trailing blanks and
// tabs.
std::string trimSettingsValue(std::string_view value);

// Appends the platform's directory separator when the text does not already end with one;
// either separator counts when reading, so "C:\data\" and "/srv/data/" are both left alone.
std::string ensureTrailingSeparator(std::string_view directory);

// The folder a fresh installation records into: "c:\" on Windows; on other systems the user's
// home directory, ending with "/", since "c:\" names nothing there.
std::string defaultDataDirectory();

// The seeded and fallback value of OnlineDatafileDirectory on Windows; elsewhere a stored
// "c:\" means defaultDataDirectory().
std::string resolveDataDirectory(std::string_view stored);

}  // namespace brevik2::link
