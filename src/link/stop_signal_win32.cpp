// On Windows the reads end by their driver time-outs; the signal is a manual-reset event that
// the monitor thread also tests between exchanges.

#include <windows.h>

#include "link/stop_signal.h"

namespace brevik2::link {

namespace {
HANDLE eventOf(int fd) {
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(fd));
}
}  // namespace

StopSignal::StopSignal() {
    m_readFd =
        static_cast<int>(reinterpret_cast<intptr_t>(CreateEventA(nullptr, TRUE, FALSE, nullptr)));
}
StopSignal::~StopSignal() {
    CloseHandle(eventOf(m_readFd));
}
void StopSignal::raise() {
    SetEvent(eventOf(m_readFd));
}
void StopSignal::clear() {
    ResetEvent(eventOf(m_readFd));
}
bool StopSignal::isRaised() const {
    return WaitForSingleObject(eventOf(m_readFd), 0) == WAIT_OBJECT_0;
}

}  // namespace brevik2::link
