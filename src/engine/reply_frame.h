#pragma once

#include <string_view>

namespace brevik2::engine {

// The replies a status exchange reads, by the frame each must have.
enum class ReplyFrame {
    Variables,  // "D*1", 250 bytes
    Constants,  // "D*2", 145 bytes
    Nvram,      // "D*5", up to 152 bytes; a short one still counts
    Text,       // "A08", "C03": read until ETX
    Counters,   // "A24": read until ETX, four numbers
    EventLog,   // "D*3": its first line
};

// Whether the bytes read for a request can be its reply at all. Every reply of the unit has one
// STX, at its start, and one ETX, at its end; the status replies begin STX CR LF "ID" and only
// they do; the memory reply is the only one of some thirty comma-separated values. What fails
// cannot belong to the request: the late reply to an earlier one, the end of one and the start
// of the next, or a request's reply cut by a reset. The conversions' own rules still decide
// what a reply that fits is worth.
bool fitsReplyFrame(ReplyFrame frame, std::string_view reply);

}  // namespace brevik2::engine
