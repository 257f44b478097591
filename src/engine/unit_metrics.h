#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <prometheus/collectable.h>
#include <prometheus/metric_family.h>

#include "engine/metrics_live_values.h"
#include "engine/status_message.h"

namespace brevik2::engine {

// The unit's state as Prometheus metric families: each numeric telemetry column of the last
// completed poll, online, the alarm state and flags, and counters of what the station did.
// It is fed only with the copies the monitor thread hands out (status texts and messages),
// never with the thread's own records.
//
// Thread safety: statusText() and statusMessage() are for the one receiving thread; Collect()
// may run at the same time on the web server's threads. m_mutex guards all the state; online
// and the sampling interval are asked of the live values at each scrape.
class UnitMetrics : public prometheus::Collectable {
public:
    struct Counts {
        std::uint64_t pollsCompleted = 0;
        std::uint64_t pollsFailed = 0;
        std::uint64_t portResets = 0;
        std::uint64_t requestsSent = 0;
        std::uint64_t requestsFailed = 0;
        std::uint64_t telemetryWriteFailures = 0;
    };

    // What a completed poll leaves for the metrics, taken when it arrives.
    struct PollValues {
        double timestamp = 0.0;  // seconds since 1970-01-01 UTC
        double alarmState = 0.0;
        std::array<std::uint32_t, 5> alarmBytes{};
        std::vector<double> columns;  // the metric columns, in the schema's order
    };

    UnitMetrics(std::string version, MetricsLiveValues live);

    void statusText(std::string_view text);
    void statusMessage(const StatusMessage& message);

    std::vector<prometheus::MetricFamily> Collect() const override;
    Counts counts() const;

private:
    const std::string m_version;
    const MetricsLiveValues m_live;

    mutable std::mutex m_mutex;  //!< Protects everything below
    Counts m_counts;
    std::string m_unitId;  // empty until the unit has answered
    std::string m_model;
    std::optional<PollValues> m_lastPoll;  // none before the first completed poll
};

}  // namespace brevik2::engine
