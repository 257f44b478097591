#include "engine/unit_metrics.h"

#include <chrono>
#include <utility>

#include "engine/telemetry_format.h"
#include "engine/telemetry_schema.h"
#include "engine/unit_snapshot.h"

namespace brevik2::engine {
namespace {

using prometheus::ClientMetric;
using prometheus::MetricFamily;
using prometheus::MetricType;

// The status texts that mark what a counter counts; they are fixed texts of the engine.
constexpr std::string_view kPollFailedText = "error";
constexpr std::string_view kPortResetText = "Serial Port Reset";
constexpr std::string_view kRequestSentText = "Cmd Sent OK";
// Follows every request that got no reply, a failed send included.
constexpr std::string_view kRequestFailedText = "Cmd Receive Fail";
constexpr std::string_view kTelemetryOpenFailureText =
    "File Open Failure while writing telemetry record";
constexpr std::string_view kTelemetryWriteFailureText =
    "File Write Failure while writing telemetry record";

std::string unitPhrase(std::string_view metricName) {
    if (metricName.ends_with("_volts")) {
        return ", in volts";
    }
    if (metricName.ends_with("_celsius")) {
        return ", in degrees Celsius";
    }
    if (metricName.ends_with("_hertz")) {
        return ", in hertz";
    }
    return ", as the unit reports it";
}

class FamilyBuilder {
public:
    FamilyBuilder(std::vector<MetricFamily>& out, std::string unitId, std::string model)
        : m_out(out), m_unitId(std::move(unitId)), m_model(std::move(model)) {}

    MetricFamily& family(std::string name, std::string help, MetricType type) {
        m_out.push_back(MetricFamily{std::move(name), std::move(help), type, {}});
        return m_out.back();
    }

    void sample(MetricFamily& family, double value, std::vector<ClientMetric::Label> extra = {}) {
        ClientMetric metric;
        metric.label = {{"model", m_model}, {"unit_id", m_unitId}};
        metric.label.insert(metric.label.end(), extra.begin(), extra.end());
        if (family.type == MetricType::Counter) {
            metric.counter.value = value;
        } else {
            metric.gauge.value = value;
        }
        family.metric.push_back(std::move(metric));
    }

    void gauge(std::string name, std::string help, double value,
               std::vector<ClientMetric::Label> extra = {}) {
        sample(family(std::move(name), std::move(help), MetricType::Gauge), value,
               std::move(extra));
    }

