#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "link/line_settings.h"

namespace brevik2::sim::test {

// The host side of a pty test: opens the simulator's slave with plain POSIX calls, puts it in
// raw mode at the given line settings, writes framed requests and reads what comes back.
class PtyHost {
public:
    using Line = link::LineSettings;

    // A rate the line table does not hold leaves the host closed.
    explicit PtyHost(const std::string& path, Line line);
    explicit PtyHost(const std::string& path) : PtyHost(path, Line{}) {}
    ~PtyHost();
    PtyHost(const PtyHost&) = delete;
    PtyHost& operator=(const PtyHost&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    bool configure(const Line& line);
    bool send(std::string_view code, std::string_view parameter = {});
    bool sendRaw(std::string_view bytes);
    // Bytes until the terminator (included), the limit, a hang-up or the time-out.
    std::string readUntil(char terminator, std::chrono::milliseconds timeout,
                          std::size_t limit = 65536);
    // Everything that arrives within the duration.
    std::string readFor(std::chrono::milliseconds duration);
    // True once the other side has gone (read error or hang-up).
    bool hungUp() const { return m_hungUp; }
    void close();

private:
    // Waits at most timeout for bytes; appends them. False on time-out or hang-up.
    bool readSome(std::string& into, std::chrono::milliseconds timeout);

    int m_fd = -1;
    bool m_hungUp = false;
};

}  // namespace brevik2::sim::test
