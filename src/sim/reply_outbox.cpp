#include "sim/reply_outbox.h"

#include <algorithm>

namespace brevik2::sim {

void ReplyOutbox::push(std::string bytes, Clock::time_point notBefore,
                       std::chrono::nanoseconds perCharacter) {
    if (bytes.empty()) {
        return;
    }
    Piece piece;
    piece.bytes = std::move(bytes);
    piece.notBefore = notBefore;
    piece.perCharacter = perCharacter;
    m_pieces.push_back(std::move(piece));
}

void ReplyOutbox::clear() {
    m_pieces.clear();
}

std::size_t ReplyOutbox::pendingBytes() const {
    std::size_t total = 0;
    for (const Piece& p : m_pieces) {
        total += p.bytes.size() - p.sent;
    }
    return total;
}

std::optional<ReplyOutbox::Clock::time_point> ReplyOutbox::nextDue() const {
    if (m_pieces.empty()) {
        return std::nullopt;
    }
    const Piece& front = m_pieces.front();
    if (!front.started) {
        return front.notBefore;
    }
    return *front.started + front.perCharacter * static_cast<long long>(front.sent);
}

ReplyOutbox::WriteResult ReplyOutbox::writeDue(Clock::time_point now, const Sink& sink) {
    while (!m_pieces.empty()) {
        Piece& piece = m_pieces.front();
        if (now < piece.notBefore) {
            return WriteResult::Done;
        }
        if (!piece.started) {
            piece.started = now;
        }
        std::size_t allowed = piece.bytes.size();
        if (piece.perCharacter.count() > 0) {
            // Character n may start at started + n character times.
            const auto elapsed = now - *piece.started;
            const auto characters = static_cast<std::size_t>(elapsed / piece.perCharacter) + 1;
            allowed = std::min(allowed, characters);
        }
        if (allowed <= piece.sent) {
            return WriteResult::Done;
        }
        const std::size_t count = allowed - piece.sent;
        const long written = sink(piece.bytes.data() + piece.sent, count);
        if (written < 0) {
            return WriteResult::Failed;
        }
        piece.sent += static_cast<std::size_t>(written);
        if (static_cast<std::size_t>(written) < count) {
            return WriteResult::Blocked;
        }
        if (piece.sent < piece.bytes.size()) {
            return WriteResult::Done;  // paced: the rest later
        }
        m_pieces.pop_front();
    }
    return WriteResult::Done;
}

}  // namespace brevik2::sim
