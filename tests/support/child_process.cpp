#include "support/child_process.h"

#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

namespace brevik2::testing {

using Clock = std::chrono::steady_clock;

ChildProcess::ChildProcess(std::vector<std::string> argv, std::vector<std::string> environment) {
    int fds[2];
    if (::pipe(fds) != 0) {
        return;
    }
    m_pid = ::fork();
    if (m_pid == 0) {
        ::dup2(fds[1], STDOUT_FILENO);
        ::close(fds[0]);
        ::close(fds[1]);
        for (std::string& assignment : environment) {
            ::putenv(assignment.data());
        }
        std::vector<char*> args;
        for (std::string& a : argv) {
            args.push_back(a.data());
        }
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(fds[1]);
    m_out = fds[0];
}

ChildProcess::~ChildProcess() {
    if (m_pid > 0 && !m_reaped) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
    if (m_out >= 0) {
        ::close(m_out);
    }
}

std::optional<std::string> ChildProcess::readLine(std::chrono::milliseconds bound) {
    const auto deadline = Clock::now() + bound;
    for (;;) {
        if (const auto end = m_buffer.find('\n'); end != std::string::npos) {
            std::string line = m_buffer.substr(0, end);
            m_buffer.erase(0, end + 1);
            return line;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd p{m_out, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) {
            return std::nullopt;
        }
        char chunk[256];
        const ssize_t n = ::read(m_out, chunk, sizeof chunk);
        if (n <= 0) {
            return std::nullopt;
        }
        m_buffer.append(chunk, static_cast<std::size_t>(n));
    }
}

bool ChildProcess::alive() {
    if (m_pid <= 0 || m_reaped) {
        return false;
    }
    if (::waitpid(m_pid, &m_status, WNOHANG) == m_pid) {
        m_reaped = true;
    }
    return !m_reaped;
}

std::optional<int> ChildProcess::waitExit(std::chrono::milliseconds bound) {
    const auto deadline = Clock::now() + bound;
    while (alive() && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));  // polling a child's end
    }
    if (!m_reaped || !WIFEXITED(m_status)) {
        return std::nullopt;
    }
    return WEXITSTATUS(m_status);
}

}  // namespace brevik2::testing
