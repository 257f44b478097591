#include "link/profile_text.h"

#include <algorithm>
#include <cctype>
#include <utility>
#include <vector>

namespace brevik2::link {
namespace {

bool isBreak(char c) {
    return c == '\n' || c == '\r' || c == '\0';
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool sameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

std::size_t skipBlanks(std::string_view text, std::size_t from, std::size_t end) {
    while (from < end && isBlank(text[from])) {
        ++from;
    }
    return from;
}

std::size_t trimBlanksBack(std::string_view text, std::size_t begin, std::size_t end) {
    while (end > begin && isBlank(text[end - 1])) {
        --end;
    }
    return end;
}

// The line break new lines get: the file's own (CR LF when its first break is one), else LF.
std::string_view lineBreakOf(std::string_view text) {
    const std::size_t first = text.find_first_of("\r\n");
    if (first != std::string_view::npos && text[first] == '\r' && first + 1 < text.size() &&
        text[first + 1] == '\n') {
        return "\r\n";
    }
    return "\n";
}

}  // namespace

struct ProfileText::Place {
    std::optional<std::size_t> valueBegin;
    std::size_t valueEnd = 0;
    // Just after the last entry (or the header) of the section's last block.
    std::optional<std::size_t> insertAt;
    // Every line of the key in the section, from its first byte to the next line's.
    std::vector<std::pair<std::size_t, std::size_t>> lines;
};

ProfileText::Place ProfileText::locate(std::string_view section, std::string_view key) const {
    const std::string_view text = m_text;
    Place place;
    bool inSection = false;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = pos;
        while (end < text.size() && !isBreak(text[end])) {
            ++end;
        }
        std::size_t next = end;
        if (next < text.size()) {
            next +=
                (text[next] == '\r' && next + 1 < text.size() && text[next + 1] == '\n') ? 2 : 1;
        }
        const std::size_t lineBegin = pos;
        const std::size_t start = skipBlanks(text, pos, end);
        pos = next;
        if (start == end || text[start] == ';' || text[start] == '#') {
            continue;
        }
        // Searches stay inside the line: a file of many lines without "]" or "=" would
        // otherwise be read to its end once per line.
        const std::string_view line = text.substr(0, end);
        if (text[start] == '[') {
            const std::size_t close = line.find(']', start + 1);
            inSection = false;
            if (close != std::string_view::npos) {
                const std::size_t nameBegin = skipBlanks(text, start + 1, close);
                const std::size_t nameEnd = trimBlanksBack(text, nameBegin, close);
                inSection = sameName(text.substr(nameBegin, nameEnd - nameBegin), section);
            }
            if (inSection) {
                place.insertAt = next;
            }
            continue;
        }
        if (!inSection) {
            continue;
        }
        const std::size_t equals = line.find('=', start);
        if (equals == std::string_view::npos || equals == start) {
            continue;
        }
        place.insertAt = next;
        const std::size_t keyEnd = trimBlanksBack(text, start, equals);
        if (sameName(text.substr(start, keyEnd - start), key)) {
            // Kept: a key written twice reads as its last occurrence, as files written by
            // earlier versions were read.
            place.valueBegin = skipBlanks(text, equals + 1, end);
            place.valueEnd = trimBlanksBack(text, *place.valueBegin, end);
            place.lines.emplace_back(lineBegin, next);
        }
    }
    return place;
}

std::optional<std::string_view> ProfileText::find(std::string_view section,
                                                  std::string_view key) const {
    const Place place = locate(section, key);
    if (!place.valueBegin) {
        return std::nullopt;
    }
    return std::string_view(m_text).substr(*place.valueBegin, place.valueEnd - *place.valueBegin);
}

void ProfileText::set(std::string_view section, std::string_view key, std::string_view value) {
    const Place place = locate(section, key);
    if (place.valueBegin) {
        m_text.replace(*place.valueBegin, place.valueEnd - *place.valueBegin, value);
        return;
    }
    const std::string_view lineBreak = lineBreakOf(m_text);
    std::string added;
    const std::size_t at = place.insertAt.value_or(m_text.size());
    if (at == m_text.size() && !m_text.empty() && !isBreak(m_text.back())) {
        added += lineBreak;  // the last line had no break of its own
    }
    if (!place.insertAt) {
        added.append("[").append(section).append("]").append(lineBreak);
    }
    added.append(key).append("=").append(value).append(lineBreak);
    m_text.insert(at, added);
}

void ProfileText::erase(std::string_view section, std::string_view key) {
    const Place place = locate(section, key);
    std::string kept;
    kept.reserve(m_text.size());
    std::size_t from = 0;
    for (const auto& [begin, end] : place.lines) {
        kept.append(m_text, from, begin - from);
        from = end;
    }
    kept.append(m_text, from, std::string::npos);
    m_text = std::move(kept);
}

}  // namespace brevik2::link
