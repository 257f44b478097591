#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace brevik2::testing {

// A TCP connection to a port on 127.0.0.1, for talking HTTP to a server under test byte by
// byte, politely or not. Closed when destroyed.
class HttpConnection {
public:
    explicit HttpConnection(int port);
    ~HttpConnection();
    HttpConnection(const HttpConnection&) = delete;
    HttpConnection& operator=(const HttpConnection&) = delete;

    bool connected() const { return m_fd >= 0; }
    bool send(std::string_view bytes);
    // Everything the server sends until it closes the connection; nothing if it does not close
    // within the time.
    std::optional<std::string> readToClose(std::chrono::milliseconds timeout);

private:
    int m_fd = -1;
};

// One GET on a fresh connection; the whole response, or nothing on a failure or time-out.
std::optional<std::string> httpGet(int port, std::string_view path,
                                   std::chrono::milliseconds timeout);

}  // namespace brevik2::testing
