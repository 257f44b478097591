#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace brevik2::sim {

// One request as the unit understood it.
struct Request {
    std::string code;       // one to three characters, blanks of the right alignment removed
    std::string parameter;  // empty when the request had none

    bool operator==(const Request&) const = default;
};

// Cuts requests out of the byte stream the host sends: STX, the code right-aligned in three
// characters, " 00000 ", an optional parameter, ETX. A request may arrive in pieces. Anything
// else is junk: bytes outside a frame are ignored, an STX inside a frame starts over (the host
// gave up on the earlier one), and a frame that is malformed or longer than any request can be
// is dropped whole.
class RequestParser {
public:
    // Longest frame content kept: the code, the seven-byte head and a full-length parameter.
    static constexpr std::size_t kMaxFrameChars = 3 + 7 + 1023;

    // Feeds received bytes; returns the requests they completed, in order.
    std::vector<Request> feed(std::string_view bytes);
    void reset();
    // Frames dropped as malformed or too long since construction.
    std::size_t rejectedFrames() const { return m_rejected; }

private:
    bool parseFrame(std::string_view frame, Request& out) const;

    std::string m_frame;
    bool m_inFrame = false;
    bool m_overflow = false;
    std::size_t m_rejected = 0;
};

}  // namespace brevik2::sim
