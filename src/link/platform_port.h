#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "link/line_settings.h"
#include "link/serial_timeouts.h"

namespace brevik2::link {

class StopSignal;

// The operating system's side of the serial port: one implementation per platform, chosen by
// the build (serial_port_posix.cpp, serial_port_win32.cpp).
class PlatformPort {
public:
    virtual ~PlatformPort() = default;

    // Opens the device for reading and writing, exclusively, as an existing device.
    virtual bool open(const std::string& device) = 0;
    // Applies the line settings starting from the port's current ones, which are saved the first
    // time for restoring at close. No parity keeps the port's current parity. False when the
    // system refuses.
    virtual bool configure(int baudRate, std::optional<Parity> parity, StopBits stopBits,
                           int dataBits) = 0;
    // Restores what configure saved (only when it ever completed) and closes.
    virtual void restoreAndClose() = 0;
    // Reads up to count bytes with the read time-outs; returns how many arrived. Ends at once
    // when the stop signal is raised.
    virtual std::size_t read(char* buffer, std::size_t count, const SerialTimeouts& timeouts,
                             const StopSignal* stop) = 0;
    // Writes all bytes; never times out, but gives up when the stop signal is raised.
    virtual bool write(const char* data, std::size_t count, const StopSignal* stop) = 0;
};

std::unique_ptr<PlatformPort> makePlatformPort();

}  // namespace brevik2::link
