// Serial ports on the network through a real ser2net on 127.0.0.1, bridging to a pseudo-terminal
// whose master side the test plays as the instrument.

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "link/network_port.h"
#include "link/serial_port.h"
#include "link/settings_file.h"
#include "link/stop_signal.h"
#include "support/pty_pair.h"
#include "support/recording_status_output.h"
#include "support/ser2net_server.h"
#include "support/stopped_read.h"
#include "support/temp_folder.h"

namespace brevik2::link {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr SerialTimeouts kQuick{50, 10, 500, 4096, 300};

// Every value a byte can have that a Telnet or terminal layer might rewrite.
const std::string kAwkwardBytes(
    "\x02"
    "A\xff\r\0\n\xff\xff\x11\x13\x03",
    11);

class NetworkPortNet : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        ASSERT_FALSE(pty.slaveName().empty());
        std::string error;
        ASSERT_TRUE(server.start(&error)) << error;
        useLine("9600", "8", "None", "1");
    }

    void useLine(const char* baud, const char* dataBits, const char* parity, const char* stop) {
        settings.writeString("ComPort", GetParam() ? server.telnetAddress() : server.rawAddress());
        settings.writeString("BaudRate", baud);
        settings.writeString("DataBits", dataBits);
        settings.writeString("Parity", parity);
        settings.writeString("StopBits", stop);
    }

    // What the host sent to the pty, once count bytes have come or the read time-out passed.
    std::string receiveOnPty(std::size_t count) const {
        std::string out;
        const auto end = Clock::now() + std::chrono::milliseconds(kQuick.readTotalConstantMs);
        while (out.size() < count && Clock::now() < end) {
            pollfd p{pty.masterFd(), POLLIN, 0};
            if (::poll(&p, 1, kQuick.readTotalConstantMs) <= 0) {
                break;
            }
            char buffer[256];
            const ssize_t n = ::read(pty.masterFd(), buffer, sizeof buffer);
            if (n <= 0) {
                break;
            }
            out.append(buffer, static_cast<std::size_t>(n));
        }
        return out;
    }

    termios ptyLine() const {
        termios t{};
        ::tcgetattr(pty.masterFd(), &t);
        return t;
    }

    testing::TempFolder folder;
    testing::PtyPair pty;
    testing::Ser2netServer server{folder.path(), pty.slaveName()};
    SettingsFile settings{folder / "Brevik2.ini"};
    testing::RecordingStatusOutput status;
};

TEST_P(NetworkPortNet, EveryByteValueCrossesIntactBothWays) {
    SerialPort port(settings, status, kQuick);
    ASSERT_TRUE(port.isConfigured()) << port.openError().message();
    ASSERT_TRUE(port.write(kAwkwardBytes.data(), kAwkwardBytes.size()));
    EXPECT_EQ(receiveOnPty(kAwkwardBytes.size()), kAwkwardBytes);
    pty.send(kAwkwardBytes);
    char buffer[32];
    std::size_t got = 0;
    EXPECT_TRUE(port.read(kAwkwardBytes.size(), buffer, &got));
    EXPECT_EQ(std::string(buffer, got), kAwkwardBytes);
}

TEST_P(NetworkPortNet, LineSettingsReachTheRemoteLineOnlyOverTelnet) {
    // Over Telnet the server has answered every setting before configure returns; over raw TCP
    // nothing is sent, so the line keeps whatever the server gave it.
    const bool telnet = GetParam();
    useLine("4800", "7", "Odd", "2");
    SerialPort port(settings, status, kQuick);
    ASSERT_TRUE(port.isConfigured()) << port.openError().message();
    termios t = ptyLine();
    // A pty keeps the speed, CSTOPB and PARODD of what was asked (not the size or PARENB).
    EXPECT_EQ(cfgetospeed(&t) == B4800, telnet);
    EXPECT_EQ((t.c_cflag & CSTOPB) != 0, telnet);
    EXPECT_EQ((t.c_cflag & PARODD) != 0, telnet);
    useLine("19200", "8", "None", "1");
    port.reset();
    ASSERT_TRUE(port.isConfigured());
    t = ptyLine();
    EXPECT_EQ(cfgetospeed(&t) == B19200, telnet);
    if (telnet) {
        EXPECT_EQ(t.c_cflag & (CSTOPB | PARODD), 0u);
    }
}

