#include "engine/reply_lines.h"

#include <gtest/gtest.h>

namespace brevik2::engine {
namespace {

using Lines = std::vector<std::string>;

TEST(ReplyLines, FramingAndLineEndsAreDropped) {
    EXPECT_EQ(splitReplyLines("\x02W00 OK\r\nalarms cleared\r\n\x03", 1024),
              (Lines{"W00 OK", "alarms cleared"}));
    EXPECT_EQ(splitReplyLines("\x02one\r\r\r\ntwo\x03three", 1024), (Lines{"one", "two"}));
    EXPECT_EQ(splitReplyLines(std::string("\x02"
                                          "a\0b",
                                          4),
                              1024),
              (Lines{"a"}));
    EXPECT_EQ(splitReplyLines("", 1024), Lines{});
    EXPECT_EQ(splitReplyLines(std::string(1, '\0') + "late", 1024), Lines{});
}

TEST(ReplyLines, LongLinesAreCutEvery255Characters) {
    const std::string line(300, 'x');
    const Lines lines = splitReplyLines("\x02" + line + "\r\n\x03", 1024);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), 255u);
    EXPECT_EQ(lines[1].size(), 45u);
}

TEST(ReplyLines, BytesAboveTheLimitAreNotRead) {
    EXPECT_EQ(splitReplyLines("\x02"
                              "abcdef",
                              3),
              (Lines{"abc"}));
    EXPECT_EQ(splitReplyLines("\xC1\xFF", 1024), (Lines{"\xC1\xFF"}));  // kept as they came
}

}  // namespace
}  // namespace brevik2::engine
