// The serial port on POSIX systems: termios for the line, poll() for the read time-outs.

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "link/platform_port.h"
#include "link/read_deadline.h"
#include "link/stop_signal.h"
#include "link/termios_line.h"
#include "link/trace.h"

namespace brevik2::link {
namespace {

// Kept: a rate the table does not hold opens at 9600, as a stored settings file with an odd
// rate always has.
speed_t speedCode(int baud) {
    return termiosSpeed(baud).value_or(B9600);
}

std::error_code lastError() {
    return {errno, std::system_category()};
}

class PosixPort final : public PlatformPort {
public:
    ~PosixPort() override { restoreAndClose(); }

    std::error_code open(const std::string& device) override {
        m_fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (m_fd < 0) {
            return lastError();
        }
        // Blocking from here on: every wait goes through poll() with its deadline anyway.
        fcntl(m_fd, F_SETFL, fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
        if (ioctl(m_fd, TIOCEXCL) != 0) {
            traceNote(std::string("TIOCEXCL: ") + std::strerror(errno));
        }
        return {};
    }

    std::error_code configure(int baudRate, std::optional<Parity> parity, StopBits stopBits,
                              int dataBits) override {
        if (m_fd < 0) {
            return std::make_error_code(std::errc::bad_file_descriptor);
        }
        termios current{};
        if (tcgetattr(m_fd, &current) != 0) {
            return lastError();
        }
        if (!m_savedValid) {
            m_saved = current;
            m_savedValid = true;
        }
        termios t = current;
        const tcflag_t keptParity = current.c_cflag & kTermiosParityMask;
        // A raw line: without it echo, canonical input and CR-to-LF translation stay on and no
        // reply would ever parse.
        cfmakeraw(&t);
        t.c_iflag |= INPCK;
        t.c_iflag &= ~(IXON | IXOFF | IXANY);
        t.c_cflag |= CLOCAL | CREAD;
#ifdef CRTSCTS
        t.c_cflag &= ~CRTSCTS;
#endif
        setTermiosFrame(t, dataBits, parity.value_or(Parity::None), stopBits);
        if (!parity) {
            t.c_cflag = (t.c_cflag & ~kTermiosParityMask) | keptParity;
        }
        t.c_cc[VMIN] = 0;
        t.c_cc[VTIME] = 0;
        cfsetispeed(&t, speedCode(baudRate));
        cfsetospeed(&t, speedCode(baudRate));
        if (tcsetattr(m_fd, TCSANOW, &t) != 0) {
            return lastError();
        }
        // A pseudo-terminal forces 8 data bits and no parity-enable whatever was asked, and
        // keeps the rest: only a speed that did not take is a refusal.
        termios applied{};
        if (tcgetattr(m_fd, &applied) != 0) {
            return lastError();
        }
        if (cfgetospeed(&applied) != speedCode(baudRate)) {
            return std::make_error_code(std::errc::invalid_argument);
        }
        int lines = TIOCM_DTR | TIOCM_RTS;
        if (ioctl(m_fd, TIOCMBIS, &lines) != 0) {
            // A pseudo-terminal has no modem lines ("Inappropriate ioctl for device").
            traceNote(std::string("DTR/RTS: ") + std::strerror(errno));
        }
        m_configured = true;
        return {};
    }

    void restoreAndClose() override {
        if (m_fd < 0) {
            return;
        }
        // Settings are put back only when this object changed them; restoring a record it never
        // read would hang the line up.
        if (m_savedValid && m_configured) {
            tcsetattr(m_fd, TCSANOW, &m_saved);
        }
        // Exclusive use ends with this handle; a device kept open elsewhere would refuse the
        // next open of a reset otherwise.
        ioctl(m_fd, TIOCNXCL);
        ::close(m_fd);
        m_fd = -1;
        m_savedValid = false;
        m_configured = false;
    }

    PortReadResult read(char* buffer, std::size_t count, const SerialTimeouts& timeouts,
                        const StopSignal* stop) override {
        if (m_fd < 0) {
            return {0, std::make_error_code(std::errc::bad_file_descriptor)};
        }
        if (count == 0) {
            return {};
        }
        ReadDeadline deadline(timeouts, count);
        std::size_t got = 0;
        while (got < count) {
            pollfd fds[2] = {{m_fd, POLLIN, 0}, {stop ? stop->fd() : -1, POLLIN, 0}};
            const int ready = poll(fds, 2, millisecondsUntil(deadline.next()));
            if (ready < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return {got, lastError()};
            }
            if ((fds[1].revents & POLLIN) != 0) {
                return {got, std::make_error_code(std::errc::operation_canceled)};
            }
            if (ready == 0) {
                break;  // timed out
            }
            if ((fds[0].revents & (POLLIN | POLLHUP | POLLERR)) == 0) {
                continue;
            }
            const ssize_t n = ::read(m_fd, buffer + got, count - got);
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
                continue;
            }
            if (n < 0) {
                // The device went away (a pty whose other side closed answers EIO).
                return {got, lastError()};
            }
            if (n == 0) {
                return {got, std::make_error_code(std::errc::no_such_device)};
            }
            got += static_cast<std::size_t>(n);
            deadline.bytesArrived();
        }
        return {got, {}};
    }

    std::error_code write(const char* data, std::size_t count, const StopSignal* stop) override {
        if (m_fd < 0) {
            return std::make_error_code(std::errc::bad_file_descriptor);
        }
        std::size_t done = 0;
        while (done < count) {
            pollfd fds[2] = {{m_fd, POLLOUT, 0}, {stop ? stop->fd() : -1, POLLIN, 0}};
            if (poll(fds, 2, -1) < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return lastError();
            }
            if ((fds[1].revents & POLLIN) != 0) {
                return std::make_error_code(std::errc::operation_canceled);
            }
            if ((fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0 &&
                (fds[0].revents & POLLOUT) == 0) {
                return std::make_error_code(std::errc::io_error);
            }
            const ssize_t n = ::write(m_fd, data + done, count - done);
            if (n < 0) {
                if (errno == EINTR || errno == EAGAIN) {
                    continue;
                }
                return lastError();
            }
            done += static_cast<std::size_t>(n);
        }
        return {};
    }

private:
    int m_fd = -1;
    termios m_saved{};
    bool m_savedValid = false;
    bool m_configured = false;
};

}  // namespace

std::unique_ptr<PlatformPort> makeDevicePort() {
    return std::make_unique<PosixPort>();
}

}  // namespace brevik2::link
