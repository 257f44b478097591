// The monitor thread and the instrument scan through a real ser2net on 127.0.0.1, bridging a raw
// TCP port and a Telnet port with RFC 2217 to the simulator's pseudo-terminal.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include "engine/monitor_shared_state.h"
#include "engine/monitor_thread.h"
#include "link/settings_file.h"
#include "support/ser2net_server.h"
#include "support/sim_monitor.h"

namespace brevik2::engine {
namespace {

using namespace std::chrono_literals;

// With the scan's time-outs: every trial also connects again, which ser2net answers within
// milliseconds.
class MonitorThroughSer2net : public ::testing::Test, protected testing::SimMonitor {
protected:
    void startUnitAt(link::LineSettings line) {
        ASSERT_TRUE(startUnit(line));
        server = std::make_unique<testing::Ser2netServer>(folder.path(), unit->linkPath());
        std::string error;
        ASSERT_TRUE(server->start(&error)) << error;
    }

    void startMonitorOn(const std::string& comPort, bool scan) {
        writeSettings(true, 1, comPort);
        shared.scanRequest = scan;
        startMonitor(scanOptions());
    }

    std::size_t count(int code) const { return reporter.countMessages(code); }

    void TearDown() override { stopMonitor(); }  // before ser2net goes

    std::unique_ptr<testing::Ser2netServer> server;
};

TEST_F(MonitorThroughSer2net, PollsThroughEachKindOfPortAndComesBackAfterTheServerWasAway) {
    startUnitAt(link::LineSettings{9600, link::Parity::None, link::StopBits::One, 8});
    for (const std::string& address : {server->rawAddress(), server->telnetAddress()}) {
        SCOPED_TRACE(address);
        const std::size_t polls = count(kStatusPollCompleted);
        const std::size_t failedOpens = reporter.countText("Com Port Failed to open");
        startMonitorOn(address, false);
        ASSERT_TRUE(reporter.waitForMessage(kStatusPollCompleted, 10s, nullptr, polls + 1));

        // ser2net away: the monitor loses the unit, keeps resetting, and polls again once the
        // server is back, without a restart.
        server->stop();
        ASSERT_TRUE(reporter.waitForText("Com Port Failed to open", 30s, failedOpens + 1));
        const std::size_t contacts = count(kStatusUnitOnline);
        const std::size_t pollsBefore = count(kStatusPollCompleted);
        std::string error;
        ASSERT_TRUE(server->start(&error)) << error;
        // Contact made again (it is attempted only while the unit is offline), then a poll.
        ASSERT_TRUE(reporter.waitForMessage(kStatusUnitOnline, 60s, nullptr, contacts + 1));
        ASSERT_TRUE(reporter.waitForMessage(kStatusPollCompleted, 10s, nullptr, pollsBefore + 1));

        stopMonitor();
        shared.shuttingDown = false;
        shared.online = false;
    }
}

TEST_F(MonitorThroughSer2net, ScanOverTelnetFindsAnUncommonSettingAndSetsTheLine) {
    startUnitAt(link::LineSettings{4800, link::Parity::Odd, link::StopBits::Two, 7});
    const std::string address = server->telnetAddress();
    startMonitorOn(address, true);
    ASSERT_TRUE(reporter.waitForMessage(kStatusScanFound, 240s));
    // One port: six trials of phase 1, then phase 2 reaches 4800 baud 7 data bits, two stop
    // bits and odd parity after the five parities of one stop bit.
    EXPECT_EQ(count(kStatusScanTrial), 6u + 4 * 20 + 5 + 1);
    EXPECT_EQ(settings.readString("ComPort", ""), address);
    EXPECT_EQ(settings.readString("BaudRate", ""), "4800");
    EXPECT_EQ(settings.readString("DataBits", ""), "7");
    EXPECT_EQ(settings.readString("StopBits", ""), "2");
    EXPECT_EQ(settings.readString("Parity", ""), "Odd");
    // The simulator's line, as ser2net set it on the slave side.
    const int slave = ::open(unit->slaveName().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(slave, 0);
    termios t{};
    ASSERT_EQ(::tcgetattr(slave, &t), 0);
    ::close(slave);
    EXPECT_EQ(cfgetospeed(&t), B4800);
    EXPECT_NE(t.c_cflag & CSTOPB, 0u);
    EXPECT_NE(t.c_cflag & PARODD, 0u);
    EXPECT_TRUE(reporter.waitForMessage(kStatusPollCompleted, 10s));
}

TEST_F(MonitorThroughSer2net, ScanOverRawTcpTriesOnlyTheAddressAsItStands) {
    startUnitAt(link::LineSettings{9600, link::Parity::None, link::StopBits::One, 8});
    startMonitorOn(server->rawAddress(), true);
    ASSERT_TRUE(reporter.waitForMessage(kStatusScanFound, 30s));
    EXPECT_EQ(count(kStatusScanTrial), 1u);
    EXPECT_GE(reporter.countText("Line settings are fixed at the server"), 1u);
    EXPECT_EQ(settings.readString("ComPort", ""), server->rawAddress());
}

}  // namespace
}  // namespace brevik2::engine
