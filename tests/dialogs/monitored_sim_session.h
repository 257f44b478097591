#pragma once

#include <QObject>
#include <functional>
#include <string>
#include <vector>

#include "dialogs/dialog_context.h"
#include "engine/status_records.h"
#include "support/scripted_user_prompts.h"
#include "support/sim_station.h"

namespace brevik2::testing {

// A simulated unit and a running station whose deliveries are queued calls into the test's
// (user-interface) thread, with what the dialogs get from the main frame: a context and the
// records of the latest poll.
//
// Thread safety: the test's thread only; the station delivers onto it.
class MonitoredSimSession {
public:
    MonitoredSimSession();

    // Starts the unit and the station and waits for the first poll (one poll only: the sampling
    // interval is an hour), so the records hold the unit's state. False on failure.
    bool start(sim::SimOptions options = {});

    // Processes events until the condition holds or the time is up.
    static bool waitFor(const std::function<bool()>& condition, int timeoutMs = 10000);
    // Waits until the slot is free again (the thread has run the request).
    bool waitUntilSlotFree(int timeoutMs = 10000);
    int timesSeen(const std::string& request) const { return m_unit.timesSeen(request); }
    bool waitForRequest(const std::string& request, int timeoutMs = 10000);

private:
    QObject m_receiver;  // queued calls die with it
    SimStation m_unit;

public:
    engine::Station& station;
    engine::MonitorSharedState& shared;
    std::unique_ptr<sim::SimServer>& server;
    engine::UnitRecords records;
    ScriptedUserPrompts prompts;
    dialogs::DialogContext context;
    std::vector<engine::StatusMessage> received;  // every message but code 0

private:
    engine::Station::Subscription m_messages;
};

}  // namespace brevik2::testing
