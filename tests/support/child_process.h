#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace brevik2::testing {

// A program the test starts: its standard output on a pipe the test reads, standard error
// passed through, extra environment variables on top of the test's own. The destructor kills
// and reaps it when the test has not.
class ChildProcess {
public:
    ChildProcess(std::vector<std::string> argv, std::vector<std::string> environment = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return m_pid > 0; }
    pid_t pid() const { return m_pid; }
    // The next line of its output without the newline; nothing at the end or after the bound.
    std::optional<std::string> readLine(std::chrono::milliseconds bound);
    // Its exit status once it has ended within the bound; nothing when it has not (or was
    // killed by a signal).
    std::optional<int> waitExit(std::chrono::milliseconds bound);
    bool alive();

private:
    pid_t m_pid = -1;
    int m_out = -1;
    std::string m_buffer;
    bool m_reaped = false;
    int m_status = 0;
};

}  // namespace brevik2::testing
