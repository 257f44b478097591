#include "telemetry_file_reader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>
#include <numeric>
#include <system_error>
#include <utility>

#include "link/settings_file.h"
#include "link/settings_value.h"

namespace brevik2::engine {

namespace {

// A record line is about 280 bytes; anything far longer is not one (binary junk, a file of
// another kind) and is skipped without being kept in memory.
constexpr std::size_t kMaxLineBytes = 4096;
constexpr std::size_t kReadChunkBytes = 1 << 20;
// Used to size the columns before a large read, so they are not grown by doubling.
constexpr std::size_t kTypicalLineBytes = 256;

// 1970 to about 2200: an MJD outside is a corrupted field, not a time.
constexpr double kLatestMjd = 124600.0;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

// A whole field as one number, or nothing: "51544.551544.6" (two lines run together) is not a
// number even though it starts with one.
template <typename T>
std::optional<T> parseWhole(std::string_view field, int base = 10) {
    field = trimBlanks(field);
    if (field.empty()) {
        return std::nullopt;
    }
    T value{};
    std::from_chars_result result{};
    if constexpr (std::is_floating_point_v<T>) {
        (void)base;
        result = std::from_chars(field.data(), field.data() + field.size(), value);
        if (result.ec == std::errc() && !std::isfinite(value)) {
            return std::nullopt;
        }
    } else {
        result = std::from_chars(field.data(), field.data() + field.size(), value, base);
    }
    if (result.ec != std::errc() || result.ptr != field.data() + field.size()) {
        return std::nullopt;
    }
    return value;
}

float parseValue(std::string_view field, TelemetryColumnKind kind) {
    switch (kind) {
        case TelemetryColumnKind::Hex: {
            const auto value = parseWhole<std::uint64_t>(field, 16);
            return value ? static_cast<float>(*value) : kNaN;
        }
        case TelemetryColumnKind::Integer:
        case TelemetryColumnKind::Fixed2:
        case TelemetryColumnKind::Fixed3:
        case TelemetryColumnKind::Time: {
            const auto value = parseWhole<float>(field);
            return value ? *value : kNaN;
        }
        case TelemetryColumnKind::Text:
            break;
    }
    return kNaN;
}

}  // namespace

std::string telemetryValueText(float value, TelemetryColumnKind kind) {
    if (std::isnan(value)) {
        return {};
    }
    char text[64];
    int length = 0;
    switch (kind) {
        case TelemetryColumnKind::Hex:
            length = std::snprintf(text, sizeof text, "%llx",
                                   static_cast<unsigned long long>(std::max(0.0f, value)));
            break;
        case TelemetryColumnKind::Fixed2:
            length = std::snprintf(text, sizeof text, "%.2f", static_cast<double>(value));
            break;
        case TelemetryColumnKind::Fixed3:
            length = std::snprintf(text, sizeof text, "%.3f", static_cast<double>(value));
            break;
        default:
            length = std::snprintf(text, sizeof text, "%.0f", static_cast<double>(value));
            break;
    }
    return std::string(text, static_cast<std::size_t>(std::clamp(length, 0, 63)));
}

std::optional<std::size_t> TelemetrySeries::slotOf(int column) const {
    const auto found = std::find(columns.begin(), columns.end(), column);
    if (found == columns.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(found - columns.begin());
}

TelemetryFileReader::TelemetryFileReader(std::filesystem::path path, std::optional<long> unitId,
                                         std::vector<int> columns)
    : m_path(std::move(path)), m_unitId(unitId) {
    m_series.columns = std::move(columns);
    reset();
}

void TelemetryFileReader::reset() {
    m_series.times.clear();
    m_series.alarms.clear();
    m_series.values.assign(m_series.columns.size(), {});
    m_counts = {};
    m_offset = 0;
    m_sorted = true;
}

TelemetryFileReader::ReadResult TelemetryFileReader::readAppended() {
    ReadResult result;
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(m_path, error);
    if (error) {
        return result;
    }
    std::ifstream in(m_path, std::ios::binary);
    if (!in) {
        return result;
    }
    result.opened = true;
    if (size < m_offset) {
        reset();
        result.restarted = true;
    }
    if (size == m_offset) {
        return result;
    }
    in.seekg(static_cast<std::streamoff>(m_offset));
    if (!in) {
        return result;
    }

    const std::size_t before = m_series.size();
    const std::size_t expected = before + (size - m_offset) / kTypicalLineBytes + 1;
    if (expected > m_series.times.capacity()) {
        const std::size_t capacity = std::max(expected, m_series.times.capacity() * 3 / 2);
        m_series.times.reserve(capacity);
        m_series.alarms.reserve(capacity);
        for (auto& values : m_series.values) {
            values.reserve(capacity);
        }
    }

    std::vector<char> chunk(
        static_cast<std::size_t>(std::min<std::uintmax_t>(kReadChunkBytes, size - m_offset + 1)));
    // A line cut by the chunk boundary is collected here; one longer than any record is only
    // measured, so junk without line ends cannot fill the memory.
    std::string carry;
    std::uint64_t carryBytes = 0;
    bool carryTooLong = false;
    while (in) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        const auto got = static_cast<std::size_t>(in.gcount());
        if (got == 0) {
            break;
        }
        const char* p = chunk.data();
        const char* const end = p + got;
        while (p < end) {
            const auto* lf = static_cast<const char*>(std::memchr(p, '\n', end - p));
            const auto piece = static_cast<std::size_t>((lf != nullptr ? lf : end) - p);
            if (lf == nullptr) {
                carryBytes += piece;
                if (!carryTooLong && carry.size() + piece <= kMaxLineBytes) {
                    carry.append(p, piece);
                } else {
                    carryTooLong = true;
                    carry.clear();
                }
                break;
            }
            const std::uint64_t lineBytes = carryBytes + piece + 1;
            if (carryTooLong || carry.size() + piece > kMaxLineBytes) {
                ++m_counts.wrongColumnCount;
            } else if (carry.empty()) {
                takeLine(std::string_view(p, piece));
            } else {
                carry.append(p, piece);
                takeLine(carry);
            }
            m_offset += lineBytes;
            carry.clear();
            carryBytes = 0;
            carryTooLong = false;
            p = lf + 1;
        }
    }
    if (!m_sorted) {
        sortByTime();
    }
    result.newRecords = m_series.size() - before;
    return result;
}

void TelemetryFileReader::takeLine(std::string_view line) {
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    if (trimBlanks(line).starts_with("MJD")) {
        ++m_counts.headerLines;
        return;
    }

    std::array<std::string_view, kTelemetryColumnCount> fields;
    std::size_t count = 0;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = line.find(',', start);
        if (count == fields.size()) {
            ++m_counts.wrongColumnCount;
            return;
        }
        fields[count++] =
            line.substr(start, comma == std::string_view::npos ? comma : comma - start);
        if (comma == std::string_view::npos) {
            break;
        }
        start = comma + 1;
    }
    if (count != fields.size()) {
        ++m_counts.wrongColumnCount;
        return;
    }

