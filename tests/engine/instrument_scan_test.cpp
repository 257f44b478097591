// The instrument scan on the monitor thread, against simulated units that answer only at their
// own line settings. "Com1" to "Com3" are links in the test's folder and USB adapters are looked
// for in a "dev" folder there, never among the machine's ports.

#include "engine/instrument_scan.h"

#include <gtest/gtest.h>

#include <thread>

#include "engine/monitor_shared_state.h"
#include "engine/monitor_thread.h"
#include "link/settings_file.h"
#include "support/sim_monitor.h"

namespace brevik2::engine {
namespace {

using namespace std::chrono_literals;

// With the scan's time-outs the whole phase 1 and the first 81 trials of phase 2 take about
// half a minute.
class InstrumentScanTest : public ::testing::Test, protected testing::SimMonitor {
protected:
    void startUnitAt(link::LineSettings line, const std::string& linkName = "com1") {
        ASSERT_TRUE(startUnit(line, linkName));
        // The other two ports exist as names only: opening them fails at once.
        if (linkName != "com1") {
            std::filesystem::create_symlink(folder / "absent1", folder / "com1");
        }
        std::filesystem::create_symlink(folder / "absent2", folder / "com2");
        std::filesystem::create_symlink(folder / "absent3", folder / "com3");
    }

    void startScan() {
        settings.writeString("ComPort", "Com4");
        settings.writeString("BaudRate", "115200");
        settings.writeString("MonitoringEnabled", "true");
        shared.samplingInterval = 3600;
        shared.scanRequest = true;
        before = testing::readWholeFile(settings.path());
        MonitorThread::Options options = scanOptions();
        options.deviceFolder = folder / "dev";
        startMonitor(options);
    }

    std::size_t trials() const { return reporter.countMessages(kStatusScanTrial); }

    std::string before;  // the settings file as the scan found it
};

TEST_F(InstrumentScanTest, FindsACommonSettingInPhaseOne) {
    startUnitAt(link::LineSettings{9600, link::Parity::None, link::StopBits::One, 8});
    startScan();
    ASSERT_TRUE(reporter.waitForMessage(kStatusScanFound, 30s));
    EXPECT_EQ(trials(), 4u);  // 2400 7O2, 2400 8N1, 9600 7O2, then 9600 8N1 answers
    EXPECT_EQ(settings.readString("ComPort", ""), "Com1");
    EXPECT_EQ(settings.readString("BaudRate", ""), "9600");
    EXPECT_EQ(settings.readString("DataBits", ""), "8");
    EXPECT_EQ(settings.readString("StopBits", ""), "1");
    EXPECT_EQ(settings.readString("Parity", ""), "None");
    // Found means online at the settings found: the first poll follows at once.
    EXPECT_TRUE(reporter.waitForMessage(kStatusPollCompleted, 10s));
    EXPECT_FALSE(shared.scanRequest);
}

// A USB adapter is tried after Com1 to Com3, and stored as its path.
TEST_F(InstrumentScanTest, GoesOnToTheUsbAdaptersPresent) {
    std::filesystem::create_directory(folder / "dev");
    testing::writeWholeFile(folder / "dev" / "ttyS7", "");  // not an adapter: never tried
    startUnitAt(link::LineSettings{9600, link::Parity::None, link::StopBits::One, 8},
                "dev/ttyUSB0");
    startScan();
    ASSERT_TRUE(reporter.waitForMessage(kStatusScanFound, 30s));
    EXPECT_EQ(trials(), 3 * 6 + 4u);
    EXPECT_EQ(settings.readString("ComPort", ""), (folder / "dev" / "ttyUSB0").string());
}

TEST_F(InstrumentScanTest, FindsAnUncommonSettingInPhaseTwo) {
    // 4800 baud never comes up in phase 1. On a pty 7 and 8 data bits and even and no parity
    // look alike, so the unit's 7O1 is the first of its look-alikes in the scan order.
    startUnitAt(link::LineSettings{4800, link::Parity::Odd, link::StopBits::One, 7});
    startScan();
    ASSERT_TRUE(reporter.waitForMessage(kStatusScanFound, 240s));
    EXPECT_EQ(trials(), 18u + 4 * 20 + 1);
    EXPECT_EQ(settings.readString("BaudRate", ""), "4800");
    EXPECT_EQ(settings.readString("DataBits", ""), "7");
    EXPECT_EQ(settings.readString("StopBits", ""), "1");
    EXPECT_EQ(settings.readString("Parity", ""), "Odd");
}

// Not found, the settings go back as they were, before code 21 has the dialog reload them.
TEST_F(InstrumentScanTest, CancelEndsAsNotFoundAndRestoresTheSettings) {
    startUnitAt(link::LineSettings{115200, link::Parity::None, link::StopBits::One, 8});
    startScan();
    ASSERT_TRUE(reporter.waitForMessage(kStatusScanTrial, 10s, nullptr, 3));
    shared.scanRequest = false;
    ASSERT_TRUE(reporter.waitForMessage(kStatusScanNotFound, 10s));
    EXPECT_LT(trials(), 18u);
    EXPECT_FALSE(reporter.waitForMessage(kStatusScanFound, 0ms));
    EXPECT_EQ(testing::readWholeFile(settings.path()), before);
}

TEST_F(InstrumentScanTest, ShutdownEndsALongScanPromptly) {
    startUnitAt(link::LineSettings{115200, link::Parity::None, link::StopBits::One, 8});
    MonitorThread::Options slow = scanOptions();
    slow.timeouts = link::SerialTimeouts{};  // the instrument's own: about two seconds a trial
    slow.deviceFolder = folder / "dev";
    settings.writeString("ComPort", "Com1");
    shared.scanRequest = true;
    startMonitor(slow);
    ASSERT_TRUE(reporter.waitForMessage(kStatusScanTrial, 10s, nullptr, 2));
    shared.shuttingDown = true;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(monitor->stop());
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1500ms);
    monitor.reset();
}

}  // namespace
}  // namespace brevik2::engine
