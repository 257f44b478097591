#pragma once

#include <string>
#include <string_view>

#include "shell/local_time.h"

namespace brevik2::shell {

// Whether a command may run for the unit's model code (0 before the unit has answered): the
// telecom outputs need a 401 or 402, the 1PPS sync a 400, the TTL output a 402. Every other
// command is always allowed. The menu greys items by it and the handlers test it again.
bool commandAllowedForModel(int commandId, int modelCode);

// A request the main frame puts in the slot straight from its menu.
struct DirectRequest {
    std::string code;
    std::string parameter;
    int replyLimit = 0;
    int completionCode = 0;
};

// The request of Reset Unit Alarms, Set Time From PC, Set Date From PC or Reset NV Eventlog, the
// time and date ones with the PC's clock as given. Any other identifier gives an empty code.
DirectRequest directRequest(int commandId, const LocalTime& now);

// "MM/DD/YY" with a two-digit year counted from 2000 (from 1900 before it).
std::string pcDateParameter(const LocalTime& now);
// "HH:MM:SS".
std::string pcTimeParameter(const LocalTime& now);

}  // namespace brevik2::shell
