// The monitor thread and the instrument scan through a real ser2net on 127.0.0.1, bridging a raw
// TCP port and a Telnet port with RFC 2217 to the simulator's pseudo-terminal.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include "engine/monitor_shared_state.h"
#include "engine/monitor_thread.h"
#include "link/settings_file.h"
#include "sim/sim_server.h"
#include "support/recording_reporter.h"
#include "support/ser2net_server.h"
#include "support/temp_folder.h"

namespace brevik2::engine {
namespace {

using namespace std::chrono_literals;

// As in the scan tests on a pty: a failed trial costs a drain and a status query, each a full
// read time-out. Every trial also connects again, which ser2net answers within milliseconds.
MonitorThread::Options netOptions() {
    MonitorThread::Options options;
    options.timeouts = link::SerialTimeouts{50, 2, 150, 4096, 200};
    options.telemetryTiming.retryDelay = 10ms;
    options.onStuck = [] { ADD_FAILURE() << "monitor thread did not stop"; };
    return options;
}

class MonitorThroughSer2net : public ::testing::Test {
protected:
    void startUnit(link::LineSettings line) {
        sim::SimOptions options;
        options.linkPath = (folder / "com1").string();
        options.line = line;
        unit = std::make_unique<sim::SimServer>(options);
        std::string error;
        ASSERT_TRUE(unit->start(&error)) << error;
        server = std::make_unique<testing::Ser2netServer>(folder.path(), options.linkPath);
        ASSERT_TRUE(server->start(&error)) << error;
    }

    void startMonitor(const std::string& comPort, bool scan) {
        settings.writeString("ComPort", comPort);
        settings.writeString("BaudRate", "9600");
        settings.writeString("DataBits", "8");
        settings.writeString("Parity", "None");
        settings.writeString("StopBits", "1");
        settings.writeString("MonitoringEnabled", "true");
        settings.writeString("RecordDataFile", "false");
        shared.samplingInterval = 1;
        shared.scanRequest = scan;
        monitor = std::make_unique<MonitorThread>(settings, shared, reporter, netOptions());
        monitor->start();
    }

    std::size_t count(int code) const {
        std::size_t n = 0;
        for (const auto& m : reporter.messages()) {
            n += m.code == code;
        }
        return n;
    }

    void TearDown() override {
        shared.shuttingDown = true;
        if (monitor) {
            EXPECT_TRUE(monitor->stop());
        }
    }

    testing::TempFolder folder;
    link::SettingsFile settings{folder / "Brevik2.ini"};
    MonitorSharedState shared;
    testing::RecordingReporter reporter;
    std::unique_ptr<sim::SimServer> unit;
    std::unique_ptr<testing::Ser2netServer> server;
    std::unique_ptr<MonitorThread> monitor;
};

TEST_F(MonitorThroughSer2net, PollsThroughEachKindOfPortAndComesBackAfterTheServerWasAway) {
    startUnit(link::LineSettings{9600, link::Parity::None, link::StopBits::One, 8});
    for (const std::string& address : {server->rawAddress(), server->telnetAddress()}) {
        SCOPED_TRACE(address);
        const std::size_t polls = count(kStatusPollCompleted);
        const std::size_t failedOpens = reporter.countText("Com Port Failed to open");
        startMonitor(address, false);
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

        shared.shuttingDown = true;
        EXPECT_TRUE(monitor->stop());
        monitor.reset();
        shared.shuttingDown = false;
        shared.online = false;
    }
}

TEST_F(MonitorThroughSer2net, ScanOverTelnetFindsAnUncommonSettingAndSetsTheLine) {
    startUnit(link::LineSettings{4800, link::Parity::Odd, link::StopBits::Two, 7});
    const std::string address = server->telnetAddress();
    startMonitor(address, true);
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
    startUnit(link::LineSettings{9600, link::Parity::None, link::StopBits::One, 8});
    startMonitor(server->rawAddress(), true);
    ASSERT_TRUE(reporter.waitForMessage(kStatusScanFound, 30s));
    EXPECT_EQ(count(kStatusScanTrial), 1u);
    EXPECT_GE(reporter.countText("Line settings are fixed at the server"), 1u);
    EXPECT_EQ(settings.readString("ComPort", ""), server->rawAddress());
}

}  // namespace
}  // namespace brevik2::engine
