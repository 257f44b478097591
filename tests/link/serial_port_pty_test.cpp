// The serial port against real pseudo-terminals: the test plays the instrument on the master.

#include "link/serial_port.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "link/platform_port.h"
#include "link/request_framing.h"
#include "link/settings_file.h"
#include "link/stop_signal.h"
#include "support/pty_pair.h"
#include "support/recording_status_output.h"
#include "support/stopped_read.h"
#include "support/temp_folder.h"

namespace brevik2::link {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Short time-outs keep the suite quick; the rules are the same as with the instrument's.
constexpr SerialTimeouts kQuick{50, 10, 200, 4096, 500};

class SerialPortPty : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(pty.slaveName().empty());
        settings.writeString("ComPort", pty.slaveName());
        settings.writeString("BaudRate", "9600");
        settings.writeString("Parity", "n");
        settings.writeString("StopBits", "1");
        settings.writeString("DataBits", "8");
    }

    termios masterView() const {
        termios t{};
        tcgetattr(pty.masterFd(), &t);
        return t;
    }

    testing::TempFolder folder;
    testing::PtyPair pty;
    SettingsFile settings{folder / "Brevik2.ini"};
    testing::RecordingStatusOutput status;
};

TEST_F(SerialPortPty, OpensAndConfiguresARawLine) {
    SerialPort port(settings, status, kQuick);
    EXPECT_TRUE(port.isOpen());
    EXPECT_TRUE(port.isConfigured());
    EXPECT_EQ(status.texts(),
              (std::vector<std::string>{"Com port Open OK", "Comport Configured Ok"}));
    const termios t = masterView();
    EXPECT_EQ(cfgetospeed(&t), B9600);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO), 0u);
    EXPECT_EQ(t.c_iflag & (ICRNL | IXON), 0u);
    EXPECT_EQ(t.c_cflag & CSTOPB, 0u);
}

TEST_F(SerialPortPty, MissingDeviceReportsAndRetriesOnUse) {
    settings.writeString("ComPort", (folder / "no-such-port").string());
    SerialPort port(settings, status, kQuick);
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(status.texts(), (std::vector<std::string>{"Com Port Failed to open",
                                                        "Configure: call to SetCommState failed"}));
    status.clear();
    char buffer[9];
    EXPECT_FALSE(port.read(8, buffer));
    EXPECT_EQ(status.texts().front(), "Serial Port Reset");
    EXPECT_TRUE(status.saw("Com Port Failed to open"));
}

// What is not a terminal device is refused before anything is written to it.
TEST_F(SerialPortPty, OnlyATerminalDeviceOpens) {
    const std::string content = "[Brevik2]\nComPort=Com1\n";
    testing::writeWholeFile(folder / "file", content);
    ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0600), 0);
    std::filesystem::create_directory(folder / "dir");
    for (const std::string& name : {(folder / "file").string(), (folder / "fifo").string(),
                                    std::string("/dev/null"), (folder / "dir").string()}) {
        settings.writeString("ComPort", name);
        SerialPort port(settings, status, kQuick);
        EXPECT_FALSE(port.isOpen()) << name;
        EXPECT_EQ(port.openError(), notSerialDevice()) << name;
        EXPECT_FALSE(sendRequest(port, "D*1")) << name;
    }
    EXPECT_EQ(testing::readWholeFile(folder / "file"), content);
}

// The claim on the port holds while its holder lives and ends with it, however it ends.
TEST_F(SerialPortPty, AKilledHolderLeavesThePortFree) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        testing::RecordingStatusOutput quiet;
        SerialPort held(settings, quiet, kQuick);
        const char opened = held.isOpen() ? '1' : '0';
        (void)!write(ready[1], &opened, 1);
        for (;;) {
            pause();
        }
    }
    close(ready[1]);
    pollfd wait{ready[0], POLLIN, 0};
    char opened = 0;
    ASSERT_EQ(poll(&wait, 1, 5000), 1);
    ASSERT_EQ(read(ready[0], &opened, 1), 1);
    close(ready[0]);
    EXPECT_EQ(opened, '1');
    {
        SerialPort second(settings, status, kQuick);
        EXPECT_EQ(second.openError(), std::errc::device_or_resource_busy);
    }
    kill(child, SIGKILL);
    ASSERT_EQ(waitpid(child, nullptr, 0), child);
    SerialPort successor(settings, status, kQuick);
    EXPECT_TRUE(successor.isOpen()) << successor.openError().message();
}

struct RepairCase {
    const char* key;
    const char* stored;
    const char* storedAfter;  // nullptr: unchanged
    const char* statusText;   // nullptr: none
};

class SerialSettingsRepair : public SerialPortPty,
                             public ::testing::WithParamInterface<RepairCase> {};

TEST_P(SerialSettingsRepair, InvalidValuesAreRepairedInTheFile) {
    const RepairCase c = GetParam();
    settings.writeString(c.key, c.stored);
    SerialPort port(settings, status, kQuick);
    EXPECT_EQ(settings.readString(c.key, ""), c.storedAfter ? c.storedAfter : c.stored);
    if (c.statusText) {
        EXPECT_TRUE(status.saw(c.statusText));
    }
    EXPECT_TRUE(port.isConfigured());
}

INSTANTIATE_TEST_SUITE_P(
    Keys, SerialSettingsRepair,
    ::testing::Values(RepairCase{"BaudRate", "1234", "9600", nullptr},
                      RepairCase{"StopBits", "3", "1", "Stop Bits Invalid in .ini file"},
                      RepairCase{"DataBits", "6", "7", "Data Bits Invalid in .ini file"},
                      RepairCase{"Parity", "Quiet", "1", nullptr},
                      RepairCase{"Parity", "", "1", nullptr},
                      RepairCase{"StopBits", "2", nullptr, nullptr}));

