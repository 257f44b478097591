#include "engine/reply_parsing.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <variant>
#include <vector>

namespace brevik2::engine {
namespace {

using Value = std::variant<std::int32_t, std::uint32_t, float, char, std::string>;
using S = std::int32_t;
using U = std::uint32_t;
using T = std::string;

constexpr std::uint32_t kSentinel = 0xA5A5A5A5u;

// One field of a fixed-layout reply as the unit lays it out, with a sample text and its value.
struct FieldRow {
    int field;
    std::size_t position;
    std::size_t length;
    std::string text;
    Value expected;
};

void PrintTo(const FieldRow& row, std::ostream* os) {
    *os << "field " << row.field;
}

// A reply of a given length, blank except for the texts placed at their positions.
class ReplyBuilder {
public:
    explicit ReplyBuilder(std::size_t length, char fill = ' ') : m_bytes(length, fill) {}
    ReplyBuilder& at(std::size_t position, std::string_view text) {
        EXPECT_LE(position + text.size(), m_bytes.size());
        m_bytes.replace(position, text.size(), text);
        return *this;
    }
    ReplyBuilder& field(const FieldRow& row, std::string_view text) {
        EXPECT_LE(text.size(), row.length);
        return at(row.position, std::string(row.length, ' ')).at(row.position, text);
    }
    const std::string& str() const { return m_bytes; }

private:
    std::string m_bytes;
};

// Holds bytes in a buffer of exactly their size, with no terminator after them, so that a
// parser reading past the end of a reply trips the address sanitizer.
class ExactBytes {
public:
    explicit ExactBytes(std::string_view bytes)
        : m_data(std::make_unique<char[]>(bytes.size())), m_size(bytes.size()) {
        std::copy(bytes.begin(), bytes.end(), m_data.get());
    }
    std::string_view view() const { return {m_data.get(), m_size}; }

private:
    std::unique_ptr<char[]> m_data;
    std::size_t m_size;
};

// clang-format off
const std::vector<FieldRow> kVariablesRows = {
    {kVarUnitId, 5, 5, "12345", U{12345}},           {kVarDayNumber, 11, 3, "123", U{123}},
    {kVarHour, 15, 2, "23", U{23}},                  {kVarMinute, 18, 2, "59", U{59}},
    {kVarSecond, 22, 2, " 7", U{7}},                 {kVarModeDigit, 26, 1, "2", U{2}},
    {kVarMode, 28, 3, "R+T", T{"R+T"}},              {kVarAlarmState, 36, 2, "10", U{10}},
    {kVarAlrm1, 39, 2, "ff", U{255}},                {kVarAlrm2, 42, 2, "1A", U{26}},
    {kVarAlrm3, 45, 2, "00", U{0}},                  {kVarAlrm4, 48, 2, " 7", U{7}},
    {kVarAlrm5, 51, 2, "80", U{128}},                {kVarC, 55, 4, "-999", S{-999}},
    {kVarFreqTune, 61, 7, "-123456", S{-123456}},    {kVarPos24V, 69, 6, " 23.95", 23.95f},
    {kVarOcxoTau, 79, 4, "12.5", 12.5f},             {kVarCramErr, 86, 4, " -12", S{-12}},
    {kVarCrabErr, 93, 5, "-9999", S{-9999}},         {kVarZramErr, 99, 4, " 999", S{999}},
    {kVarZrabErr, 106, 5, "   -1", S{-1}},           {kVarVVcxo, 113, 5, " 4321", S{4321}},
    {kVarClvl, 120, 4, "9999", S{9999}},             {kVarVCfld, 126, 5, "-0042", S{-42}},
    {kVarZlvl, 133, 4, "   0", S{0}},                {kVarDcLvl, 139, 5, "99999", S{99999}},
    {kVarNumGn, 147, 4, "9.99", 9.99f},              {kVarLa, 153, 5, "  250", S{250}},
    {kVarVuW, 160, 5, "-1234", S{-1234}},            {kVarPos5V, 167, 5, " 5.02", 5.02f},
    {kVarTChasis, 175, 5, " 35.6", 35.6f},           {kVarPos15V, 181, 5, " 15.1", 15.1f},
    {kVarNeg15V, 188, 5, "-15.2", -15.2f},           {kVarOscStat, 197, 1, "c", 'c'},
    {kVarVCs, 201, 4, "75.3", 75.3f},                {kVarVMs, 208, 4, "43.2", 43.2f},
    {kVarVIon, 215, 4, "5.55", 5.55f},               {kVarICfld, 222, 4, "11.1", 11.1f},
    {kVarVEm, 229, 4, "99.0", 99.0f},                {kVarIIp, 236, 3, "123", S{123}},
    {kVarStdDev, 240, 4, " -17", S{-17}},
};
// clang-format on

// clang-format off
const std::vector<FieldRow> kConstantsRows = {
    {kConUnitId, 5, 5, "12345", U{12345}},           {kConDayNumber, 11, 3, "200", U{200}},
    {kConHour, 15, 2, "12", U{12}},                  {kConMinute, 18, 2, "34", U{34}},
    {kConSecond, 22, 2, "56", U{56}},                {kConNomMs, 28, 4, "12.5", 12.5f},
    {kConNomIon, 37, 3, "4.5", 4.5f},                {kConDacGain, 48, 3, "128", S{128}},
    {kConMinus15, 56, 3, "-14", S{-14}},             {kConPlus15, 64, 3, " 15", S{15}},
    {kConPlus45, 72, 3, " 44", S{44}},               {kConPlus75, 80, 3, " 76", S{76}},
    {kConPi, 87, 5, "-1234", S{-1234}},              {kConNomZrab, 95, 5, " 2345", S{2345}},
    {kConAuxFreq, 104, 4, "10.5", 10.5f},            {kConCdu, 117, 2, "AB", T{"AB"}},
    {kConTxt, 124, 10, "HELLOWORLD", T{"HELLOWORLD"}}, {kConModelCode, 135, 3, "401", S{401}},
    {kConLastValue, 139, 3, "1.5", 1.5f},
};
// clang-format on

const FieldRow& rowOf(const std::vector<FieldRow>& rows, int field) {
    return rows.at(field);
}

std::string variablesReply() {
    ReplyBuilder reply(kVariablesReplyLength);
    reply.at(0, "\x02\r\nID").at(247, "\r\n\x03");
    for (const auto& row : kVariablesRows) {
        reply.field(row, row.text);
    }
    return reply.str();
}

// Labels where the unit puts them, so the same bytes serve the contact test's long scan.
ReplyBuilder constantsBuilder() {
    ReplyBuilder reply(kConstantsReplyLength);
    reply.at(0, "\x02\r\nID").at(17, "h").at(20, "mn").at(25, "Vs").at(32, "V").at(34, "Vf");
    reply.at(40, "V").at(42, "GDAC").at(52, "-15:").at(60, "+15:").at(68, "+45:").at(76, "+75:");
    reply.at(85, "Pi").at(93, "Oz").at(101, "Fo:").at(109, "MHZ").at(113, "CDU:");
    reply.at(120, "TXT:").at(142, "\r\n\x03");
    for (const auto& row : kConstantsRows) {
        reply.field(row, row.text);
    }
    return reply;
}

template <typename Record>
Record sentinelRecord() {
    Record record;
    record.slot.fill(kSentinel);
    if constexpr (requires { record.cdu; }) {
        record.cdu = {'Q', 'Q'};
        record.txt = {'Q', 'Q'};
    }
    return record;
}

std::string textOf(const VariablesRecord& record, int) {
    return record.modeText();
}
std::string textOf(const ConstantsRecord& record, int field) {
    return field == kConCdu ? record.cdu.data() : record.txt.data();
}
std::string textOf(const NvRecord& record, int) {
    return record.text19.data();
}

template <typename Record>
void expectField(const Record& record, int field, const Value& expected) {
    SCOPED_TRACE(testing::Message() << "field " << field);
    if (const auto* s = std::get_if<std::int32_t>(&expected)) {
        EXPECT_EQ(record.asSigned(field), *s);
    } else if (const auto* u = std::get_if<std::uint32_t>(&expected)) {
        EXPECT_EQ(record.asUnsigned(field), *u);
    } else if (const auto* f = std::get_if<float>(&expected)) {
        EXPECT_EQ(record.asFloat(field), *f);
    } else if (const auto* c = std::get_if<char>(&expected)) {
        EXPECT_EQ(record.asChar(field), *c);
    } else {
        EXPECT_EQ(textOf(record, field), std::get<std::string>(expected));
    }
}

// Each field alone in a reply of zero bytes: it must come from its own position and length, and
// no other field may pick it up (a zero byte converts to nothing, even for a one-character field).
class VariablesFieldTest : public testing::TestWithParam<FieldRow> {};

TEST_P(VariablesFieldTest, ConvertsFromItsOwnPositionOnly) {
    const FieldRow& row = GetParam();
    auto record = sentinelRecord<VariablesRecord>();
    ReplyBuilder reply(kVariablesReplyLength, '\0');
    convertVariablesReply(reply.at(row.position, row.text).str(), record);
    expectField(record, row.field, row.expected);
    for (int other = 0; other < kVariableFieldCount; ++other) {
        if (other != row.field) {
            EXPECT_EQ(record.slot[other], kSentinel) << "field " << other;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryField, VariablesFieldTest, testing::ValuesIn(kVariablesRows),
                         [](const auto& info) { return "Field" + std::to_string(info.index); });

TEST(ReplyParsingTest, CompleteRepliesAreAcceptedWithEveryFieldValid) {
    VariablesRecord variables;
    EXPECT_TRUE(convertVariablesReply(variablesReply(), variables));
    ConstantsRecord constants;
    EXPECT_TRUE(convertConstantsReply(constantsBuilder().str(), constants));
    for (const auto& row : kVariablesRows) {
        expectField(variables, row.field, row.expected);
        EXPECT_EQ(variables.valid[row.field], 1) << "variables field " << row.field;
    }
    for (const auto& row : kConstantsRows) {
        expectField(constants, row.field, row.expected);
    }
    for (int field : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 18}) {
        EXPECT_EQ(constants.valid[field], 1) << "constants field " << field;
    }
}

struct ValidityCase {
    std::string name;
    bool constants;  // which reply the field belongs to
    int field;
    std::string text;
    bool valid;
    bool accepted;
};

void PrintTo(const ValidityCase& c, std::ostream* os) {
    *os << c.name;
}

class ValidityTest : public testing::TestWithParam<ValidityCase> {};

TEST_P(ValidityTest, FlagsTheFieldAndDecidesTheReply) {
    const ValidityCase& c = GetParam();
    if (c.constants) {
        ConstantsRecord record;
        const auto reply = constantsBuilder().field(rowOf(kConstantsRows, c.field), c.text).str();
        EXPECT_EQ(convertConstantsReply(reply, record), c.accepted);
        EXPECT_EQ(record.valid[c.field], c.valid ? 1 : 0);
    } else {
        VariablesRecord record;
        ReplyBuilder reply(kVariablesReplyLength);
        reply.at(0, variablesReply()).field(rowOf(kVariablesRows, c.field), c.text);
        EXPECT_EQ(convertVariablesReply(reply.str(), record), c.accepted);
        EXPECT_EQ(record.valid[c.field], c.valid ? 1 : 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, ValidityTest,
    testing::Values(
        ValidityCase{"ModeOtherThanRZOrRTIsAcceptedButInvalid", false, kVarMode, "ABC", false,
                     true},
        ValidityCase{"ModeRZ", false, kVarMode, "R+Z", true, true},
        ValidityCase{"ModeShortOfThreeCharacters", false, kVarMode, "R+", false, true},
        ValidityCase{"AlarmStateSeventeen", false, kVarAlarmState, "17", true, true},
        ValidityCase{"AlarmStateEighteenRejects", false, kVarAlarmState, "18", false, false},
        ValidityCase{"ModeDigitZeroRejects", false, kVarModeDigit, "0", false, false},
        ValidityCase{"NegativeUnitIdWrapsAndRejects", false, kVarUnitId, "-1", false, false},
        ValidityCase{"NegativeAlarmByteRejects", false, kVarAlrm3, "-1", false, false},
        ValidityCase{"StdDevOverRangeRejects", false, kVarStdDev, "1000", false, false},
        ValidityCase{"FreqTuneOverRangeOnlyFlagged", false, kVarFreqTune, "1000000", false, true},
        ValidityCase{"NanIsOutOfRange", false, kVarPos24V, "nan", false, true},
        ValidityCase{"InfinityIsOutOfRange", false, kVarOcxoTau, "1e99", false, true},
        ValidityCase{"LowerFloatBoundInclusive", false, kVarOcxoTau, "0.1", true, true},
        ValidityCase{"BelowFloatBound", false, kVarOcxoTau, "0.09", false, true},
        // 99.9 as a float is slightly above 99.9 as a double.
        ValidityCase{"FloatBoundComparedInDouble", false, kVarTChasis, "99.9", false, true},
        ValidityCase{"OscStateF", false, kVarOscStat, "f", true, true},
        ValidityCase{"OscStateOther", false, kVarOscStat, "x", false, true},
        ValidityCase{"LevelBelowZero", false, kVarClvl, "-1", false, true},
        ValidityCase{"DacGainZeroRejects", true, kConDacGain, "0", false, false},
        ValidityCase{"DacGain256", true, kConDacGain, "256", true, true},
        ValidityCase{"DacGain257Rejects", true, kConDacGain, "257", false, false},
        ValidityCase{"LastValueNanRejects", true, kConLastValue, "nan", false, false},
        ValidityCase{"ConstantsHourOutOfRangeRejects", true, kConHour, "24", false, false},
        ValidityCase{"ModelCodeUnchecked", true, kConModelCode, "-99", true, true}),
    [](const auto& info) { return info.param.name; });

// A reply cut anywhere converts the fields it fully holds, keeps the others, reads nothing
// beyond its end and is accepted only when complete.
TEST(ReplyParsingTest, TruncatedRepliesConvertWhatArrivedAndAreRejected) {
    const std::string full = variablesReply();
    for (std::size_t length = 0; length <= full.size(); ++length) {
        SCOPED_TRACE(length);
        auto record = sentinelRecord<VariablesRecord>();
        const ExactBytes reply(std::string_view(full).substr(0, length));
        EXPECT_EQ(convertVariablesReply(reply.view(), record), length == full.size());
        for (const auto& row : kVariablesRows) {
            if (row.position + row.length <= length) {
                expectField(record, row.field, row.expected);
            } else if (row.position >= length) {
                EXPECT_EQ(record.slot[row.field], kSentinel) << "field " << row.field;
            }
        }
    }
    const std::string constants = constantsBuilder().str();
    for (std::size_t length = 0; length <= constants.size(); ++length) {
        ConstantsRecord record;
        const ExactBytes reply(std::string_view(constants).substr(0, length));
        EXPECT_EQ(convertConstantsReply(reply.view(), record), length == constants.size());
        EXPECT_EQ(checkUnitStatusReply(reply.view(), record), length == constants.size());
    }
}

TEST(ReplyParsingTest, FieldCutShortByTheReplyConvertsItsPart) {
    auto record = sentinelRecord<VariablesRecord>();
    convertVariablesReply(ExactBytes(std::string_view(variablesReply()).substr(0, 8)).view(),
                          record);
    EXPECT_EQ(record.asUnsigned(kVarUnitId), 123u);
}

TEST(ReplyParsingTest, CorruptedBytesEndOnlyTheirOwnField) {
    const auto& unitId = rowOf(kVariablesRows, kVarUnitId);
    const auto& day = rowOf(kVariablesRows, kVarDayNumber);
    const auto& tune = rowOf(kVariablesRows, kVarFreqTune);
    ReplyBuilder reply(kVariablesReplyLength);
    reply.at(0, variablesReply()).at(0, std::string(1, '\0'));
    reply.field(unitId, std::string("12\0 4", 5))
        .field(day, std::string("\0"
                                "99",
                                3));
    reply.field(tune, "12,3456");
    VariablesRecord record;
    record.setUnsigned(kVarDayNumber, 77);
    EXPECT_TRUE(convertVariablesReply(reply.str(), record));
    EXPECT_EQ(record.asUnsigned(kVarUnitId), 12u);
    EXPECT_EQ(record.asUnsigned(kVarDayNumber), 77u);  // nothing to convert: kept
    EXPECT_EQ(record.asSigned(kVarFreqTune), 12);
    EXPECT_EQ(record.asUnsigned(kVarHour), 23u);

    auto garbled = sentinelRecord<VariablesRecord>();
    EXPECT_FALSE(convertVariablesReply(std::string(kVariablesReplyLength, '\xFF'), garbled));
    for (const auto& row : kVariablesRows) {
        const bool numeric = !std::holds_alternative<char>(row.expected) &&
                             !std::holds_alternative<std::string>(row.expected);
        EXPECT_EQ(garbled.slot[row.field] == kSentinel, numeric) << "field " << row.field;
    }
}

TEST(ReplyParsingTest, UnitStatusQueryReadsTheFixedLayout) {
    const std::string reply = constantsBuilder().str();
    ConstantsRecord byLayout;
    ASSERT_TRUE(convertConstantsReply(reply, byLayout));
    ConstantsRecord byContact;
    EXPECT_TRUE(checkUnitStatusReply(reply, byContact));
    EXPECT_EQ(byContact.slot, byLayout.slot);
    EXPECT_EQ(byContact.valid, byLayout.valid);
    EXPECT_STREQ(byContact.cdu.data(), "AB");
    EXPECT_STREQ(byContact.txt.data(), "HELLOWORLD");
    EXPECT_EQ(byContact.modelCode(), 401);
}

TEST(ReplyParsingTest, UnitStatusQueryDependsOnTheHeadOnly) {
    std::string garbage = "\x02\r\nID";
    for (std::size_t i = garbage.size(); i < kConstantsReplyLength; ++i) {
        garbage.push_back("\xFF,%\0x9-"[(i - 5) % 7]);
    }
    auto record = sentinelRecord<ConstantsRecord>();
    EXPECT_TRUE(checkUnitStatusReply(garbage, record));
    EXPECT_FALSE(convertConstantsReply(garbage, record));

    for (std::string head : {"\x02\r\nIX", "\x02\nID\r", " \r\nID"}) {
        std::string reply = constantsBuilder().str();
        reply.replace(0, head.size(), head);
        EXPECT_FALSE(checkUnitStatusReply(reply, record)) << head;
    }
}

// The 36 values of a "D*5" reply, and the field each one lands in.
const std::vector<std::string> kNvramValues = {
    "-1", "2023", "7",   "31",  "123456", "6",     "7",       "8",  "9", "10",   "1",  "12",
    "13", "140",  "150", "160", "1.5",    "-2.25", "SN-0042", "20", "0", "1a",   "2b", "3c",
    "4d", "ff",   "E",   "H",   "L",      "7f",    "T",       "B",  "S", "0x10", "35", "-36"};

std::vector<std::pair<int, Value>> nvramExpected() {
    std::vector<std::pair<int, Value>> expected = {
        {1, S{-1}},    {2, S{2023}},       {3, S{7}},     {4, S{31}},    {5, S{123456}},
        {11, S{1}},    {14, S{160}},       {15, S{140}},  {16, S{150}},  {17, 1.5f},
        {18, -2.25f},  {19, T{"SN-0042"}}, {20, S{20}},   {21, S{0}},    {22, U{0x1a}},
        {26, U{0xff}}, {27, 'E'},          {29, 'L'},     {30, U{0x7f}}, {31, 'T'},
        {33, 'S'},     {34, U{0x10}},      {35, S{35}},   {36, S{-36}},  {12, S{12}},
        {13, S{13}},   {23, U{0x2b}},      {24, U{0x3c}}, {25, U{0x4d}}, {28, 'H'},
        {32, 'B'}};
    for (int field = 6; field <= 10; ++field) {
        expected.emplace_back(field, S{field});
    }
    return expected;
}

std::string nvramReply(std::vector<std::string> values) {
    std::string reply = "\x02";
    for (std::size_t i = 0; i < values.size(); ++i) {
        reply += (i ? "," : "") + values[i];
    }
    return reply + "\r\n\x03";
}

TEST(NvramReplyTest, StoresAllValuesWithTheLeapSecondFlagMoved) {
    auto record = sentinelRecord<NvRecord>();
    convertNvramReply(ExactBytes(nvramReply(kNvramValues)).view(), record);
    for (const auto& [field, value] : nvramExpected()) {
        expectField(record, field, value);
    }
}

TEST(NvramReplyTest, OverlongTextIsCutToItsSlotAndTheRestStaysInStep) {
    auto values = kNvramValues;
    values[18] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    NvRecord record;
    convertNvramReply(nvramReply(values), record);
    EXPECT_STREQ(record.text19.data(), "ABCDEFGHIJK");
    EXPECT_EQ(record.asSigned(20), 20);
    EXPECT_EQ(record.asSigned(36), -36);
}

TEST(NvramReplyTest, ValuesAfterABadOneKeepTheirOldContents) {
    auto values = kNvramValues;
    values[14] = "zz";
    auto record = sentinelRecord<NvRecord>();
    convertNvramReply(nvramReply(values), record);
    for (int field = 1; field <= 36; ++field) {
        // Value 15 fails: value 14 has reached field 15, values 15 and 16 (fields 16 and 14)
        // have not.
        const bool kept = field >= 17 || field == 14 || field == 16;
        EXPECT_EQ(record.slot[field] == kSentinel, kept) << "field " << field;
    }

    std::string cutAtZero = nvramReply(kNvramValues);
    cutAtZero[cutAtZero.find(",123456") + 1] = '\0';
    record = sentinelRecord<NvRecord>();
    convertNvramReply(cutAtZero, record);
    EXPECT_EQ(record.asSigned(4), 31);
    for (int field = 5; field <= 36; ++field) {
        EXPECT_EQ(record.slot[field], kSentinel) << "field " << field;
    }
}

TEST(ShortRepliesTest, DateAndTimeFromByte26) {
    const std::string head(26, '.');
    const std::vector<std::tuple<std::string, bool, std::string>> cases = {
        {head + "12/31/2023 23:59:59\r\n\x03", true, "12/31/2023 23:59:59"},
        {head + "5", true, "5"},
        {head + "123", true, ""},
        {head + "X2/31/2023\r\n\x03", false, "old"},
        {head, false, "old"},
        {std::string(10, '.') + '\0' + std::string(15, '.') + "1\r\n\x03", false, "old"},
    };
    for (const auto& [reply, changed, text] : cases) {
        std::string dateTime = "old";
        EXPECT_EQ(convertDateTimeReply(ExactBytes(reply).view(), dateTime), changed) << reply;
        EXPECT_EQ(dateTime, text) << reply;
    }
}

TEST(ShortRepliesTest, VersionAfterItsMark) {
    const std::vector<std::tuple<std::string, bool, char, int>> cases = {
        {"\x02\r\nVersion B 12\r\n\x03", true, 'B', 12},
        {"\x02Firmware Version C 7", true, 'C', 7},
        {"\x02Version X", true, 'X', 0},
        {"\x02\r\n" + std::string(22, 'x') + "Version A 12345\r\n\x03", true, 'A', 12},
        {"\x02\r\nRelease B 12\r\n\x03", false, 'Z', 99},
        {"\x02\r\nxxVersion", false, 'Z', 99},
        {"\x02Version ", false, 'Z', 99},
    };
    for (const auto& [reply, found, letter, number] : cases) {
        FirmwareVersion version{'Z', 99};
        EXPECT_EQ(convertVersionReply(ExactBytes(reply).view(), version), found) << reply;
        EXPECT_EQ(version.letter, letter) << reply;
        EXPECT_EQ(version.number, number) << reply;
    }
}

TEST(ShortRepliesTest, CountersFromTheSecondByte) {
    using Counters = std::array<std::int32_t, 4>;
    const std::vector<std::pair<std::string, Counters>> cases = {
        {"\x02"
         "1,-2,3,4\r\n\x03",
         {1, -2, 3, 4}},
        {"12,3,4,5", {2, 3, 4, 5}},
        {"\x02"
         "5,6,x,8",
         {5, 6, 9, 9}},
        {"\x02", {9, 9, 9, 9}},
        {"", {9, 9, 9, 9}},
    };
    for (const auto& [reply, expected] : cases) {
        Counters counters{9, 9, 9, 9};
        convertCountersReply(ExactBytes(reply).view(), counters);
        EXPECT_EQ(counters, expected) << reply;
    }
}

TEST(EventLogTest, EventCountAtPosition23) {
    const std::string head(23, '.');
    const std::vector<std::pair<std::string, int>> cases = {
        {head + "17 events\r\n", 17}, {head + " 5", 5}, {head + "x1", 0}, {head, 0}, {"", 0}};
    for (const auto& [line, count] : cases) {
        EXPECT_EQ(eventCountFromFirstLine(ExactBytes(line).view()), count) << line;
    }
}

TEST(EventLogTest, EntriesAndContinuationLines) {
    EventTable table;
    table.count = 5;
    table.entries.resize(5);
    EventTableBuilder builder(table);
    EXPECT_EQ(table.count, 0);
    builder.addLine("\tlost before any entry\r\n");
    builder.addLine("01/01/2023 Event A\r\n");
    builder.addLine("\tdetail one\r\n");
    builder.addLine("01/02/2023 Event B\r\n");
    builder.addLine(std::string(100, 'M') + "\r\n");
    builder.addLine("\t" + std::string(100, 'c') + "\r\n");
    ASSERT_EQ(table.count, 3);
    ASSERT_EQ(table.entries.size(), 3u);
    EXPECT_EQ(table.entries[0].mainLine, "01/01/2023 Event A");
    EXPECT_EQ(table.entries[0].continuation, std::vector<std::string>{"         detail one"});
    EXPECT_EQ(table.entries[1].mainLine, "01/02/2023 Event B");
    EXPECT_TRUE(table.entries[1].continuation.empty());
    EXPECT_EQ(table.entries[2].mainLine, std::string(63, 'M'));
    EXPECT_EQ(table.entries[2].continuation,
              std::vector<std::string>{std::string(9, ' ') + std::string(54, 'c')});
}

TEST(EventLogTest, BoundsOnContinuationLinesAndEntries) {
    EventTable table;
    EventTableBuilder builder(table);
    builder.addLine("first\r\n");
    for (int i = 0; i < 40; ++i) {
        builder.addLine("\tmore " + std::to_string(i) + "\r\n");
    }
    ASSERT_EQ(table.entries[0].continuation.size(), EventTable::kMaxContinuationLines);
    EXPECT_EQ(table.entries[0].continuation.back(), "         more 31");

    for (int i = 1; i < 1005; ++i) {
        builder.addLine("entry " + std::to_string(i) + "\r\n");
        builder.addLine("\tof entry " + std::to_string(i) + "\r\n");
    }
    EXPECT_EQ(table.count, 1000);
    ASSERT_EQ(table.entries.size(), EventTable::kMaxEntries);
    // The dropped entries' continuation lines must not pile onto the last kept entry.
    EXPECT_EQ(table.entries.back().mainLine, "entry 999");
    EXPECT_EQ(table.entries.back().continuation, std::vector<std::string>{"         of entry 999"});
}

// Random bytes from the alphabet the parsers care about: none of them may crash, read past the
// reply or break a bound.
TEST(ReplyParsingTest, RandomRepliesStayWithinBounds) {
    std::mt19937 random(12345);
    std::string alphabet = "0123456789+-.,eE\t\r\n naiXVersion\x02\x03\xFF";
    alphabet.push_back('\0');
    EventTable table;
    EventTableBuilder builder(table);
    for (int i = 0; i < 3000; ++i) {
        std::string bytes(random() % 300, ' ');
        for (char& c : bytes) {
            c = alphabet[random() % alphabet.size()];
        }
        if (i % 2 == 0 && bytes.size() > 5) {
            bytes.replace(0, 5, "\x02\r\nID");
        }
        const ExactBytes reply(bytes);
        UnitRecords records;
        const bool accepted = convertVariablesReply(reply.view(), records.variables);
        EXPECT_FALSE(accepted && bytes.size() < kVariablesReplyLength);
        convertConstantsReply(reply.view(), records.constants);
        checkUnitStatusReply(reply.view(), records.constants);
        convertNvramReply(reply.view(), records.nvram);
        convertDateTimeReply(reply.view(), records.dateTime);
        convertVersionReply(reply.view(), records.version);
        convertCountersReply(reply.view(), records.counters);
        eventCountFromFirstLine(reply.view());
        builder.addLine(reply.view());
        EXPECT_LT(std::char_traits<char>::length(records.constants.txt.data()), 11u);
        EXPECT_LT(std::char_traits<char>::length(records.nvram.text19.data()), 12u);
    }
    ASSERT_LE(table.entries.size(), EventTable::kMaxEntries);
    for (const auto& entry : table.entries) {
        EXPECT_LE(entry.mainLine.size(), EventTable::kEventLineChars);
        EXPECT_LE(entry.continuation.size(), EventTable::kMaxContinuationLines);
        for (const auto& line : entry.continuation) {
            EXPECT_LE(line.size(), EventTable::kEventLineChars);
        }
    }
}

}  // namespace
}  // namespace brevik2::engine
