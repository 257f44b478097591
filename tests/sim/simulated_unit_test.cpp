// The unit's answers to commands and the state changes they make, without any port.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "link/command_catalogue.h"
#include "sim/setting_rows.h"
#include "sim/simulated_unit.h"

namespace brevik2::sim {
namespace {

using Clock = SimulatedUnit::Clock;
using namespace std::chrono_literals;

const Clock::time_point kNow = Clock::from_time_t(1345955400);

std::string replyOf(SimulatedUnit& unit, const char* code, const char* parameter = "",
                    Clock::time_point now = kNow) {
    return unit.handle(code, parameter, now).value_or("<none>");
}

std::string framed(const std::string& text) {
    return "\x02" + text + "\r\n\x03";
}

// One command, its parameter, and where its effect must show.
struct CommandCase {
    const char* name;
    int model;
    const char* code;
    const char* parameter;
    const char* expectedReply;
    std::function<bool(const UnitState&)> stateCheck;
    const char* statusCode;  // the status reply that must reflect the change
    std::size_t position;
    const char* expectedText;
};

void PrintTo(const CommandCase& c, std::ostream* os) {
    *os << c.name;
}

class CommandTest : public ::testing::TestWithParam<CommandCase> {};

TEST_P(CommandTest, AppliesItsChangeAndReportsIt) {
    const CommandCase& c = GetParam();
    SimulatedUnit unit(c.model, 1010, {}, kNow);
    EXPECT_EQ(replyOf(unit, c.code, c.parameter), framed(c.expectedReply));
    EXPECT_TRUE(c.stateCheck(unit.state()));
    if (c.statusCode != nullptr) {
        const std::string status = replyOf(unit, c.statusCode);
        ASSERT_GE(status.size(), c.position + std::string(c.expectedText).size());
        EXPECT_EQ(status.substr(c.position, std::string(c.expectedText).size()), c.expectedText)
            << status;
    }
}

// Values in the "D*5" reply, by counting commas: value n starts after the (n-1)th comma.
std::size_t nvValuePosition(const std::string& reply, int n) {
    std::size_t pos = 1;
    for (int i = 1; i < n; ++i) {
        pos = reply.find(',', pos) + 1;
    }
    return pos;
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CommandTest,
    ::testing::Values(
        CommandCase{"UnitId", 401, "C01", "01234", "C01 OK",
                    [](const UnitState& s) { return s.unitId == 1234; }, "D*1", 5, "01234"},
        CommandCase{"FrequencyOffset", 401, "W01", "+000150  ", "W01 OK",
                    [](const UnitState& s) { return s.frequencyOffset == 150; }, "D*1", 61,
                    "+000150"},
        CommandCase{"NegativeOffset", 401, "W01", "-000025", "W01 OK",
                    [](const UnitState& s) { return s.frequencyOffset == -25; }, "D*1", 61,
                    "-000025"},
        CommandCase{"CustomerMessage", 401, "C06", "ABC______", "C06 OK",
                    [](const UnitState& s) { return s.customerMessage == "ABC______"; }, "D*2", 124,
                    "ABC______ "},
        CommandCase{"TimeConstant", 401, "W10", "1 2.5", "W10 OK",
                    [](const UnitState& s) { return s.filterOrder == 1; }, "D*1", 79, "2.50"},
        CommandCase{"MinorAlarm", 401, "W15", "1", "W15 OK",
                    [](const UnitState& s) { return s.alarmState == 10; }, "D*1", 36, "10"},
        CommandCase{"GainDacTest", 401, "A03", "16", "A03 16",
                    [](const UnitState& s) { return s.dacGain == 16 && s.testModes[2] == 16; },
                    "D*2", 48, " 16"},
        CommandCase{"UnknownCodeEchoes", 401, "Q99", "x", "Q99 OK",
                    [](const UnitState& s) { return s.requestCounts.at("Q99") == 1; }, nullptr, 0,
                    ""},
        CommandCase{"BadUnitId", 401, "C01", "12a45", "C01 ERR",
                    [](const UnitState& s) { return s.unitId == 1010; }, "D*1", 5, "01010"},
        CommandCase{"OffsetOutOfRange", 401, "W01", "+1000000", "W01 ERR",
                    [](const UnitState& s) { return s.frequencyOffset == 0; }, nullptr, 0, ""},
        CommandCase{"TtlOnlyOnModel402", 401, "W07", "2", "W07 ERR",
                    [](const UnitState& s) { return s.ttlFrequency == 4; }, nullptr, 0, ""},
        CommandCase{"TtlOn402", 402, "W07", "2", "W07 OK",
                    [](const UnitState& s) { return s.ttlFrequency == 2; }, nullptr, 0, ""},
        CommandCase{"TelecomRefusedOn400", 400, "A20", "2,4,0101", "A20 ERR",
                    [](const UnitState& s) { return s.telecom == TelecomSettings{}; }, nullptr, 0,
                    ""}),
    [](const auto& info) { return std::string(info.param.name); });

// The switches and telecom settings, read back from the "D*5" reply by value number.
struct NvCase {
    const char* name;
    const char* code;
    const char* parameter;
    int valueNumber;
    const char* expected;  // the values from valueNumber on
};

class NvramCommandTest : public ::testing::TestWithParam<NvCase> {};

TEST_P(NvramCommandTest, ShowsInTheNvramReply) {
    const NvCase& c = GetParam();
    SimulatedUnit unit(401, 1010, {}, kNow);
    ASSERT_EQ(replyOf(unit, c.code, c.parameter), framed(std::string(c.code) + " OK"));
    const std::string nv = replyOf(unit, "D*5");
    ASSERT_EQ(nv.size(), 152u);
    const std::size_t pos = nvValuePosition(nv, c.valueNumber);
    EXPECT_EQ(nv.substr(pos, std::string(c.expected).size()), c.expected) << nv;
}

INSTANTIATE_TEST_SUITE_P(
    Settings, NvramCommandTest,
    ::testing::Values(NvCase{"DaylightSavings", "A09", "1", 11, "1,"},
                      NvCase{"LeapSecond", "A11", "1", 16, "1,"},
                      NvCase{"RestartFaultLevel", "A18", "1", 21, "1,"},
                      NvCase{"ManufactureDate", "A17", "12/31/04", 2, "2004,12,31,"},
                      // Options word 0101: SSM and CRC-4, reported as bits 2 and 0.
                      NvCase{"E1Generator", "A20", "2,4,0101", 22, "2,5,4,"},
                      NvCase{"E1AllButMute", "A20", "1,8,0111", 22, "1,7,8,"},
                      NvCase{"E1Mute", "A20", "3,6,1000", 22, "3,8,6,"},
                      NvCase{"T1Generator", "A21", "3,2", 25, "3,2,"},
                      NvCase{"Channel2", "A22", "2,T,F,U,3", 31, "T,F,U,3,"},
                      NvCase{"Channel1", "A22", "1,E,C,B,0", 27, "E,C,B,0,"}),
    [](const auto& info) { return std::string(info.param.name); });

// Every row takes its bounds and refuses one past them, and only on its model.
TEST(SimulatedUnit, SettingRowsTakeTheirRangeAndRefuseTheRest) {
    for (const SettingRow& row : settingRows()) {
        const std::string code(row.code);
        SimulatedUnit unit(row.onlyModel != 0 ? row.onlyModel : 401, 1010, {});
        for (long inside : {row.low, row.high}) {
            EXPECT_EQ(replyOf(unit, code.c_str(), std::to_string(inside).c_str()),
                      framed(code + " OK"))
                << inside;
        }
        std::vector<std::string> outside{"", "x", "1.5"};
        if (row.low > std::numeric_limits<long>::min()) {
            outside.push_back(std::to_string(row.low - 1));
            outside.push_back(std::to_string(row.high + 1));
        }
        for (const std::string& parameter : outside) {
            EXPECT_EQ(replyOf(unit, code.c_str(), parameter.c_str()), framed(code + " ERR"))
                << code << " '" << parameter << "'";
        }
        if (row.onlyModel != 0) {
            SimulatedUnit other(400, 1010, {});
            EXPECT_EQ(replyOf(other, code.c_str(), std::to_string(row.low).c_str()),
                      framed(code + " ERR"));
        }
    }
}

TEST(SimulatedUnit, ResetNvramRestoresTheSwitches) {
    SimulatedUnit unit(401, 1010, {}, kNow);
    replyOf(unit, "A09", "1");
    replyOf(unit, "A22", "1,T,C,U,5");
    replyOf(unit, "A16");
    EXPECT_FALSE(unit.state().daylightSavings);
    EXPECT_EQ(unit.state().telecom, TelecomSettings{});
}

TEST(SimulatedUnit, RemoteOnGetsNoReply) {
    SimulatedUnit unit(401, 1010, {}, kNow);
    EXPECT_FALSE(unit.handle("T*2", "", kNow).has_value());
    EXPECT_EQ(unit.state().requestCounts.at("T*2"), 1);
}

TEST(SimulatedUnit, FixedTextReplies) {
    SimulatedUnit unit(401, 1010, {}, kNow);
    const std::string version = replyOf(unit, "C03");
    const std::size_t v = version.find("Version");
    ASSERT_NE(v, std::string::npos);
    EXPECT_EQ(version[v + 8], 'R');
    EXPECT_EQ(std::atoi(version.c_str() + v + 10), 107);
    EXPECT_EQ(replyOf(unit, "W22").substr(0, 5), "\x02W22 ");
    EXPECT_EQ(replyOf(unit, "W22").back(), '\x03');
}

TEST(SimulatedUnit, CountersMoveBetweenReplies) {
    SimulatedUnit unit(401, 1010, {}, kNow);
    int first[4] = {}, second[4] = {};
    ASSERT_EQ(std::sscanf(replyOf(unit, "A24").c_str() + 1, "%d,%d,%d,%d", &first[0], &first[1],
                          &first[2], &first[3]),
              4);
    ASSERT_EQ(std::sscanf(replyOf(unit, "A24").c_str() + 1, "%d,%d,%d,%d", &second[0], &second[1],
                          &second[2], &second[3]),
              4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_GT(second[i], first[i]);
        EXPECT_LT(second[i] - first[i], 10);
    }
}

TEST(SimulatedUnit, DateAndTimeFollowTheClockAndItsSettings) {
    SimulatedUnit unit(401, 1010, {}, kNow);
    std::string r = replyOf(unit, "A08");
    ASSERT_EQ(r.size(), 46u);
    EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(r[26])));
    EXPECT_EQ(r.substr(r.size() - 3), "\r\n\x03");

