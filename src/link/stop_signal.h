#pragma once

namespace brevik2::link {

// A level-triggered wake-up for blocking serial waits: once raised, every wait on the port
// ends at once until it is cleared. On POSIX it is a descriptor that poll() watches beside the
// port.
//
// Thread safety: raise() may be called from any thread; clear() only by the thread that waits.
class StopSignal {
public:
    StopSignal();
    ~StopSignal();
    StopSignal(const StopSignal&) = delete;
    StopSignal& operator=(const StopSignal&) = delete;

    void raise();
    void clear();
    bool isRaised() const;
    // The descriptor to watch for readability (POSIX); -1 where there is none.
    int fd() const { return m_readFd; }

private:
    int m_readFd = -1;
    int m_writeFd = -1;
};

}  // namespace brevik2::link
