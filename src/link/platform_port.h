#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "link/line_settings.h"
#include "link/serial_timeouts.h"

namespace brevik2::link {

class StopSignal;

// What one read brought: the bytes that arrived and, when it ended early for a reason other than
// the time-outs, why (the device went away, the system refused, the stop signal was raised).
struct PortReadResult {
    std::size_t received = 0;
    std::error_code error;
};

// The operating system's side of the serial port: one implementation per platform, chosen by
// the build (serial_port_posix.cpp, serial_port_win32.cpp). Every failure carries the system's
// own error, so the trace and the operator can be told why.
class PlatformPort {
public:
    virtual ~PlatformPort() = default;

    // Opens the device for reading and writing, exclusively, as an existing device.
    virtual std::error_code open(const std::string& device) = 0;
    // Applies the line settings starting from the port's current ones, which are saved the first
    // time for restoring at close. No parity keeps the port's current parity.
    virtual std::error_code configure(int baudRate, std::optional<Parity> parity, StopBits stopBits,
                                      int dataBits) = 0;
    // Restores what configure saved (only when it ever completed) and closes.
    virtual void restoreAndClose() = 0;
    // Reads up to count bytes with the read time-outs. Ends at once when the stop signal is
    // raised.
    virtual PortReadResult read(char* buffer, std::size_t count, const SerialTimeouts& timeouts,
                                const StopSignal* stop) = 0;
    // Writes all bytes; never times out, but gives up when the stop signal is raised.
    virtual std::error_code write(const char* data, std::size_t count, const StopSignal* stop) = 0;
    // Throws away what has been received and not read yet and, with output, what was written and
    // has not gone out yet. How many received bytes went, where the system tells.
    virtual std::size_t discard(bool output) {
        (void)output;
        return 0;
    }
};

// Why a name that opened was refused as a port: it is not a terminal device (a regular file, a
// FIFO, a directory, /dev/null).
std::error_code notSerialDevice();

// The port for a ComPort value already resolved to a device name: a network port for
// "tcp://HOST:PORT" and "rfc2217://HOST:PORT", whose connection set-up the stop signal can end,
// and the platform's local device otherwise.
std::unique_ptr<PlatformPort> makePlatformPort(std::string_view device,
                                               const StopSignal* stop = nullptr,
                                               const SerialTimeouts& timeouts = {});

// The local device port of this platform (serial_port_posix.cpp, serial_port_win32.cpp).
std::unique_ptr<PlatformPort> makeDevicePort();

}  // namespace brevik2::link
