// The serial port on Windows: the communications API, with the read time-outs set in the
// driver. Not built on other systems.

#include <windows.h>

#include "link/platform_port.h"
#include "link/stop_signal.h"

namespace brevik2::link {
namespace {

std::error_code lastError() {
    return {static_cast<int>(GetLastError()), std::system_category()};
}

class Win32Port final : public PlatformPort {
public:
    ~Win32Port() override { restoreAndClose(); }

    std::error_code open(const std::string& device) override {
        m_handle = CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        return m_handle != INVALID_HANDLE_VALUE ? std::error_code{} : lastError();
    }

    std::error_code configure(int baudRate, std::optional<Parity> parity, StopBits stopBits,
                              int dataBits) override {
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        if (m_handle == INVALID_HANDLE_VALUE || !GetCommState(m_handle, &dcb)) {
            return lastError();
        }
        if (!m_savedValid) {
            m_savedState = dcb;
        }
        dcb.DCBlength = sizeof dcb;
        dcb.BaudRate = static_cast<DWORD>(baudRate);
        dcb.ByteSize = static_cast<BYTE>(dataBits);
        if (parity) {
            dcb.Parity = static_cast<BYTE>(*parity);
        }
        dcb.StopBits = static_cast<BYTE>(stopBits);
        dcb.fBinary = TRUE;
        dcb.fParity = TRUE;
        dcb.fOutxCtsFlow = FALSE;
        dcb.fOutxDsrFlow = FALSE;
        dcb.fDtrControl = DTR_CONTROL_ENABLE;
        dcb.fDsrSensitivity = FALSE;
        dcb.fOutX = FALSE;
        dcb.fInX = FALSE;
        dcb.fErrorChar = FALSE;
        dcb.fNull = FALSE;
        dcb.fRtsControl = RTS_CONTROL_ENABLE;
        dcb.fAbortOnError = TRUE;
        if (!SetCommState(m_handle, &dcb)) {
            return lastError();
        }
        if (!m_savedValid) {
            GetCommTimeouts(m_handle, &m_savedTimeouts);
            m_savedValid = true;
        }
        return {};
    }

    void restoreAndClose() override {
        if (m_handle == INVALID_HANDLE_VALUE) {
            return;
        }
        if (m_savedValid) {
            SetCommTimeouts(m_handle, &m_savedTimeouts);
            SetCommState(m_handle, &m_savedState);
        }
        CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
        m_savedValid = false;
    }

    PortReadResult read(char* buffer, std::size_t count, const SerialTimeouts& timeouts,
                        const StopSignal*) override {
        COMMTIMEOUTS t{};
        t.ReadIntervalTimeout = static_cast<DWORD>(timeouts.readIntervalMs);
        t.ReadTotalTimeoutMultiplier = static_cast<DWORD>(timeouts.readTotalMultiplierMs);
        t.ReadTotalTimeoutConstant = static_cast<DWORD>(timeouts.readTotalConstantMs);
        SetCommTimeouts(m_handle, &t);
        DWORD got = 0;
        if (!ReadFile(m_handle, buffer, static_cast<DWORD>(count), &got, nullptr)) {
            return {got, lastError()};
        }
        return {got, {}};
    }

    std::error_code write(const char* data, std::size_t count, const StopSignal*) override {
        DWORD written = 0;
        if (!WriteFile(m_handle, data, static_cast<DWORD>(count), &written, nullptr)) {
            return lastError();
        }
        return written == count ? std::error_code{} : std::make_error_code(std::errc::io_error);
    }

private:
    HANDLE m_handle = INVALID_HANDLE_VALUE;
    DCB m_savedState{};
    COMMTIMEOUTS m_savedTimeouts{};
    bool m_savedValid = false;
};

}  // namespace

std::unique_ptr<PlatformPort> makeDevicePort() {
    return std::make_unique<Win32Port>();
}

}  // namespace brevik2::link