    ASSERT_EQ(replyOf(unit, "A06", "12/31/03"), framed("A06 OK"));
    ASSERT_EQ(replyOf(unit, "A07", "23,59,30"), framed("A07 OK"));
    r = replyOf(unit, "A08");
    EXPECT_EQ(r.substr(26, 17), "12/31/03 23:59:30");
    // Forty seconds later the unit's clock has run into the new year.
    r = replyOf(unit, "A08", "", kNow + 40s);
    EXPECT_EQ(r.substr(26, 17), "01/01/04 00:00:10");
    const std::string variables = replyOf(unit, "D*1", "", kNow);
    EXPECT_EQ(variables.substr(11, 3), "365");

    EXPECT_EQ(replyOf(unit, "A06", "02/30/04"), framed("A06 ERR"));
    EXPECT_EQ(replyOf(unit, "A07", "24:00:00"), framed("A07 ERR"));
}

// The event log as a host reads it: line by line up to LF, the last line a lone ETX.
struct EventLog {
    int count = -1;
    std::vector<std::string> lines;
    bool endsWithLoneEtx = false;
};

EventLog readEventLog(const std::string& reply) {
    EventLog log;
    std::size_t start = 0;
    while (start < reply.size()) {
        const std::size_t lf = reply.find('\n', start);
        if (lf == std::string::npos) {
            log.endsWithLoneEtx = reply.substr(start) == "\x03";
            break;
        }
        const std::string line = reply.substr(start, lf + 1 - start);
        if (log.count < 0) {
            log.count = std::atoi(line.c_str() + 23);
        } else {
            log.lines.push_back(line);
        }
        start = lf + 1;
    }
    return log;
}