    void counter(std::string name, std::string help, std::uint64_t value) {
        sample(family(std::move(name), std::move(help), MetricType::Counter),
               static_cast<double>(value));
    }

private:
    std::vector<MetricFamily>& m_out;
    const std::string m_unitId;
    const std::string m_model;
};

void addPollFamilies(FamilyBuilder& build, const UnitMetrics::PollValues& poll) {
    build.gauge("brevik2_last_poll_timestamp_seconds",
                "When the last completed poll arrived, in seconds since 1970-01-01 UTC.",
                poll.timestamp);
    build.gauge("brevik2_alarm_state",
                "Alarm state code of the unit (data file column ALARM): 0 operating, 1 warming "
                "up, 10 minor fault, 11 major fault.",
                poll.alarmState);
    MetricFamily& flags = build.family(
        "brevik2_alarm",
        "One alarm flag of the unit, 1 while set: bit ALRMn_b is bit b (0 = lowest) of data file "
        "column ALRMn.",
        MetricType::Gauge);
    for (int byte = 0; byte < kTelemetryAlarmByteCount; ++byte) {
        const std::string name = "ALRM" + std::to_string(byte + 1) + "_";
        for (int bit = 0; bit < 8; ++bit) {
            build.sample(flags, (poll.alarmBytes[static_cast<std::size_t>(byte)] >> bit) & 1u,
                         {{"bit", name + std::to_string(bit)}});
        }
    }
    std::size_t next = 0;
    for (const TelemetryColumn& column : telemetrySchema()) {
        if (!column.metricName.empty()) {
            build.gauge(std::string(column.metricName),
                        std::string(column.description) + ", data file column " +
                            std::string(column.name) + unitPhrase(column.metricName) + ".",
                        poll.columns[next++] * column.metricScale);
        }
    }
}

}  // namespace

UnitMetrics::UnitMetrics(std::string version, MetricsLiveValues live)
    : m_version(std::move(version)), m_live(std::move(live)) {}

void UnitMetrics::statusText(std::string_view text) {
    const std::lock_guard lock(m_mutex);
    if (text == kPollFailedText) {
        ++m_counts.pollsFailed;
    } else if (text == kPortResetText) {
        ++m_counts.portResets;
    } else if (text == kRequestSentText) {
        ++m_counts.requestsSent;
    } else if (text == kRequestFailedText) {
        ++m_counts.requestsFailed;
    } else if (text == kTelemetryOpenFailureText || text == kTelemetryWriteFailureText) {
        ++m_counts.telemetryWriteFailures;
    }
}

void UnitMetrics::statusMessage(const StatusMessage& message) {
    if (message.code != kStatusPollCompleted && message.code != kStatusUnitOnline) {
        return;
    }
    const std::lock_guard lock(m_mutex);
    m_model = std::to_string(message.records.constants.modelCode());
    if (message.code == kStatusUnitOnline) {
        // The contact query reads the constants only: the ID stands in their first field.
        m_unitId = std::to_string(message.records.constants.asUnsigned(kConUnitId));
        return;
    }
    m_unitId = std::to_string(message.records.variables.asSigned(kVarUnitId));
    PollValues poll;
    poll.timestamp =
        std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    const UnitSnapshot snapshot(message.records);
    const auto schema = telemetrySchema();
    poll.alarmState = telemetryNumber(schema[kTelemetryAlarmColumn], snapshot);
    for (int byte = 0; byte < kTelemetryAlarmByteCount; ++byte) {
        poll.alarmBytes[static_cast<std::size_t>(byte)] = std::get<std::uint32_t>(
            telemetryCell(schema[kTelemetryFirstAlarmByteColumn + byte], snapshot));
    }
    for (const TelemetryColumn& column : schema) {
        if (!column.metricName.empty()) {
            poll.columns.push_back(telemetryNumber(column, snapshot));
        }
    }
    m_lastPoll = std::move(poll);
    ++m_counts.pollsCompleted;
}

UnitMetrics::Counts UnitMetrics::counts() const {
    const std::lock_guard lock(m_mutex);
    return m_counts;
}

std::vector<MetricFamily> UnitMetrics::Collect() const {
    const bool online = m_live.online();
    const int interval = m_live.samplingInterval();
    std::vector<MetricFamily> families;
    const std::lock_guard lock(m_mutex);
    FamilyBuilder build(families, m_unitId, m_model);
    build.gauge("brevik2_build_info", "Brevik2's version; always 1.", 1.0,
                {{"version", m_version}});
    build.gauge("brevik2_online", "1 while the unit answers, 0 while it does not.",
                online ? 1.0 : 0.0);
    build.gauge("brevik2_sampling_interval_seconds", "Seconds between polls (SamplingInterval).",
                interval);
    build.counter("brevik2_polls_completed_total", "Polls that read every reply of the unit.",
                  m_counts.pollsCompleted);
    build.counter("brevik2_polls_failed_total",
                  "Polls that stopped at a missing or malformed reply.", m_counts.pollsFailed);
    build.counter("brevik2_port_resets_total", "Times the serial port was closed and reopened.",
                  m_counts.portResets);
    build.counter("brevik2_requests_sent_total", "Operator requests written to the unit.",
                  m_counts.requestsSent);
    build.counter("brevik2_requests_failed_total",
                  "Operator requests that got no reply, failed sends included.",
                  m_counts.requestsFailed);
    build.counter("brevik2_telemetry_write_failures_total",
                  "Telemetry records that could not be written to the data file.",
                  m_counts.telemetryWriteFailures);
    if (m_lastPoll) {
        addPollFamilies(build, *m_lastPoll);
    }
    return families;
}

}  // namespace brevik2::engine
