#include "engine/telemetry_format.h"

#include <gtest/gtest.h>

#include <bit>
#include <functional>
#include <limits>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace brevik2::engine {
namespace {

std::vector<std::string> split(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(separator, start)) != std::string::npos;) {
        parts.push_back(text.substr(start, at - start));
        start = at + separator.size();
    }
    parts.push_back(text.substr(start));
    return parts;
}

// The record line's values by column name, read through the header so that a value in the
// wrong column is caught.
std::map<std::string, std::string> columnsByName(const std::string& line) {
    const std::string header = telemetryHeaderLine();
    const auto names = split(header.substr(0, header.size() - 2), ", ");
    EXPECT_TRUE(line.ends_with("\r\n"));
    const auto values = split(line.substr(0, line.size() - 2), ",");
    EXPECT_EQ(values.size(), 51u) << line;
    std::map<std::string, std::string> columns;
    for (std::size_t i = 0; i < names.size() && i < values.size(); ++i) {
        columns[names[i]] = values[i];
    }
    return columns;
}

std::string formatColumn(const UnitRecords& records, const std::string& name) {
    return columnsByName(formatTelemetryLine(records, LocalDateTime{}, 0.0))[name];
}

TEST(TelemetryHeader, IsTheExactLineOf51Names) {
    const std::string header = telemetryHeaderLine();
    EXPECT_EQ(header,
              "MJD, Month, Day, Year, Hour, Minute, Second, ID, MODE, ALARM, ALRM1, ALRM2, ALRM3, "
              "ALRM4, ALRM5, STDDEV, CRAM_ERR, CRAB_ERR, CLVL, V_VCXO, ZRAM_ERR, ZRAB_ERR, ZLVL, "
              "V_CFLD, I_CFLD, V_uW, DC_LVL, DAC_GN, NUM_GN, T_CHASIS, V_CS, OSC_STAT, V_EM, "
              "I_IP, V_MS, V_ION, NOM_MS, NOM_ION, NOM_ZRAB, OCXO_TAU, FREQTUNE, AUX_FREQ, "
              "POS24V, POS5V, POS15V, NEG15V, VERSION, CBT_D, CBT_T, OCXO_D, OCXO_T\r\n");
    EXPECT_EQ(split(header, ", ").size(), 51u);
}

TEST(TelemetryMjd, MillenniumMidnightIsDay51544) {
    const double mjd = modifiedJulianDate(946684800.0);  // 2000-01-01 00:00 UTC
    EXPECT_DOUBLE_EQ(mjd, 51544.0);
    EXPECT_EQ(columnsByName(formatTelemetryLine(UnitRecords{}, LocalDateTime{}, mjd))["MJD"],
              "51544.000000");
    EXPECT_DOUBLE_EQ(modifiedJulianDate(946684800.0 + 43200.0), 51544.5);
}

