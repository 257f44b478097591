// The event log as the retrieval reads it: lines ending at a line feed or ETX, at most 256
// bytes each. Whatever the lines, the table stays inside its bounds (1000 entries, 32
// continuation lines each, 63 characters a line) and holds no byte past a NUL.

#include <string_view>
#include <vector>

#include "engine/reply_parsing.h"
#include "fuzz/fuzz_targets.h"

namespace brevik2::fuzz {
namespace {

constexpr std::size_t kLineLimit = 256;

std::vector<std::string_view> cutLines(std::string_view log) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < log.size(); ++i) {
        if (log[i] == '\n' || log[i] == '\x03' || i + 1 - start == kLineLimit) {
            lines.push_back(log.substr(start, i + 1 - start));
            start = i + 1;
        }
    }
    if (start < log.size()) {
        lines.push_back(log.substr(start));
    }
    return lines;
}

bool plainLine(const std::string& line) {
    return line.size() <= engine::EventTable::kEventLineChars &&
           line.find('\0') == std::string::npos;
}

}  // namespace

int fuzzEventLog(const std::uint8_t* data, std::size_t size) {
    const auto lines = cutLines(std::string_view(reinterpret_cast<const char*>(data), size));
    if (lines.empty()) {
        return 0;
    }
    const std::string_view first = lines.front().substr(0, lines.front().find('\0'));
    if (first.size() <= 23) {
        BREVIK2_FUZZ_CHECK(engine::eventCountFromFirstLine(lines.front()) == 0);
    }

    engine::EventTable table;
    table.count = 3;
    table.entries.resize(3);
    engine::EventTableBuilder builder(table);
    BREVIK2_FUZZ_CHECK(table.count == 0 && table.entries.empty());
    for (std::size_t i = 1; i < lines.size(); ++i) {
        builder.addLine(lines[i]);
    }
    BREVIK2_FUZZ_CHECK(table.entries.size() <= engine::EventTable::kMaxEntries);
    BREVIK2_FUZZ_CHECK(table.count == static_cast<std::int32_t>(table.entries.size()));
    for (const engine::EventEntry& entry : table.entries) {
        BREVIK2_FUZZ_CHECK(plainLine(entry.mainLine));
        BREVIK2_FUZZ_CHECK(entry.continuation.size() <= engine::EventTable::kMaxContinuationLines);
        for (const std::string& line : entry.continuation) {
            BREVIK2_FUZZ_CHECK(plainLine(line));
            BREVIK2_FUZZ_CHECK(line.compare(0, 8, "        ") == 0);
        }
    }
    return 0;
}

}  // namespace brevik2::fuzz
