#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

#include "line_settings.h"
#include "serial_timeouts.h"

namespace brevik2::link {

class SettingsFile;
class StatusOutput;
class StopSignal;
class PlatformPort;

// The one serial port through which the program talks to the instrument. It opens the port
// named by ComPort, sets the line from the settings file (repairing invalid values there),
// restores the port's earlier settings when it closes, and answers any failure on the wire
// with a reset: drain, close, reopen, reconfigure.
//
// Thread safety: none. Only the monitor thread creates, uses and destroys it; the stop
// signal is the one thing another thread touches, to end a blocking read at once.
class SerialPort {
public:
    // Opens and configures the port, as the settings say.
    SerialPort(const SettingsFile& settings, StatusOutput& status, SerialTimeouts timeouts = {},
               const StopSignal* stop = nullptr);
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    void open();
    void configure();
    bool close();  // always false
    void reset();

    // Reads up to count bytes into buffer, which must hold count + 1; a zero byte follows the
    // bytes received. With 7 data bits the top bit of every byte is cleared. True only when
    // exactly count bytes arrived; *received (when given) is how many did.
    bool read(std::size_t count, char* buffer, std::size_t* received = nullptr);
    // True only when all bytes were written; a failure resets the port.
    bool write(const char* data, std::size_t count);
    // Throws away what the line has received and not been read: before a request, whatever is
    // waiting belongs to an earlier one.
    void discardInput();

    bool isOpen() const { return m_open; }
    bool isConfigured() const { return m_configured; }
    const LineSettings& lineSettings() const { return m_line; }
    const SerialTimeouts& timeouts() const { return m_timeouts; }
    // The device the last open used, after "ComN" was resolved.
    const std::string& deviceName() const { return m_deviceName; }
    // Why the last open failed; empty after a successful one.
    const std::error_code& openError() const { return m_openError; }

private:
    const SettingsFile& m_settings;
    StatusOutput& m_status;
    SerialTimeouts m_timeouts;
    const StopSignal* m_stop;
    std::unique_ptr<PlatformPort> m_platform;
    LineSettings m_line;
    // Unset until a stored Parity has been recognised once.
    std::optional<Parity> m_parity;
    std::string m_deviceName;
    std::string m_platformName;  // the device m_platform was made for
    std::error_code m_openError;
    bool m_open = false;
    bool m_configured = false;
};

}  // namespace brevik2::link
