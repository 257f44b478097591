#include "link/serial_port.h"

#include <cctype>
#include <chrono>
#include <vector>

#include "link/platform_port.h"
#include "link/port_name.h"
#include "link/settings_file.h"
#include "link/settings_keys.h"
#include "link/settings_value.h"
#include "link/status_output.h"
#include "link/stop_signal.h"
#include "link/trace.h"

namespace brevik2::link {

namespace keys = settings_keys;

SerialPort::SerialPort(const SettingsFile& settings, StatusOutput& status, SerialTimeouts timeouts,
                       const StopSignal* stop)
    : m_settings(settings),
      m_status(status),
      m_timeouts(timeouts),
      m_stop(stop),
      m_platform(nullptr) {
    open();
    configure();
}

SerialPort::~SerialPort() {
    close();
}

void SerialPort::open() {
    if (m_open) {
        close();
    }
    const std::string stored =
        trimSettingsValue(m_settings.readString(keys::kComPort.name, keys::kComPort.fallback, 255));
    m_deviceName = resolvePortName(stored, m_settings.path().parent_path());
    // The same port again keeps its object: a network port remembers how its last connections
    // went, to wait before trying again.
    if (!m_platform || m_platformName != m_deviceName) {
        m_platform = makePlatformPort(m_deviceName, m_stop, m_timeouts);
        m_platformName = m_deviceName;
    }
    m_openError = m_platform->open(m_deviceName);
    if (m_openError) {
        traceNote("open failed: " + m_deviceName + ": " + m_openError.message());
        // The reason first, so a receiver has it when the text comes.
        m_status.portFailed(m_deviceName, m_openError);
        m_status.statusText("Com Port Failed to open");
        return;
    }
    m_open = true;
    m_status.portOpened(m_deviceName);
    m_status.statusText("Com port Open OK");
}

void SerialPort::configure() {
    int baud = m_settings.readInt(keys::kBaudRate.name, keys::kBaudRate.fallbackNumber());
    if (!isValidBaudRate(baud)) {
        m_settings.writeString(keys::kBaudRate.name, "9600");
        baud = 9600;
    }

    const std::string parityText =
        trimSettingsValue(m_settings.readString(keys::kParity.name, keys::kParity.fallback, 9));
    switch (parityText.empty() ? '\0' : std::tolower(static_cast<unsigned char>(parityText[0]))) {
        case 'o':
            m_parity = Parity::Odd;
            break;
        case 'e':
            m_parity = Parity::Even;
            break;
        case 'n':
            m_parity = Parity::None;
            break;
        case 'm':
            m_parity = Parity::Mark;
            break;
        case 's':
            m_parity = Parity::Space;
            break;
        default:
            // Kept: the repair writes "1", which reads as invalid again next time; the parity in
            // use stays (on the very first configuration, the port's own).
            m_settings.writeString(keys::kParity.name, "1");
            break;
    }

    const std::string stopText =
        trimSettingsValue(m_settings.readString(keys::kStopBits.name, keys::kStopBits.fallback, 9));
    StopBits stopBits = StopBits::Two;
    if (stopText == "1") {
        stopBits = StopBits::One;
    } else if (stopText == "1.5") {
        stopBits = StopBits::OneAndHalf;
    } else if (stopText != "2") {
        // Kept: the file is repaired to 1 but this configuration uses 2.
        m_settings.writeString(keys::kStopBits.name, "1");
        m_status.statusText("Stop Bits Invalid in .ini file");
    }

    int dataBits = m_settings.readInt(keys::kDataBits.name, keys::kDataBits.fallbackNumber());
    if (dataBits != 7 && dataBits != 8) {
        // Kept: the file is repaired to 7 but this configuration uses 8.
        m_settings.writeString(keys::kDataBits.name, "7");
        m_status.statusText("Data Bits Invalid in .ini file");
        dataBits = 8;
    }

    const std::error_code configureError =
        m_open ? m_platform->configure(baud, m_parity, stopBits, dataBits)
               : std::make_error_code(std::errc::bad_file_descriptor);
    if (configureError) {
        traceNote("configure failed: " + configureError.message());
        // Kept: the same text on every platform; scripts match it.
        m_status.statusText("Configure: call to SetCommState failed");
        return;
    }
    m_line = LineSettings{baud, m_parity.value_or(Parity::None), stopBits, dataBits};
    m_status.statusText("Comport Configured Ok");
    m_configured = true;
}

bool SerialPort::close() {
    if (m_open) {
        m_platform->restoreAndClose();
    }
    m_open = false;
    m_configured = false;
    return false;
}

void SerialPort::reset() {
    m_status.statusText("Serial Port Reset");
    if (m_open) {
        // Drain what the unit still sends. A unit that never stops would keep a literal
        // "while a read returns a full block" loop going for ever, so the drain is bounded.
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(m_timeouts.drainLimitMs);
        int drained = 0;
        char block[11];
        while (drained < m_timeouts.drainLimitBytes &&
               std::chrono::steady_clock::now() < deadline && !(m_stop && m_stop->isRaised())) {
            const std::size_t got = m_platform->read(block, 10, m_timeouts, m_stop).received;
            traceBytes("drain", block, got);
            drained += static_cast<int>(got);
            if (got != 10) {
                break;
            }
        }
        // Requests still on their way out would be answered after the reopen, as if the
        // answers were to the requests of then.
        const std::size_t dropped = m_platform->discard(true);
        if (dropped > 0) {
            traceNote("reset: " + std::to_string(dropped) + " bytes discarded");
        }
    }
    close();
    open();
    configure();
}

bool SerialPort::read(std::size_t count, char* buffer, std::size_t* received) {
    if (!m_open) {
        reset();
    }
    std::size_t got = 0;
    if (m_open) {
        const PortReadResult result = m_platform->read(buffer, count, m_timeouts, m_stop);
        got = result.received;
        if (result.error) {
            traceNote("read failed: " + result.error.message());
        }
    }
    buffer[got] = '\0';
    if (m_line.dataBits == 7) {
        for (std::size_t i = 0; i < got; ++i) {
            buffer[i] = static_cast<char>(buffer[i] & 0x7F);
        }
    }
    traceBytes("read", buffer, got);
    if (received != nullptr) {
        *received = got;
    }
    return got == count;
}

void SerialPort::discardInput() {
    if (!m_open) {
        return;
    }
    const std::size_t dropped = m_platform->discard(false);
    if (dropped > 0) {
        traceNote("discarded " + std::to_string(dropped) + " stale bytes");
    }
}

bool SerialPort::write(const char* data, std::size_t count) {
    if (!m_open) {
        reset();
    }
    traceBytes("write", data, count);
    if (m_open) {
        const std::error_code error = m_platform->write(data, count, m_stop);
        if (!error) {
            return true;
        }
        traceNote("write failed: " + error.message());
    }
    reset();
    return false;
}

}  // namespace brevik2::link
