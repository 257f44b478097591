#include "monitored_sim_session.h"

#include <QTest>
#include <algorithm>

#include "dialogs/queued_delivery.h"

namespace brevik2::testing {

MonitoredSimSession::MonitoredSimSession()
    : m_unit(dialogs::queuedOnto(m_receiver),
             [] {
                 auto options = SimStation::fastOptions();
                 options.onStuck = [] { qWarning("monitor thread did not stop"); };
                 return options;
             }()),
      station(m_unit.station),
      shared(m_unit.station.sharedState()),
      server(m_unit.server),
      context{station.settings(), station, records, prompts, [](const QString&) {}},
      m_messages(station.onStatusMessage([this](const engine::StatusMessage& message) {
          if (message.code == engine::kStatusNothing) {
              return;
          }
          if (message.code == engine::kStatusPollCompleted) {
              records = message.records;
          }
          received.push_back(message);
      })) {}

bool MonitoredSimSession::start(sim::SimOptions options) {
    std::string error;
    if (!m_unit.startUnit(options, &error)) {
        qWarning("simulator: %s", error.c_str());
        return false;
    }
    station.settings().writeString("SamplingInterval", "3600");
    station.start();
    return waitFor([this] {
        return std::any_of(received.begin(), received.end(), [](const engine::StatusMessage& m) {
            return m.code == engine::kStatusPollCompleted;
        });
    });
}

bool MonitoredSimSession::waitFor(const std::function<bool()>& condition, int timeoutMs) {
    return QTest::qWaitFor(condition, timeoutMs);
}

bool MonitoredSimSession::waitUntilSlotFree(int timeoutMs) {
    return waitFor([this] { return !shared.slot.isPending(); }, timeoutMs);
}

bool MonitoredSimSession::waitForRequest(const std::string& request, int timeoutMs) {
    return waitFor([&] { return timesSeen(request) > 0; }, timeoutMs);
}

}  // namespace brevik2::testing
