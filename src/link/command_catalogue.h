#pragma once

#include <array>
#include <string_view>

#include "pending_request_slot.h"

namespace brevik2::link {

// One instrument command the operator may send by hand, and the request operation that
// queues it: its code, whether it takes a parameter and how many reply bytes to read.
struct CommandRow {
    std::string_view code;
    std::string_view displayName;
    std::string_view description;
    int parameterLength;  // 0: no parameter; any other value: one parameter text
    std::string_view parameterMask;
    std::string_view defaultParameter;
    int replyLimit;

    bool takesParameter() const { return parameterLength != 0; }
};

inline constexpr std::size_t kCommandCount = 61;

// The catalogue in its fixed order; the list position of a name is its row number.
const std::array<CommandRow, kCommandCount>& commandCatalogue();

// The row of a request code, or nullptr.
const CommandRow* findCommand(std::string_view code);

// The request operation of a catalogue code: fills the slot with the code, the parameter (kept
// empty for a command without one) and the row's reply limit. A code outside the catalogue is
// refused as BadCode.
PendingRequestSlot::FillResult queueRequest(PendingRequestSlot& slot, std::string_view code,
                                            std::string_view parameter = {},
                                            int completionCode = 0);

}  // namespace brevik2::link
