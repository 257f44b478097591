#include "telemetry_format.h"

#include <cstdio>
#include <optional>
#include <string>
#include <type_traits>
#include <variant>

namespace brevik2::engine {

namespace {

constexpr const char* kLineEnd = "\r\n";

// Appends one value printed with its column's format. The length is measured first so a float
// of any magnitude fits without truncation.
template <typename T>
void appendFormatted(std::string& out, const char* format, T value) {
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#endif
    const int length = std::snprintf(nullptr, 0, format, value);
    if (length > 0) {
        const std::size_t start = out.size();
        out.resize(start + static_cast<std::size_t>(length) + 1);
        std::snprintf(out.data() + start, static_cast<std::size_t>(length) + 1, format, value);
        out.resize(start + static_cast<std::size_t>(length));
    }
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
}

}  // namespace

std::string telemetryHeaderLine() {
    std::string header;
    for (const TelemetryColumn& column : telemetrySchema()) {
        if (!header.empty()) {
            header += ", ";
        }
        header += column.name;
    }
    return header + kLineEnd;
}

void appendTelemetryCell(std::string& out, const TelemetryColumn& column,
                         const TelemetryCell& cell) {
    std::visit(
        [&](const auto& value) {
            if constexpr (std::is_same_v<std::decay_t<decltype(value)>, std::string>) {
                appendFormatted(out, column.format, value.c_str());
            } else {
                appendFormatted(out, column.format, value);
            }
        },
        cell);
}

std::string formatTelemetryLine(const UnitRecords& records, const LocalDateTime& local,
                                double mjd) {
    const TelemetrySource source{records, local, mjd};
    std::string line;
    line.reserve(400);
    for (const TelemetryColumn& column : telemetrySchema()) {
        if (!line.empty()) {
            line += ',';
        }
        appendTelemetryCell(line, column, column.read(source));
    }
    line += kLineEnd;
    return line;
}

std::optional<std::string> formatTelemetryFileName(std::string_view nameTemplate, long unitId) {
    // The template is typed by the operator, so it is never used as a printf format: only the
    // first "%ld" is a placeholder, everything else (a second "%ld" included) is kept as typed.
    constexpr std::string_view kPlaceholder = "%ld";
    std::string name;
    if (const auto at = nameTemplate.find(kPlaceholder); at == std::string_view::npos) {
        name = nameTemplate;
    } else {
        name = nameTemplate.substr(0, at);
        name += std::to_string(unitId);
        name += nameTemplate.substr(at + kPlaceholder.size());
    }
    // The name must stay a plain file name inside the data directory: no separators, no way
    // up, no drive prefix ("c:x" is relative to another folder on Windows), no embedded NUL
    // that would cut the path short, and not "." (the directory itself).
    if (name.empty() || name == "." ||
        name.find_first_of(std::string_view("/\\:\0", 4)) != std::string::npos ||
        name.find("..") != std::string::npos) {
        return std::nullopt;
    }
    return name;
}

}  // namespace brevik2::engine
