#pragma once

#include <string>
#include <string_view>

namespace brevik2::dialogs {

// How the dialogs read the numbers operators type into fields: leading blanks skipped, then the
// longest leading part that forms a number, the rest ignored; text without such a part reads
// as 0. Neither depends on the process locale, so "1.5" means one and a half everywhere.

// An optional sign and decimal digits; a value beyond 32 bits saturates rather than wraps.
int leadingInteger(std::string_view text);

// An optional sign, digits with an optional decimal point, and an optional exponent; no
// "inf" or "nan". A number too large or too small for a double reads as 0.
double leadingReal(std::string_view text);

// The text up to its first line break. A pasted line break in a field would otherwise start a
// new line, and with it a key of its own, in the settings file.
std::string firstLine(std::string_view text);

}  // namespace brevik2::dialogs
