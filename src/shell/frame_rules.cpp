#include "shell/frame_rules.h"

#include <cstdio>

#include "engine/status_message.h"
#include "shell/command_ids.h"

namespace brevik2::shell {

bool commandAllowedForModel(int commandId, int modelCode) {
    switch (commandId) {
        case kIdConfigureTelecom:
            return modelCode == 401 || modelCode == 402;
        case kIdSync1pps:
            return modelCode == 400;
        case kIdConfigureTtl:
            return modelCode == 402;
        default:
            return true;
    }
}

std::string pcDateParameter(const LocalTime& now) {
    const int year = now.year >= 2000 ? now.year - 2000 : now.year - 1900;
    char text[40];
    std::snprintf(text, sizeof text, "%02d/%02d/%02d", now.month, now.day, year);
    return text;
}

std::string pcTimeParameter(const LocalTime& now) {
    char text[40];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", now.hour, now.minute, now.second);
    return text;
}

DirectRequest directRequest(int commandId, const LocalTime& now) {
    switch (commandId) {
        case kIdResetUnitAlarms:
            return {"W00", "", 12, engine::kStatusResetAlarmsDone};
        case kIdSetTimeFromPc:
            return {"A07", pcTimeParameter(now), 32, engine::kStatusSetTimeDone};
        case kIdSetDateFromPc:
            return {"A06", pcDateParameter(now), 32, engine::kStatusSetDateDone};
        case kIdResetEventLog:
            return {"W18", "", 32, engine::kStatusNothing};
        default:
            return {};
    }
}

}  // namespace brevik2::shell
