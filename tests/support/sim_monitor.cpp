#include "support/sim_monitor.h"

#include "support/sim_station.h"

namespace brevik2::testing {

using namespace std::chrono_literals;

void SimMonitor::stopMonitor() {
    shared.shuttingDown = true;
    if (monitor) {
        EXPECT_TRUE(monitor->stop());
        monitor.reset();
    }
}

engine::MonitorThread::Options SimMonitor::quickOptions() {
    engine::MonitorThread::Options options;
    options.timeouts = SimStation::fastOptions().timeouts;
    options.telemetryTiming.retryDelay = 10ms;
    options.onStuck = [] { ADD_FAILURE() << "monitor thread did not stop"; };
    return options;
}

engine::MonitorThread::Options SimMonitor::scanOptions() {
    engine::MonitorThread::Options options = quickOptions();
    options.timeouts = link::SerialTimeouts{50, 2, 150, 4096, 200};
    return options;
}

::testing::AssertionResult SimMonitor::startUnit(link::LineSettings line,
                                                 const std::string& linkName) {
    sim::SimOptions options;
    options.line = line;
    return startUnit(std::move(options), linkName);
}

::testing::AssertionResult SimMonitor::startUnit(sim::SimOptions options,
                                                 const std::string& linkName) {
    std::string error;
    unit = startSimUnit(folder / linkName, std::move(options), &error);
    if (!unit) {
        return ::testing::AssertionFailure() << "the simulated unit did not start: " << error;
    }
    return ::testing::AssertionSuccess();
}

void SimMonitor::writeSettings(bool monitoring, int interval, const std::string& comPort) {
    writeSimLineSettings(settings, comPort);
    settings.writeString("MonitoringEnabled", monitoring ? "true" : "false");
    shared.samplingInterval = interval;
}

void SimMonitor::startMonitor(engine::MonitorThread::Options options,
                              engine::MonitorReporter* feeding) {
    monitor = std::make_unique<engine::MonitorThread>(
        settings, shared, feeding != nullptr ? *feeding : reporter, std::move(options));
    monitor->start();
}

}  // namespace brevik2::testing
