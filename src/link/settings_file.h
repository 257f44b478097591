#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace brevik2::link {

// The settings file Brevik2.ini, section "Brevik2", with private-profile semantics: keys are
// case-insensitive, a value is the text after "=" without surrounding blanks, a write replaces
// the value in place or adds the key, creating the file and the section when missing, and
// leaves every other byte of the file as it was (ProfileText).
//
// There is no cache: every read goes to the file, so a value written by one part of the program
// is seen by the next read anywhere.
//
// Thread safety: every member may be called from any thread. Each call is one access,
// serialised with every other access in this process; a write replaces the file atomically
// (temporary file beside it, then rename), so a reader never sees a torn file.
class SettingsFile {
public:
    static constexpr const char* kSection = "Brevik2";
    // A settings file holds a few KiB. A larger one is not read at all: it is something else
    // named by mistake (a log, a device), and reading it would cost memory without bound.
    static constexpr std::size_t kMaxBytes = std::size_t{1} << 20;

    explicit SettingsFile(std::filesystem::path path);

    const std::filesystem::path& path() const { return m_path; }

    // The value of key, cut to maxChars characters; fallback when the key (or the file) is
    // missing. An empty value is returned as empty, not as the fallback.
    std::string readString(std::string_view key, std::string_view fallback,
                           std::size_t maxChars = 254) const;

    // The value of key cut to maxChars characters, or nothing when the key (or the file) is
    // missing.
    std::optional<std::string> find(std::string_view key, std::size_t maxChars = 254) const;

    // The value's leading decimal integer (optional sign); 0 when it has no digits; fallback
    // when the key is missing.
    int readInt(std::string_view key, int fallback) const;

    // Writes key = value; false when the file could not be written (read-only folder, a file
    // that cannot be read or is refused, full disk), would grow past kMaxBytes, or the value
    // holds a line break. The file on disk is then left as it was. Writing the value the key
    // already holds leaves the file untouched.
    bool writeString(std::string_view key, std::string_view value) const;

    // Whether a write could replace the file, found without changing anything.
    bool isWritable() const;

    // Why the file is refused or cannot be read ("is not a regular file", "is larger than 1 MiB,
    // too large for a settings file", "cannot be read: Permission denied"); empty when it can
    // be read or does not exist. While it is so, every read gives its fallback and every write
    // fails, leaving the file as it is.
    std::string problem() const;

    // The file's bytes as they are now, for restoreKeys; nothing when it cannot be read.
    struct Contents {
        bool exists = false;
        std::string bytes;
    };
    std::optional<Contents> contents() const;

    // Undoes writes of keys made since before was taken. When nothing else changed the file
    // meanwhile, it gets before's bytes again exactly (or goes, when it did not exist);
    // otherwise those keys alone get their old values back (a key that was missing is removed)
    // and the other changes stay. keys are in the order they were first written.
    bool restoreKeys(const Contents& before, std::span<const std::string_view> keys) const;

private:
    std::filesystem::path m_path;
};

}  // namespace brevik2::link
