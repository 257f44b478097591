#include "engine/telemetry_schema.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "engine/reply_parsing.h"
#include "engine/telemetry_format.h"
#include "engine/unit_snapshot.h"

using namespace brevik2::engine;

namespace {

// The conversion letter a value of each cell alternative must be printed with: a column whose
// format and reader disagree would pass an int where printf reads a double.
char conversionOfCell(const TelemetryCell& cell) {
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
    const UnitSnapshot snapshot{UnitRecords{}};
    for (const TelemetryColumn& column : telemetrySchema()) {
        const std::string format = column.format;
        ASSERT_EQ(std::count(format.begin(), format.end(), '%'), 1) << column.name;
        char letter = format.back();
        if (letter == 'x') {
            letter = 'u';
        }
        EXPECT_EQ(letter, conversionOfCell(telemetryCell(column, snapshot))) << column.name;
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

namespace {

template <std::size_t N>
void expectOneRowPerSlotInsideTheReply(FieldRecord record, std::size_t replyLength) {
    std::vector<std::pair<std::size_t, std::size_t>> spans;
    for (int slot = 0; slot < static_cast<int>(N); ++slot) {
        const UnitField* field = unitField(record, slot);
        ASSERT_NE(field, nullptr) << "slot " << slot;
        EXPECT_FALSE(field->reply.format.empty()) << field->name;
        EXPECT_LE(field->reply.position + field->reply.length, replyLength) << field->name;
        spans.emplace_back(field->reply.position, field->reply.position + field->reply.length);
    }
    std::sort(spans.begin(), spans.end());
    for (std::size_t i = 1; i < spans.size(); ++i) {
        EXPECT_LE(spans[i - 1].second, spans[i].first) << "overlap at " << spans[i].first;
    }
}

}  // namespace

TEST(FieldTable, EachReplyFieldHasOneRowAndItsOwnBytes) {
    expectOneRowPerSlotInsideTheReply<kVariableFieldCount>(FieldRecord::kVariables, 250);
    expectOneRowPerSlotInsideTheReply<kConstantFieldCount>(FieldRecord::kConstants, 145);
    std::set<int> panelIds;
    std::set<std::string_view> names;
    for (const UnitField& field : unitFields()) {
        EXPECT_TRUE(names.insert(field.name).second) << field.name;
        EXPECT_EQ(unitField(field.record, field.slot), &field) << field.name;
        if (field.panelId != 0) {
            EXPECT_TRUE(panelIds.insert(field.panelId).second) << field.name;
        }
    }
    for (const UnitField& column : telemetrySchema()) {
        EXPECT_NE(column.format, nullptr) << column.name;
    }
}

// The metrics show a column's value as the data file prints it; the rounding must agree with
// printf's on ties and on the sign of a negative zero.
TEST(FieldTable, RoundedAsPrintedAgreesWithPrintfThenStrtod) {
    const auto viaText = [](double value, int decimals) {
        char text[512];
        std::snprintf(text, sizeof text, "%.*f", decimals, value);
        return std::strtod(text, nullptr);
    };
    std::vector<double> values{0.0625,  0.125,      -0.0625, 2.5,    0.0005,
                               -0.0001, 1.4199999f, 99.9f,   3.4e38, -3.4e38};
    for (int setting = -1000; setting <= 1000; ++setting) {
        values.push_back(setting == 0 ? 256.0 : 256.0 / setting);
    }
    std::mt19937 random(7);
    std::uniform_real_distribution<float> anyReading(-1000.0f, 1000.0f);
    for (int i = 0; i < 20000; ++i) {
        values.push_back(anyReading(random));
    }
    for (const double value : values) {
        for (const int decimals : {2, 3}) {
            const double expected = viaText(value, decimals);
            const double rounded = roundedAsPrinted(value, decimals);
            EXPECT_EQ(rounded, expected) << value << " to " << decimals;
            EXPECT_EQ(std::signbit(rounded), std::signbit(expected)) << value;
        }
    }
}

TEST(FieldTable, TheSnapshotKeepsAFloatAsTheUnitPrintedIt) {
    std::string reply(kVariablesReplyLength, ' ');
    reply.replace(69, 6, " 23.95");
    UnitRecords records;
    convertVariablesReply(reply, records.variables);
    const UnitSnapshot snapshot(records);
    const FieldValue& supply = snapshot.at(FieldRecord::kVariables, kVarPos24V);
    EXPECT_EQ(supply.printed, "23.95");
    EXPECT_EQ(std::get<float>(supply.value), 23.95f);
    EXPECT_TRUE(supply.valid);
    EXPECT_FALSE(snapshot.at(FieldRecord::kVariables, kVarModeDigit).valid);
    EXPECT_EQ(snapshot.values().size(), unitFields().size());
}
