#pragma once

#include <memory>

#include "dialogs/user_prompts.h"
#include "engine/monitor_shared_state.h"
#include "engine/monitor_thread.h"
#include "link/settings_file.h"

namespace brevik2::shell {

class CMainFrame;
class QueuedFrameReporter;

// The program: start-up in its fixed order and the exit step. Build it after the QApplication,
// call start(), run the event loop, then exitStep().
//
// Start-up: the defaults pass on the settings file, the main frame (placed from
// WindowRectangle, with its status bar and the unit status panel), the window shown and titled,
// the about box as a one-second banner, and only after that the sampling interval and the
// monitor thread. Exit: the shutting-down flag, then the monitor thread stopped within its
// bound.
class Brevik2Application {
public:
    Brevik2Application();
    ~Brevik2Application();
    Brevik2Application(const Brevik2Application&) = delete;
    Brevik2Application& operator=(const Brevik2Application&) = delete;

    void start();
    int exitStep();

    CMainFrame& frame() { return *m_frame; }
    bool monitorRunning() const { return m_monitor && m_monitor->running(); }

private:
    void startMonitor();

    link::SettingsFile m_settings;
    engine::MonitorSharedState m_shared;
    dialogs::QtUserPrompts m_prompts;
    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<QueuedFrameReporter> m_reporter;
    std::unique_ptr<engine::MonitorThread> m_monitor;
};

}  // namespace brevik2::shell
