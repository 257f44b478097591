// brevik2-monitor under a service manager's notification protocol, without the manager: the
// test owns the notification socket and reads what the real program sends while it watches
// brevik2-sim.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "support/child_process.h"
#include "support/temp_folder.h"

namespace brevik2::console {
namespace {

using namespace std::chrono_literals;
using std::chrono::milliseconds;

// 3 s: pings are due every 1.5 s; the monitor's cycles come every 200 ms plus a poll.
constexpr milliseconds kWatchdog = 3000ms;

struct Notification {
    std::string text;
    milliseconds at;  // the kernel's arrival time, so a busy test cannot bunch them up
};

class NotifySocket {
public:
    explicit NotifySocket(const std::string& path) {
        m_fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        const int on = 1;
        m_bound = m_fd >= 0 &&
                  ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                  ::setsockopt(m_fd, SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on) == 0;
    }
    ~NotifySocket() { ::close(m_fd); }
    bool bound() const { return m_bound; }

    std::optional<Notification> next(milliseconds bound) {
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(bound.count())) <= 0) {
            return std::nullopt;
        }
        char text[512];
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(timespec))];
        iovec io{text, sizeof text};
        msghdr message{};
        message.msg_iov = &io;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        const ssize_t n = ::recvmsg(m_fd, &message, 0);
        const cmsghdr* c = CMSG_FIRSTHDR(&message);
        if (n < 0 || c == nullptr || c->cmsg_type != SCM_TIMESTAMPNS) {
            return std::nullopt;
        }
        timespec t{};
        std::memcpy(&t, CMSG_DATA(c), sizeof t);
        return Notification{std::string(text, static_cast<std::size_t>(n)),
                            milliseconds(t.tv_sec * 1000 + t.tv_nsec / 1000000)};
    }

    // The next watchdog ping within the bound; other notifications are skipped.
    std::optional<Notification> nextPing(milliseconds bound) {
        const auto deadline = std::chrono::steady_clock::now() + bound;
        for (;;) {
            const auto left = std::chrono::duration_cast<milliseconds>(
                deadline - std::chrono::steady_clock::now());
            auto n = next(std::max(left, 0ms));
            if (!n || n->text.find("WATCHDOG=1") != std::string::npos) {
                return n;
            }
        }
    }

    // The next status line within the bound that holds the text; other notifications are
    // skipped.
    std::optional<std::string> nextStatus(std::string_view holding, milliseconds bound) {
        const auto deadline = std::chrono::steady_clock::now() + bound;
        for (;;) {
            const auto left = std::chrono::duration_cast<milliseconds>(
                deadline - std::chrono::steady_clock::now());
            auto n = next(std::max(left, 0ms));
            if (!n) {
                return std::nullopt;
            }
            if (n->text.starts_with("STATUS=") && n->text.find(holding) != std::string::npos) {
                return n->text;
            }
        }
    }

private:
    int m_fd = -1;
    bool m_bound = false;
};

