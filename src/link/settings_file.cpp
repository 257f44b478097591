#include "link/settings_file.h"

#include "link/profile_text.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <sstream>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace brevik2::link {
namespace {

// One lock for every settings file of the process: both threads read and write the same file,
// and a read must never see the other thread's half-done replacement.
std::mutex& settingsMutex() {
    static std::mutex mutex;
    return mutex;
}

// The whole file; an empty text when it does not exist, nothing when it cannot be read.
std::optional<std::string> loadText(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        return ec ? std::nullopt : std::optional<std::string>(std::string());
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) {
        return std::nullopt;
    }
    return content.str();
}

// Holds an exclusive lock on "<settings>.lock" for one read-modify-write, so that two programs
// on one settings file (the window and the console monitor installed side by side) never lose
// each other's keys. Readers need no lock: the rename keeps the file whole. Where the lock file
// cannot be made (a read-only folder) the write fails on its own anyway.
class CrossProcessLock {
public:
    explicit CrossProcessLock(const std::filesystem::path& settingsPath) {
        std::filesystem::path lockPath = settingsPath;
        lockPath += ".lock";
#ifdef _WIN32
        // Shared open modes let every program open the lock file; LockFileEx is what excludes.
        m_handle = CreateFileW(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (m_handle != INVALID_HANDLE_VALUE) {
            OVERLAPPED whole{};
            m_locked = LockFileEx(m_handle, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &whole) != 0;
        }
#else
        m_fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (m_fd >= 0) {
            while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
#endif
    }
    ~CrossProcessLock() {
#ifdef _WIN32
        if (m_handle != INVALID_HANDLE_VALUE) {
            if (m_locked) {
                OVERLAPPED whole{};
                UnlockFileEx(m_handle, 0, 1, 0, &whole);
            }
            CloseHandle(m_handle);
        }
#else
        if (m_fd >= 0) {
            ::close(m_fd);  // releases the lock
        }
#endif
    }
    CrossProcessLock(const CrossProcessLock&) = delete;
    CrossProcessLock& operator=(const CrossProcessLock&) = delete;

private:
#ifdef _WIN32
    HANDLE m_handle = INVALID_HANDLE_VALUE;
    bool m_locked = false;
#else
    int m_fd = -1;
#endif
};

int processId() {
#ifdef _WIN32
    return _getpid();
#else
    return static_cast<int>(::getpid());
#endif
}

bool replaceFileAtomically(const std::filesystem::path& path, const std::string& content) {
#ifdef _WIN32
    // A file the operator marked read-only stays as it is. Windows refuses the replace itself;
    // asking first makes that so under Wine too, and spares the retries below.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return false;
    }
#endif
    // A temporary name of this process's own, so another program's write never collides.
    std::filesystem::path temp = path;
    temp += ".tmp" + std::to_string(processId());
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) {
            return false;
        }
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        out.flush();
        if (!out) {
            out.close();
            std::error_code ignored;
            std::filesystem::remove(temp, ignored);
            return false;
        }
    }
    std::error_code ec;
#ifdef _WIN32
    // Replaces an existing file in one step and returns only once the new name is on disk. A
    // reader in another program holds the file open for a moment without sharing deletion, so
    // a refusal for that is retried for a short while.
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExW(temp.c_str(), path.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            break;
        }
        const DWORD error = GetLastError();
        if ((error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) || attempt >= 100) {
            ec.assign(static_cast<int>(error), std::system_category());
            break;
        }
        Sleep(10);
    }
#else
    std::filesystem::rename(temp, path, ec);
#endif
    if (ec) {
        std::filesystem::remove(temp, ec);
        return false;
    }
    return true;
}

}  // namespace

SettingsFile::SettingsFile(std::filesystem::path path) : m_path(std::move(path)) {}

std::optional<std::string> SettingsFile::find(std::string_view key, std::size_t maxChars) const {
    std::optional<std::string> text;
    {
        std::lock_guard lock(settingsMutex());
        text = loadText(m_path);
    }
    if (!text) {
        return std::nullopt;
    }
    const ProfileText profile(std::move(*text));
    const std::optional<std::string_view> found = profile.find(kSection, key);
    if (!found) {
        return std::nullopt;
    }
    return std::string(found->substr(0, maxChars));
}

std::string SettingsFile::readString(std::string_view key, std::string_view fallback,
                                     std::size_t maxChars) const {
    std::string value = find(key, maxChars).value_or(std::string(fallback));
    if (value.size() > maxChars) {
        value.resize(maxChars);
    }
    return value;
}

int SettingsFile::readInt(std::string_view key, int fallback) const {
    const std::optional<std::string> found = find(key, 4096);
    if (!found) {
        return fallback;
    }
    const std::string& text = *found;
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        value = value * 10 + (text[i] - '0');
        if (value > 0x7FFFFFFFLL) {
            value = 0x7FFFFFFFLL;  // saturate rather than overflow on a silly stored value
        }
        ++i;
    }
    return static_cast<int>(negative ? -value : value);
}

bool SettingsFile::writeString(std::string_view key, std::string_view value) const {
    if (value.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) {
        return false;  // it would end its own line and start another
    }
    std::lock_guard lock(settingsMutex());
    const CrossProcessLock otherPrograms(m_path);
    std::optional<std::string> text = loadText(m_path);
    if (!text) {
        return false;  // never replace a file we could not read: that would lose its keys
    }
    ProfileText profile(std::move(*text));
    if (profile.find(kSection, key) == value) {
        return true;  // already so: the file is left untouched
    }
    profile.set(kSection, key, value);
    return replaceFileAtomically(m_path, profile.text());
}

bool SettingsFile::isWritable() const {
    // A write makes a temporary file and the lock file beside the settings file and renames the
    // one over it, so what counts is the folder, and that the file can be read first.
    std::filesystem::path folder = m_path.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    std::error_code ec;
    const bool exists = std::filesystem::exists(m_path, ec);
#ifdef _WIN32
    return !ec && ::_access(folder.string().c_str(), 2) == 0 &&
           (!exists || ::_access(m_path.string().c_str(), 4) == 0);
#else
    return !ec && ::access(folder.c_str(), W_OK | X_OK) == 0 &&
           (!exists || ::access(m_path.c_str(), R_OK) == 0);
#endif
}

}  // namespace brevik2::link
