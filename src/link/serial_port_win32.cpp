// The serial port on Windows: the communications API with overlapped I/O, so that every wait
// watches the stop signal beside the I/O and ends at once when it is raised. The read
// time-outs are the driver's own. Not built on other systems.

#include <windows.h>

#include "link/platform_port.h"
#include "link/stop_signal.h"
#include "link/utf8_path.h"

namespace brevik2::link {
namespace {

std::error_code lastError() {
    return {static_cast<int>(GetLastError()), std::system_category()};
}

COMMTIMEOUTS driverTimeouts(const SerialTimeouts& timeouts) {
    COMMTIMEOUTS t{};
    if (timeouts.readTotalConstantMs <= 0 && timeouts.readTotalMultiplierMs <= 0) {
        // All zero means "wait for ever" to the driver; here it means "what has arrived".
        t.ReadIntervalTimeout = MAXDWORD;
        return t;
    }
    t.ReadIntervalTimeout =
        static_cast<DWORD>(timeouts.readIntervalMs > 0 ? timeouts.readIntervalMs : 0);
    t.ReadTotalTimeoutMultiplier = static_cast<DWORD>(timeouts.readTotalMultiplierMs);
    t.ReadTotalTimeoutConstant = static_cast<DWORD>(timeouts.readTotalConstantMs);
    // Write time-outs stay zero: writes never time out, only the stop signal ends them.
    return t;
}

bool sameTimeouts(const COMMTIMEOUTS& a, const COMMTIMEOUTS& b) {
    return a.ReadIntervalTimeout == b.ReadIntervalTimeout &&
           a.ReadTotalTimeoutMultiplier == b.ReadTotalTimeoutMultiplier &&
           a.ReadTotalTimeoutConstant == b.ReadTotalTimeoutConstant &&
           a.WriteTotalTimeoutMultiplier == b.WriteTotalTimeoutMultiplier &&
           a.WriteTotalTimeoutConstant == b.WriteTotalTimeoutConstant;
}

// A manual-reset event for one direction's overlapped operations, closed with its owner.
class OwnedEvent {
public:
    OwnedEvent() : m_handle(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~OwnedEvent() {
        if (m_handle != nullptr) {
            CloseHandle(m_handle);
        }
    }
    OwnedEvent(const OwnedEvent&) = delete;
    OwnedEvent& operator=(const OwnedEvent&) = delete;
    HANDLE get() const { return m_handle; }

private:
    HANDLE m_handle;
};

class Win32Port final : public PlatformPort {
public:
    ~Win32Port() override { restoreAndClose(); }

