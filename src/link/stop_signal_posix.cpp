#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "link/stop_signal.h"

namespace brevik2::link {

// A pipe rather than an eventfd keeps this file good for every POSIX system.
StopSignal::StopSignal() {
    int fds[2];
    if (pipe(fds) == 0) {
        m_readFd = fds[0];
        m_writeFd = fds[1];
        for (int fd : fds) {
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
            fcntl(fd, F_SETFD, FD_CLOEXEC);
        }
    }
}

StopSignal::~StopSignal() {
    if (m_readFd >= 0) {
        close(m_readFd);
    }
    if (m_writeFd >= 0) {
        close(m_writeFd);
    }
}

void StopSignal::raise() {
    if (m_writeFd >= 0 && !isRaised()) {
        const char byte = 1;
        [[maybe_unused]] const auto written = write(m_writeFd, &byte, 1);
    }
}

void StopSignal::clear() {
    char buffer[64];
    while (m_readFd >= 0 && read(m_readFd, buffer, sizeof buffer) > 0) {
    }
}

bool StopSignal::isRaised() const {
    if (m_readFd < 0) {
        return false;
    }
    pollfd entry{m_readFd, POLLIN, 0};
    return poll(&entry, 1, 0) > 0 && (entry.revents & POLLIN) != 0;
}

}  // namespace brevik2::link
