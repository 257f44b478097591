#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brevik2::dialogs {

// The texts of the unit initialization form: what its fields show when it opens, and the
// parameters its buttons send. Pure functions of the texts and record values, independent of the
// process locale (the unit wants "1.33", never "1,33").

// The most characters a field's text is read with.
inline constexpr std::size_t kFieldTextChars = 254;

// The unit ID as "%05d".
std::string formatUnitId(std::int32_t unitId);
// The frequency tuning in parts in 1e-15 as "%+07d".
std::string formatFrequencyOffset(std::int32_t offset);
// The oscillator time constant as "%5.2f".
std::string formatTimeConstant(double seconds);

// "C01": the field's text as typed, cut to kFieldTextChars.
std::string unitIdParameter(std::string_view fieldText);
// "C05": "%s,%c,%c,%c" from the baud rate entry and the first characters of the data bits,
// parity and stop bits entries ("9600,8,N,1").
std::string serialParameters(std::string_view baudRate, std::string_view dataBits,
                             std::string_view parity, std::string_view stopBits);
// "W10": "1 %4.2f" from the field read as a number; the filter order is always 1.
std::string timeConstantParameter(std::string_view fieldText);
// "W01": "%+07d" and two blanks from the field read as an integer.
std::string frequencyOffsetParameter(std::string_view fieldText);
// "C06": exactly nine characters, cut or filled up with "_".
std::string customerMessageParameter(std::string_view fieldText);
// "A09", "A11", "A18": "1" when the entry, in lower case, is onWord, else "0".
std::string switchParameter(std::string_view entry, std::string_view onWord);

}  // namespace brevik2::dialogs
