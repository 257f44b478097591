#pragma once

#include <cstdint>
#include <string>

namespace brevik2::engine {

// What became of one request the monitor thread took from the slot: completed with the reply
// as read, or failed with the status text that said why ("Cmd Send failure", "Cmd Receive
// Fail").
struct RequestOutcome {
    std::uint64_t ticket = 0;  // the slot's ticket of the request
    bool completed = false;
    std::string reply;
    std::string failure;
};

}  // namespace brevik2::engine
