#include "engine/telemetry_schema.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>
#include <string>
#include <variant>

using namespace brevik2::engine;

namespace {

// The conversion letter a value of each cell alternative must be printed with: a column whose
// format and reader disagree would pass an int where printf reads a double.
char conversionOf(const TelemetryCell& cell) {
    switch (cell.index()) {
        case 0:
            return 'd';
        case 1:
            return 'u';  // or 'x'
        case 2:
            return 'f';
        default:
            return 's';
    }
}

}  // namespace

TEST(TelemetrySchema, EveryFormatTakesTheValueItsColumnReads) {
    const UnitRecords records;
    const TelemetrySource source{records, LocalDateTime{}, 0.0};
    for (const TelemetryColumn& column : telemetrySchema()) {
        const std::string format = column.format;
        ASSERT_EQ(std::count(format.begin(), format.end(), '%'), 1) << column.name;
        char letter = format.back();
        if (letter == 'x') {
            letter = 'u';
        }
        EXPECT_EQ(letter, conversionOf(column.read(source))) << column.name;
    }
}

TEST(TelemetrySchema, MetricsAreNamedByConventionOncePerNumericColumn) {
    const std::regex name("brevik2_[a-z0-9]+(_[a-z0-9]+)*");
    std::set<std::string_view> seen;
    for (int c = 0; c < kTelemetryColumnCount; ++c) {
        const TelemetryColumn& column = telemetrySchema()[static_cast<std::size_t>(c)];
        if (column.metricName.empty()) {
            continue;
        }
        EXPECT_TRUE(isPlottableTelemetryColumn(c)) << column.name;
        EXPECT_TRUE(std::regex_match(std::string(column.metricName), name)) << column.metricName;
        EXPECT_TRUE(seen.insert(column.metricName).second) << column.metricName;
        EXPECT_FALSE(column.description.empty()) << column.name;
    }
    // Every numeric column but the ID (a label) and the alarm columns (metrics of their own).
    EXPECT_EQ(seen.size(), 34u);
    EXPECT_EQ(telemetryColumnIndex("POS24V"), 42);
    EXPECT_EQ(telemetryColumnIndex("pos24v"), std::nullopt);
}
