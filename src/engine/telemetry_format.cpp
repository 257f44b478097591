#include "telemetry_format.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <type_traits>
#include <variant>

#include "unit_snapshot.h"

namespace brevik2::engine {

namespace {

constexpr const char* kLineEnd = "\r\n";
constexpr double kExactIntegers = 4503599627370496.0;  // 2^52: every double above is whole

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

void appendTelemetryCell(std::string& out, const char* format, const TelemetryCell& cell) {
    std::visit(
        [&](const auto& value) {
            if constexpr (std::is_same_v<std::decay_t<decltype(value)>, std::string>) {
                appendFormatted(out, format, value.c_str());
            } else {
                appendFormatted(out, format, value);
            }
        },
        cell);
}

TelemetryCell telemetryCell(const UnitField& column, const UnitSnapshot& snapshot) {
    if (column.fileForm != nullptr) {
        return column.fileForm(snapshot);
    }
    return cellFor(conversionOf(column.format), snapshot[column]);
}

double roundedAsPrinted(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    const double product = value * scale;
    if (!std::isfinite(product) || std::fabs(product) >= kExactIntegers) {
        return value;
    }
    // The rounding error of the product decides only an exact tie of the rounded product.
    const double error = std::fma(value, scale, -product);
    const double below = std::floor(product);
    const double fraction = product - below;
    double rounded = below;
    if (fraction > 0.5 || (fraction == 0.5 && error > 0.0)) {
        rounded = below + 1.0;
    } else if (fraction == 0.5 && error == 0.0) {
        rounded = std::nearbyint(product);
    }
    // printf keeps the sign of a negative value that rounds to zero ("-0.000").
    return rounded == 0.0 ? std::copysign(0.0, value) : rounded / scale;
}

double telemetryNumber(const UnitField& column, const UnitSnapshot& snapshot) {
    const TelemetryCell cell = telemetryCell(column, snapshot);
    if (const auto* real = std::get_if<double>(&cell)) {
        const char* point = std::strchr(column.format, '.');
        return roundedAsPrinted(*real, point == nullptr ? 6 : std::atoi(point + 1));
    }
    if (const auto* whole = std::get_if<std::int32_t>(&cell)) {
        return *whole;
    }
    if (const auto* whole = std::get_if<std::uint32_t>(&cell)) {
        return *whole;
    }
    return std::nan("");
}

std::string formatTelemetryLine(const UnitSnapshot& snapshot) {
    std::string line;
    line.reserve(400);
    for (const TelemetryColumn& column : telemetrySchema()) {
        if (!line.empty()) {
            line += ',';
        }
        appendTelemetryCell(line, column.format, telemetryCell(column, snapshot));
    }
    line += kLineEnd;
    return line;
}

std::string formatTelemetryLine(const UnitRecords& records, const LocalDateTime& local,
                                double mjd) {
    return formatTelemetryLine(UnitSnapshot(records, TelemetryStamp{local, mjd}));
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
