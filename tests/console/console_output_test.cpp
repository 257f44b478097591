// The real brevik2-monitor with outputs that do not take what it writes: a pipe nobody reads, a
// terminal stopped as with Ctrl-S, a pipe whose reader has gone.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/child_process.h"
#include "support/pty_pair.h"
#include "support/temp_folder.h"

namespace brevik2::console {
namespace {

using namespace std::chrono_literals;

// The monitor thread's stop bound (5.1 s), the outputs' one second, and a loaded machine.
constexpr auto kStopBound = 15s;
// A first line or contact with the simulator, within the instrument's time-outs.
constexpr auto kLineBound = 10s;

// brevik2-monitor with its standard output and error on the descriptors given.
class Monitor {
public:
    Monitor(std::vector<std::string> args, int out, int err) {
        args.insert(args.begin(), BREVIK2_MONITOR_PROGRAM);
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(out, STDOUT_FILENO);
            ::dup2(err, STDERR_FILENO);
            std::vector<char*> argv;
            for (std::string& a : args) {
                argv.push_back(a.data());
            }
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
    }
    ~Monitor() {
        if (!m_status) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    pid_t pid() const { return m_pid; }
    // The wait status once it has ended within the bound.
    std::optional<int> waitStatus(std::chrono::milliseconds bound) {
        const auto deadline = std::chrono::steady_clock::now() + bound;
        int status = 0;
        while (!m_status && std::chrono::steady_clock::now() < deadline) {
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_status = status;
            } else {
                std::this_thread::sleep_for(20ms);  // polls the exit, bounded by the deadline
            }
        }
        return m_status;
    }

private:
    pid_t m_pid = -1;
    std::optional<int> m_status;
};

// The next line on fd, within the bound.
std::optional<std::string> readLine(int fd, std::chrono::milliseconds bound) {
    std::string line;
    char c = 0;
    pollfd p{fd, POLLIN, 0};
    while (::poll(&p, 1, static_cast<int>(bound.count())) == 1 && ::read(fd, &c, 1) == 1) {
        if (c == '\n') {
            return line;
        }
        line += c;
    }
    return std::nullopt;
}

TEST(ConsoleOutput, TheStopSignalEndsTheRunWhileTheOutputTakesNothing) {
    for (const bool terminal : {false, true}) {
        SCOPED_TRACE(terminal ? "a stopped terminal" : "a full pipe");
        testing::TempFolder folder;
        testing::writeWholeFile(folder / "Brevik2.ini",
                                "[Brevik2]\nComPort=" + (folder / "absent").string() + "\n");
        testing::PtyPair pty;
        int out[2];
        ASSERT_EQ(::pipe2(out, O_CLOEXEC), 0);
        if (terminal) {
            ::close(out[1]);
            out[1] = ::open(pty.slaveName().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
            ASSERT_EQ(::tcflow(out[1], TCOOFF), 0);
        } else {
            // The smallest pipe, filled before the monitor writes a line.
            ASSERT_GT(::fcntl(out[1], F_SETPIPE_SZ, 4096), 0);
            ASSERT_EQ(::fcntl(out[1], F_SETFL, O_NONBLOCK), 0);
            while (::write(out[1], std::string(512, 'x').data(), 512) > 0) {
            }
            ASSERT_EQ(::fcntl(out[1], F_SETFL, 0), 0);
        }
        int err[2];
        ASSERT_EQ(::pipe2(err, O_CLOEXEC), 0);
        Monitor monitor({"--settings", (folder / "Brevik2.ini").string()}, out[1], err[1]);
        ::close(err[1]);
        // Said after the status line that the output is stuck on.
        const auto said = readLine(err[0], kLineBound);
        ASSERT_TRUE(said);
        EXPECT_NE(said->find("cannot open"), std::string::npos) << *said;

        ::kill(monitor.pid(), SIGTERM);
        const auto status = monitor.waitStatus(kStopBound);
        ASSERT_TRUE(status) << "still running after SIGTERM";
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << *status;
        for (const int fd : {out[0], out[1], err[0]}) {
            ::close(fd);
        }
    }
}

// As "brevik2-monitor | head -1" does: one line read, then the pipe closed.
TEST(ConsoleOutput, AClosedOutputEndsTheRunWithOrWithoutMetrics) {
    testing::TempFolder folder;
    testing::ChildProcess sim({BREVIK2_SIM_PROGRAM, "--link", (folder / "com1").string()});
    ASSERT_TRUE(sim.readLine(kLineBound));
    testing::writeWholeFile(folder / "Brevik2.ini",
                            "[Brevik2]\nComPort=Com1\nMonitoringEnabled=true\n"
                            "SamplingInterval=1\n");
    for (const bool metrics : {false, true}) {
        SCOPED_TRACE(metrics ? "with metrics" : "without metrics");
        std::vector<std::string> args{"--settings", (folder / "Brevik2.ini").string()};
        if (metrics) {
            args.insert(args.end(), {"--metrics", "127.0.0.1:0"});
        }
        int out[2];
        ASSERT_EQ(::pipe2(out, O_CLOEXEC), 0);
        Monitor monitor(args, out[1], STDERR_FILENO);
        ::close(out[1]);
        EXPECT_TRUE(readLine(out[0], kLineBound));
        ::close(out[0]);
        const auto status = monitor.waitStatus(kStopBound);
        ASSERT_TRUE(status) << "still running with its output closed";
        EXPECT_TRUE(WIFSIGNALED(*status) && WTERMSIG(*status) == SIGPIPE) << *status;
    }
    ::kill(sim.pid(), SIGTERM);
    EXPECT_EQ(sim.waitExit(kLineBound), 0);
}

}  // namespace
}  // namespace brevik2::console
