// On Windows the signal is a manual-reset event: it stays set until cleared, so a wait that
// starts after the raise ends at once too.

#include <windows.h>

#include "link/stop_signal.h"

namespace brevik2::link {

StopSignal::StopSignal() : m_event(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

StopSignal::~StopSignal() {
    if (m_event != nullptr) {
        CloseHandle(m_event);
    }
}

void StopSignal::raise() {
    if (m_event != nullptr) {
        SetEvent(m_event);
    }
}

void StopSignal::clear() {
    if (m_event != nullptr) {
        ResetEvent(m_event);
    }
}

bool StopSignal::isRaised() const {
    return m_event != nullptr && WaitForSingleObject(m_event, 0) == WAIT_OBJECT_0;
}

}  // namespace brevik2::link
