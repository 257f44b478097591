#pragma once

#include <optional>
#include <string>

#include "engine/request_outcome.h"
#include "engine/status_records.h"

namespace brevik2::engine {

// Codes of the status messages the monitor thread sends at the end of each cycle or at once.
enum StatusCode : int {
    kStatusNothing = 0,
    kStatusPollCompleted = 10,
    kStatusResetAlarmsDone = 11,
    kStatusSetDateDone = 12,
    kStatusSetTimeDone = 13,
    kStatusSerialParametersAnswered = 14,
    kStatusTestModeLine = 15,
    kStatusTestRequestAnswered = 16,
    kStatusCommandAnswered = 17,
    kStatusTelecomAnswered = 18,
    kStatusScanTrial = 19,
    kStatusScanFound = 20,
    kStatusScanNotFound = 21,
    kStatusSyncAnswered = 22,
    kStatusEventLogRetrieved = 23,
    kStatusUnitOnline = 24,
};

// One status message with everything its receiver may read: the code, a copy of the reply that
// came with it and a copy of the records as they stood. Nothing in it is shared with the
// monitor thread, which goes on overwriting its own buffers.
struct StatusMessage {
    int code = kStatusNothing;
    std::string reply;
    UnitRecords records;
    std::optional<EventTable> eventTable;  // with code 23, when a new table waits to be shown
    // With the message of the cycle that ran a request: what became of it.
    std::optional<RequestOutcome> outcome;
};

}  // namespace brevik2::engine
