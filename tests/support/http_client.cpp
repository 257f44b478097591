#include "support/http_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace brevik2::testing {

HttpConnection::HttpConnection(int port) {
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (m_fd >= 0 &&
        ::connect(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

HttpConnection::~HttpConnection() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

bool HttpConnection::send(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

std::optional<std::string> HttpConnection::readToClose(std::chrono::milliseconds timeout) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + timeout;
    std::string received;
    while (true) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd ready{m_fd, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&ready, 1, static_cast<int>(left.count())) <= 0) {
            return std::nullopt;
        }
        char block[4096];
        const ssize_t got = ::recv(m_fd, block, sizeof block, 0);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {  // closed, or reset: the server is done with us either way
            return received;
        }
        received.append(block, static_cast<std::size_t>(got));
    }
}

std::optional<std::string> httpGet(int port, std::string_view path,
                                   std::chrono::milliseconds timeout) {
    HttpConnection connection(port);
    if (!connection.connected() ||
        !connection.send("GET " + std::string(path) +
                         " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n")) {
        return std::nullopt;
    }
    return connection.readToClose(timeout);
}

}  // namespace brevik2::testing
