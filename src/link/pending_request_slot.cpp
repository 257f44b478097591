#include "link/pending_request_slot.h"

namespace brevik2::link {

PendingRequestSlot::FillResult PendingRequestSlot::fill(std::string_view code,
                                                        std::string_view parameter, int replyLimit,
                                                        int completionCode, std::uint64_t ticket) {
    if (code.empty() || code.size() > 3) {
        return FillResult::BadCode;
    }
    if (parameter.size() > kMaxParameterChars) {
        return FillResult::ParameterTooLong;
    }
    if (isPending()) {
        return FillResult::Busy;
    }
    m_request.code.assign(code);
    m_request.parameter.assign(parameter);
    m_request.replyLimit = replyLimit;
    m_request.completionCode = completionCode;
    m_request.ticket = ticket;
    m_pending.store(1, std::memory_order_release);
    return FillResult::Accepted;
}

void PendingRequestSlot::release() {
    m_request.completionCode = 0;
    m_request.ticket = 0;
    m_pending.store(0, std::memory_order_release);
}

}  // namespace brevik2::link
