#pragma once

#include <string>
#include <system_error>

namespace brevik2::engine {

// The port would not open: the device tried and the system's reason.
struct PortFailure {
    std::string device;
    std::error_code error;

    bool operator==(const PortFailure&) const = default;
};

// One line for the operator: the device, the system's words and what usually helps, e.g.
// "cannot open /dev/ttyS0: Permission denied; add the user to the dialout group ...".
std::string describePortFailure(const PortFailure& failure);

}  // namespace brevik2::engine
