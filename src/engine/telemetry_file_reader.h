#pragma once

#include "engine/telemetry_file_path.h"
#include "engine/telemetry_schema.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brevik2::link {
class SettingsFile;
}

namespace brevik2::engine {

// A value read back from a column, printed as the data file prints that column (without its
// padding); empty for NaN.
std::string telemetryValueText(float value, TelemetryColumnKind kind);

// The records read so far, holding only the columns asked for, in single precision: a year of
// records at one a minute is half a million rows.
struct TelemetrySeries {
    // The ALARM column when it is not a number from 0 to 254.
    static constexpr std::uint8_t kUnreadableAlarm = 255;

    // Seconds since 1970-01-01 00:00 UTC, from the MJD column, in whole seconds as written;
    // never decreasing (records written after the PC's clock was set back are sorted in).
    std::vector<double> times;
    std::vector<std::uint8_t> alarms;
    // The file columns loaded, in the order asked, and their values: values[k][i] is column
    // columns[k] of record i, NaN where the field was not a number.
    std::vector<int> columns;
    std::vector<std::vector<float>> values;

    std::size_t size() const { return times.size(); }
    // The position of a file column in columns and values.
    std::optional<std::size_t> slotOf(int column) const;
};

struct TelemetryReadCounts {
    std::size_t records = 0;           // kept
    std::size_t headerLines = 0;       // the first line and every repeat after a restart
    std::size_t wrongColumnCount = 0;  // torn, joined or foreign lines; skipped
    std::size_t otherUnit = 0;         // records of another unit ID; skipped
    std::size_t unreadable = 0;        // 51 columns but no readable MJD or ID; skipped
};

// Reads the telemetry data file incrementally: the first read takes the whole file, each later
// one only the lines appended since, so following a file of a year costs one poll's line.
//
// Only whole lines are taken: a last line without its line end (the recorder writing it, or a
// torn write) is left for the next read. A file found shorter than what was already read has
// been replaced or cut, and is read again from its start. Records are accepted on the MJD, the
// ID and the column count alone, never on the loaded columns, so every column set reads the
// same records.
//
// Thread safety: one thread at a time; the file itself may be appended meanwhile.
class TelemetryFileReader {
public:
    struct ReadResult {
        bool opened = false;     // false: the file is missing or cannot be read
        bool restarted = false;  // everything was read anew; earlier records are gone
        std::size_t newRecords = 0;
    };

    // Lines whose ID is not unitId are skipped, since a template without "%ld" puts several
    // units into one file; no unitId keeps every record.
    TelemetryFileReader(std::filesystem::path path, std::optional<long> unitId,
                        std::vector<int> columns);

    ReadResult readAppended();

    const std::filesystem::path& path() const { return m_path; }
    const std::optional<long>& unitId() const { return m_unitId; }
    const TelemetrySeries& series() const { return m_series; }
    const TelemetryReadCounts& counts() const { return m_counts; }
    std::uint64_t bytesConsumed() const { return m_offset; }

private:
    void reset();
    // One line without its line end; the CR, when present, is still on it.
    void takeLine(std::string_view line);
    void sortByTime();

    std::filesystem::path m_path;
    std::optional<long> m_unitId;
    TelemetrySeries m_series;
    TelemetryReadCounts m_counts;
    std::uint64_t m_offset = 0;
    bool m_sorted = true;
};

}  // namespace brevik2::engine
