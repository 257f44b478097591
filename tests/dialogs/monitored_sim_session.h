#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/dialog_context.h"
#include "engine/monitor_reporter.h"
#include "engine/monitor_shared_state.h"
#include "engine/monitor_thread.h"
#include "engine/status_records.h"
#include "link/settings_file.h"
#include "sim/sim_server.h"
#include "support/scripted_user_prompts.h"
#include "support/temp_folder.h"

namespace brevik2::testing {

// A simulated unit on a pty, a real monitor thread talking to it through a "Com1" link beside
// the settings file, and what the dialogs get from the main frame: a context, the records of the
// latest poll and status messages handed to the user-interface thread by queued calls.
//
// Thread safety: everything but the reporter belongs to the test's (user-interface) thread.
class MonitoredSimSession {
public:
    MonitoredSimSession();
    ~MonitoredSimSession();  // stops the thread before the server
    MonitoredSimSession(const MonitoredSimSession&) = delete;
    MonitoredSimSession& operator=(const MonitoredSimSession&) = delete;

    // Starts the unit and the thread and waits for the first poll (one poll only: the sampling
    // interval is an hour), so the records hold the unit's state. False on failure.
    bool start(sim::SimOptions options = {});

    // Called on the user-interface thread for every status message but code 0, after the
    // records were taken from a code 10, the way the main frame routes codes to its dialogs.
    std::function<void(const engine::StatusMessage&)> route;

    // Processes events until the condition holds or the time is up.
    static bool waitFor(const std::function<bool()>& condition, int timeoutMs = 10000);
    // Waits until the slot is free again (the thread has run the request).
    bool waitUntilSlotFree(int timeoutMs = 10000);
    // How often the unit heard exactly this request ("A06 12/31/03", "W12").
    int timesSeen(const std::string& request) const;
    bool waitForRequest(const std::string& request, int timeoutMs = 10000);

    TempFolder folder;
    link::SettingsFile settings{folder / "Brevik2.ini"};
    engine::MonitorSharedState shared;
    engine::UnitRecords records;
    ScriptedUserPrompts prompts;
    dialogs::DialogContext context{settings, shared, records, prompts, [](const QString&) {}};
    std::unique_ptr<sim::SimServer> server;
    std::vector<engine::StatusMessage> received;

private:
    class Reporter;

    void deliver(const engine::StatusMessage& message);

    QObject m_receiver;  // queued calls die with it
    std::unique_ptr<Reporter> m_reporter;
    std::unique_ptr<engine::MonitorThread> m_monitor;
};

}  // namespace brevik2::testing
