#pragma once

#include <string_view>
#include <system_error>

#include "engine/status_message.h"

namespace brevik2::engine {

// How the monitor thread tells the user interface what happens: a status text, and a status
// message per cycle. The window forwards both to its own thread by queued calls; the console
// monitor prints them.
//
// Thread safety: both calls come from the monitor thread (status texts also from the user
// interface thread through the same window); an implementation hands the values over and
// returns at once, never calling back into the engine.
class MonitorReporter {
public:
    virtual ~MonitorReporter() = default;
    virtual void statusText(std::string_view text) = 0;
    virtual void statusMessage(StatusMessage message) = 0;
    // The port failed to open: the device and the system's reason.
    virtual void portFailed(std::string_view /*device*/, std::error_code /*error*/) {}
    // The port opened.
    virtual void portOpened(std::string_view /*device*/) {}
};

}  // namespace brevik2::engine
