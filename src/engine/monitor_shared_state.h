#pragma once

#include <atomic>
#include <cstdint>

#include "link/pending_request_slot.h"

namespace brevik2::engine {

// Bits of the test mode flags.
enum TestModeBits : std::uint32_t {
    kTestMode1 = 0x01,
    kTestMode2 = 0x02,
    kTestMode3 = 0x04,
    kTestModesEnd = 0x80,
};

// The state the user interface and the monitor thread share. Each value has one purpose and a
// fixed direction; a writer stores with release, a reader loads with acquire, and the other
// thread looks at it at most once per cycle. There are no locks.
struct MonitorSharedState {
    // Written by the monitor thread (and the instrument scan on it); 1 while the unit answers.
    std::atomic<bool> online{false};
    // Seconds between polls; written at start-up and by the monitoring options.
    std::atomic<std::int32_t> samplingInterval{13};
    // Written at thread start and by the monitoring options.
    std::atomic<bool> monitoringEnabled{false};
    std::atomic<bool> recordDataFile{false};
    // Set by the user interface (serial setup OK, serial parameters answered), cleared by the
    // thread, which then resets the port: only the monitor thread ever touches the port.
    std::atomic<bool> portReconfigure{false};
    // Set by the serial setup's Detect; cleared by the thread when the scan ends.
    std::atomic<bool> scanRequest{false};
    // Set by Retrieve and by the snapshot report; cleared by the thread.
    std::atomic<bool> eventLogRequest{false};
    // Set bit-wise by the test and diagnostics dialog (fetch_or), cleared whole by the thread.
    std::atomic<std::uint32_t> testModeFlags{0};
    // Set by the thread when it has a new event table for the user interface; cleared by the
    // receiver once it has taken the table. While it is set the thread does not read the log.
    std::atomic<bool> eventTableRetrieved{false};
    // Set once at exit: no status text and no status message after it.
    std::atomic<bool> shuttingDown{false};

    link::PendingRequestSlot slot;
};

}  // namespace brevik2::engine
