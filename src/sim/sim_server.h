#pragma once

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "link/stop_signal.h"
#include "sim/fault_kind.h"
#include "sim/fault_plan.h"
#include "sim/pty_endpoint.h"
#include "sim/reply_outbox.h"
#include "sim/request_parser.h"
#include "sim/sim_options.h"
#include "sim/simulated_unit.h"
#include "sim/unit_state.h"

namespace brevik2::sim {

// Plays one unit on a pseudo-terminal, on a thread of its own: cuts requests out of what the
// host writes to the slave side, answers them through a SimulatedUnit when the host's line
// settings agree with the unit's, and applies the configured fault and pacing to the replies.
//
// Thread safety: start(), stop(), setReplyScript() and the destructor belong to the owner's
// thread. The observers (slaveName, state, requestsSeen, isPresent) and setFault may be called
// from any thread while the server runs; they take m_mutex.
class SimServer {
public:
    // How long the slow unit waits before it starts a reply: longer than the host's one-second
    // read time-out, so every exchange with it fails.
    static constexpr std::chrono::milliseconds kSlowReplyDelay{1500};

    explicit SimServer(SimOptions options);
    ~SimServer();  // stops
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    // Checks the options, opens the pty, makes the link and starts the thread. On failure
    // *error (when given) says why and nothing is left running.
    bool start(std::string* error = nullptr);
    // Ends the thread, closes the pty and removes the link. Safe to call more than once.
    void stop();

    // The slave device the link points at now (a new one after the unit came back).
    std::string slaveName() const;
    const std::string& linkPath() const { return m_options.linkPath; }
    // False while a vanished unit is away.
    bool isPresent() const;
    // How often the host has closed the port and the server has seen it (and dropped what it
    // had not yet read): a test waits for this before it opens the port again.
    unsigned hostDepartures() const { return m_hostDepartures.load(std::memory_order_acquire); }

    // A copy of the unit's state, taken under the lock.
    UnitState state() const;
    // The requests the unit heard (at matching line settings), in order: the code, then a blank
    // and the parameter when there was one ("A15 0", "T*2", "D*2").
    std::vector<std::string> requestsSeen() const;

    // Switches the fault at run time; "" is healthy. every is the flaky unit's N (0 = 3).
    // False, and nothing changed, for an unknown name.
    bool setFault(const std::string& name, int every = 0);

    // Holds the unit as a stopped process would be: it reads nothing and sends nothing until
    // released, then answers everything that piled up meanwhile. Any thread, the reply script's
    // too.
    void setStalled(bool stalled);

    // What a test makes the unit send instead of its own reply: the bytes as given (whatever
    // the line settings), all at once or one every perByte, and then, when floodAfter, bytes
    // without end as fast as the host takes them.
    struct ScriptedReply {
        std::string bytes;
        std::chrono::milliseconds perByte{0};
        bool floodAfter = false;
    };
    // Asked about every request the unit heard, with how often its code came before; nothing
    // means the unit's own reply. It runs on the server's thread, after the unit has handled
    // the request, without the lock (so it may not call stop()). Set it before start().
    using ReplyScript = std::function<std::optional<ScriptedReply>(const Request&, int before)>;
    void setReplyScript(ReplyScript script) { m_script = std::move(script); }

private:
    using Steady = std::chrono::steady_clock;

    void run();
    void serviceHost(Steady::time_point now);
    void readFromHost();
    void handleRequest(const Request& request);
    void queueUnsolicited(Steady::time_point now);
    void writeOutbox(Steady::time_point now);
    int pollTimeoutMs(Steady::time_point now) const;
    void hostLeft();
    void checkHostBack();
    void vanish();
    void reappear();
    void waitForWake(int timeoutMs);
    void sendScripted(ScriptedReply reply);

    const SimOptions m_options;

    mutable std::mutex m_mutex;  //!< Protects everything down to m_present.
    SimulatedUnit m_unit;
    std::deque<std::string> m_requests;
    FaultPlan m_faults;
    std::string m_slaveName;
    bool m_present = false;

    // Used by the server's thread alone once it runs.
    PtyEndpoint m_pty;
    RequestParser m_parser;
    ReplyOutbox m_outbox;
    bool m_hostGone = false;
    bool m_outputBlocked = false;
    unsigned m_streamLines = 0;
    ReplyScript m_script;
    bool m_flooding = false;
    unsigned char m_floodByte = 0;
    std::optional<Steady::time_point> m_reappearAt;
    bool m_reopenFailed = false;

    std::thread m_thread;
    std::atomic<bool> m_stopRequested{false};
    std::atomic<unsigned> m_hostDepartures{0};
    std::atomic<bool> m_stalled{false};
    link::StopSignal m_wake;
};

}  // namespace brevik2::sim