TEST_F(SerialPortPty, RepairedValuesAreTheOnesInUse) {
    settings.writeString("BaudRate", "1234");
    settings.writeString("StopBits", "3");
    settings.writeString("DataBits", "6");
    SerialPort port(settings, status, kQuick);
    EXPECT_EQ(port.lineSettings().baudRate, 9600);
    EXPECT_EQ(port.lineSettings().stopBits, StopBits::Two);  // two now, one from the file next
    EXPECT_EQ(port.lineSettings().dataBits, 8);
    EXPECT_NE(masterView().c_cflag & CSTOPB, 0u);
}

TEST_F(SerialPortPty, ParityWordsByFirstLetter) {
    for (const char* word : {"EVEN", "e", "Even ; as the unit leaves the factory"}) {
        settings.writeString("Parity", word);
        SerialPort port(settings, status, kQuick);
        EXPECT_EQ(port.lineSettings().parity, Parity::Even) << word;
    }
    settings.writeString("Parity", "odd");
    SerialPort odd(settings, status, kQuick);
    EXPECT_NE(masterView().c_cflag & PARODD, 0u);  // a pty keeps the odd flag
}

TEST_F(SerialPortPty, SevenDataBitsClearTheTopBit) {
    settings.writeString("DataBits", "7");
    SerialPort port(settings, status, kQuick);
    pty.send("\xC1\x41");
    char buffer[3];
    ASSERT_TRUE(port.read(2, buffer));
    EXPECT_EQ(buffer[0], 0x41);
    EXPECT_EQ(buffer[1], 0x41);
    EXPECT_EQ(buffer[2], '\0');
}

TEST_F(SerialPortPty, ReadTimeOutsFollowTheTotalAndIntervalRules) {
    SerialPort port(settings, status, kQuick);
    char buffer[64];
    std::size_t got = 99;

    auto start = Clock::now();
    EXPECT_FALSE(port.read(8, buffer, &got));  // silent unit: the whole 200 + 10 x 8 ms
    auto elapsed = Clock::now() - start;
    EXPECT_EQ(got, 0u);
    EXPECT_GE(elapsed, 270ms);
    EXPECT_LT(elapsed, 1000ms);

    pty.send("abc");  // three bytes, then silence: the 50 ms interval ends the read early
    start = Clock::now();
    EXPECT_FALSE(port.read(40, buffer, &got));
    elapsed = Clock::now() - start;
    EXPECT_EQ(got, 3u);
    EXPECT_EQ(std::string(buffer), "abc");
    EXPECT_LT(elapsed, 500ms);

    pty.send("0123456789");
    EXPECT_TRUE(port.read(10, buffer, &got));
    EXPECT_EQ(std::string(buffer), "0123456789");
}

TEST_F(SerialPortPty, StopSignalEndsABlockingReadAtOnce) {
    StopSignal stop;
    SerialPort port(settings, status, SerialTimeouts{100, 10, 5000, 4096, 500}, &stop);
    const auto took = testing::readUntilStopped(port, stop);
    ASSERT_TRUE(took);
    EXPECT_LT(*took, 2000ms);
}

TEST_F(SerialPortPty, ReadUntilStopsAtTerminatorOrLimit) {
    SerialPort port(settings, status, kQuick);
    std::string reply = "untouched";
    EXPECT_TRUE(readUntil(port, reply, '\0', 100));
    EXPECT_EQ(reply, "untouched");

    pty.send("\x02W00 OK\r\n\x03tail");
    EXPECT_TRUE(readUntil(port, reply, kEtx, 1024));
    EXPECT_EQ(reply, "\x02W00 OK\r\n\x03");

    char drain[16];
    ASSERT_TRUE(port.read(4, drain));  // the "tail" the unit sent after its ETX
    const std::string flood(1024, 'x');
    pty.send(flood + "\x03");
    EXPECT_FALSE(readUntil(port, reply, kEtx, 1024));
    EXPECT_EQ(reply.size(), 1024u);

    EXPECT_FALSE(readUntil(port, reply, kEtx, 0));
    EXPECT_TRUE(reply.empty());
}

TEST_F(SerialPortPty, RequestGoesOutInItsWritesAndCloseRestoresTheLine) {
    const termios before = masterView();
    {
        settings.writeString("BaudRate", "4800");
        SerialPort port(settings, status, kQuick);
        const termios during = masterView();
        EXPECT_EQ(cfgetospeed(&during), B4800);
        ASSERT_TRUE(sendRequest(port, "W01", "+000000"));
        EXPECT_EQ(pty.receive(200), std::string("\x02W01 00000 +000000\x03", 19));
    }
    const termios after = masterView();
    EXPECT_EQ(cfgetospeed(&after), cfgetospeed(&before));
    EXPECT_EQ(after.c_lflag, before.c_lflag);
}

TEST_F(SerialPortPty, ResetDrainIsBoundedAgainstAStreamingUnit) {
    SerialPort port(settings, status, SerialTimeouts{50, 10, 200, 4096, 300});
    std::atomic<bool> streaming{true};
    std::thread unit([&] {
        while (streaming) {
            pty.send(std::string(64, 'z'));
            std::this_thread::sleep_for(1ms);
        }
    });
    const auto start = Clock::now();
    port.reset();
    const auto elapsed = Clock::now() - start;
    streaming = false;
    unit.join();
    EXPECT_LT(elapsed, 2000ms);
    EXPECT_TRUE(port.isConfigured());
    EXPECT_EQ(status.texts().back(), "Comport Configured Ok");
}

}  // namespace
}  // namespace brevik2::link
