#include "shell/frame_rules.h"

#include <gtest/gtest.h>

namespace brevik2::shell {
namespace {

// The menu's enabling and the four requests are checked through the frame itself
// (main_frame_test.cpp); these are the corners the menu cannot reach.

TEST(DirectRequest, TwoDigitYearOnEitherSideOf2000) {
    EXPECT_EQ(pcDateParameter({1999, 12, 31, 23, 59, 59}), "12/31/99");
    EXPECT_EQ(pcDateParameter({2000, 1, 1, 0, 0, 0}), "01/01/00");
    EXPECT_EQ(pcDateParameter({2026, 2, 28, 0, 0, 0}), "02/28/26");
    EXPECT_EQ(pcTimeParameter({2026, 2, 28, 0, 0, 0}), "00:00:00");
}

}  // namespace
}  // namespace brevik2::shell
