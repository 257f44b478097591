#include "fuzz/fuzz_targets.h"

namespace brevik2::fuzz {

const std::array<FuzzTarget, 8> kFuzzTargets{{
    {"status_records", &fuzzStatusRecords},
    {"unit_status_check", &fuzzUnitStatusCheck},
    {"clock_version_counters", &fuzzClockVersionCounters},
    {"event_log", &fuzzEventLog},
    {"reply_lines", &fuzzReplyLines},
    {"settings_file", &fuzzSettingsFile},
    {"telemetry_file_name", &fuzzTelemetryFileName},
    {"telnet_com_port", &fuzzTelnetComPort},
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
