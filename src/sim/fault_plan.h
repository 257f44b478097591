#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "sim/fault_kind.h"

namespace brevik2::sim {

// The fault a unit plays and the counters it keeps while playing it: which reply the flaky
// unit drops, how many polls the vanishing unit serves, whether the babbling unit has begun,
// how the garbage varies. The server asks it about each request in turn.
//
// Thread safety: none; the server uses it under its lock.
class FaultPlan {
public:
    FaultPlan(FaultKind kind, int every, int vanishAfter);

    // Switches the fault and starts its counters afresh. every is the flaky unit's N (0 = 3).
    void set(FaultKind kind, int every);
    FaultKind kind() const { return m_kind; }

    // Called for every request heard, before it is answered: true when the unit vanishes
    // instead (the vanishing unit, at the poll after its last one).
    bool vanishesAt(std::string_view code);
    // The unit has gone: the next appearance serves its polls afresh.
    void vanished() { m_pollsServed = 0; }

    // What the fault makes of a reply: nothing when it never reaches the host, else the bytes,
    // and with delayed set for the slow unit. Called once for every request heard.
    std::optional<std::string> apply(std::string_view code, std::optional<std::string> reply,
                                     bool& delayed);

    // Whether unsolicited output (test-mode lines) goes out, and whether the babble runs.
    bool silencesOutput() const { return m_kind == FaultKind::Silent || streaming(); }
    bool streaming() const { return m_kind == FaultKind::Stream && m_streaming; }

private:
    FaultKind m_kind;
    int m_every;
    const int m_vanishAfter;
    unsigned m_repliesCounted = 0;
    unsigned m_garbleVariant = 0;
    int m_pollsServed = 0;
    bool m_streaming = false;
};

}  // namespace brevik2::sim
