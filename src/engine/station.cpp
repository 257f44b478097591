#include "engine/station.h"

#include <vector>

#include "engine/metrics_exporter.h"
#include "link/command_catalogue.h"
#include "link/settings_defaults.h"
#include "link/settings_keys.h"

namespace brevik2::engine {

// The monitor thread's reporter: turns each report into a task for the receiver's thread. A
// task does nothing once the station has stopped (or is gone).
class Station::Relay final : public MonitorReporter {
public:
    explicit Relay(Station& station) : m_station(station) {}

    void statusText(std::string_view text) override {
        post([text = std::string(text)](Station& s) { s.dispatchText(text); }, true);
    }

    void statusMessage(StatusMessage message) override {
        // A cycle that brought nothing only repeats the records; the next one does as well.
        const bool idle = message.code == kStatusNothing && !message.outcome;
        post([message = std::move(message)](Station& s) mutable { s.dispatchMessage(message); },
             idle);
    }

    void portFailed(std::string_view device, std::error_code error) override {
        post([failure = PortFailure{std::string(device), error}](Station& s) {
            s.dispatchPortFailure(failure);
        });
    }

    void portOpened(std::string_view) override {
        post([](Station& s) { s.dispatchPortOpened(); });
    }

private:
    template <typename F>
    void post(F work, bool droppable = false) {
        Station* station = &m_station;
        m_station.m_deliver(DeliveredTask(
            [alive = m_station.m_alive, station, work = std::move(work)]() mutable {
                if (alive && *alive) {
                    work(*station);
                }
            },
            droppable));
    }

