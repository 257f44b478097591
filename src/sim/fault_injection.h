#pragma once

#include <string>
#include <string_view>

namespace brevik2::sim {

// What the faulty units do to a healthy reply. Pure, so tests can look at the damage directly.

// The reply at its full length but with out-of-range fields and with commas, control bytes and
// NUL in its text fields. The start byte and the terminator stay where they were, as do the
// STX CR LF "ID" that open the status replies, so a host still frames the reply and still
// takes the unit for present: it is the contents that must be rejected. variant varies the
// damage from one reply to the next.
std::string garbleReply(std::string_view code, std::string reply, unsigned variant);

// The first half of the reply.
std::string truncateReply(std::string reply);

// One piece of the endless output of a unit that babbles: a text line without STX or ETX, so
// no reply read that waits for ETX ever ends on it.
std::string streamLine(unsigned number);

}  // namespace brevik2::sim
