#pragma once

#include <optional>
#include <string>
#include <system_error>

namespace brevik2::engine {

// The port would not open: the device tried and the system's reason.
struct PortFailure {
    std::string device;
    std::error_code error;

    bool operator==(const PortFailure&) const = default;
};

// Who may use a device node, for the hint on a refused permission.
struct DeviceAccess {
    std::string owner;  // the user's name, or the number when it has none
    std::string group;
    unsigned mode = 0;         // the permission bits
    bool userInGroup = false;  // the running user is a member of the device's group
};

// The owner, group and mode of the device, and whether this process's user is in its group;
// nothing when it cannot be looked at.
std::optional<DeviceAccess> lookUpDeviceAccess(const std::string& device);

// One line for the operator: the device, the system's words and what usually helps, e.g.
// "cannot open /dev/ttyS0: Permission denied; ... add the user to the dialout group ...". A
// refused permission names the device's owner, group and mode (looked up here).
std::string describePortFailure(const PortFailure& failure);
// The same with the device's access as given.
std::string describePortFailure(const PortFailure& failure,
                                const std::optional<DeviceAccess>& access);

}  // namespace brevik2::engine
