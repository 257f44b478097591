#include "engine/port_failure.h"

namespace brevik2::engine {
namespace {

const char* hintFor(const std::error_code& error) {
    if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted) {
#ifdef _WIN32
        return "another program may have the port open";
#else
        return "the user must be in the dialout group to use serial ports: "
               "sudo usermod -aG dialout $USER, then log in again";
#endif
    }
    if (error == std::errc::no_such_file_or_directory || error == std::errc::no_such_device) {
        return "check that the unit's adapter is plugged in and that ComPort names it";
    }
    if (error == std::errc::device_or_resource_busy) {
        return "another program has the port open";
    }
    return nullptr;
}

}  // namespace

std::string describePortFailure(const PortFailure& failure) {
    std::string text = "cannot open " + failure.device + ": " + failure.error.message();
    if (const char* hint = hintFor(failure.error)) {
        text += "; ";
        text += hint;
    }
    return text;
}

}  // namespace brevik2::engine