TEST_P(NetworkPortNet, ALostServerFailsReadsAndOpensAndAResetReconnects) {
    SerialPort port(settings, status, kQuick);
    ASSERT_TRUE(port.isConfigured());
    server.stop();
    char buffer[9];
    const auto start = Clock::now();
    EXPECT_FALSE(port.read(8, buffer));
    // The drop is noticed, not waited out.
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(kQuick.readTotalConstantMs));
    status.clear();
    port.reset();
    EXPECT_TRUE(status.saw("Com Port Failed to open"));
    EXPECT_EQ(port.openError(), std::errc::connection_refused);

    std::string error;
    ASSERT_TRUE(server.start(&error)) << error;
    status.clear();
    port.reset();
    EXPECT_TRUE(status.saw("Com port Open OK"));
    EXPECT_TRUE(port.isConfigured());
    ASSERT_TRUE(port.write("ping", 4));
    EXPECT_EQ(receiveOnPty(4), "ping");
}

TEST_P(NetworkPortNet, TheStopSignalEndsABlockingRead) {
    StopSignal stop;
    SerialPort port(settings, status, SerialTimeouts{100, 10, 10000, 4096, 300}, &stop);
    ASSERT_TRUE(port.isConfigured());
    const auto took = testing::readUntilStopped(port, stop);
    ASSERT_TRUE(took);
    EXPECT_LT(*took, 5000ms);
}

INSTANTIATE_TEST_SUITE_P(RawAndTelnet, NetworkPortNet, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Rfc2217" : "RawTcp"; });

// A socket listening on a free port of 127.0.0.1; address is where it listens.
int listenOnLoopback(int backlog, int socketFlags, sockaddr_in& address) {
    const int listener = ::socket(AF_INET, SOCK_STREAM | socketFlags, 0);
    address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener, backlog);
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    return listener;
}

// A listener whose backlog is full: the next connect to it hangs until its time-out.
class BlackHoleListener {
public:
    BlackHoleListener() {
        sockaddr_in address{};
        m_listener = listenOnLoopback(0, 0, address);
        m_port = ntohs(address.sin_port);
        for (int& filler : m_fillers) {
            filler = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            ::connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof address);
        }
    }
    ~BlackHoleListener() {
        for (int fd : m_fillers) {
            ::close(fd);
        }
        ::close(m_listener);
    }
    int port() const { return m_port; }

private:
    int m_listener = -1;
    int m_fillers[4] = {-1, -1, -1, -1};
    int m_port = 0;
};

TEST(NetworkPortConnect, TheStopSignalEndsAConnectUnderWay) {
    BlackHoleListener hole;
    StopSignal stop;
    NetworkPort port({NetworkPortName::Kind::Rfc2217, "127.0.0.1", std::to_string(hole.port())},
                     &stop);
    std::thread stopper = testing::raiseWhenPolling(stop);
    const auto start = Clock::now();
    const std::error_code error = port.open("");
    const auto took = Clock::now() - start;
    stopper.join();
    EXPECT_EQ(error, std::errc::operation_canceled) << error.message();
    EXPECT_LT(took, NetworkPort::kConnectLimit);

    // Without the stop the bound ends it.
    stop.clear();
    const auto again = Clock::now();
    EXPECT_EQ(port.open(""), std::errc::timed_out);
    EXPECT_LT(Clock::now() - again, NetworkPort::kConnectLimit + 1000ms);
}

// A server on 127.0.0.1 that takes every connection and then does one hostile thing with it.
class HostileServer {
public:
    enum class Behaviour { CloseAtOnce, NeverRead, NegotiationStorm };

