#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/sim_command_line.h"

namespace brevik2::sim {
namespace {

using Args = std::vector<std::string>;

TEST(SimCommandLine, ReadsEveryOption) {
    std::string error;
    const auto parsed = parseSimCommandLine({"--model",
                                             "402",
                                             "--link",
                                             "/tmp/x",
                                             "--unit-id",
                                             "42",
                                             "--baud",
                                             "2400",
                                             "--data-bits",
                                             "7",
                                             "--parity",
                                             "o",
                                             "--stop-bits=2",
                                             "--fault",
                                             "vanish",
                                             "--fault-every",
                                             "4",
                                             "--vanish-after",
                                             "5",
                                             "--reappear-after",
                                             "1.5",
                                             "--pace"},
                                            &error);
    ASSERT_TRUE(parsed.has_value()) << error;
    const SimOptions& o = parsed->options;
    EXPECT_EQ(o.model, 402);
    EXPECT_EQ(o.linkPath, "/tmp/x");
    EXPECT_EQ(o.unitId, 42);
    EXPECT_EQ(o.line, (link::LineSettings{2400, link::Parity::Odd, link::StopBits::Two, 7}));
    EXPECT_EQ(o.fault, "vanish");
    EXPECT_EQ(o.faultEvery, 4);
    EXPECT_EQ(o.vanishAfter, 5);
    EXPECT_DOUBLE_EQ(o.reappearAfterSeconds, 1.5);
    EXPECT_TRUE(o.pace);
}

TEST(SimCommandLine, DefaultsAre401Unit1010At9600EightNoneOne) {
    const auto parsed = parseSimCommandLine({"--link", "/tmp/x"});
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->options.model, 401);
    EXPECT_EQ(parsed->options.unitId, 1010);
    EXPECT_EQ(parsed->options.line, link::LineSettings{});
    EXPECT_EQ(parsed->options.fault, "");
    EXPECT_FALSE(parsed->options.pace);
}

class BadCommandLineTest : public ::testing::TestWithParam<Args> {};

TEST_P(BadCommandLineTest, IsRefusedWithAReason) {
    std::string error;
    EXPECT_FALSE(parseSimCommandLine(GetParam(), &error).has_value());
    EXPECT_FALSE(error.empty());
}

INSTANTIATE_TEST_SUITE_P(Refused, BadCommandLineTest,
                         ::testing::Values(Args{}, Args{"--model", "403", "--link", "x"},
                                           Args{"--link"}, Args{"--link", "x", "--baud", "1234"},
                                           Args{"--link", "x", "--parity", "q"},
                                           Args{"--link", "x", "--data-bits", "6"},
                                           Args{"--link", "x", "--stop-bits", "1.5"},
                                           Args{"--link", "x", "--fault", "melting"},
                                           Args{"--link", "x", "--unit-id", "100000"},
                                           Args{"--link", "x", "--fault-every", "0"},
                                           Args{"--link", "x", "--unit-id", "12ab"},
                                           Args{"--link", "x", "extra"},
                                           Args{"--link", "x", "--pace=1"}));

}  // namespace
}  // namespace brevik2::sim
