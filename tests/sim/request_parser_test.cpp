#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/request_framing.h"
#include "sim/request_parser.h"

namespace brevik2::sim {
namespace {

struct ParseCase {
    const char* name;
    std::vector<std::string> pieces;  // fed one after the other
    std::vector<Request> expected;
    std::size_t rejected;
};

void PrintTo(const ParseCase& c, std::ostream* os) {
    *os << c.name;
}

class RequestParserTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(RequestParserTest, CutsRequestsFromTheStream) {
    const ParseCase& c = GetParam();
    RequestParser parser;
    std::vector<Request> got;
    for (const std::string& piece : c.pieces) {
        for (Request& r : parser.feed(piece)) {
            got.push_back(std::move(r));
        }
    }
    EXPECT_EQ(got, c.expected);
    EXPECT_EQ(parser.rejectedFrames(), c.rejected);
}

const std::string kD1 = link::frameRequest("D*1", "");
const std::string kW01 = link::frameRequest("W01", "+000150  ");

INSTANTIATE_TEST_SUITE_P(
    Streams, RequestParserTest,
    ::testing::Values(
        ParseCase{"Plain", {kD1}, {{"D*1", ""}}, 0},
        ParseCase{"WithParameter", {kW01}, {{"W01", "+000150  "}}, 0},
        // The host writes the head, the parameter and the ETX separately.
        ParseCase{
            "InPieces", {"\x02W01 00000 ", "+000", "150  ", "\x03"}, {{"W01", "+000150  "}}, 0},
        ParseCase{"TwoInOneRead", {kD1 + kW01}, {{"D*1", ""}, {"W01", "+000150  "}}, 0},
        ParseCase{"JunkAroundFrames",
                  {"\xff\x03garbage" + kD1 + "\r\n\x03\x03" + kD1},
                  {{"D*1", ""}, {"D*1", ""}},
                  0},
        ParseCase{"StxStartsOver", {"\x02W01 00000 +12" + kD1}, {{"D*1", ""}}, 1},
        ParseCase{"ShortCodeRightAligned", {link::frameRequest("X", "")}, {{"X", ""}}, 0},
        ParseCase{"NulInParameter",
                  {std::string("\x02"
                               "C06 00000 A\0B\x03",
                               15)},
                  {{"C06", std::string("A\0B", 3)}},
                  0},
        ParseCase{"BadHeadDropped",
                  {"\x02"
                   "D*1 12345 \x03",
                   kD1},
                  {{"D*1", ""}},
                  1},
        ParseCase{"BlankCodeDropped", {"\x02    00000 \x03"}, {}, 1},
        ParseCase{"TooShortDropped",
                  {"\x02"
                   "D*\x03"},
                  {},
                  1},
        ParseCase{"OverlongDropped",
                  {"\x02W01 00000 " + std::string(5000, '7') + "\x03", kD1},
                  {{"D*1", ""}},
                  1}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace brevik2::sim
