#include "fuzz/fuzz_targets.h"

namespace brevik2::fuzz {

const std::array<FuzzTarget, kFuzzTargetCount> kFuzzTargets{{
    {"status_records", &fuzzStatusRecords},
    {"unit_status_check", &fuzzUnitStatusCheck},
    {"clock_version_counters", &fuzzClockVersionCounters},
    {"event_log", &fuzzEventLog},
    {"reply_lines", &fuzzReplyLines},
    {"settings_file", &fuzzSettingsFile},
    {"telemetry_file_name", &fuzzTelemetryFileName},
#ifndef _WIN32
    {"telnet_com_port", &fuzzTelnetComPort},
#endif
}};

FuzzBody findFuzzTarget(std::string_view name) {
    for (const FuzzTarget& target : kFuzzTargets) {
        if (target.name == name) {
            return target.body;
        }
    }
    return nullptr;
}

}  // namespace brevik2::fuzz