TEST(SimulatedUnit, EventLogCountsItsEntriesAndClears) {
    SimulatedUnit unit(401, 1010, {}, kNow);
    EventLog log = readEventLog(replyOf(unit, "D*3"));
    EXPECT_EQ(log.count, 3);
    ASSERT_EQ(log.lines.size(), 4u);  // three entries, one with a continuation line
    EXPECT_EQ(log.lines[3][0], '\t');
    EXPECT_TRUE(log.endsWithLoneEtx);
    for (const std::string& line : log.lines) {
        EXPECT_EQ(line.substr(line.size() - 2), "\r\n");
    }

    replyOf(unit, "W00");
    log = readEventLog(replyOf(unit, "D*3"));
    EXPECT_EQ(log.count, 4);
    EXPECT_NE(log.lines.back().find("ALARMS RESET"), std::string::npos);

    EXPECT_EQ(replyOf(unit, "W18"), framed("W18 OK"));
    log = readEventLog(replyOf(unit, "D*3"));
    EXPECT_EQ(log.count, 0);
    EXPECT_TRUE(log.lines.empty());
    EXPECT_TRUE(log.endsWithLoneEtx);
}

TEST(SimulatedUnit, EventLogStaysBounded) {
    SimulatedUnit unit(401, 1010, {}, kNow);
    for (int i = 0; i < 1000; ++i) {
        replyOf(unit, "W00");
    }
    EXPECT_LE(unit.state().eventLog.size(), 200u);
    EXPECT_EQ(readEventLog(replyOf(unit, "D*3")).count,
              static_cast<int>(unit.state().eventLog.size()));
}

