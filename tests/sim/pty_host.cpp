#include "pty_host.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

#include "link/request_framing.h"
#include "link/termios_line.h"

namespace brevik2::sim::test {

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
    // Unlike the port, no fallback to 9600: a test asking for a rate the table lacks is wrong.
    const std::optional<speed_t> speed = link::termiosSpeed(line.baudRate);
    if (!speed) {
        return false;
    }
    ::cfmakeraw(&t);
    ::cfsetospeed(&t, *speed);
    ::cfsetispeed(&t, *speed);
    link::setTermiosFrame(t, line.dataBits, line.parity, line.stopBits);
    t.c_cflag |= CREAD | CLOCAL;
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
