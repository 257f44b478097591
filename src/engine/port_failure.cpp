#include "engine/port_failure.h"

#include <cstdio>

#include "link/platform_port.h"

#ifndef _WIN32
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>
#endif

namespace brevik2::engine {
namespace {

bool isPermissionError(const std::error_code& error) {
    return error == std::errc::permission_denied || error == std::errc::operation_not_permitted;
}

std::string permissionHint(const std::optional<DeviceAccess>& access) {
#ifdef _WIN32
    (void)access;
    return "another program may have the port open";
#else
    if (!access) {
        return "the user needs read and write access to the device (serial ports usually "
               "belong to the dialout group)";
    }
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", access->mode & 07777u);
    std::string text = "the device is " + access->owner + ":" + access->group + " " + mode;
    if (access->group == "dialout" && !access->userInGroup) {
        text +=
            "; the user must be in the dialout group to use serial ports: "
            "sudo usermod -aG dialout $USER, then log in again";
    } else {
        text += "; the user needs read and write access to it";
    }
    return text;
#endif
}

const char* hintFor(const std::error_code& error) {
    if (error == std::errc::no_such_file_or_directory || error == std::errc::no_such_device) {
        return "check that the unit's adapter is plugged in and that ComPort names it";
    }
    if (error == std::errc::device_or_resource_busy) {
        return "another program has the port open";
    }
    return nullptr;
}

}  // namespace

std::optional<DeviceAccess> lookUpDeviceAccess(const std::string& device) {
#ifdef _WIN32
    (void)device;
    return std::nullopt;
#else
    struct stat st {};
    if (::stat(device.c_str(), &st) != 0) {
        return std::nullopt;
    }
    DeviceAccess access;
    access.mode = static_cast<unsigned>(st.st_mode) & 07777u;
    const passwd* user = ::getpwuid(st.st_uid);
    access.owner = user != nullptr ? user->pw_name : std::to_string(st.st_uid);
    const group* grp = ::getgrgid(st.st_gid);
    access.group = grp != nullptr ? grp->gr_name : std::to_string(st.st_gid);
    access.userInGroup = ::getegid() == st.st_gid;
    const int count = ::getgroups(0, nullptr);
    if (count > 0) {
        std::vector<gid_t> groups(static_cast<std::size_t>(count));
        const int got = ::getgroups(count, groups.data());
        for (int i = 0; i < got; ++i) {
            access.userInGroup =
                access.userInGroup || groups[static_cast<std::size_t>(i)] == st.st_gid;
        }
    }
    return access;
#endif
}

std::string describePortFailure(const PortFailure& failure) {
    return describePortFailure(failure, isPermissionError(failure.error)
                                            ? lookUpDeviceAccess(failure.device)
                                            : std::nullopt);
}

std::string describePortFailure(const PortFailure& failure,
                                const std::optional<DeviceAccess>& access) {
    std::string text = "cannot open " + failure.device + ": ";
    if (failure.error == link::notSerialDevice()) {
        return text + failure.device +
               " is not a serial device; ComPort must name a serial port or tcp://HOST:PORT";
    }
    text += failure.error.message();
    if (isPermissionError(failure.error)) {
        return text + "; " + permissionHint(access);
    }
    if (const char* hint = hintFor(failure.error)) {
        text += "; ";
        text += hint;
    }
    return text;
}

}  // namespace brevik2::engine