TEST(SimulatedUnit, TestModeSendsLinesUntilEnded) {
    SimulatedUnit unit(401, 1010, {}, kNow);
    unit.setTestLinePeriod(5s);
    EXPECT_EQ(replyOf(unit, "A01", "1"), framed("A01 1"));
    EXPECT_EQ(unit.takeTestOutput(kNow + 4s), "");
    ASSERT_TRUE(unit.nextTestOutput().has_value());
    EXPECT_EQ(*unit.nextTestOutput(), kNow + 5s);

    const std::string line = unit.takeTestOutput(kNow + 5s);
    EXPECT_GE(line.size(), 15u);
    EXPECT_LE(line.size(), 30u);
    EXPECT_EQ(line.back(), '\n');
    EXPECT_EQ(line.find('\x03'), std::string::npos);
    EXPECT_EQ(unit.takeTestOutput(kNow + 6s), "");

    // A host that stopped reading for a minute gets one line, not twelve.
    const std::string late = unit.takeTestOutput(kNow + 65s);
    EXPECT_EQ(std::count(late.begin(), late.end(), '\n'), 1);

    EXPECT_EQ(replyOf(unit, "A01", "0", kNow + 66s), framed("A01 0"));
    EXPECT_FALSE(unit.nextTestOutput().has_value());
    EXPECT_EQ(unit.takeTestOutput(kNow + 200s), "");
    EXPECT_EQ(replyOf(unit, "A02", "12"), framed("A02 ERR"));
}

TEST(SimulatedUnit, SerialParametersSwitchTheLineAfterTheReply) {
    SimulatedUnit unit(401, 1010, {}, kNow);
    EXPECT_EQ(replyOf(unit, "C05", "19200,7,E,2"), framed("C05 OK"));
    const link::LineSettings expected{19200, link::Parity::Even, link::StopBits::Two, 7};
    EXPECT_EQ(unit.state().line, expected);
    EXPECT_EQ(replyOf(unit, "C05", "19200,9,E,1"), framed("C05 ERR"));
    EXPECT_EQ(replyOf(unit, "C05", "1234,8,N,1"), framed("C05 ERR"));
    EXPECT_EQ(unit.state().line, expected);
}

TEST(SimulatedUnit, CustomerMessageCannotBreakTheLayout) {
    SimulatedUnit unit(401, 1010, {}, kNow);
    replyOf(unit, "C06", "A\x03\r\nB\x02XYZW");
    EXPECT_EQ(unit.state().customerMessage, "A___B_XYZW");
    const std::string constants = replyOf(unit, "D*2");
    EXPECT_EQ(constants.size(), 145u);
    EXPECT_EQ(constants.find('\x03'), 144u);
}

TEST(SimulatedUnit, EveryCatalogueCodeGetsAFramedReplyWhateverItsParameter) {
    const std::string nasty[] = {
        "",
        std::string(2000, '9'),
        std::string("\0\x01\x02\x03\r\n", 6),
        "-",
        "99999999999999999999999",
        ",,,,",
        "1,2",
        "2,T,F,U,99",
        "1e400",
        "nan",
        "1 nan",
        "\xff\xfe",
        "12/31/99",
    };
    for (const link::CommandRow& row : link::commandCatalogue()) {
        SimulatedUnit unit(401, 1010, {}, kNow);
        const std::string code(row.code);
        for (const std::string& parameter : nasty) {
            const std::optional<std::string> reply = unit.handle(code, parameter, kNow);
            if (code == "T*2") {
                EXPECT_FALSE(reply.has_value());
                continue;
            }
            ASSERT_TRUE(reply.has_value()) << code;
            ASSERT_GE(reply->size(), 2u) << code;
            EXPECT_EQ(reply->front(), '\x02') << code;
            EXPECT_EQ(reply->back(), '\x03') << code;
            EXPECT_EQ(reply->find('\x03'), reply->size() - 1) << code << " with " << parameter;
        }
        EXPECT_TRUE(unit.state().oscillatorTau >= 0.1 && unit.state().oscillatorTau <= 100) << code;
        // Whatever it was given, its status replies keep their layout.
        EXPECT_EQ(unit.handle("D*1", "", kNow)->size(), 250u) << code;
        EXPECT_EQ(unit.handle("D*2", "", kNow)->size(), 145u) << code;
        EXPECT_EQ(unit.handle("D*5", "", kNow)->size(), 152u) << code;
    }
}

}  // namespace
}  // namespace brevik2::sim
