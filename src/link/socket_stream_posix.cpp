// TCP on POSIX: non-blocking sockets and poll(), with the stop signal's descriptor in every poll.

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "link/read_deadline.h"
#include "link/socket_stream.h"
#include "link/stop_signal.h"

namespace brevik2::link {
namespace {

using Clock = SocketStream::Clock;

class ResolverCategory final : public std::error_category {
public:
    const char* name() const noexcept override { return "resolver"; }
    std::string message(int code) const override { return ::gai_strerror(code); }
};

std::error_code resolverError(int code) {
    static const ResolverCategory category;
    if (code == EAI_SYSTEM) {
        return {errno, std::system_category()};
    }
    return {code, category};
}

std::error_code lastError() {
    return {errno, std::system_category()};
}

struct AddressListDeleter {
    void operator()(addrinfo* list) const { ::freeaddrinfo(list); }
};
using AddressList = std::unique_ptr<addrinfo, AddressListDeleter>;

// A lookup on a thread of its own. getaddrinfo cannot be interrupted, so the waiter may abandon
// it: the thread then finishes on its own and frees the result it was too late to hand over.
struct PendingLookup {
    std::mutex mutex;  //!< Protects everything below.
    std::condition_variable done;
    bool finished = false;
    bool abandoned = false;
    int code = 0;
    addrinfo* result = nullptr;
};

std::error_code resolve(const std::string& host, const std::string& port,
                        Clock::time_point deadline, const StopSignal* stop, AddressList& out) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    addrinfo* list = nullptr;
    // A numeric address needs no lookup and never blocks.
    if (::getaddrinfo(host.c_str(), port.c_str(), &hints, &list) == 0) {
        out.reset(list);
        return {};
    }
    hints.ai_flags = AI_NUMERICSERV | AI_ADDRCONFIG;
    auto pending = std::make_shared<PendingLookup>();
    try {
        std::thread([pending, host, port, hints] {
            addrinfo* found = nullptr;
            const int code = ::getaddrinfo(host.c_str(), port.c_str(), &hints, &found);
            std::lock_guard lock(pending->mutex);
            if (pending->abandoned) {
                if (found != nullptr) {
                    ::freeaddrinfo(found);
                }
                return;
            }
            pending->finished = true;
            pending->code = code;
            pending->result = found;
            pending->done.notify_all();
        }).detach();
    } catch (const std::system_error& error) {
        return error.code();
    }
    // The stop signal is a descriptor, not something a condition variable can wait on, so the
    // wait looks at it every few tens of milliseconds.
    constexpr auto kStopCheck = std::chrono::milliseconds(20);
    std::unique_lock lock(pending->mutex);
    while (!pending->finished) {
        if (stop != nullptr && stop->isRaised()) {
            pending->abandoned = true;
            return std::make_error_code(std::errc::operation_canceled);
        }
        if (Clock::now() >= deadline) {
            pending->abandoned = true;
            return std::make_error_code(std::errc::timed_out);
        }
        pending->done.wait_until(lock, std::min(deadline, Clock::now() + kStopCheck));
    }
    if (pending->code != 0) {
        return resolverError(pending->code);
    }
    out.reset(pending->result);
    return {};
}

// Waits for the events on fd; operation_canceled when the stop signal came first, an empty
// error and *ready false when the deadline passed.
std::error_code waitFor(int fd, short events, Clock::time_point deadline, const StopSignal* stop,
                        bool& ready) {
    for (;;) {
        pollfd fds[2] = {{fd, events, 0}, {stop ? stop->fd() : -1, POLLIN, 0}};
        const int n = ::poll(fds, 2, millisecondsUntil(deadline));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return lastError();
        }
        if ((fds[1].revents & POLLIN) != 0) {
            return std::make_error_code(std::errc::operation_canceled);
        }
        ready = n > 0;
        return {};
    }
}

}  // namespace

SocketStream::~SocketStream() {
    close();
}

void SocketStream::close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

std::error_code SocketStream::connect(const std::string& host, const std::string& port,
                                      Clock::time_point deadline, const StopSignal* stop) {
    close();
    AddressList addresses;
    if (const std::error_code error = resolve(host, port, deadline, stop, addresses)) {
        return error;
    }
    std::error_code last = std::make_error_code(std::errc::address_not_available);
    for (const addrinfo* a = addresses.get(); a != nullptr; a = a->ai_next) {
        const int fd =
            ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) {
            last = lastError();
            continue;
        }
        if (::connect(fd, a->ai_addr, a->ai_addrlen) != 0 && errno != EINPROGRESS) {
            last = lastError();
            ::close(fd);
            continue;
        }
        bool ready = false;
        last = waitFor(fd, POLLOUT, deadline, stop, ready);
        if (!last && !ready) {
            last = std::make_error_code(std::errc::timed_out);
        }
        if (!last) {
            int soError = 0;
            socklen_t length = sizeof soError;
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &length);
            last =
                soError == 0 ? std::error_code{} : std::error_code(soError, std::system_category());
        }
        if (!last) {
            // Requests are a few bytes each; waiting to fill a segment would only add latency.
            const int on = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            m_fd = fd;
            return {};
        }
        ::close(fd);
        if (last == std::errc::operation_canceled || last == std::errc::timed_out) {
            break;
        }
    }
    return last;
}

std::error_code SocketStream::receive(char* buffer, std::size_t capacity, std::size_t& received,
                                      Clock::time_point deadline, const StopSignal* stop) {
    received = 0;
    if (m_fd < 0) {
        return std::make_error_code(std::errc::not_connected);
    }
    for (;;) {
        bool ready = false;
        if (const std::error_code error = waitFor(m_fd, POLLIN, deadline, stop, ready)) {
            return error;
        }
        if (!ready) {
            return {};
        }
        const ssize_t n = ::recv(m_fd, buffer, capacity, 0);
        if (n > 0) {
            received = static_cast<std::size_t>(n);
            return {};
        }
        if (n == 0) {
            return std::make_error_code(std::errc::connection_reset);
        }
        if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
            return lastError();
        }
    }
}

std::error_code SocketStream::sendAll(const char* data, std::size_t count,
                                      Clock::time_point deadline, const StopSignal* stop) {
    if (m_fd < 0) {
        return std::make_error_code(std::errc::not_connected);
    }
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::send(m_fd, data + done, count - done, MSG_NOSIGNAL);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
            return lastError();
        }
        bool ready = false;
        if (const std::error_code error = waitFor(m_fd, POLLOUT, deadline, stop, ready)) {
            return error;
        }
        if (!ready) {
            return std::make_error_code(std::errc::timed_out);
        }
    }
    return {};
}

}  // namespace brevik2::link