TEST(ServiceNotify, ReadyThenPingsAtHalfTheIntervalNoneWhileTheThreadIsBlockedStopping) {
    testing::TempFolder folder;
    const std::string socketPath = (folder / "notify").string();
    NotifySocket notify(socketPath);
    ASSERT_TRUE(notify.bound());

    testing::ChildProcess sim({BREVIK2_SIM_PROGRAM, "--link", (folder / "com1").string()});
    const auto slave = sim.readLine(10s);
    ASSERT_TRUE(slave);
    // Held open by the test to stop and restart the line's output: a write to a stopped
    // terminal cannot complete, which blocks the monitor thread for real.
    const int line = ::open(slave->c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(line, 0);

    testing::writeWholeFile(folder / "Brevik2.ini",
                            "[Brevik2]\nComPort=Com1\nMonitoringEnabled=true\n"
                            "SamplingInterval=1\n");
    testing::ChildProcess monitor(
        {BREVIK2_MONITOR_PROGRAM, "--settings", (folder / "Brevik2.ini").string()},
        {"NOTIFY_SOCKET=" + socketPath,
         "WATCHDOG_USEC=" + std::to_string(kWatchdog.count() * 1000)});

    auto ready = notify.next(10s);  // contact within the instrument's time-outs
    while (ready && ready->text.starts_with("STATUS=")) {
        ready = notify.next(10s);
    }
    ASSERT_TRUE(ready);
    EXPECT_NE(ready->text.find("READY=1"), std::string::npos) << ready->text;

    // Running: a ping within every interval, and no more than one every half interval.
    milliseconds last = ready->at;
    constexpr int kPings = 5;
    for (int i = 0; i < kPings; ++i) {
        const auto ping = notify.nextPing(kWatchdog);
        ASSERT_TRUE(ping) << "ping " << i << " missing";
        EXPECT_LT(ping->at - last, kWatchdog);
        EXPECT_GE(ping->at - last, kWatchdog / 2 - 200ms) << "ping " << i;
        last = ping->at;
    }

    // Blocked: the next write of the monitor thread waits, and the pings stop for good while
    // the program itself lives on.
    ASSERT_EQ(::tcflow(line, TCOOFF), 0);
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    bool silent = false;
    while (!silent && std::chrono::steady_clock::now() < deadline) {
        silent = !notify.nextPing(2 * kWatchdog);
    }
    EXPECT_TRUE(silent) << "pings went on while the monitor thread was blocked";
    EXPECT_TRUE(monitor.alive());

    // Released: the write completes and the pings come back.
    ASSERT_EQ(::tcflow(line, TCOON), 0);
    EXPECT_TRUE(notify.nextPing(2 * kWatchdog)) << "no ping after the thread was released";

    ::kill(monitor.pid(), SIGTERM);
    EXPECT_EQ(monitor.waitExit(10s), 0);
    bool stopping = false;
    while (auto n = notify.next(1s)) {
        stopping = stopping || n->text == "STOPPING=1";
    }
    EXPECT_TRUE(stopping);
    ::close(line);
    ::kill(sim.pid(), SIGTERM);
    EXPECT_EQ(sim.waitExit(10s), 0);
}

TEST(ServiceNotify, StatusGivesWhyThePortWillNotOpenThenTheOnlineText) {
    testing::TempFolder folder;
    const std::string socketPath = (folder / "notify").string();
    NotifySocket notify(socketPath);
    ASSERT_TRUE(notify.bound());
    const std::string device = (folder / "com1").string();
    testing::writeWholeFile(folder / "Brevik2.ini", "[Brevik2]\nComPort=" + device +
                                                        "\nMonitoringEnabled=true\n"
                                                        "SamplingInterval=1\n");
    testing::ChildProcess monitor(
        {BREVIK2_MONITOR_PROGRAM, "--settings", (folder / "Brevik2.ini").string()},
        {"NOTIFY_SOCKET=" + socketPath});

    const auto failure = notify.nextStatus("cannot open " + device, 10s);
    ASSERT_TRUE(failure) << "no status naming the port";
    EXPECT_NE(failure->find("No such file or directory"), std::string::npos) << *failure;

    // The unit appears: the status follows it through two polls (one a second), and no line
    // is sent twice in a row although the online text comes every cycle.
    testing::ChildProcess sim({BREVIK2_SIM_PROGRAM, "--link", device});
    ASSERT_TRUE(sim.readLine(10s));
    auto last = notify.nextStatus("Unit online", 20s);
    ASSERT_TRUE(last) << "no online status";
    EXPECT_NE(last->find("Status = "), std::string::npos) << *last;
    for (int polls = 0; polls < 2;) {
        const auto n = notify.nextStatus("", 10s);
        ASSERT_TRUE(n) << "no status after " << *last;
        EXPECT_NE(*n, *last) << "sent twice in a row";
        polls += *n == "STATUS=Polling";
        last = n;
    }

    ::kill(monitor.pid(), SIGTERM);
    EXPECT_EQ(monitor.waitExit(10s), 0);
    ::kill(sim.pid(), SIGTERM);
    EXPECT_EQ(sim.waitExit(10s), 0);
}

}  // namespace
}  // namespace brevik2::console
