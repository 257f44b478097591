#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "sim/fault_injection.h"
#include "sim/simulated_unit.h"

namespace brevik2::sim {
namespace {

const SimulatedUnit::Clock::time_point kNow = SimulatedUnit::Clock::from_time_t(1345955400);

class GarbageTest : public ::testing::TestWithParam<const char*> {};

TEST_P(GarbageTest, KeepsLengthAndFramingButSpoilsTheContents) {
    SimulatedUnit unit(401, 1010, {}, kNow);
    const std::string healthy = *unit.handle(GetParam(), "", kNow);
    const std::string garbled = garbleReply(GetParam(), healthy, 3);
    ASSERT_EQ(garbled.size(), healthy.size());
    EXPECT_NE(garbled, healthy);
    EXPECT_EQ(garbled.front(), '\x02');
    EXPECT_EQ(garbled.back(), healthy.back());
    EXPECT_EQ(garbled.find('\x03'), garbled.size() - 1) << "no early terminator";
    const bool hasJunk =
        garbled.find_first_of(std::string(",\0\x01\x1B\x7F", 5)) != std::string::npos;
    EXPECT_TRUE(hasJunk);
}

INSTANTIATE_TEST_SUITE_P(Replies, GarbageTest,
                         ::testing::Values("D*1", "D*2", "D*5", "A08", "C03", "A24", "W22"));

TEST(FaultInjection, GarbledStatusRepliesStillLookLikeAUnitButFailTheirChecks) {
    SimulatedUnit unit(401, 1010, {}, kNow);
    const std::string variables = garbleReply("D*1", *unit.handle("D*1", "", kNow), 0);
    EXPECT_EQ(variables.substr(0, 5), "\x02\r\nID");
    EXPECT_GT(std::stoi(variables.substr(15, 2)), 23) << "hour out of range";
    EXPECT_GT(std::stoi(variables.substr(36, 2)), 17) << "alarm state out of range";

    const std::string constants = garbleReply("D*2", *unit.handle("D*2", "", kNow), 0);
    EXPECT_EQ(constants.substr(0, 5), "\x02\r\nID");
    EXPECT_EQ(constants.substr(48, 3), "000") << "DAC gain below 1";

    const std::string nvram = garbleReply("D*5", *unit.handle("D*5", "", kNow), 0);
    long v1 = 0;
    int year = 0, month = 0, day = 0;
    ASSERT_EQ(std::sscanf(nvram.c_str(), "\x02%ld,%d,%d,%d", &v1, &year, &month, &day), 4);
    EXPECT_GT(month, 12);
    EXPECT_GT(day, 31);
}

TEST(FaultInjection, TruncationHalvesAndLosesTheTerminator) {
    const std::string reply(145, 'x');
    EXPECT_EQ(truncateReply(reply).size(), 72u);
    EXPECT_EQ(truncateReply("\x02W22 1PPS SYNC OK\r\n\x03").find('\x03'), std::string::npos);
}

TEST(FaultInjection, StreamLinesNeverCarryAFrameByte) {
    for (unsigned n : {0u, 1u, 9999u, 123456u}) {
        const std::string line = streamLine(n);
        EXPECT_EQ(line.find_first_of("\x02\x03"), std::string::npos);
        EXPECT_EQ(line.back(), '\n');
    }
}

}  // namespace
}  // namespace brevik2::sim
