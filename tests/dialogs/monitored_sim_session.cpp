#include "monitored_sim_session.h"

#include <QTest>
#include <algorithm>

namespace brevik2::testing {

using namespace std::chrono_literals;

class MonitoredSimSession::Reporter final : public engine::MonitorReporter {
public:
    explicit Reporter(MonitoredSimSession& session) : m_session(session) {}

    void statusText(std::string_view) override {}

    void statusMessage(engine::StatusMessage message) override {
        if (message.code == engine::kStatusNothing) {
            return;
        }
        QMetaObject::invokeMethod(
            &m_session.m_receiver, [this, m = std::move(message)] { m_session.deliver(m); },
            Qt::QueuedConnection);
    }

private:
    MonitoredSimSession& m_session;
};

MonitoredSimSession::MonitoredSimSession() : m_reporter(std::make_unique<Reporter>(*this)) {}

MonitoredSimSession::~MonitoredSimSession() {
    if (m_monitor) {
        shared.shuttingDown = true;
        m_monitor->stop();
        m_monitor.reset();
    }
    server.reset();
}

bool MonitoredSimSession::start(sim::SimOptions options) {
    options.linkPath = (folder / "com1").string();
    server = std::make_unique<sim::SimServer>(options);
    std::string error;
    if (!server->start(&error)) {
        qWarning("simulator: %s", error.c_str());
        return false;
    }
    settings.writeString("ComPort", "Com1");
    settings.writeString("BaudRate", "9600");
    settings.writeString("DataBits", "8");
    settings.writeString("Parity", "n");
    settings.writeString("StopBits", "1");
    settings.writeString("MonitoringEnabled", "true");
    settings.writeString("RecordDataFile", "false");
    shared.samplingInterval = 3600;

    // The simulator answers at once, so short read time-outs only shorten the waits after a
    // failed exchange; a 50 ms cycle takes a test-mode line four times as fast as the unit's.
    engine::MonitorThread::Options monitorOptions;
    monitorOptions.timeouts = link::SerialTimeouts{50, 10, 150, 4096, 300};
    monitorOptions.cycle = 50ms;
    monitorOptions.onStuck = [] { qWarning("monitor thread did not stop"); };
    m_monitor = std::make_unique<engine::MonitorThread>(settings, shared, *m_reporter,
                                                        std::move(monitorOptions));
    m_monitor->start();
    return waitFor([this] {
        return std::any_of(received.begin(), received.end(), [](const engine::StatusMessage& m) {
            return m.code == engine::kStatusPollCompleted;
        });
    });
}

void MonitoredSimSession::deliver(const engine::StatusMessage& message) {
    if (message.code == engine::kStatusPollCompleted) {
        records = message.records;
    }
    received.push_back(message);
    if (route) {
        route(message);
    }
}

bool MonitoredSimSession::waitFor(const std::function<bool()>& condition, int timeoutMs) {
    return QTest::qWaitFor(condition, timeoutMs);
}

bool MonitoredSimSession::waitUntilSlotFree(int timeoutMs) {
    return waitFor([this] { return !shared.slot.isPending(); }, timeoutMs);
}

int MonitoredSimSession::timesSeen(const std::string& request) const {
    const std::vector<std::string> seen = server->requestsSeen();
    return static_cast<int>(std::count(seen.begin(), seen.end(), request));
}

bool MonitoredSimSession::waitForRequest(const std::string& request, int timeoutMs) {
    return waitFor([&] { return timesSeen(request) > 0; }, timeoutMs);
}

}  // namespace brevik2::testing