    const std::optional<double> mjd = parseWhole<double>(fields[0]);
    const std::optional<long> id = parseWhole<long>(fields[kTelemetryIdColumn]);
    if (!mjd || *mjd < kMjdOfUnixEpoch || *mjd > kLatestMjd || (m_unitId && !id)) {
        ++m_counts.unreadable;
        return;
    }
    if (m_unitId && *id != *m_unitId) {
        ++m_counts.otherUnit;
        return;
    }

    const double time = std::round(secondsSinceEpochOfMjd(*mjd));
    if (!m_series.times.empty() && time < m_series.times.back()) {
        m_sorted = false;
    }
    m_series.times.push_back(time);
    const std::optional<unsigned> alarm = parseWhole<unsigned>(fields[kTelemetryAlarmColumn]);
    m_series.alarms.push_back(alarm && *alarm < TelemetrySeries::kUnreadableAlarm
                                  ? static_cast<std::uint8_t>(*alarm)
                                  : TelemetrySeries::kUnreadableAlarm);
    for (std::size_t k = 0; k < m_series.columns.size(); ++k) {
        const int column = m_series.columns[k];
        m_series.values[k].push_back(
            column >= 0 && column < kTelemetryColumnCount
                ? parseValue(fields[static_cast<std::size_t>(column)], telemetryColumnKind(column))
                : kNaN);
    }
    ++m_counts.records;
}

void TelemetryFileReader::sortByTime() {
    std::vector<std::size_t> order(m_series.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [this](std::size_t a, std::size_t b) {
        return m_series.times[a] < m_series.times[b];
    });
    auto permute = [&order](auto& column) {
        std::remove_reference_t<decltype(column)> sorted;
        sorted.reserve(column.capacity());
        for (const std::size_t i : order) {
            sorted.push_back(column[i]);
        }
        column = std::move(sorted);
    };
    permute(m_series.times);
    permute(m_series.alarms);
    for (auto& values : m_series.values) {
        permute(values);
    }
    m_sorted = true;
}

}  // namespace brevik2::engine
