#pragma once

#include <string_view>
#include <system_error>

namespace brevik2::link {

// Receiver of the short fixed progress texts ("Com port Open OK", "Unit Not Responding", ...)
// that the link and the engine report. The window shows them in its status bar, the console
// monitor prints them.
//
// Thread safety: called from the monitor thread and from the user-interface thread; an
// implementation must accept calls from both.
class StatusOutput {
public:
    virtual ~StatusOutput() = default;
    virtual void statusText(std::string_view text) = 0;
    // The port could not be opened, and why; besides the status text, for a receiver that
    // wants to tell the operator the reason.
    virtual void portFailed(std::string_view /*device*/, std::error_code /*error*/) {}
    // The port opened: whatever made it fail before has gone.
    virtual void portOpened(std::string_view /*device*/) {}
};

// Swallows every text; for code that runs without anyone listening.
class NullStatusOutput final : public StatusOutput {
public:
    void statusText(std::string_view) override {}
};

}  // namespace brevik2::link
