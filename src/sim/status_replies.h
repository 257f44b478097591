#pragma once

#include <cstddef>
#include <ctime>
#include <string>

#include "sim/unit_state.h"

namespace brevik2::sim {

// The unit's replies to its status queries, built from its state and its clock. Pure: the same
// state and time give the same bytes. The fixed-layout replies keep every field in its slot, so
// a host that cuts them by position and one that scans them by format both read them.

inline constexpr std::size_t kVariablesReplyLength = 250;  // "D*1"
inline constexpr std::size_t kConstantsReplyLength = 145;  // "D*2"
inline constexpr std::size_t kNvramReplyLength = 152;      // "D*5"

// unitTime is the unit's broken-down clock (tm_yday, tm_hour, ... as gmtime fills them).
std::string formatVariablesReply(const UnitState& state, const std::tm& unitTime);
std::string formatConstantsReply(const UnitState& state, const std::tm& unitTime);
std::string formatNvramReply(const UnitState& state);
// STX "A08 Date and Time:" padded to 25 characters, then "mm/dd/yy hh:mm:ss", CR LF ETX.
std::string formatDateTimeReply(const std::tm& unitTime);
// A first line whose event count starts at position 23, one line per entry and per
// continuation line, then a lone ETX.
std::string formatEventLogReply(const UnitState& state);
// "mm/dd/yy hh:mm:ss", as the unit writes dates in its event log and its date reply.
std::string formatUnitDateTime(const std::tm& unitTime);

}  // namespace brevik2::sim
