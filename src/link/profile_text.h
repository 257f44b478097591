#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brevik2::link {

// The text of an INI file, read and edited in place. Operators edit the settings file by hand
// and keep it under version control, so an edit touches only the bytes it must: a new value
// replaces the old one between "=" (and its blanks) and the end of the line, a new key goes
// after the last entry of its section, a new section at the end of the file. Line ends, blanks
// around "=", comments and every other line stay as they were.
//
// Reading rules: a line break is LF, CR, CR LF or a zero byte; leading blanks are skipped; ";"
// and "#" start a comment line; "[name]" starts a section (a "[" without "]" starts one that
// matches nothing); "key=value" lines have their key and value stripped of blanks; lines
// without "=" or with an empty key are ignored. Section and key names compare without regard
// to case. Reading and editing take time in proportion to the text's length.
class ProfileText {
public:
    explicit ProfileText(std::string text) : m_text(std::move(text)) {}

    const std::string& text() const { return m_text; }

    // The value of key in section, or nothing when either is missing.
    std::optional<std::string_view> find(std::string_view section, std::string_view key) const;

    // Sets key to value in section. The value must not hold a line break or a zero byte.
    void set(std::string_view section, std::string_view key, std::string_view value);

    // Removes every line of key in section, each with its line break.
    void erase(std::string_view section, std::string_view key);

private:
    struct Place;
    Place locate(std::string_view section, std::string_view key) const;

    std::string m_text;
};

}  // namespace brevik2::link
