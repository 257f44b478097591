#pragma once

#include <atomic>

#include "engine/monitor_reporter.h"
#include "link/status_output.h"

namespace brevik2::engine {

// The status text path of the engine: forwards to the reporter until the program is shutting
// down, then shows nothing more.
class GatedStatusOutput final : public link::StatusOutput {
public:
    GatedStatusOutput(MonitorReporter& reporter, const std::atomic<bool>& shuttingDown)
        : m_reporter(reporter), m_shuttingDown(shuttingDown) {}

    void statusText(std::string_view text) override {
        if (!m_shuttingDown.load(std::memory_order_acquire)) {
            m_reporter.statusText(text);
        }
    }

    void portFailed(std::string_view device, std::error_code error) override {
        if (!m_shuttingDown.load(std::memory_order_acquire)) {
            m_reporter.portFailed(device, error);
        }
    }

    void portOpened(std::string_view device) override {
        if (!m_shuttingDown.load(std::memory_order_acquire)) {
            m_reporter.portOpened(device);
        }
    }

private:
    MonitorReporter& m_reporter;
    const std::atomic<bool>& m_shuttingDown;
};

}  // namespace brevik2::engine
