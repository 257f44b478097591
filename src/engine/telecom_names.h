#pragma once

#include <array>
#include <string_view>

namespace brevik2::engine {

// The names of the telecom output settings, shared by the telecom outputs dialog's lists (entry
// i is value i) and the snapshot report (which numbers the formats from 1).

inline constexpr std::array<std::string_view, 4> kE1FormatNames{"Basic E1", "CRC-4", "TS-16",
                                                                "CRC-4 and TS16"};

inline constexpr std::array<std::string_view, 3> kT1FormatNames{"D4 All 1's", "ESF", "D4 1:7"};

// Line interface (LIU) settings 0 to 7; "3 (T1 0-133 feet,  Ansi T1.403)" has two blanks.
inline constexpr std::array<std::string_view, 8> kLiuSettingNames{"0 (E1)",
                                                                  "1 (not used)",
                                                                  "2 (399-T1 FCC part 68 option A)",
                                                                  "3 (T1 0-133 feet,  Ansi T1.403)",
                                                                  "4 (T1 133-266 feet)",
                                                                  "5 (T1 266-399 feet)",
                                                                  "6 (T1 399-533 feet)",
                                                                  "7 (T1 533-655 feet)"};

}  // namespace brevik2::engine