    Station& m_station;
};

Station::Subscription::Subscription(Subscription&& other) noexcept
    : m_station(other.m_station), m_id(other.m_id) {
    other.m_station = nullptr;
}

Station::Subscription& Station::Subscription::operator=(Subscription&& other) noexcept {
    if (this != &other) {
        if (m_station != nullptr) {
            m_station->unsubscribe(m_id);
        }
        m_station = other.m_station;
        m_id = other.m_id;
        other.m_station = nullptr;
    }
    return *this;
}

Station::Subscription::~Subscription() {
    if (m_station != nullptr) {
        m_station->unsubscribe(m_id);
    }
}

Station::Station(std::filesystem::path settingsPath, Deliver deliver,
                 MonitorThread::Options options)
    : m_settings(std::move(settingsPath)),
      m_deliver(std::move(deliver)),
      m_relay(std::make_unique<Relay>(*this)),
      m_thread(m_settings, m_shared, *m_relay, std::move(options)),
      m_alive(std::make_shared<std::atomic<bool>>(true)) {
    link::applyStartupDefaults(m_settings);
}

Station::~Station() {
    stop();
}

void Station::start() {
    if (m_thread.running()) {
        return;
    }
    m_shared.samplingInterval.store(readSamplingInterval(m_settings), std::memory_order_release);
    m_shared.shuttingDown.store(false, std::memory_order_release);
    if (!*m_alive) {
        m_alive = std::make_shared<std::atomic<bool>>(true);  // started again after a stop
    }
    m_thread.start();
}

bool Station::stop() {
    m_shared.shuttingDown.store(true, std::memory_order_release);
    m_alive->store(false);
    m_waiting.clear();
    m_scanStep = nullptr;
    return m_thread.stop();
}

link::PendingRequestSlot::FillResult Station::request(std::string_view code,
                                                      std::string_view parameter,
                                                      RequestOptions options, OnDone onDone) {
    using Result = link::PendingRequestSlot::FillResult;
    const link::CommandRow* row = link::findCommand(code);
    if (row == nullptr) {
        return Result::BadCode;
    }
    const std::uint64_t ticket = m_nextId++;
    const Result result =
        m_shared.slot.fill(row->code, row->takesParameter() ? parameter : std::string_view{},
                           options.replyLimit > 0 ? options.replyLimit : row->replyLimit,
                           options.completionCode, ticket);
    if (result == Result::Accepted && onDone) {
        m_waiting.emplace(ticket, std::move(onDone));
    }
    return result;
}

MonitorReporter& Station::threadReporter() {
    return *m_relay;
}

std::uint64_t Station::subscribe() {
    return m_nextId++;
}

void Station::unsubscribe(std::uint64_t id) {
    m_textHandlers.erase(id);
    m_messageHandlers.erase(id);
    m_recordHandlers.erase(id);
    m_portHandlers.erase(id);
}

Station::Subscription Station::onStatusText(std::function<void(std::string_view)> handler) {
    const std::uint64_t id = subscribe();
    m_textHandlers.emplace(id, std::move(handler));
    return Subscription(this, id);
}

Station::Subscription Station::onStatusMessage(std::function<void(const StatusMessage&)> handler) {
    const std::uint64_t id = subscribe();
    m_messageHandlers.emplace(id, std::move(handler));
    return Subscription(this, id);
}

Station::Subscription Station::onRecords(std::function<void(const UnitRecords&)> handler) {
    const std::uint64_t id = subscribe();
    m_recordHandlers.emplace(id, std::move(handler));
    return Subscription(this, id);
}

Station::Subscription Station::onPortFailure(std::function<void(const PortFailure&)> handler) {
    const std::uint64_t id = subscribe();
    m_portHandlers.emplace(id, std::move(handler));
    return Subscription(this, id);
}

// A handler may subscribe, unsubscribe or stop the station: each is looked up again before it
// is called, and nothing more runs once the station has stopped.
template <typename Handlers, typename... Args>
void Station::callEach(Handlers& handlers, const Args&... args) {
    std::vector<std::uint64_t> ids;
    ids.reserve(handlers.size());
    for (const auto& entry : handlers) {
        ids.push_back(entry.first);
    }
    for (const std::uint64_t id : ids) {
        if (!delivering()) {
            return;
        }
        const auto found = handlers.find(id);
        if (found != handlers.end()) {
            auto handler = found->second;  // a copy: the handler may unsubscribe itself
            handler(args...);
        }
    }
}

void Station::dispatchText(const std::string& text) {
    if (m_metrics) {
        m_metrics->statusText(text);
    }
    callEach(m_textHandlers, std::string_view(text));
}

void Station::dispatchPortFailure(const PortFailure& failure) {
    // A scan tries ports that need not exist; its result says what it found.
    if (m_scanStep || failure == m_portFailure) {
        return;
    }
    m_portFailure = failure;
    callEach(m_portHandlers, failure);
}

void Station::dispatchPortOpened() {
    m_portFailure.reset();
}

void Station::dispatchMessage(StatusMessage& message) {
    if (m_metrics) {
        m_metrics->statusMessage(message);
    }
    callEach(m_messageHandlers, message);
    if (message.code == kStatusPollCompleted) {
        callEach(m_recordHandlers, message.records);
    }
    const bool scanStep = message.code == kStatusScanTrial || message.code == kStatusScanFound ||
                          message.code == kStatusScanNotFound;
    if (scanStep && m_scanStep && delivering()) {
        auto step = m_scanStep;
        if (message.code != kStatusScanTrial) {
            m_scanStep = nullptr;
        }
        step(message.code);
    }
    if (message.outcome && delivering()) {
        const auto waiting = m_waiting.find(message.outcome->ticket);
        if (waiting != m_waiting.end()) {
            OnDone onDone = std::move(waiting->second);
            m_waiting.erase(waiting);
            onDone(*message.outcome);
        }
    }
}

std::string Station::startMetrics(std::optional<std::string> listenValue) {
    MetricsStartup startup = startMetricsEndpoint(
        listenValue ? *listenValue
                    : m_settings.readString(link::settings_keys::kMetricsListen.name,
                                            link::settings_keys::kMetricsListen.fallback),
        {[this] { return online(); }, [this] { return samplingInterval(); }});
    m_metrics = std::move(startup.exporter);
    return startup.statusText;
}

int Station::metricsPort() const {
    return m_metrics ? m_metrics->port() : 0;
}

void Station::scan(std::function<void(int code)> onStep) {
    m_scanStep = std::move(onStep);
    m_shared.scanRequest.store(true, std::memory_order_release);
}

void Station::cancelScan() {
    m_shared.scanRequest.store(false, std::memory_order_release);
}

void Station::requestEventLog() {
    m_shared.eventLogRequest.store(true, std::memory_order_release);
}

void Station::eventTableTaken() {
    m_shared.eventTableRetrieved.store(false, std::memory_order_release);
}

void Station::reconfigurePort() {
    m_shared.portReconfigure.store(true, std::memory_order_release);
}

void Station::startTestMode(std::uint32_t bit) {
    m_shared.testModeFlags.fetch_or(bit, std::memory_order_acq_rel);
}

void Station::endTestModes() {
    m_shared.testModeFlags.fetch_or(kTestModesEnd, std::memory_order_acq_rel);
}

void Station::setMonitoringEnabled(bool enabled) {
    m_shared.monitoringEnabled.store(enabled, std::memory_order_release);
}

void Station::setRecordDataFile(bool record) {
    m_shared.recordDataFile.store(record, std::memory_order_release);
}

void Station::setSamplingInterval(int seconds) {
    m_shared.samplingInterval.store(seconds, std::memory_order_release);
}

}  // namespace brevik2::engine
