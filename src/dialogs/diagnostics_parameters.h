#pragma once

#include <string>
#include <string_view>

namespace brevik2::dialogs {

// The request parameters and result lines of the test and diagnostics dialog, apart from the
// widgets.

// "Set DDS": the entry's first character ("1" to "9"); "0" for "End Test".
std::string ddsParameter(std::string_view entry);

// "Set Gain DAC": the hexadecimal number in front of the entry's "h", written in decimal;
// "AlignGainPot" is B7h and "End Test" 00h. "10h" gives "16".
std::string gainParameter(std::string_view entry);

// Time updating: the field's leading decimal integer (0 when it has none) with its sign always
// written, zero-padded to six characters, then "f". "+0020" gives "+00020f", "-5" "-00005f".
std::string timeUpdatingParameter(std::string_view field);

// A reply or test-mode line as the result list shows it: its line end (the last two
// characters) cut off when it is longer than two characters, and of a framed reply the frame
// (the STX before it and the CR of its CR LF ETX) too.
std::string resultLineText(std::string_view reply);

}  // namespace brevik2::dialogs
