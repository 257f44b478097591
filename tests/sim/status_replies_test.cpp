// The fixed-layout status replies, checked the two ways a host reads them: cut by position with
// the field ranges of the variables and constants tables, and scanned with the formats.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "sim/simulated_unit.h"
#include "sim/status_replies.h"

namespace brevik2::sim {
namespace {

using Clock = SimulatedUnit::Clock;

// 2012-08-26 04:30:00 UTC, a fixed instant so the clock fields are known.
const Clock::time_point kNow = Clock::from_time_t(1345955400);

enum class Kind { Unsigned, Signed, Hex, Float, Text, Char };

struct FieldLayout {
    std::size_t position;
    std::size_t length;
    Kind kind;
    double low;
    double high;
};

// The variables reply as a host cuts it: position, length, conversion, valid range.
constexpr FieldLayout kVariables[] = {
    {5, 5, Kind::Unsigned, 0, 99999},
    {11, 3, Kind::Unsigned, 0, 999},
    {15, 2, Kind::Unsigned, 0, 23},
    {18, 2, Kind::Unsigned, 0, 59},
    {22, 2, Kind::Unsigned, 0, 59},
    {26, 1, Kind::Unsigned, 1, 2},
    {28, 3, Kind::Text, 0, 0},
    {36, 2, Kind::Unsigned, 0, 17},
    {39, 2, Kind::Hex, 0, 255},
    {42, 2, Kind::Hex, 0, 255},
    {45, 2, Kind::Hex, 0, 255},
    {48, 2, Kind::Hex, 0, 255},
    {51, 2, Kind::Hex, 0, 255},
    {55, 4, Kind::Signed, -999, 999},
    {61, 7, Kind::Signed, -999999, 999999},
    {69, 6, Kind::Float, -100, 100},
    {79, 4, Kind::Float, 0.1, 100},
    {86, 4, Kind::Signed, -999, 999},
    {93, 5, Kind::Signed, -9999, 9999},
    {99, 4, Kind::Signed, -999, 999},
    {106, 5, Kind::Signed, -9999, 9999},
    {113, 5, Kind::Signed, -9999, 9999},
    {120, 4, Kind::Signed, 0, 9999},
    {126, 5, Kind::Signed, -9999, 9999},
    {133, 4, Kind::Signed, 0, 9999},
    {139, 5, Kind::Signed, -99999, 99999},
    {147, 4, Kind::Float, 0.1, 9.99},
    {153, 5, Kind::Signed, -9999, 9999},
    {160, 5, Kind::Signed, -9999, 9999},
    {167, 5, Kind::Float, -9.99, 9.99},
    {175, 5, Kind::Float, -99.9, 99.9},
    {181, 5, Kind::Float, -99.9, 99.9},
    {188, 5, Kind::Float, -99.9, 99.9},
    {197, 1, Kind::Char, 0, 0},
    {201, 4, Kind::Float, 0, 99.9},
    {208, 4, Kind::Float, 0, 99.9},
    {215, 4, Kind::Float, 0, 9.99},
    {222, 4, Kind::Float, 0, 99.9},
    {229, 4, Kind::Float, 0, 99.9},
    {236, 3, Kind::Signed, 0, 999},
    {240, 4, Kind::Signed, -999, 999},
};

// The constants reply's fields with a range (TXT and CDU have none).
constexpr FieldLayout kConstants[] = {
    {5, 5, Kind::Unsigned, 0, 99999},   {11, 3, Kind::Unsigned, 0, 999},
    {15, 2, Kind::Unsigned, 0, 23},     {18, 2, Kind::Unsigned, 0, 59},
    {22, 2, Kind::Unsigned, 0, 59},     {28, 4, Kind::Float, 0, 99.9},
    {37, 3, Kind::Float, 0, 9.99},      {48, 3, Kind::Signed, 1, 256},
    {56, 3, Kind::Signed, -99, 99},     {64, 3, Kind::Signed, -99, 99},
    {72, 3, Kind::Signed, -99, 99},     {80, 3, Kind::Signed, -99, 99},
    {87, 5, Kind::Signed, -9999, 9999}, {95, 5, Kind::Signed, -9999, 9999},
    {104, 4, Kind::Float, 0, 999},      {135, 3, Kind::Signed, 400, 402},
    {139, 3, Kind::Float, 0, 999},
};

std::string trim(std::string text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The slot's value as a number when the whole slot converts, else a message for the test.
::testing::AssertionResult fieldInRange(const std::string& reply, const FieldLayout& f) {
    const std::string slot = reply.substr(f.position, f.length);
    const std::string text = trim(slot);
    if (f.kind == Kind::Text || f.kind == Kind::Char) {
        return ::testing::AssertionSuccess();
    }
    char* end = nullptr;
    double value = 0;
    if (f.kind == Kind::Float) {
        value = std::strtod(text.c_str(), &end);
    } else {
        value = static_cast<double>(std::strtol(text.c_str(), &end, f.kind == Kind::Hex ? 16 : 10));
    }
    if (text.empty() || *end != '\0') {
        return ::testing::AssertionFailure() << "slot at " << f.position << " is \"" << slot << '"';
    }
    if (value < f.low || value > f.high) {
        return ::testing::AssertionFailure() << "slot at " << f.position << " holds " << value
                                             << " outside " << f.low << ".." << f.high;
    }
    return ::testing::AssertionSuccess();
}

class StatusRepliesTest : public ::testing::TestWithParam<int> {
protected:
    SimulatedUnit m_unit{GetParam(), 1010, {}, kNow};

    std::string reply(const char* code, const char* parameter = "") {
        return m_unit.handle(code, parameter, kNow).value_or("<none>");
    }
};

TEST_P(StatusRepliesTest, VariablesReplyKeepsEveryFieldInItsSlotOverManyPolls) {
    std::set<std::string> electronMultiplier;
    for (int poll = 0; poll < 200; ++poll) {
        const std::string r = reply("D*1");
        ASSERT_EQ(r.size(), kVariablesReplyLength);
        ASSERT_EQ(r.substr(0, 5), "\x02\r\nID");
        ASSERT_EQ(r.substr(247), "\r\n\x03");
        std::vector<bool> inSlot(r.size(), false);
        for (const FieldLayout& f : kVariables) {
            ASSERT_TRUE(fieldInRange(r, f)) << "poll " << poll;
            // Right-aligned: a slot that ends in a blank has its value shifted out of place.
            ASSERT_NE(r[f.position + f.length - 1], ' ') << "slot at " << f.position;
            for (std::size_t i = 0; i < f.length; ++i) {
                inSlot[f.position + i] = true;
            }
        }
        // Nothing numeric outside the slots: a value that spilled would be cut in two.
        for (std::size_t i = 5; i < 247; ++i) {
            if (!inSlot[i]) {
                ASSERT_EQ(std::string("0123456789+-.").find(r[i]), std::string::npos)
                    << "position " << i << " in \"" << r << '"';
            }
        }
        electronMultiplier.insert(r.substr(229, 4));
    }
    EXPECT_GT(electronMultiplier.size(), 1u) << "the read-outs should drift between polls";
}

TEST_P(StatusRepliesTest, VariablesReplyReportsHealthyStateAndTheUnitClock) {
    const std::string r = reply("D*1");
    const std::tm t = m_unit.unitTime(kNow);
    char clock[32];
    std::snprintf(clock, sizeof clock, "%03d %02dh%02dmn%02d", t.tm_yday + 1, t.tm_hour, t.tm_min,
                  t.tm_sec);
    EXPECT_EQ(r.substr(5, 5), "01010");
    EXPECT_EQ(r.substr(11, 13), clock);
    EXPECT_EQ(r.substr(26, 1), "1");
    EXPECT_EQ(r.substr(28, 3), "R+Z");
    EXPECT_EQ(trim(r.substr(36, 2)), "0");
    EXPECT_EQ(r.substr(33, 3), "ALM");
    EXPECT_EQ(r[197], 'c');

    // Each read-out sits in its own slot, not in a neighbour's.
    const UnitReadings& u = m_unit.state().readings;
    const std::pair<std::size_t, double> expected[] = {
        {55, u.c},
        {86, u.cramErr},
        {93, u.crabErr},
        {99, u.zramErr},
        {106, u.zrabErr},
        {113, u.vVcxo},
        {120, u.clockLevel},
        {126, u.vCfield},
        {133, u.zLevel},
        {139, u.dcLevel},
        {153, u.la},
        {160, u.vMicrowave},
        {175, u.chassisTemperature},
        {229, u.vElectronMultiplier},
        {236, u.iIonPump},
        {240, u.stdDev},
    };
    for (const auto& [position, value] : expected) {
        const FieldLayout* layout = nullptr;
        for (const FieldLayout& f : kVariables) {
            if (f.position == position) {
                layout = &f;
            }
        }
        ASSERT_NE(layout, nullptr);
        EXPECT_NEAR(std::strtod(r.substr(layout->position, layout->length).c_str(), nullptr), value,
                    0.051)
            << "slot at " << position;
    }
}

TEST_P(StatusRepliesTest, ConstantsReplyPassesPositionsAndTheStatusScan) {
    const std::string r = reply("D*2");
    ASSERT_EQ(r.size(), kConstantsReplyLength);
    ASSERT_EQ(r.substr(0, 5), "\x02\r\nID");
    ASSERT_EQ(r.substr(142), "\r\n\x03");
    for (const FieldLayout& f : kConstants) {
        EXPECT_TRUE(fieldInRange(r, f));
    }
    unsigned id = 0, day = 0, hour = 0, minute = 0, second = 0;
    float vs = 0, vf = 0, fo = 0, last = 0;
    int gdac = 0, m15 = 0, p15 = 0, p45 = 0, p75 = 0, pi = 0, oz = 0, model = 0;
    char cdu[17] = {}, txt[17] = {};
    const int scanned = std::sscanf(
        r.c_str(),
        "\x02 ID%u %u %uh %umn %u Vs %fV Vf %fV GDAC %d -15:%d +15:%d +45:%d +75:%d Pi%d Oz%d "
        "Fo:%f MHZ CDU:%2s TXT:%10s %3d %f",
        &id, &day, &hour, &minute, &second, &vs, &vf, &gdac, &m15, &p15, &p45, &p75, &pi, &oz, &fo,
        cdu, txt, &model, &last);
    ASSERT_EQ(scanned, 19) << r;
    EXPECT_EQ(id, 1010u);
    EXPECT_EQ(model, GetParam());
    EXPECT_STREQ(txt, "SIMULATOR");
    EXPECT_EQ(std::to_string(gdac), trim(r.substr(48, 3)));
    EXPECT_FLOAT_EQ(fo, 10.0f);
    EXPECT_EQ(std::to_string(model), r.substr(135, 3));
}

struct NvValues {
    long v1, v5, v6, v13;
    int year, month, day, v7, v8, v9, v10, dst, v12, v14, v15, leap, v20, restart, v35, v36;
    float v17, v18;
    char text[64];
    unsigned e1Format, e1Bits, ssm, t1Format, t1Strategy, liu1, liu2;
    char type1, format1, drive1, type2, format2, drive2;
};

int scanNvram(const std::string& r, NvValues& v) {
    return std::sscanf(r.c_str(),
                       "\x02%ld,%d,%d,%d,%ld,%ld,%d,%d,%d,%d,%d,%d,%ld,%d,%d,%d,%f,%f,%[^,],%d,%d,"
                       "%x,%x,%x,%x,%x,%c,%c,%c,%x,%c,%c,%c,%x,%d,%d",
                       &v.v1, &v.year, &v.month, &v.day, &v.v5, &v.v6, &v.v7, &v.v8, &v.v9, &v.v10,
                       &v.dst, &v.v12, &v.v13, &v.v14, &v.v15, &v.leap, &v.v17, &v.v18, v.text,
                       &v.v20, &v.restart, &v.e1Format, &v.e1Bits, &v.ssm, &v.t1Format,
                       &v.t1Strategy, &v.type1, &v.format1, &v.drive1, &v.liu1, &v.type2,
                       &v.format2, &v.drive2, &v.liu2, &v.v35, &v.v36);
}

TEST_P(StatusRepliesTest, NvramReplyScansAllThirtySixValues) {
    const std::string r = reply("D*5");
    ASSERT_EQ(r.size(), kNvramReplyLength);
    ASSERT_EQ(r.substr(149), "\r\n\x03");
    NvValues v{};
    ASSERT_EQ(scanNvram(r, v), 36) << r;
    EXPECT_EQ(v.year, 2003);
    EXPECT_EQ(v.month, 7);
    EXPECT_EQ(v.day, 9);
    EXPECT_EQ(v.dst, 0);
    EXPECT_EQ(v.leap, 0);
    if (GetParam() == 400) {
        EXPECT_EQ(v.e1Format, 0u);
    } else {
        EXPECT_EQ(v.e1Format, 2u);
        EXPECT_EQ(v.type1, 'E');
        EXPECT_EQ(v.type2, 'T');
        EXPECT_EQ(v.liu2, 3u);
    }
}

INSTANTIATE_TEST_SUITE_P(Models, StatusRepliesTest, ::testing::Values(400, 401, 402));

TEST(StatusReplies, OutOfRangeStateNeverBreaksTheLayout) {
    UnitState state;
    state.unitId = 1234567;
    state.frequencyOffset = -50000000;
    state.dacGain = 9999;
    state.poweredHours = 99999999999L;
    std::tm t{};
    t.tm_sec = 60;  // a leap second
    EXPECT_EQ(formatVariablesReply(state, t).size(), kVariablesReplyLength);
    EXPECT_EQ(formatConstantsReply(state, t).size(), kConstantsReplyLength);
    EXPECT_EQ(formatNvramReply(state).size(), kNvramReplyLength);
    EXPECT_EQ(formatVariablesReply(state, t).substr(5, 5), "99999");
}

}  // namespace
}  // namespace brevik2::sim
