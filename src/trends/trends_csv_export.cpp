#include "trends/trends_csv_export.h"

#include <QByteArray>
#include <QDateTime>
#include <QIODevice>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

#include "engine/telemetry_file_reader.h"

namespace brevik2::trends {

namespace {

// Lines are gathered and written in blocks of about this size.
constexpr qsizetype kBlockBytes = 1 << 16;

}  // namespace

bool writeTrendsCsv(QIODevice& out, const engine::TelemetrySeries& series,
                    const std::vector<int>& columns, double start, double end) {
    std::vector<std::pair<int, std::size_t>> kept;  // file column, slot in the series
    for (const int column : columns) {
        if (const std::optional<std::size_t> slot = series.slotOf(column)) {
            kept.emplace_back(column, *slot);
        }
    }
    const auto& names = engine::telemetryColumnNames();
    QByteArray block = "Local time,MJD,ALARM";
    for (const auto& [column, slot] : kept) {
        block += ',';
        block += names[static_cast<std::size_t>(column)].c_str();
    }
    block += "\r\n";

    const auto first = std::lower_bound(series.times.begin(), series.times.end(), start);
    for (auto i = static_cast<std::size_t>(first - series.times.begin());
         i < series.size() && series.times[i] <= end; ++i) {
        const double t = series.times[i];
        block += QDateTime::fromSecsSinceEpoch(static_cast<qint64>(t))
                     .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                     .toLatin1();
        char text[64];
        const int length =
            std::snprintf(text, sizeof text, ",%.6f,", engine::modifiedJulianDate(t));
        block.append(text, std::min<int>(length, sizeof text - 1));
        if (series.alarms[i] != engine::TelemetrySeries::kUnreadableAlarm) {
            block += QByteArray::number(series.alarms[i]);
        }
        for (const auto& [column, slot] : kept) {
            block += ',';
            block += engine::telemetryValueText(series.values[slot][i],
                                                engine::telemetryColumnKind(column))
                         .c_str();
        }
        block += "\r\n";
        if (block.size() >= kBlockBytes) {
            if (out.write(block) != block.size()) {
                return false;
            }
            block.clear();
        }
    }
    return out.write(block) == block.size();
}

}  // namespace brevik2::trends
