#include "engine/monitor_session.h"

#include <algorithm>
#include <cctype>

#include "engine/instrument_scan.h"
#include "engine/monitor_shared_state.h"
#include "engine/scan_ports.h"
#include "engine/status_message.h"
#include "link/request_framing.h"
#include "link/settings_file.h"
#include "link/settings_keys.h"
#include "link/settings_value.h"

namespace brevik2::engine {
namespace {

constexpr std::size_t kTestLineMax = 255;

bool readTrueFalse(const link::SettingsFile& settings, const link::SettingsKey& key) {
    std::string value = link::trimSettingsValue(settings.readString(key.name, key.fallback));
    std::transform(value.begin(), value.end(), value.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return value == "true";
}

const char* alarmWord(std::uint32_t alarmState) {
    switch (alarmState) {
        case kAlarmOperating:
            return "Operating";
        case kAlarmWarmingUp:
            return "Warming up";
        case kAlarmMinorFault:
            return "Minor Fault";
        case kAlarmMajorFault:
            return "Major Fault";
        default:
            return "";
    }
}

}  // namespace

MonitorSession::MonitorSession(const link::SettingsFile& settings, MonitorSharedState& shared,
                               MonitorReporter& reporter, const MonitorThread::Options& options,
                               const link::StopSignal& stop, StopWait waitForStop)
    : m_settings(settings),
      m_shared(shared),
      m_reporter(reporter),
      m_options(options),
      m_stop(stop),
      m_waitForStop(std::move(waitForStop)),
      m_status(reporter, shared.shuttingDown),
      m_recorder(settings, m_status, options.telemetryTiming) {}

void MonitorSession::begin() {
    m_elapsedMs =
        std::int64_t{m_shared.samplingInterval.load(std::memory_order_acquire)} * 1000 + 1;
    m_cycleCode = 0;
    m_failures = 0;
    m_port = std::make_unique<link::SerialPort>(m_settings, m_status, m_options.timeouts, &m_stop);
    m_queries = std::make_unique<StatusQueries>(*m_port, m_status);
    m_shared.monitoringEnabled.store(
        readTrueFalse(m_settings, link::settings_keys::kMonitoringEnabled),
        std::memory_order_release);
    m_shared.recordDataFile.store(readTrueFalse(m_settings, link::settings_keys::kRecordDataFile),
                                  std::memory_order_release);
    // Response mode without debug messages; its answer does not matter.
    if (link::sendRequest(*m_port, "A15", "0")) {
        link::readUntil(*m_port, m_queries->reply(), link::kEtx, 256);
    }
    // Remote on: the unit gives no answer to this one.
    link::sendRequest(*m_port, "T*2");
}

bool MonitorSession::cycle() {
    if (m_shared.scanRequest.load(std::memory_order_acquire)) {
        InstrumentScan scan(
            m_settings, m_shared, *m_port, *m_queries, m_records, m_stop,
            [this](int code) { post(code); },
            scanPlanFor(link::trimSettingsValue(
                            m_settings.readString(link::settings_keys::kComPort.name,
                                                  link::settings_keys::kComPort.fallback, 255)),
                        scanPorts(m_options.deviceFolder, m_settings.path().parent_path())),
            &m_status);
        scan.run();
        m_shared.scanRequest.store(false, std::memory_order_release);
    }
    bool contact = false;
    if (m_shared.portReconfigure.exchange(false, std::memory_order_acq_rel)) {
        m_port->reset();
        m_shared.online.store(false, std::memory_order_release);
        contact = true;
    } else {
        contact = !m_shared.online.load(std::memory_order_acquire);
    }
    if (contact) {
        contactAttempt();
    }
    if (m_shared.online.load(std::memory_order_acquire)) {
        onlineStep();
    }
    if (m_waitForStop(m_options.cycle)) {
        return false;
    }
    post(m_cycleCode);
    m_cycleCode = 0;
    m_outcome.reset();
    return true;
}

void MonitorSession::contactAttempt() {
    const bool online = m_queries->unitStatusQuery(m_records);
    m_shared.online.store(online, std::memory_order_release);
    if (online) {
        if (!m_shared.shuttingDown.load(std::memory_order_acquire)) {
            m_cycleCode = kStatusUnitOnline;
            post(kStatusUnitOnline);
        }
        m_status.statusText("Unit Online");
        return;
    }
    // Five failed attempts say so; the sixth resets the port and starts the count again.
    if (m_failures++ < 5) {
        m_status.statusText("Unit Not Responding");
    } else {
        m_status.statusText("Resetting");
        m_port->reset();
        m_failures = 0;
    }
}

void MonitorSession::onlineStep() {
    m_elapsedMs += 200;
    const bool pollDue =
        m_elapsedMs >
        std::int64_t{m_shared.samplingInterval.load(std::memory_order_acquire)} * 1000;
    if (m_shared.slot.isPending()) {
        runPendingRequest();
    } else if (m_shared.testModeFlags.load(std::memory_order_acquire) != 0) {
        serviceTestModes();
    } else if (pollDue) {
        pollIfDue();
    } else if (m_shared.eventLogRequest.exchange(false, std::memory_order_acq_rel)) {
        retrieveEventLog();
    }
    // A failed send or poll has just taken the unit offline: saying it is online would be false.
    if (m_shared.online.load(std::memory_order_acquire)) {
        showOnlineStatus();
    }
}

void MonitorSession::runPendingRequest() {
    const link::PendingRequestSlot::Request& request = m_shared.slot.take();
    m_queries->reply().clear();
    bool received = false;
    // What the line holds before the request cannot be its reply.
    m_port->discardInput();
    if (link::sendRequest(*m_port, request.code, request.parameter)) {
        m_status.statusText("Cmd Sent OK");
        received = link::readUntil(*m_port, m_queries->reply(), link::kEtx, request.replyLimit);
    } else {
        m_shared.online.store(false, std::memory_order_release);
        m_status.statusText("Cmd Send failure");
    }
    RequestOutcome outcome;
    outcome.ticket = request.ticket;
    outcome.completed = received;
    if (received) {
        m_cycleCode = request.completionCode;
        outcome.reply = m_queries->reply();
    } else {
        outcome.failure = m_shared.online.load(std::memory_order_acquire) ? "Cmd Receive Fail"
                                                                          : "Cmd Send failure";
        m_status.statusText("Cmd Receive Fail");
        m_shared.portReconfigure.store(true, std::memory_order_release);
    }
    m_outcome = std::move(outcome);
    m_shared.slot.release();
}

void MonitorSession::serviceTestModes() {
    const std::uint32_t flags = m_shared.testModeFlags.load(std::memory_order_acquire);
    if ((flags & kTestModesEnd) != 0) {
        static constexpr std::pair<std::uint32_t, const char*> kModes[] = {
            {kTestMode1, "A01"}, {kTestMode2, "A02"}, {kTestMode3, "A03"}};
        for (const auto& [bit, code] : kModes) {
            if ((flags & bit) != 0 && link::sendRequest(*m_port, code, "0")) {
                link::readUntil(*m_port, m_queries->reply(), link::kLineFeed, 256);
            }
        }
        m_shared.testModeFlags.store(0, std::memory_order_release);
        m_testLine.clear();
        m_port->reset();
        return;
    }
    char byte[2];
    if (!m_port->read(1, byte)) {
        return;
    }
    m_testLine += byte[0];
    // A line longer than the buffer is handed on in pieces rather than overflowing it.
    if (byte[0] == link::kLineFeed || m_testLine.size() >= kTestLineMax) {
        m_queries->reply() = m_testLine;
        m_testLine.clear();
        m_cycleCode = kStatusTestModeLine;
        m_status.statusText("Response Received");
    }
}

void MonitorSession::pollIfDue() {
    m_elapsedMs = 0;
    if (!m_shared.monitoringEnabled.load(std::memory_order_acquire)) {
        m_status.statusText("Polling Disabled");
        return;
    }
    TelemetryRecorder* recorder =
        m_shared.recordDataFile.load(std::memory_order_acquire) ? &m_recorder : nullptr;
    if (m_queries->poll(m_records, recorder)) {
        m_cycleCode = kStatusPollCompleted;
    } else {
        m_shared.online.store(false, std::memory_order_release);
    }
}

void MonitorSession::retrieveEventLog() {
    // A table the user interface has not taken yet is not replaced under it.
    if (m_shared.eventTableRetrieved.load(std::memory_order_acquire)) {
        m_cycleCode = kStatusEventLogRetrieved;
        return;
    }
    bool replaced = false;
    if (m_queries->retrieveEventLog(m_eventTable, &replaced)) {
        if (replaced) {
            m_shared.eventTableRetrieved.store(true, std::memory_order_release);
        }
        m_cycleCode = kStatusEventLogRetrieved;
    }
}

void MonitorSession::showOnlineStatus() {
    std::string text = "Unit online             Status = ";
    text += alarmWord(m_records.variables.asUnsigned(kVarAlarmState));
    m_status.statusText(text);
}

void MonitorSession::post(int code) {
    if (m_shared.shuttingDown.load(std::memory_order_acquire)) {
        return;
    }
    StatusMessage message;
    message.code = code;
    message.reply = m_queries ? m_queries->reply() : std::string();
    message.records = m_records;
    // Only a table that waits to be shown goes along: with nothing new the event list keeps its
    // items and the operator's selection.
    if (code == kStatusEventLogRetrieved &&
        m_shared.eventTableRetrieved.load(std::memory_order_acquire)) {
        message.eventTable = m_eventTable;
    }
    if (code == m_cycleCode && m_outcome) {
        message.outcome = std::move(m_outcome);
        m_outcome.reset();
    }
    m_reporter.statusMessage(std::move(message));
}

}  // namespace brevik2::engine
