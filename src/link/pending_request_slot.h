#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

namespace brevik2::link {

// The single mailbox through which the user interface hands one instrument request at a time
// to the monitor thread.
//
// Thread safety: fill() and isPending() are for the user-interface side; take() and release()
// for the monitor thread only. The pending flag hands the other fields over: fill() writes them
// only while it is 0 and sets it last (release); the monitor thread reads them only after
// seeing it at 1 (acquire) and clears it last (release). There is no lock and no queue.
class PendingRequestSlot {
public:
    static constexpr std::size_t kMaxParameterChars = 1023;

    enum class FillResult {
        Accepted,
        Busy,              // another request is pending: this one is dropped
        ParameterTooLong,  // more than 1023 characters: refused, never cut
        BadCode,           // not one to three characters
    };

    struct Request {
        std::string code;
        std::string parameter;
        int replyLimit = 0;
        int completionCode = 0;
        // Tells the sender's outcome apart from any other; 0 for a sender that does not wait.
        std::uint64_t ticket = 0;
    };

    // The completion code is written only when the slot accepts the request, so a dropped
    // request never changes the code of the one already waiting.
    FillResult fill(std::string_view code, std::string_view parameter, int replyLimit,
                    int completionCode, std::uint64_t ticket = 0);

    bool isPending() const { return m_pending.load(std::memory_order_acquire) != 0; }

    // Monitor thread: the waiting request (valid only while isPending()).
    const Request& take() const { return m_request; }
    // Monitor thread: frees the slot after one execution attempt.
    void release();

private:
    Request m_request;
    std::atomic<std::uint8_t> m_pending{0};
};

}  // namespace brevik2::link
