#pragma once

#include <QObject>
#include <memory>

#include "dialogs/user_prompts.h"
#include "engine/station.h"

namespace brevik2::shell {

class CMainFrame;

// The program: start-up in its fixed order and the exit step. Build it after the QApplication,
// call start(), run the event loop, then exitStep().
//
// Start-up: the station (its defaults pass on the settings file), the main frame (placed from
// WindowRectangle, with its status bar and the unit status panel), the window shown and titled,
// the about box as a one-second banner, and only after that the station's monitor thread. Exit:
// WindowRectangle stored, then the station stopped within its bound.
class Brevik2Application {
public:
    explicit Brevik2Application(engine::MonitorThread::Options options = {});
    ~Brevik2Application();
    Brevik2Application(const Brevik2Application&) = delete;
    Brevik2Application& operator=(const Brevik2Application&) = delete;

    void start();
    // The program's exit status: 0, or kStuckExitStatus when the monitor thread would not stop.
    int exitStep();

    CMainFrame& frame() { return *m_frame; }
    bool monitorRunning() const { return m_station && m_station->running(); }

private:
    engine::MonitorThread::Options m_options;
    QObject m_receiver;  // the station's deliveries are queued calls into it
    dialogs::QtUserPrompts m_prompts;
    std::unique_ptr<engine::Station> m_station;
    std::unique_ptr<CMainFrame> m_frame;
};

}  // namespace brevik2::shell
