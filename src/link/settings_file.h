#pragma once

#include <filesystem>
#include <optional>
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
    // that cannot be read, full disk) or the value holds a line break. The file on disk is then
    // left as it was. Writing the value the key already holds leaves the file untouched.
    bool writeString(std::string_view key, std::string_view value) const;

    // Whether a write could replace the file, found without changing anything.
    bool isWritable() const;

private:
    std::filesystem::path m_path;
};

}  // namespace brevik2::link