TEST(TelemetryLine, TypicalRecordFillsEveryColumn) {
    UnitRecords r;
    auto& v = r.variables;
    auto& k = r.constants;
    v.setUnsigned(kVarUnitId, 1234);
    v.setModeText("R+Z");
    v.setUnsigned(kVarAlarmState, 0);
    const std::uint32_t alarmBytes[] = {0x00, 0x0A, 0x10, 0x7F, 0xFF};
    for (int i = 0; i < 5; ++i) {
        v.setUnsigned(kVarAlrm1 + i, alarmBytes[i]);
    }
    v.setSigned(kVarStdDev, -12);
    v.setSigned(kVarCramErr, 3);
    v.setSigned(kVarCrabErr, -45);
    v.setSigned(kVarClvl, 2048);
    v.setSigned(kVarVVcxo, -300);
    v.setSigned(kVarZramErr, 7);
    v.setSigned(kVarZrabErr, 8);
    v.setSigned(kVarZlvl, 1500);
    v.setSigned(kVarVCfld, 250);
    v.setFloat(kVarICfld, 12.5f);
    v.setSigned(kVarVuW, -5);
    v.setSigned(kVarDcLvl, 99);
    k.setSigned(kConDacGain, 64);
    v.setFloat(kVarNumGn, 1.25f);
    v.setFloat(kVarTChasis, -3.5f);
    v.setFloat(kVarVCs, 20.25f);
    v.setChar(kVarOscStat, 'c');
    v.setFloat(kVarVEm, 45.5f);
    v.setSigned(kVarIIp, 17);
    v.setFloat(kVarVMs, 30.75f);
    v.setFloat(kVarVIon, 2.5f);
    k.setFloat(kConNomMs, 31.0f);
    k.setFloat(kConNomIon, 2.25f);
    k.setSigned(kConNomZrab, -120);
    v.setFloat(kVarOcxoTau, 10.0f);
    v.setSigned(kVarFreqTune, -123456);
    k.setFloat(kConAuxFreq, 5.0f);
    v.setFloat(kVarPos24V, 24.125f);
    v.setFloat(kVarPos5V, 5.125f);
    v.setFloat(kVarPos15V, 15.5f);
    v.setFloat(kVarNeg15V, -15.25f);
    r.version = {'B', 12};
    r.counters = {1, -2, 300, 4000};
    const LocalDateTime local{2024, 3, 7, 9, 5, 1};

    const std::map<std::string, std::string> expected = {
        {"MJD", "60376.375000"}, {"Month", "03"},         {"Day", "07"},
        {"Year", "2024"},        {"Hour", "09"},          {"Minute", "05"},
        {"Second", "01"},        {"ID", "1234"},          {"MODE", "R+Z"},
        {"ALARM", " 0"},         {"ALRM1", " 0"},         {"ALRM2", " a"},
        {"ALRM3", "10"},         {"ALRM4", "7f"},         {"ALRM5", "ff"},
        {"STDDEV", "-12"},       {"CRAM_ERR", "3"},       {"CRAB_ERR", "-45"},
        {"CLVL", "2048"},        {"V_VCXO", "-300"},      {"ZRAM_ERR", "7"},
        {"ZRAB_ERR", "8"},       {"ZLVL", "1500"},        {"V_CFLD", "250"},
        {"I_CFLD", "12.500"},    {"V_uW", "-5"},          {"DC_LVL", "99"},
        {"DAC_GN", "4.00"},      {"NUM_GN", "1.250"},     {"T_CHASIS", "-3.500"},
        {"V_CS", "20.250"},      {"OSC_STAT", "Ready"},   {"V_EM", "45.500"},
        {"I_IP", "17"},          {"V_MS", "30.750"},      {"V_ION", "2.500"},
        {"NOM_MS", "31.000"},    {"NOM_ION", "2.250"},    {"NOM_ZRAB", "-120"},
        {"OCXO_TAU", "10.000"},  {"FREQTUNE", "-123456"}, {"AUX_FREQ", "5.000"},
        {"POS24V", "24.125"},    {"POS5V", "5.125"},      {"POS15V", "15.500"},
        {"NEG15V", "-15.250"},   {"VERSION", "B 12"},     {"CBT_D", "1"},
        {"CBT_T", "-2"},         {"OCXO_D", "300"},       {"OCXO_T", "4000"},
    };
    EXPECT_EQ(columnsByName(formatTelemetryLine(r, local, 60376.375)), expected);
}

struct ColumnCase {
    const char* what;
    std::function<void(UnitRecords&)> set;
    const char* column;
    const char* text;
};

void PrintTo(const ColumnCase& c, std::ostream* os) {
    *os << c.what;
}

class TelemetryColumn : public ::testing::TestWithParam<ColumnCase> {};

