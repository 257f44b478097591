#pragma once

#include <optional>
#include <string_view>

namespace brevik2::sim {

// The ways a simulated unit can misbehave, by the names the command line and the tests use.
enum class FaultKind {
    None,       // "" or "healthy"
    Silent,     // hears every request, never answers
    Garbage,    // replies of the right length with out-of-range fields and control bytes
    Truncated,  // every reply cut to its first half
    Slow,       // every reply starts only after kSlowReplyDelay
    Flaky,      // drops every Nth reply
    Vanish,     // the port disappears after some polls and comes back later
    Stream,     // after the first request, sends bytes without end
};

// The name as given, or nothing for an unknown name.
std::optional<FaultKind> faultKindFromName(std::string_view name);

}  // namespace brevik2::sim
