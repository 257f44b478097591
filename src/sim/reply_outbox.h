#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <string>

namespace brevik2::sim {

// Bytes waiting to go out to the host, each piece not before its time and, when paced, no
// faster than one character per character time. The caller polls: nextDue() says when to come
// back, writeDue() hands over what may go now.
//
// Thread safety: none; the server's thread alone uses it.
class ReplyOutbox {
public:
    using Clock = std::chrono::steady_clock;
    // Writes up to count bytes; returns how many it took (0 when the receiver is full) or a
    // negative value on an error.
    using Sink = std::function<long(const char* data, std::size_t count)>;

    void push(std::string bytes, Clock::time_point notBefore,
              std::chrono::nanoseconds perCharacter = std::chrono::nanoseconds::zero());
    void clear();
    bool empty() const { return m_pieces.empty(); }
    std::size_t pendingBytes() const;

    // When the next byte may be written; nothing when the outbox is empty.
    std::optional<Clock::time_point> nextDue() const;

    enum class WriteResult {
        Done,     // everything due went out
        Blocked,  // the receiver took less than offered: wait until it can take more
        Failed,   // the sink reported an error
    };
    WriteResult writeDue(Clock::time_point now, const Sink& sink);

private:
    struct Piece {
        std::string bytes;
        std::size_t sent = 0;
        Clock::time_point notBefore;
        std::chrono::nanoseconds perCharacter{};
        std::optional<Clock::time_point> started;
    };

    std::deque<Piece> m_pieces;
};

}  // namespace brevik2::sim