TEST_P(TelemetryColumn, PrintsAsLogged) {
    UnitRecords records;
    GetParam().set(records);
    EXPECT_EQ(formatColumn(records, GetParam().column), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, TelemetryColumn,
    ::testing::Values(
        ColumnCase{"AlarmOne", [](auto& r) { r.variables.setUnsigned(kVarAlarmState, 1); }, "ALARM",
                   " 1"},
        ColumnCase{"AlarmByteTen", [](auto& r) { r.variables.setUnsigned(kVarAlrm3, 0x0A); },
                   "ALRM3", " a"},
        ColumnCase{"DacGainHalf", [](auto& r) { r.constants.setSigned(kConDacGain, 128); },
                   "DAC_GN", "2.00"},
        ColumnCase{"DacGainZero", [](auto& r) { r.constants.setSigned(kConDacGain, 0); }, "DAC_GN",
                   "256.00"},
        ColumnCase{"OscillatorReady", [](auto& r) { r.variables.setChar(kVarOscStat, 'c'); },
                   "OSC_STAT", "Ready"},
        ColumnCase{"OscillatorCold", [](auto& r) { r.variables.setChar(kVarOscStat, 'f'); },
                   "OSC_STAT", "Cold"},
        ColumnCase{"ShortModePadsLeft", [](auto& r) { r.variables.setModeText("Z"); }, "MODE",
                   "  Z"},
        ColumnCase{"ModeEndsAtNul",
                   [](auto& r) { r.variables.setModeText(std::string("R\0Z", 3)); }, "MODE", "  R"},
        ColumnCase{"ModeGarbage", [](auto& r) { r.variables.setModeText(",\r\xFF"); }, "MODE",
                   "???"},
        ColumnCase{"VersionNeverRead", [](auto&) {}, "VERSION", "? 0"},
        ColumnCase{"VersionComma",
                   [](auto& r) {
                       r.version = {',', 3};
                   },
                   "VERSION", "? 3"},
        ColumnCase{"VersionHighByte",
                   [](auto& r) {
                       r.version = {'\xE9', -1};
                   },
                   "VERSION", "? -1"},
        ColumnCase{
            "HugeFloatKeptWhole",
            [](auto& r) { r.variables.setFloat(kVarPos24V, std::numeric_limits<float>::max()); },
            "POS24V", "340282346638528859811704183484516925440.000"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(TelemetryLine, GarbageFromTheUnitNeverBreaksTheLine) {
    UnitRecords records;
    records.variables.setModeText(std::string(",\r\0", 3));
    records.version = {'\0', 0};
    records.variables.setFloat(kVarVCs, std::bit_cast<float>(0x7FC00000u));  // NaN
    const std::string line = formatTelemetryLine(records, LocalDateTime{}, 0.0);
    ASSERT_TRUE(line.ends_with("\r\n"));
    const std::string body = line.substr(0, line.size() - 2);
    for (const char c : body) {
        EXPECT_GE(static_cast<unsigned char>(c), 0x20u) << "control byte in " << body;
    }
    EXPECT_EQ(split(body, ",").size(), 51u);
}

struct NameCase {
    const char* what;
    std::string nameTemplate;
    long unitId;
    std::optional<std::string> name;
};

void PrintTo(const NameCase& c, std::ostream* os) {
    *os << c.what;
}

class TelemetryFileName : public ::testing::TestWithParam<NameCase> {};

TEST_P(TelemetryFileName, FormatsOnlyTheFirstPlaceholder) {
    EXPECT_EQ(formatTelemetryFileName(GetParam().nameTemplate, GetParam().unitId), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(
    Templates, TelemetryFileName,
    ::testing::Values(NameCase{"Seeded", "Unit%ld_Data.txt", 99999, "Unit99999_Data.txt"},
                      NameCase{"Fallback", "Unit %ld.txt", 7, "Unit 7.txt"},
                      NameCase{"NoPlaceholder", "clock.csv", 7, "clock.csv"},
                      NameCase{"IntPlaceholderIsLiteral", "Unit%d.txt", 7, "Unit%d.txt"},
                      NameCase{"PrintfAttackIsLiteral", "%s%n", 7, "%s%n"},
                      NameCase{"SecondPlaceholderIsLiteral", "%ld%ld", 12, "12%ld"},
                      NameCase{"NegativeId", "U%ld", -3, "U-3"},
                      NameCase{"Empty", "", 7, std::nullopt},
                      NameCase{"ParentDirectory", "../x", 7, std::nullopt},
                      NameCase{"Slash", "a/b", 7, std::nullopt},
                      NameCase{"Backslash", "a\\b", 7, std::nullopt},
                      NameCase{"DrivePrefix", "d:x%ld", 7, std::nullopt},
                      NameCase{"EmbeddedNul", std::string("x\0y", 3), 7, std::nullopt}),
    [](const auto& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace brevik2::engine
