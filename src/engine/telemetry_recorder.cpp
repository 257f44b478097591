#include "telemetry_recorder.h"

#include <cerrno>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include "engine/telemetry_file_path.h"
#include "link/settings_file.h"
#include "link/settings_value.h"
#include "link/status_output.h"
#include "link/utf8_path.h"
#include "telemetry_format.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace brevik2::engine {

namespace {

constexpr const char* kOpenFailureText = "File Open Failure while writing telemetry record";
constexpr const char* kWriteFailureText = "File Write Failure while writing telemetry record";

// The few file calls the recorder needs, on a plain descriptor: append-only open, size, one
// write, truncate and close. Binary mode on Windows, since the lines carry their own CR LF.
#if defined(_WIN32)

int openForAppend(const std::string& path) {
    int fd = -1;
    // The wide call: the name is UTF-8 text from the settings file.
    if (_wsopen_s(&fd, link::pathFromUtf8(path).c_str(),
                  _O_WRONLY | _O_APPEND | _O_CREAT | _O_BINARY, _SH_DENYNO,
                  _S_IREAD | _S_IWRITE) != 0) {
        return -1;
    }
    return fd;
}

bool refusesFiles(int) {
    return false;
}

bool isRegularFile(int fd) {
    struct _stat64 info {};
    return _fstat64(fd, &info) == 0 && (info.st_mode & _S_IFMT) == _S_IFREG;
}

std::optional<std::int64_t> fileSize(int fd) {
    struct _stat64 info {};
    if (_fstat64(fd, &info) != 0) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(info.st_size);
}

std::int64_t writeOnce(int fd, const std::string& text) {
    return _write(fd, text.data(), static_cast<unsigned int>(text.size()));
}

bool truncateTo(int fd, std::int64_t size) {
    return _chsize_s(fd, size) == 0;
}

bool closeFile(int fd) {
    return _close(fd) == 0;
}

#else

// Without blocking: a FIFO or a device at the data file's name would otherwise hold the monitor
// thread in open() until something reads it.
int openForAppend(const std::string& path) {
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC,
                    0644);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// A failed open that shows the name is not a file at all (a FIFO or socket nobody reads, a
// folder): trying again would not help.
bool refusesFiles(int error) {
    return error == ENXIO || error == EISDIR;
}

bool isRegularFile(int fd) {
    struct stat info {};
    return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

std::optional<std::int64_t> fileSize(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(info.st_size);
}

std::int64_t writeOnce(int fd, const std::string& text) {
    ssize_t written = -1;
    do {  // an interrupted write has written nothing and may be repeated
        written = ::write(fd, text.data(), text.size());
    } while (written < 0 && errno == EINTR);
    return written;
}

bool truncateTo(int fd, std::int64_t size) {
    return ::ftruncate(fd, static_cast<off_t>(size)) == 0;
}

bool closeFile(int fd) {
    return ::close(fd) == 0;
}

#endif

LocalDateTime toLocalDateTime(std::time_t seconds) {
    std::tm parts{};
#if defined(_WIN32)
    localtime_s(&parts, &seconds);
#else
    localtime_r(&seconds, &parts);
#endif
    LocalDateTime local;
    local.year = parts.tm_year + 1900;
    local.month = parts.tm_mon + 1;
    local.day = parts.tm_mday;
    local.hour = parts.tm_hour;
    local.minute = parts.tm_min;
    local.second = parts.tm_sec;
    return local;
}

}  // namespace

TelemetryRecorder::TelemetryRecorder(const link::SettingsFile& settings, link::StatusOutput& status)
    : TelemetryRecorder(settings, status, Timing{}) {}

TelemetryRecorder::TelemetryRecorder(const link::SettingsFile& settings, link::StatusOutput& status,
                                     Timing timing, Clock clock)
    : m_settings(settings), m_status(status), m_timing(timing), m_clock(std::move(clock)) {
    if (!m_clock) {
        m_clock = [] { return std::chrono::system_clock::now(); };
    }
}

bool TelemetryRecorder::writeRecord(const UnitRecords& records) {
    // One instant for the local time columns and the MJD, in whole seconds, so both describe
    // the same moment.
    const std::time_t now = std::chrono::system_clock::to_time_t(m_clock());
    const LocalDateTime local = toLocalDateTime(now);

    const std::optional<std::string> found = telemetryDataFilePath(
        m_settings, static_cast<long>(records.variables.asSigned(kVarUnitId)));
    // A name that would leave the data directory can never be opened, so it fails at once
    // rather than after the retries.
    if (!found) {
        m_status.statusText(kOpenFailureText);
        return false;
    }
    const std::string& path = *found;

    // Another program (a viewer, a copy job) may hold the file for a moment between polls.
    int fd = -1;
    const int attempts = m_timing.openAttempts > 0 ? m_timing.openAttempts : 1;
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        fd = openForAppend(path);
        if (fd >= 0) {
            break;
        }
        if (refusesFiles(errno)) {
            m_status.statusText(kWriteFailureText);
            return false;
        }
        if (attempt < attempts) {
            std::this_thread::sleep_for(m_timing.retryDelay);
        }
    }
    if (fd < 0) {
        m_status.statusText(kOpenFailureText);
        return false;
    }
    // Only a regular file takes records: a device or a FIFO would swallow them, or block.
    if (!isRegularFile(fd)) {
        closeFile(fd);
        m_status.statusText(kWriteFailureText);
        return false;
    }

    // The header goes into an empty file, new or left empty by a record that was taken back,
    // so the first line of a data file is always the header.
    const std::optional<std::int64_t> sizeBefore = fileSize(fd);
    if (!sizeBefore) {
        closeFile(fd);
        m_status.statusText(kWriteFailureText);
        return false;
    }
    std::string text = *sizeBefore == 0 ? telemetryHeaderLine() : std::string();
    text += formatTelemetryLine(records, local, modifiedJulianDate(static_cast<double>(now)));

    // One write, so a reader between polls never sees half a record; on a full disk the part
    // that did land is cut off again and the record is reported lost.
    const std::int64_t written = writeOnce(fd, text);
    if (written != static_cast<std::int64_t>(text.size())) {
        truncateTo(fd, *sizeBefore);
        closeFile(fd);
        m_status.statusText(kWriteFailureText);
        return false;
    }
    // Some file systems report a lost write only when the file is closed.
    if (!closeFile(fd)) {
        m_status.statusText(kWriteFailureText);
        return false;
    }
    return true;
}

}  // namespace brevik2::engine
