#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/delivered_task.h"
#include "engine/monitor_reporter.h"
#include "engine/monitor_shared_state.h"
#include "engine/monitor_thread.h"
#include "engine/port_failure.h"
#include "engine/request_outcome.h"
#include "link/pending_request_slot.h"
#include "link/settings_file.h"

namespace brevik2::engine {

class MetricsExporter;

// One monitoring station as every front end sees it: the settings file, the state shared with
// the monitor thread, and the thread itself. Making a Station is the one start-up path: it
// applies the settings file's start-up defaults once; start() reads the sampling interval and
// starts the thread; stop() ends it.
//
// Everything the thread reports reaches the front end through the Deliver function it passes
// in: the window queues the task onto its Qt thread, the console onto its bounded loop (which
// may drop the tasks marked droppable, see DeliveredTask). Subscribers,
// scan steps and a request's onDone run inside those tasks, so on the receiver's thread only.
//
// Thread safety: every member function is for the receiver's thread (the one that runs the
// delivered tasks), except that stop() may also be called from inside a delivered task. The
// monitor thread only calls Deliver. After stop() no subscriber, scan step or onDone runs,
// even for tasks already queued. The Station must outlive its Subscriptions.
class Station {
public:
    using Task = DeliveredTask;
    // Hands a task to the receiver's thread, in order; called from the monitor thread.
    using Deliver = std::function<void(Task)>;

    struct RequestOptions {
        // The status message code the cycle that completes the request posts (the Parts'
        // codes 11 to 18 and 22); 0 posts nothing beyond the usual cycle message.
        int completionCode = kStatusNothing;
        // Bytes of reply to read at most; 0: the catalogue row's limit.
        int replyLimit = 0;
    };
    using OnDone = std::function<void(const RequestOutcome&)>;

    using PortFailure = engine::PortFailure;

    // Removes its handler when destroyed.
    class Subscription {
    public:
        Subscription() = default;
        Subscription(Subscription&& other) noexcept;
        Subscription& operator=(Subscription&& other) noexcept;
        ~Subscription();

    private:
        friend class Station;
        Subscription(Station* station, std::uint64_t id) : m_station(station), m_id(id) {}
        Station* m_station = nullptr;
        std::uint64_t m_id = 0;
    };

    Station(std::filesystem::path settingsPath, Deliver deliver,
            MonitorThread::Options options = {});
    ~Station();
    Station(const Station&) = delete;
    Station& operator=(const Station&) = delete;

    const link::SettingsFile& settings() const { return m_settings; }

    void start();
    // False when the thread did not end within its bound (see MonitorThread::Options).
    bool stop();
    bool running() const { return m_thread.running(); }
    bool online() const { return m_shared.online.load(std::memory_order_acquire); }
    int samplingInterval() const {
        return m_shared.samplingInterval.load(std::memory_order_acquire);
    }

    // Queues a request of the catalogue for the thread. Accepted: onDone runs exactly once
    // with the outcome, unless the station stops first. Any other result: onDone never runs.
    link::PendingRequestSlot::FillResult request(std::string_view code, std::string_view parameter,
                                                 RequestOptions options, OnDone onDone = {});
    bool requestPending() const { return m_shared.slot.isPending(); }

    // Every status text of the thread.
    Subscription onStatusText(std::function<void(std::string_view)> handler);
    // Every status message, code 0 included, before the onDone of a request it completes.
    Subscription onStatusMessage(std::function<void(const StatusMessage&)> handler);
    // The records of every completed poll.
    Subscription onRecords(std::function<void(const UnitRecords&)> handler);
    // The port failed to open for a reason other than the last one, or again after it had
    // opened; the trials of a scan are not reported.
    Subscription onPortFailure(std::function<void(const PortFailure&)> handler);
    // Why the port would not open, until it opens again.
    const std::optional<PortFailure>& portFailure() const { return m_portFailure; }

    // Starts the metrics endpoint on listenValue, or on the settings file's MetricsListen when
    // none is given; an empty value leaves it off. Returns what to tell the operator: where it
    // serves, or why it could not start (empty when off). Monitoring goes on either way; the
    // endpoint serves until the station is destroyed.
    std::string startMetrics(std::optional<std::string> listenValue = std::nullopt);
    // The port the endpoint listens on; 0 when it does not run.
    int metricsPort() const;

    // The scan over ports and line settings; onStep hears codes 19 (a trial), then 20 (found)
    // or 21 (not found). Also before start(), to scan at once.
    void scan(std::function<void(int code)> onStep);
    void cancelScan();
    // The unit's event log, read when the thread has time; it comes as status message 23.
    void requestEventLog();
    // The receiver has taken the table of the last code 23: the log may be read again.
    void eventTableTaken();
    // Resets the port at the thread's next cycle (new line settings).
    void reconfigurePort();
    // Test modes: startTestMode(kTestMode1 ...) sets a bit, endTestModes() asks the thread to end
    // every running mode; the thread clears them all once it has.
    void startTestMode(std::uint32_t bit);
    void endTestModes();
    std::uint32_t testModes() const {
        return m_shared.testModeFlags.load(std::memory_order_acquire);
    }
    void setMonitoringEnabled(bool enabled);
    void setRecordDataFile(bool record);
    void setSamplingInterval(int seconds);

    // The state under these methods and the reporter the thread reports into, for tests that
    // play the monitor thread's side; front ends use the methods and subscriptions above.
    MonitorSharedState& sharedState() { return m_shared; }
    MonitorReporter& threadReporter();

private:
    class Relay;

    std::uint64_t subscribe();
    void unsubscribe(std::uint64_t id);
    bool delivering() const { return *m_alive; }
    void dispatchText(const std::string& text);
    void dispatchMessage(StatusMessage& message);
    void dispatchPortFailure(const PortFailure& failure);
    void dispatchPortOpened();
    template <typename Handlers, typename... Args>
    void callEach(Handlers& handlers, const Args&... args);

    link::SettingsFile m_settings;
    MonitorSharedState m_shared;
    Deliver m_deliver;
    std::unique_ptr<Relay> m_relay;
    MonitorThread m_thread;

    // Set to false by stop(); queued tasks look at it before they touch the Station.
    std::shared_ptr<std::atomic<bool>> m_alive;
    std::uint64_t m_nextId = 1;
    std::map<std::uint64_t, std::function<void(std::string_view)>> m_textHandlers;
    std::map<std::uint64_t, std::function<void(const StatusMessage&)>> m_messageHandlers;
    std::map<std::uint64_t, std::function<void(const UnitRecords&)>> m_recordHandlers;
    std::map<std::uint64_t, std::function<void(const PortFailure&)>> m_portHandlers;
    std::map<std::uint64_t, OnDone> m_waiting;  // by ticket
    std::function<void(int)> m_scanStep;
    std::optional<PortFailure> m_portFailure;
    // Declared last: its server threads read the shared state until it is gone.
    std::unique_ptr<MetricsExporter> m_metrics;
};

}  // namespace brevik2::engine
