#pragma once

namespace brevik2::link {

// A level-triggered wake-up for blocking serial waits: once raised, every wait on the port
// ends at once until it is cleared. On POSIX it is a descriptor that poll() watches beside the
// port; on Windows a manual-reset event that the overlapped waits watch beside the I/O.
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
#ifdef _WIN32
    // The event to wait on (a HANDLE; <windows.h> stays out of this header); null when the
    // system could not make one.
    void* event() const {
        return m_event;
    }

private:
    void* m_event = nullptr;
#else
    // The descriptor to watch for readability; -1 where there is none.
    int fd() const {
        return m_readFd;
    }

private:
    int m_readFd = -1;
    int m_writeFd = -1;
#endif
};

}  // namespace brevik2::link
