#include "support/sim_station.h"

#include <algorithm>

namespace brevik2::testing {

using namespace std::chrono_literals;

std::unique_ptr<sim::SimServer> startSimUnit(const std::filesystem::path& link,
                                             sim::SimOptions options, std::string* error) {
    options.linkPath = link.string();
    auto unit = std::make_unique<sim::SimServer>(options);
    if (!unit->start(error)) {
        return nullptr;
    }
    return unit;
}

void writeSimLineSettings(const link::SettingsFile& settings, const std::string& comPort) {
    for (const auto& [key, value] : {std::pair<const char*, std::string>{"ComPort", comPort},
                                     {"BaudRate", "9600"},
                                     {"DataBits", "8"},
                                     {"Parity", "n"},
                                     {"StopBits", "1"},
                                     {"MonitoringEnabled", "true"},
                                     {"RecordDataFile", "false"}}) {
        settings.writeString(key, value);
    }
}

engine::MonitorThread::Options SimStation::fastOptions() {
    engine::MonitorThread::Options options;
    options.timeouts = link::SerialTimeouts{50, 10, 150, 4096, 300};
    options.cycle = 50ms;
    return options;
}

SimStation::SimStation(engine::Station::Deliver deliver, engine::MonitorThread::Options options)
    : station(
          folder / "Brevik2.ini",
          deliver ? std::move(deliver)
                  : [this](engine::Station::Task task) { queue.post(std::move(task)); },
          std::move(options)) {}

SimStation::~SimStation() {
    station.stop();
    server.reset();
}

bool SimStation::startUnit(sim::SimOptions options, std::string* error) {
    server = startSimUnit(folder / "com1", std::move(options), error);
    if (!server) {
        return false;
    }
    writeSimLineSettings(station.settings());
    return true;
}

int SimStation::timesSeen(const std::string& request) const {
    const std::vector<std::string> seen = server->requestsSeen();
    return static_cast<int>(std::count(seen.begin(), seen.end(), request));
}

}  // namespace brevik2::testing
