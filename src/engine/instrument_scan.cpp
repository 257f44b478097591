#include "engine/instrument_scan.h"

#include <optional>
#include <string_view>

#include "engine/monitor_shared_state.h"
#include "engine/status_message.h"
#include "engine/status_queries.h"
#include "link/serial_port.h"
#include "link/settings_file.h"
#include "link/settings_keys.h"
#include "link/status_output.h"
#include "link/stop_signal.h"

namespace brevik2::engine {

namespace keys = link::settings_keys;
namespace {

struct CommonSetting {
    const char* baud;  // nullptr: unchanged from the trial before
    const char* dataBits;
    const char* stopBits;
    const char* parity;
};

constexpr CommonSetting kCommonSettings[] = {
    {"2400", "7", "2", "Odd"},   {nullptr, "8", "1", "None"}, {"9600", "7", "2", "Odd"},
    {nullptr, "8", "1", "None"}, {"19200", "7", "2", "Odd"},  {nullptr, "8", "1", "None"},
};

constexpr const char* kParities[] = {"Odd", "Even", "None", "Mark", "Space"};

}  // namespace

InstrumentScan::InstrumentScan(const link::SettingsFile& settings, MonitorSharedState& shared,
                               link::SerialPort& port, StatusQueries& queries, UnitRecords& records,
                               const link::StopSignal& stop, PostNow postNow, ScanPlan plan,
                               link::StatusOutput* status)
    : m_settings(settings),
      m_shared(shared),
      m_port(port),
      m_queries(queries),
      m_records(records),
      m_stop(stop),
      m_postNow(std::move(postNow)),
      m_plan(std::move(plan)),
      m_status(status) {}

bool InstrumentScan::run() {
    // The keys the trials write, in the order they are first written.
    static constexpr std::string_view kTrialKeys[] = {keys::kComPort.name, keys::kBaudRate.name,
                                                      keys::kDataBits.name, keys::kStopBits.name,
                                                      keys::kParity.name};
    const std::optional<link::SettingsFile::Contents> before = m_settings.contents();
    bool found = false;
    if (!m_plan.triesLineSettings) {
        if (m_status != nullptr) {
            m_status->statusText("Line settings are fixed at the server");
        }
        found = trial();
    } else {
        found = phaseOne() || (!cancelled() && phaseTwo());
    }
    // A scan that found nothing, whether it ran out, was cancelled or the program is ending,
    // leaves the settings as they were: the next start must open the port it opened before, not
    // the last one tried. The port follows them at the next cycle.
    if (!found && before) {
        m_settings.restoreKeys(*before, kTrialKeys);
        m_shared.portReconfigure.store(true, std::memory_order_release);
    }
    m_postNow(found ? kStatusScanFound : kStatusScanNotFound);
    return found;
}

void InstrumentScan::write(const link::SettingsKey& key, const std::string& value) {
    m_settings.writeString(key.name, value);
}

bool InstrumentScan::stopping() const {
    return m_shared.shuttingDown.load(std::memory_order_acquire) || m_stop.isRaised();
}

bool InstrumentScan::cancelled() const {
    return !m_shared.scanRequest.load(std::memory_order_acquire) || stopping();
}

bool InstrumentScan::trial() {
    m_postNow(kStatusScanTrial);
    m_port.reset();
    const bool answered = m_queries.unitStatusQuery(m_records);
    m_shared.online.store(answered, std::memory_order_release);
    return answered;
}

bool InstrumentScan::phaseOne() {
    for (const std::string& port : m_plan.ports) {
        for (std::size_t i = 0; i < std::size(kCommonSettings); ++i) {
            const CommonSetting& s = kCommonSettings[i];
            if (i == 0) {
                write(keys::kComPort, port);
            }
            if (s.baud != nullptr) {
                write(keys::kBaudRate, s.baud);
            }
            write(keys::kDataBits, s.dataBits);
            write(keys::kStopBits, s.stopBits);
            write(keys::kParity, s.parity);
            if (trial()) {
                return true;
            }
            if (cancelled()) {
                return false;
            }
        }
    }
    return false;
}

bool InstrumentScan::phaseTwo() {
    for (const std::string& port : m_plan.ports) {
        write(keys::kComPort, port);
        for (int baud = 300; baud <= 19200; baud *= 2) {
            write(keys::kBaudRate, std::to_string(baud));
            for (int dataBits = 7; dataBits <= 8; ++dataBits) {
                write(keys::kDataBits, std::to_string(dataBits));
                for (int stopBits = 1; stopBits <= 2; ++stopBits) {
                    write(keys::kStopBits, std::to_string(stopBits));
                    for (const char* parity : kParities) {
                        write(keys::kParity, parity);
                        if (trial()) {
                            return true;
                        }
                        // The operator's Cancel is seen after the fifth parity; a shutdown at
                        // once, or the exit would wait for up to five more trials.
                        if (stopping()) {
                            return false;
                        }
                    }
                    if (cancelled()) {
                        return false;
                    }
                }
            }
        }
    }
    return false;
}

}  // namespace brevik2::engine