    std::error_code open(const std::string& device) override {
        if (m_readEvent.get() == nullptr || m_writeEvent.get() == nullptr) {
            return lastError();
        }
        // The wide call: a device or file name is UTF-8 here. "\\.\COMn" reaches every COM
        // number, not only 1 to 9.
        m_handle = CreateFileW(pathFromUtf8(device).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                               nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
        return m_handle != INVALID_HANDLE_VALUE ? std::error_code{} : lastError();
    }

    std::error_code configure(int baudRate, std::optional<Parity> parity, StopBits stopBits,
                              int dataBits) override {
        if (m_handle == INVALID_HANDLE_VALUE) {
            return std::make_error_code(std::errc::bad_file_descriptor);
        }
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        if (!GetCommState(m_handle, &dcb)) {
            return lastError();
        }
        if (!m_savedValid) {
            COMMTIMEOUTS timeouts{};
            if (!GetCommTimeouts(m_handle, &timeouts)) {
                return lastError();
            }
            m_savedState = dcb;
            m_savedTimeouts = timeouts;
            m_savedValid = true;
        }
        dcb.DCBlength = sizeof dcb;
        dcb.BaudRate = static_cast<DWORD>(baudRate);
        dcb.ByteSize = static_cast<BYTE>(dataBits);
        if (parity) {
            dcb.Parity = static_cast<BYTE>(*parity);  // the codes are the API's own
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
        m_timeoutsApplied = false;
        m_configured = true;
        return {};
    }

    void restoreAndClose() override {
        if (m_handle == INVALID_HANDLE_VALUE) {
            return;
        }
        // Put back only what this object changed, as the POSIX port does.
        if (m_savedValid && m_configured) {
            SetCommTimeouts(m_handle, &m_savedTimeouts);
            SetCommState(m_handle, &m_savedState);
        }
        CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
        m_savedValid = false;
        m_configured = false;
        m_timeoutsApplied = false;
    }

    PortReadResult read(char* buffer, std::size_t count, const SerialTimeouts& timeouts,
                        const StopSignal* stop) override {
        if (m_handle == INVALID_HANDLE_VALUE) {
            return {0, std::make_error_code(std::errc::bad_file_descriptor)};
        }
        if (count == 0) {
            return {};
        }
        if (const std::error_code error = applyTimeouts(driverTimeouts(timeouts))) {
            return {0, error};
        }
        // The driver ends the read by the time-outs; the wait's own bound only guards against
        // a driver that never does.
        const DWORD bound = static_cast<DWORD>(
            timeouts.readTotalConstantMs +
            static_cast<long long>(timeouts.readTotalMultiplierMs) * static_cast<long long>(count) +
            kDriverGraceMs);
        const DWORD asked = static_cast<DWORD>(count > kMaxChunk ? kMaxChunk : count);
        Transfer transfer;
        start(transfer, m_readEvent.get(), [&](OVERLAPPED* overlapped) {
            return ReadFile(m_handle, buffer, asked, nullptr, overlapped);
        });
        return finish(transfer, stop, bound);
    }

    std::error_code write(const char* data, std::size_t count, const StopSignal* stop) override {
        if (m_handle == INVALID_HANDLE_VALUE) {
            return std::make_error_code(std::errc::bad_file_descriptor);
        }
        std::size_t done = 0;
        while (done < count) {
            const std::size_t left = count - done;
            const DWORD asked = static_cast<DWORD>(left > kMaxChunk ? kMaxChunk : left);
            Transfer transfer;
            start(transfer, m_writeEvent.get(), [&](OVERLAPPED* overlapped) {
                return WriteFile(m_handle, data + done, asked, nullptr, overlapped);
            });
            const PortReadResult result = finish(transfer, stop, INFINITE);
            if (result.error) {
                return result.error;
            }
            if (result.received == 0) {
                return std::make_error_code(std::errc::io_error);  // never loop on no progress
            }
            done += result.received;
        }
        return {};
    }

    std::size_t discard(bool output) override {
        if (m_handle == INVALID_HANDLE_VALUE) {
            return 0;
        }
        COMSTAT status{};
        DWORD errors = 0;
        const std::size_t waiting = ClearCommError(m_handle, &errors, &status) ? status.cbInQue : 0;
        PurgeComm(m_handle, PURGE_RXCLEAR | (output ? PURGE_TXCLEAR : 0));
        return waiting;
    }

private:
    static constexpr std::size_t kMaxChunk = 1u << 30;
    static constexpr DWORD kDriverGraceMs = 2000;

    struct Transfer {
        Transfer() = default;
        Transfer(const Transfer&) = delete;
        Transfer& operator=(const Transfer&) = delete;
        OVERLAPPED overlapped{};
        std::error_code startError;
    };

    // The caller owns the transfer: the driver keeps the OVERLAPPED's address until the
    // operation ends, so it must not move.
    template <typename Call>
    void start(Transfer& transfer, HANDLE event, Call call) {
        ResetEvent(event);
        transfer.overlapped.hEvent = event;
        if (!call(&transfer.overlapped) && GetLastError() != ERROR_IO_PENDING) {
            transfer.startError = lastError();
        }
    }

    // Waits for the operation, the stop signal or the bound, whichever comes first, and
    // collects how many bytes moved. A cancelled operation is waited for to its end: the
    // driver owns the buffer and the OVERLAPPED until then.
    PortReadResult finish(Transfer& transfer, const StopSignal* stop, DWORD bound) {
        if (transfer.startError) {
            return {0, clearLineError(transfer.startError)};
        }
        HANDLE waits[2] = {transfer.overlapped.hEvent, nullptr};
        DWORD waitCount = 1;
        if (stop != nullptr && stop->event() != nullptr) {
            // The stop signal first: when both are set the stop wins, as on POSIX.
            waits[0] = stop->event();
            waits[1] = transfer.overlapped.hEvent;
            waitCount = 2;
        }
        const DWORD woke = WaitForMultipleObjects(waitCount, waits, FALSE, bound);
        const bool operationDone = woke == WAIT_OBJECT_0 + waitCount - 1;
        std::error_code error;
        if (!operationDone) {
            if (woke == WAIT_FAILED) {
                error = lastError();
            } else if (woke == WAIT_OBJECT_0 && waitCount == 2) {
                error = std::make_error_code(std::errc::operation_canceled);
            }
            CancelIoEx(m_handle, &transfer.overlapped);
        }
        DWORD moved = 0;
        if (!GetOverlappedResult(m_handle, &transfer.overlapped, &moved, TRUE) && !error) {
            const DWORD why = GetLastError();
            // Windows ends a read by its time-outs as a success with fewer bytes; Wine reports
            // a time-out status instead. Either is the time-out, not a failure.
            if (why != ERROR_OPERATION_ABORTED && why != ERROR_SEM_TIMEOUT &&
                why != ERROR_TIMEOUT) {
                error = clearLineError({static_cast<int>(why), std::system_category()});
            }
        }
        return {moved, error};
    }

    // After a line error the driver aborts every operation until the error is cleared; clear
    // it so that the reset that follows starts from a usable line.
    std::error_code clearLineError(std::error_code error) {
        DWORD errors = 0;
        ClearCommError(m_handle, &errors, nullptr);
        return error;
    }

    std::error_code applyTimeouts(const COMMTIMEOUTS& wanted) {
        if (m_timeoutsApplied && sameTimeouts(wanted, m_applied)) {
            return {};
        }
        COMMTIMEOUTS copy = wanted;
        if (!SetCommTimeouts(m_handle, &copy)) {
            return lastError();
        }
        m_applied = wanted;
        m_timeoutsApplied = true;
        return {};
    }

    HANDLE m_handle = INVALID_HANDLE_VALUE;
    OwnedEvent m_readEvent;
    OwnedEvent m_writeEvent;
    DCB m_savedState{};
    COMMTIMEOUTS m_savedTimeouts{};
    COMMTIMEOUTS m_applied{};
    bool m_savedValid = false;
    bool m_configured = false;
    bool m_timeoutsApplied = false;
};

}  // namespace

std::unique_ptr<PlatformPort> makeDevicePort() {
    return std::make_unique<Win32Port>();
}

}  // namespace brevik2::link
