// The serial port on POSIX systems: termios for the line, poll() for the read time-outs.

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/sysmacros.h>
#endif

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

// A pseudo-terminal keeps TIOCEXCL after its holder was killed (the master side outlives it), so
// the flag would lock every successor out; a real serial line clears it on its last close.
bool isPseudoTerminal(const struct stat& st) {
#ifdef __linux__
    const unsigned m = major(st.st_rdev);
    return m >= 136 && m <= 143;
#else
    (void)st;
    return true;
#endif
}

class PosixPort final : public PlatformPort {
public:
    ~PosixPort() override { restoreAndClose(); }

    std::error_code open(const std::string& device) override {
        // Non-blocking so that a FIFO or a modem line without carrier cannot hold the open.
        m_fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (m_fd < 0) {
            return errno == EISDIR ? notSerialDevice() : lastError();
        }
        // Only a terminal device is a port: anything else (a file, /dev/null, a FIFO) would
        // take the requests as writes over what it holds.
        struct stat st {};
        termios probe{};
        if (fstat(m_fd, &st) != 0 || !S_ISCHR(st.st_mode) || tcgetattr(m_fd, &probe) != 0) {
            closeFd();
            return notSerialDevice();
        }
        // The claim on the port: a lock ends with the process however it ends.
        if (flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            const std::error_code error =
                errno == EWOULDBLOCK ? std::make_error_code(std::errc::device_or_resource_busy)
                                     : lastError();
            closeFd();
            return error;
        }
        // Blocking from here on: every wait goes through poll() with its deadline anyway.
        fcntl(m_fd, F_SETFL, fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
        m_exclusive = !isPseudoTerminal(st) && ioctl(m_fd, TIOCEXCL) == 0;
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
        if (m_exclusive) {
            ioctl(m_fd, TIOCNXCL);
        }
        closeFd();
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

    std::size_t discard(bool output) override {
        if (m_fd < 0) {
            return 0;
        }
        int waiting = 0;
        if (ioctl(m_fd, FIONREAD, &waiting) != 0) {
            waiting = 0;
        }
        tcflush(m_fd, output ? TCIOFLUSH : TCIFLUSH);
        return waiting > 0 ? static_cast<std::size_t>(waiting) : 0;
    }

private:
    void closeFd() {
        ::close(m_fd);
        m_fd = -1;
        m_exclusive = false;
    }

    int m_fd = -1;
    bool m_exclusive = false;
    termios m_saved{};
    bool m_savedValid = false;
    bool m_configured = false;
};

}  // namespace

std::unique_ptr<PlatformPort> makeDevicePort() {
    return std::make_unique<PosixPort>();
}

}  // namespace brevik2::link
