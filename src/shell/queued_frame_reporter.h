#pragma once

#include "engine/monitor_reporter.h"

namespace brevik2::shell {

class CMainFrame;

// Carries the monitor thread's status texts and status messages over to the main frame's
// thread: each call moves its values into a queued call and returns at once.
//
// Thread safety: both calls from any thread. The frame must outlive the monitor thread (the
// exit step stops the thread before the frame goes); a call still queued when the frame is
// destroyed is dropped.
class QueuedFrameReporter final : public engine::MonitorReporter {
public:
    explicit QueuedFrameReporter(CMainFrame& frame) : m_frame(frame) {}

    void statusText(std::string_view text) override;
    void statusMessage(engine::StatusMessage message) override;

private:
    CMainFrame& m_frame;
};

}  // namespace brevik2::shell
