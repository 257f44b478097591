#include "link/settings_file.h"

#include "link/profile_text.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
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

// The whole file, an empty text when it does not exist, or why it cannot be used.
struct Loaded {
    std::optional<std::string> text;
    std::string problem;
};

std::string sizeProblem() {
    return "is larger than " + std::to_string(SettingsFile::kMaxBytes >> 20) +
           " MiB, too large for a settings file";
}

#ifdef _WIN32

Loaded loadText(const std::filesystem::path& path) {
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (status.type() == std::filesystem::file_type::not_found) {
        return {std::string(), {}};
    }
    if (ec) {
        return {std::nullopt, "cannot be read: " + ec.message()};
    }
    if (status.type() != std::filesystem::file_type::regular) {
        return {std::nullopt, "is not a regular file"};
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return {std::nullopt, "cannot be read"};
    }
    // In pieces up to one byte past the bound, whatever size the name showed a moment before:
    // another program may have renamed a new file over it since.
    std::string content;
    char piece[16384];
    while (in && content.size() <= SettingsFile::kMaxBytes) {
        in.read(piece, sizeof piece);
        content.append(piece, static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) {
        return {std::nullopt, "cannot be read"};
    }
    if (content.size() > SettingsFile::kMaxBytes) {
        return {std::nullopt, sizeProblem()};
    }
    return {std::move(content), {}};
}

#else

// Opened without blocking, so a FIFO or a device named as the settings file cannot stall the
// program, and refused unless it is a regular file of bounded size.
Loaded loadText(const std::filesystem::path& path) {
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return {std::string(), {}};
        }
        return {std::nullopt, std::string("cannot be read: ") + std::strerror(errno)};
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        return {std::nullopt, std::string("cannot be read: ") + std::strerror(errno)};
    }
    if (!S_ISREG(info.st_mode)) {
        return {std::nullopt, "is not a regular file"};
    }
    if (static_cast<std::uintmax_t>(info.st_size) > SettingsFile::kMaxBytes) {
        return {std::nullopt, sizeProblem()};
    }
    // One byte more than the bound shows a file that grew past it since fstat.
    std::string content(static_cast<std::size_t>(info.st_size) + 1, '\0');
    std::size_t filled = 0;
    for (;;) {
        if (filled == content.size()) {
            if (content.size() > SettingsFile::kMaxBytes) {
                return {std::nullopt, sizeProblem()};
            }
            content.resize(std::min<std::size_t>(content.size() * 2, SettingsFile::kMaxBytes + 1));
        }
        const ssize_t n = ::read(fd, content.data() + filled, content.size() - filled);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return {std::nullopt, std::string("cannot be read: ") + std::strerror(errno)};
        }
        if (n == 0) {
            break;
        }
        filled += static_cast<std::size_t>(n);
    }
    content.resize(filled);
    return {std::move(content), {}};
}

#endif

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
        text = loadText(m_path).text;
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
    std::optional<std::string> text = loadText(m_path).text;
    if (!text) {
        return false;  // never replace a file we could not read: that would lose its keys
    }
    ProfileText profile(std::move(*text));
    if (profile.find(kSection, key) == value) {
        return true;  // already so: the file is left untouched
    }
    profile.set(kSection, key, value);
    if (profile.text().size() > kMaxBytes) {
        return false;  // the file would no longer be read
    }
    return replaceFileAtomically(m_path, profile.text());
}

std::string SettingsFile::problem() const {
    std::lock_guard lock(settingsMutex());
    return loadText(m_path).problem;
}

std::optional<SettingsFile::Contents> SettingsFile::contents() const {
    std::lock_guard lock(settingsMutex());
    std::error_code ec;
    const bool exists = std::filesystem::exists(m_path, ec);
    std::optional<std::string> text = loadText(m_path).text;
    if (ec || !text) {
        return std::nullopt;
    }
    return Contents{exists, std::move(*text)};
}

bool SettingsFile::restoreKeys(const Contents& before,
                               std::span<const std::string_view> keys) const {
    std::lock_guard lock(settingsMutex());
    const CrossProcessLock otherPrograms(m_path);
    std::error_code ec;
    const bool exists = std::filesystem::exists(m_path, ec);
    std::optional<std::string> text = loadText(m_path).text;
    if (ec || !text) {
        return false;
    }
    if (!exists) {
        return true;  // whatever was written is gone already
    }
    // The file as writes of these keys alone, in this order, would have made it from before.
    ProfileText current(std::move(*text));
    ProfileText expected(before.bytes);
    for (const std::string_view key : keys) {
        const std::optional<std::string_view> now = current.find(kSection, key);
        if (now && expected.find(kSection, key) != now) {
            expected.set(kSection, key, *now);
        }
    }
    if (expected.text() == current.text()) {
        if (!before.exists) {
            return std::filesystem::remove(m_path, ec) && !ec;
        }
        return current.text() == before.bytes || replaceFileAtomically(m_path, before.bytes);
    }
    // Something else changed too: only these keys go back, and the other change stays.
    const std::string loaded = current.text();
    const ProfileText original(before.bytes);
    for (const std::string_view key : keys) {
        if (const std::optional<std::string_view> value = original.find(kSection, key)) {
            if (current.find(kSection, key) != value) {
                current.set(kSection, key, *value);
            }
        } else {
            current.erase(kSection, key);
        }
    }
    return current.text() == loaded || replaceFileAtomically(m_path, current.text());
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
           (!exists || (::_access(m_path.string().c_str(), 4) == 0 && problem().empty()));
#else
    return !ec && ::access(folder.c_str(), W_OK | X_OK) == 0 &&
           (!exists || (::access(m_path.c_str(), R_OK) == 0 && problem().empty()));
#endif
}

}  // namespace brevik2::link
