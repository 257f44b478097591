#include "pty_host.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "link/request_framing.h"

namespace brevik2::sim::test {
namespace {

speed_t speedOf(int baud) {
    switch (baud) {
        case 2400:
            return B2400;
        case 4800:
            return B4800;
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        default:
            return B9600;
    }
}

}  // namespace

PtyHost::PtyHost(const std::string& path, Line line) {
    m_fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd >= 0 && !configure(line)) {
        close();
    }
}

PtyHost::~PtyHost() {
    close();
}

void PtyHost::close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

bool PtyHost::configure(const Line& line) {
    termios t{};
    if (::tcgetattr(m_fd, &t) != 0) {
        return false;
    }
    ::cfmakeraw(&t);
    ::cfsetospeed(&t, speedOf(line.baud));
    ::cfsetispeed(&t, speedOf(line.baud));
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB);
    t.c_cflag |= (line.dataBits == 7 ? CS7 : CS8) | CREAD | CLOCAL;
    switch (line.parity) {
        case 'o':
            t.c_cflag |= PARENB | PARODD;
            break;
        case 'e':
            t.c_cflag |= PARENB;
            break;
        case 'm':
            t.c_cflag |= PARENB | PARODD | CMSPAR;
            break;
        case 's':
            t.c_cflag |= PARENB | CMSPAR;
            break;
        default:
            break;
    }
    if (line.stopBits == 2) {
        t.c_cflag |= CSTOPB;
    }
    return ::tcsetattr(m_fd, TCSANOW, &t) == 0;
}

bool PtyHost::send(std::string_view code, std::string_view parameter) {
    return sendRaw(link::frameRequest(code, parameter));
}

bool PtyHost::sendRaw(std::string_view bytes) {
    while (m_fd >= 0 && !bytes.empty()) {
        const ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            return false;
        }
        pollfd fd{m_fd, POLLOUT, 0};
        if (::poll(&fd, 1, 1000) <= 0) {
            return false;
        }
    }
    return m_fd >= 0;
}

bool PtyHost::readSome(std::string& into, std::chrono::milliseconds timeout) {
    if (m_fd < 0) {
        return false;
    }
    pollfd fd{m_fd, POLLIN, 0};
    if (::poll(&fd, 1, static_cast<int>(timeout.count())) <= 0) {
        return false;
    }
    char buffer[4096];
    const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
    if (n > 0) {
        into.append(buffer, static_cast<std::size_t>(n));
        return true;
    }
    if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
        m_hungUp = true;
    } else if ((fd.revents & POLLHUP) != 0) {
        m_hungUp = true;
    }
    return false;
}

std::string PtyHost::readUntil(char terminator, std::chrono::milliseconds timeout,
                               std::size_t limit) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + timeout;
    std::string received;
    while (received.size() < limit && !m_hungUp) {
        const auto pos = received.find(terminator);
        if (pos != std::string::npos) {
            return received;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            break;
        }
        readSome(received, left);
    }
    return received;
}

std::string PtyHost::readFor(std::chrono::milliseconds duration) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + duration;
    std::string received;
    while (!m_hungUp) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            break;
        }
        readSome(received, left);
    }
    return received;
}

}  // namespace brevik2::sim::test
