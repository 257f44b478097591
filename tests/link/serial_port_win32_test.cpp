// The Windows port on a real COM port: scripts/windows-check.sh maps COM1 of the Wine prefix to
// the native simulator's pseudo-terminal, plays a unit that never answers, and names the port in
// BREVIK2_TEST_COM_PORT. Without that variable there is no port to test and the cases skip.

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <future>

#include "link/platform_port.h"
#include "link/port_name.h"
#include "link/stop_signal.h"

namespace brevik2::link {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Long enough that a read ending by its time-out cannot pass for one ended by the stop signal.
constexpr SerialTimeouts kLong{100, 10, 30000, 4096, 500};
constexpr SerialTimeouts kQuick{50, 10, 300, 4096, 500};

class Win32PortOnSilentUnit : public ::testing::Test {
protected:
    void SetUp() override {
        const char* named = std::getenv("BREVIK2_TEST_COM_PORT");
        if (named == nullptr || *named == '\0') {
            GTEST_SKIP() << "BREVIK2_TEST_COM_PORT names no port (scripts/windows-check.sh does)";
        }
        device = resolvePortName(named, {});
        ASSERT_FALSE(port->open(device)) << device;
        ASSERT_FALSE(port->configure(9600, Parity::None, StopBits::One, 8));
    }

    std::string device;
    std::unique_ptr<PlatformPort> port = makePlatformPort("");
    StopSignal stop;
};

TEST_F(Win32PortOnSilentUnit, ReadEndsByTheDriverTimeoutsWithoutError) {
    char buffer[16];
    const auto started = Clock::now();
    const PortReadResult result = port->read(buffer, 10, kQuick, &stop);
    const auto took = Clock::now() - started;
    EXPECT_EQ(result.received, 0u);
    EXPECT_FALSE(result.error) << result.error.message();
    EXPECT_GE(took, 250ms);  // the total time-out, 300 ms + 10 x 10 ms, was waited for
    EXPECT_LT(took, 3s);
}

TEST_F(Win32PortOnSilentUnit, StopSignalEndsAPendingReadAtOnceAndThePortStaysUsable) {
    char buffer[16];
    std::promise<void> calling;
    auto reading = std::async(std::launch::async, [&] {
        const auto started = Clock::now();
        calling.set_value();
        const PortReadResult result = port->read(buffer, 10, kLong, &stop);
        return std::make_pair(result, Clock::now() - started);
    });
    // Whether the read is pending in the driver yet or about to be, the raise must end it.
    calling.get_future().wait();
    stop.raise();
    ASSERT_EQ(reading.wait_for(5s), std::future_status::ready) << "read outlived the stop signal";
    const auto [result, took] = reading.get();
    EXPECT_EQ(result.error, std::make_error_code(std::errc::operation_canceled));
    EXPECT_LT(took, 5s);

    // A raised signal ends the next read and write before they start waiting.
    EXPECT_EQ(port->read(buffer, 10, kLong, &stop).error,
              std::make_error_code(std::errc::operation_canceled));
    EXPECT_EQ(port->write("ST\r", 3, &stop), std::make_error_code(std::errc::operation_canceled));

    // The cancelled operation left the handle in order.
    stop.clear();
    EXPECT_FALSE(port->write("ST\r", 3, &stop));
    const PortReadResult after = port->read(buffer, 10, kQuick, &stop);
    EXPECT_FALSE(after.error) << after.error.message();
}

bool underWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

TEST_F(Win32PortOnSilentUnit, OpenFailuresCarryTheSystemError) {
    // Exclusive: a second handle on the open port is refused. Wine grants it (its serial
    // devices ignore the sharing mode), so only Windows can show this.
    auto second = makePlatformPort("");
    const std::error_code busy = second->open(device);
    if (!underWine()) {
        EXPECT_EQ(busy.value(), ERROR_ACCESS_DENIED) << busy.message();
    }
    second->restoreAndClose();

    // A number past 9 goes through the device namespace and fails as a missing device.
    const std::error_code missing = second->open(resolvePortName("COM250", {}));
    EXPECT_EQ(missing.value(), ERROR_FILE_NOT_FOUND) << missing.message();
    EXPECT_EQ(&missing.category(), &std::system_category());
    EXPECT_FALSE(missing.message().empty());

    // Closing gives the port back.
    port->restoreAndClose();
    EXPECT_FALSE(second->open(device));
}

TEST(NetworkPortWin32, ANetworkNameFailsToOpenWithAClearReason) {
    for (const char* name : {"tcp://127.0.0.1:7000", "rfc2217://127.0.0.1:7001"}) {
        const std::error_code error = makePlatformPort(name)->open(name);
        EXPECT_EQ(error.message(), "serial ports on the network are not built on this platform")
            << name;
    }
}

}  // namespace
}  // namespace brevik2::link
