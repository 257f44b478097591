#include "engine/telemetry_file_reader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <string>
#include <vector>

#include "engine/telemetry_format.h"
#include "engine/telemetry_recorder.h"
#include "link/settings_file.h"
#include "link/status_output.h"
#include "support/temp_folder.h"

namespace brevik2::engine {
namespace {

using testing::TempFolder;

constexpr double kMillennium = 946684800.0;  // 2000-01-01 00:00 UTC
const int kVEm = *telemetryColumnIndex("V_EM");
const int kIIp = *telemetryColumnIndex("I_IP");
const int kAlrm2 = *telemetryColumnIndex("ALRM2");

UnitRecords recordsOf(int unitId, float vEm, int iIp, std::uint32_t alarm = kAlarmOperating) {
    UnitRecords records;
    records.variables.setSigned(kVarUnitId, unitId);
    records.variables.setFloat(kVarVEm, vEm);
    records.variables.setSigned(kVarIIp, iIp);
    records.variables.setUnsigned(kVarAlarmState, alarm);
    records.variables.setUnsigned(kVarAlrm2, 0xA5);
    records.variables.setModeText("R+Z");
    return records;
}

// One record line as the recorder writes it, at a time given in seconds since 1970.
std::string line(double seconds, int unitId = 5, float vEm = 1450.5f, int iIp = 12,
                 std::uint32_t alarm = kAlarmOperating) {
    return formatTelemetryLine(recordsOf(unitId, vEm, iIp, alarm), LocalDateTime{},
                               modifiedJulianDate(seconds));
}

std::string withoutLineEnd(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return text;
}

TEST(TelemetryColumns, NamesKindsAndValuesFollowTheRecorderLine) {
    const auto& names = telemetryColumnNames();
    EXPECT_EQ(names.front(), "MJD");
    EXPECT_EQ(names[kTelemetryIdColumn], "ID");
    EXPECT_EQ(names[kTelemetryAlarmColumn], "ALARM");
    EXPECT_EQ(names.back(), "OCXO_T");
    EXPECT_FALSE(isPlottableTelemetryColumn(0));  // MJD
    EXPECT_FALSE(isPlottableTelemetryColumn(*telemetryColumnIndex("MODE")));
    EXPECT_FALSE(isPlottableTelemetryColumn(*telemetryColumnIndex("OSC_STAT")));
    EXPECT_FALSE(isPlottableTelemetryColumn(*telemetryColumnIndex("VERSION")));
    EXPECT_FALSE(isPlottableTelemetryColumn(-1));
    EXPECT_FALSE(isPlottableTelemetryColumn(kTelemetryColumnCount));

    // Every plottable column read back from a line the recorder formats, so a column number
    // that is off by one shows here.
    UnitRecords records = recordsOf(5, 1450.5f, 12);
    records.variables.setFloat(kVarTChasis, 38.25f);
    records.variables.setSigned(kVarVVcxo, -2048);
    records.variables.setSigned(kVarStdDev, 17);
    records.constants.setSigned(kConDacGain, 128);
    records.counters = {1, 2, 3, 123456};
    TempFolder folder;
    testing::writeWholeFile(
        folder / "d.txt", telemetryHeaderLine() +
                              formatTelemetryLine(records, LocalDateTime{}, modifiedJulianDate(0)));
    std::vector<int> columns;
    for (int c = 0; c < kTelemetryColumnCount; ++c) {
        if (isPlottableTelemetryColumn(c)) {
            columns.push_back(c);
        }
    }
    TelemetryFileReader reader(folder / "d.txt", 5, columns);
    ASSERT_EQ(reader.readAppended().newRecords, 1u);
    const TelemetrySeries& series = reader.series();
    const auto value = [&](const char* name) {
        return series.values[*series.slotOf(*telemetryColumnIndex(name))][0];
    };
    EXPECT_FLOAT_EQ(value("V_EM"), 1450.5f);
    EXPECT_FLOAT_EQ(value("I_IP"), 12.0f);
    EXPECT_FLOAT_EQ(value("T_CHASIS"), 38.25f);
    EXPECT_FLOAT_EQ(value("V_VCXO"), -2048.0f);
    EXPECT_FLOAT_EQ(value("STDDEV"), 17.0f);
    EXPECT_FLOAT_EQ(value("DAC_GN"), 2.0f);
    EXPECT_FLOAT_EQ(value("ALRM2"), 165.0f);  // " a5": hexadecimal
    EXPECT_FLOAT_EQ(value("ID"), 5.0f);
    EXPECT_FLOAT_EQ(value("OCXO_T"), 123456.0f);
    EXPECT_EQ(telemetryValueText(value("ALRM2"), TelemetryColumnKind::Hex), "a5");
    EXPECT_EQ(telemetryValueText(value("V_EM"), TelemetryColumnKind::Fixed3), "1450.500");
    EXPECT_EQ(telemetryValueText(NAN, TelemetryColumnKind::Fixed3), "");
}

struct FileCase {
    const char* name;
    std::string content;
    std::size_t records;
    std::size_t headers;
    std::size_t wrongColumns;
    std::size_t otherUnit;
    std::size_t unreadable;
};

class TelemetryFileContent : public ::testing::TestWithParam<FileCase> {};

TEST_P(TelemetryFileContent, KeepsTheGoodRecordsAndCountsTheRest) {
    const FileCase& c = GetParam();
    TempFolder folder;
    testing::writeWholeFile(folder / "d.txt", c.content);
    TelemetryFileReader reader(folder / "d.txt", 5, {kVEm});
    const auto result = reader.readAppended();
    EXPECT_TRUE(result.opened);
    EXPECT_EQ(result.newRecords, c.records);
    const TelemetryReadCounts& counts = reader.counts();
    EXPECT_EQ(counts.records, c.records);
    EXPECT_EQ(counts.headerLines, c.headers);
    EXPECT_EQ(counts.wrongColumnCount, c.wrongColumns);
    EXPECT_EQ(counts.otherUnit, c.otherUnit);
    EXPECT_EQ(counts.unreadable, c.unreadable);
    for (std::size_t i = 0; i < reader.series().size(); ++i) {
        EXPECT_FLOAT_EQ(reader.series().values[0][i], 1450.5f);
        EXPECT_EQ(reader.series().alarms[i], 0);
    }
}

const std::string kHeader = telemetryHeaderLine();
const std::string kTwoLines = kHeader + line(kMillennium) + line(kMillennium + 60);
const std::string kTooManyColumns = withoutLineEnd(line(kMillennium)) + ",7\r\n";
const std::string kBadMjd = "x" + line(kMillennium);

INSTANTIATE_TEST_SUITE_P(
    Lines, TelemetryFileContent,
    ::testing::Values(
        FileCase{"Empty", "", 0, 0, 0, 0, 0}, FileCase{"HeaderOnly", kHeader, 0, 1, 0, 0, 0},
        FileCase{"CrLf", kTwoLines, 2, 1, 0, 0, 0},
        FileCase{"LfOnly", kHeader + withoutLineEnd(line(kMillennium)) + "\n", 1, 1, 0, 0, 0},
        FileCase{"NoHeader", line(kMillennium), 1, 0, 0, 0, 0},
        // The program was restarted into an existing file.
        FileCase{"RepeatedHeader", kTwoLines + kHeader + line(kMillennium + 120), 3, 2, 0, 0, 0},
        // A record cut by a crash, with the next record written straight after it.
        FileCase{"TornLineJoined",
                 kHeader + line(kMillennium).substr(0, 90) + line(kMillennium + 60), 0, 1, 1, 0, 0},
        FileCase{"TornMjdJoined", kHeader + line(kMillennium).substr(0, 6) + line(kMillennium + 60),
                 0, 1, 0, 0, 1},
        // Still being written: no line end yet.
        FileCase{"TornLastLine", kTwoLines + line(kMillennium + 120).substr(0, 100), 2, 1, 0, 0, 0},
        FileCase{"ExtraColumn", kTwoLines + kTooManyColumns, 2, 1, 1, 0, 0},
        FileCase{"ShortLineAndBlank", kTwoLines + "1,2,3\r\n\r\n", 2, 1, 2, 0, 0},
        FileCase{"OtherUnits", kTwoLines + line(kMillennium, 6) + line(kMillennium, 77), 2, 1, 0, 2,
                 0},
        FileCase{"UnreadableMjd", kTwoLines + kBadMjd, 2, 1, 0, 0, 1},
        FileCase{"MjdBefore1970", kTwoLines + line(-86400.0 * 2), 2, 1, 0, 0, 1},
        FileCase{"BinaryJunk", kHeader + std::string(100000, '\x01') + "\n" + line(kMillennium), 1,
                 1, 1, 0, 0}),
    [](const ::testing::TestParamInfo<FileCase>& info) { return info.param.name; });

TEST(TelemetryFileReader, UnreadableValuesAndAlarmsDoNotCostTheRecord) {
    std::string bad = line(kMillennium);
    const std::string vEm = "1450.500";
    bad.replace(bad.find(vEm), vEm.size(), "14x0.5");
    bad.replace(bad.find("R+Z,") + 4, 2, "zz");  // ALARM
    TempFolder folder;
    testing::writeWholeFile(folder / "d.txt", kHeader + bad);
    TelemetryFileReader reader(folder / "d.txt", 5, {kVEm, kIIp});
    ASSERT_EQ(reader.readAppended().newRecords, 1u);
    EXPECT_TRUE(std::isnan(reader.series().values[0][0]));
    EXPECT_FLOAT_EQ(reader.series().values[1][0], 12.0f);
    EXPECT_EQ(reader.series().alarms[0], TelemetrySeries::kUnreadableAlarm);
}

TEST(TelemetryFileReader, WithoutUnitIdKeepsEveryUnit) {
    TempFolder folder;
    testing::writeWholeFile(folder / "d.txt", kTwoLines + line(kMillennium + 120, 6));
    TelemetryFileReader reader(folder / "d.txt", std::nullopt, {kVEm});
    EXPECT_EQ(reader.readAppended().newRecords, 3u);
}

TEST(TelemetryFileReader, FollowsAppendedRecordsAndATornLineOnceItIsWhole) {
    TempFolder folder;
    const auto path = folder / "d.txt";
    TelemetryFileReader reader(path, 5, {kVEm, kAlrm2});
    EXPECT_FALSE(reader.readAppended().opened);  // no file yet

    const std::string third = line(kMillennium + 120, 5, 1451.0f);
    testing::writeWholeFile(path, kTwoLines + third.substr(0, 40));
    EXPECT_EQ(reader.readAppended().newRecords, 2u);
    EXPECT_EQ(reader.bytesConsumed(), kTwoLines.size());

    testing::writeWholeFile(path, kTwoLines + third);
    auto result = reader.readAppended();
    EXPECT_EQ(result.newRecords, 1u);
    EXPECT_FALSE(result.restarted);
    ASSERT_EQ(reader.series().size(), 3u);
    EXPECT_EQ(reader.series().times[2], kMillennium + 120);
    EXPECT_FLOAT_EQ(reader.series().values[0][2], 1451.0f);
    EXPECT_FLOAT_EQ(reader.series().values[1][2], 165.0f);

    EXPECT_EQ(reader.readAppended().newRecords, 0u);  // nothing new

    // The file was moved away and the recorder started a new one.
    testing::writeWholeFile(path, kHeader + line(kMillennium + 600, 5, 1460.0f));
    result = reader.readAppended();
    EXPECT_TRUE(result.restarted);
    EXPECT_EQ(result.newRecords, 1u);
    ASSERT_EQ(reader.series().size(), 1u);
    EXPECT_FLOAT_EQ(reader.series().values[0][0], 1460.0f);
    EXPECT_EQ(reader.counts().records, 1u);
}

TEST(TelemetryFileReader, RecordsAfterTheClockWasSetBackAreSortedIn) {
    TempFolder folder;
    testing::writeWholeFile(folder / "d.txt", kHeader + line(kMillennium + 60, 5, 2.0f) +
                                                  line(kMillennium + 180, 5, 4.0f) +
                                                  line(kMillennium, 5, 1.0f) +
                                                  line(kMillennium + 120, 5, 3.0f));
    TelemetryFileReader reader(folder / "d.txt", 5, {kVEm});
    reader.readAppended();
    const TelemetrySeries& series = reader.series();
    EXPECT_EQ(series.times, (std::vector<double>{kMillennium, kMillennium + 60, kMillennium + 120,
                                                 kMillennium + 180}));
    EXPECT_EQ(series.values[0], (std::vector<float>{1.0f, 2.0f, 3.0f, 4.0f}));
}

class QuietStatus final : public link::StatusOutput {
public:
    void statusText(std::string_view) override {}
};

TEST(TelemetryFileReader, FindsAndReadsTheFileTheRecorderWrites) {
    TempFolder folder;
    const link::SettingsFile settings(folder / "Brevik2.ini");
    settings.writeString("OnlineDatafileDirectory", (folder.path() / "data").string());
    settings.writeString("TelemetryFilenameTemplate", "Unit%ld_Data.txt ; per unit");
    std::filesystem::create_directories(folder / "data");
    QuietStatus status;
    TelemetryRecorder recorder(settings, status, {1, std::chrono::milliseconds(1)}, [] {
        return std::chrono::system_clock::time_point(std::chrono::seconds(946684800));
    });
    ASSERT_TRUE(recorder.writeRecord(recordsOf(42, 1500.25f, 9, kAlarmMinorFault)));

    const std::optional<std::string> path = telemetryDataFilePath(settings, 42);
    ASSERT_TRUE(path);
    EXPECT_EQ(std::filesystem::path(*path), folder / "data" / "Unit42_Data.txt");
    TelemetryFileReader reader(*path, 42, {kVEm});
    ASSERT_EQ(reader.readAppended().newRecords, 1u);
    EXPECT_EQ(reader.series().times[0], kMillennium);
    EXPECT_EQ(reader.series().alarms[0], kAlarmMinorFault);
    EXPECT_FLOAT_EQ(reader.series().values[0][0], 1500.25f);

    settings.writeString("TelemetryFilenameTemplate", "../up%ld.txt");
    EXPECT_FALSE(telemetryDataFilePath(settings, 42));
}

}  // namespace
}  // namespace brevik2::engine