    explicit HostileServer(Behaviour behaviour) : m_behaviour(behaviour) {
        sockaddr_in address{};
        m_listener = listenOnLoopback(8, SOCK_NONBLOCK, address);
        m_port = std::to_string(ntohs(address.sin_port));
        m_thread = std::thread([this] { run(); });
    }
    ~HostileServer() {
        m_stop.raise();
        m_thread.join();
        ::close(m_listener);
    }
    const std::string& port() const { return m_port; }
    int accepted() const { return m_accepted; }

private:
    void run() {
        // IAC DO TERMINAL-TYPE, which the client refuses every time it comes.
        const std::string storm = [] {
            std::string s;
            for (int i = 0; i < 1024; ++i) {
                s += "\xff\xfd\x18";
            }
            return s;
        }();
        int client = -1;
        while (!m_stop.isRaised()) {
            pollfd fds[3] = {{m_listener, POLLIN, 0},
                             {m_stop.fd(), POLLIN, 0},
                             {client, static_cast<short>(POLLOUT), 0}};
            const bool storming = m_behaviour == Behaviour::NegotiationStorm && client >= 0;
            if (::poll(fds, storming ? 3 : 2, 1000) <= 0) {
                continue;
            }
            if ((fds[0].revents & POLLIN) != 0) {
                const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK);
                if (fd >= 0) {
                    ++m_accepted;
                    ::close(client);
                    client = fd;
                    if (m_behaviour == Behaviour::CloseAtOnce) {
                        ::close(client);
                        client = -1;
                    }
                }
            }
            if (storming && (fds[2].revents & POLLOUT) != 0 &&
                ::send(client, storm.data(), storm.size(), MSG_NOSIGNAL) < 0 && errno == EPIPE) {
                ::close(client);
                client = -1;
            }
        }
        ::close(client);
    }

    const Behaviour m_behaviour;
    int m_listener = -1;
    std::string m_port;
    std::atomic<int> m_accepted{0};
    StopSignal m_stop;
    std::thread m_thread;
};

// Writes to a server that takes nothing end by their deadline, the read time-out of as many
// bytes, as a failed write.
TEST(NetworkPortHostile, AWriteToAServerThatNeverReadsEndsByItsDeadline) {
    HostileServer server(HostileServer::Behaviour::NeverRead);
    constexpr SerialTimeouts kNoMultiplier{50, 0, 300, 4096, 300};
    NetworkPort port({NetworkPortName::Kind::RawTcp, "127.0.0.1", server.port()}, nullptr,
                     kNoMultiplier);
    ASSERT_FALSE(port.open(""));
    const std::string block(64 * 1024, 'x');
    std::error_code error;
    Clock::duration took{};
    for (int i = 0; i < 2000 && !error; ++i) {  // far more than the socket buffers hold
        const auto start = Clock::now();
        error = port.write(block.data(), block.size(), nullptr);
        took = Clock::now() - start;
    }
    EXPECT_EQ(error, std::errc::timed_out) << error.message();
    EXPECT_LT(took, 300ms + 1000ms);
}

// A server that sends nothing but negotiation is dropped after a bounded amount of it, long
// before the connection's own limit.
TEST(NetworkPortHostile, ANegotiationStormEndsTheOpen) {
    HostileServer server(HostileServer::Behaviour::NegotiationStorm);
    NetworkPort port({NetworkPortName::Kind::Rfc2217, "127.0.0.1", server.port()}, nullptr);
    const auto start = Clock::now();
    EXPECT_EQ(port.open(""), std::errc::protocol_error);
    EXPECT_LT(Clock::now() - start, NetworkPort::kConnectLimit);
}

// A server that closes every connection at once is connected to again later and later.
TEST(NetworkPortHostile, ConnectionsThatEndAtOnceAreRetriedLaterAndLater) {
    HostileServer server(HostileServer::Behaviour::CloseAtOnce);
    NetworkPort port({NetworkPortName::Kind::RawTcp, "127.0.0.1", server.port()}, nullptr, kQuick);
    const auto start = Clock::now();
    char buffer[8];
    for (int i = 0; i < 5; ++i) {
        ASSERT_FALSE(port.open(""));
        EXPECT_EQ(port.read(buffer, 8, kQuick, nullptr).error, std::errc::connection_reset);
    }
    port.restoreAndClose();
    EXPECT_EQ(port.failedConnections(), 5);
    EXPECT_EQ(server.accepted(), 5);
    // The waits before the second to the fifth connection: 100, 200, 400 and 800 ms.
    EXPECT_GE(Clock::now() - start, 1500ms);
}

}  // namespace
}  // namespace brevik2::link
