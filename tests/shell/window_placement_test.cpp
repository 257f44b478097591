#include "shell/window_placement.h"

#include <gtest/gtest.h>

namespace brevik2::shell {
namespace {

struct PlacementRow {
    const char* stored;
    FitTest fit;
    WindowRect expected;
};

void PrintTo(const PlacementRow& row, std::ostream* os) {
    *os << '"' << row.stored << '"' << (row.fit == FitTest::StoredSize ? " main" : " panel");
}

class PlacementOn1024x768 : public ::testing::TestWithParam<PlacementRow> {};

TEST_P(PlacementOn1024x768, ReplacesEachUnusableNumberOnItsOwn) {
    const PlacementRow& row = GetParam();
    EXPECT_EQ(placeStoredRectangle(row.stored, 1024, 768, row.fit), row.expected);
}

constexpr auto kMain = FitTest::StoredSize;
constexpr auto kPanel = FitTest::UsedSize;

INSTANTIATE_TEST_SUITE_P(
    Rows, PlacementOn1024x768,
    ::testing::Values(
        // Nothing stored: 600 x 400 centred.
        PlacementRow{"x", kMain, {600, 400, 212, 184}},
        PlacementRow{"", kMain, {600, 400, 212, 184}},
        PlacementRow{"x123,1,1,1", kPanel, {600, 400, 212, 184}},
        // The seeded value of a fresh settings file.
        PlacementRow{"600,200,0,0", kMain, {600, 200, 0, 0}},
        // Too wide: the width falls back, and the main window's fit test still uses 2000.
        PlacementRow{"2000,300,10,10", kMain, {600, 300, 212, 10}},
        // The panel tests the width it will use, so its left stays.
        PlacementRow{"2000,300,10,10", kPanel, {600, 300, 10, 10}},
        // Too narrow: 30 wide fits at 500 for the main window, 600 wide does not for the panel.
        PlacementRow{"30,300,500,100", kMain, {600, 300, 500, 100}},
        PlacementRow{"30,300,500,100", kPanel, {600, 300, 212, 100}},
        // Pushed past the right and bottom edges.
        PlacementRow{"800,700,300,100", kMain, {800, 700, 212, 184}},
        // Negative numbers.
        PlacementRow{"-5,300,-1,10", kMain, {600, 300, 212, 10}},
        // Fewer than four numbers: each missing one counts as unusable.
        PlacementRow{"640,480", kMain, {640, 480, 212, 184}},
        PlacementRow{"640,480,20", kMain, {640, 480, 20, 184}},
        PlacementRow{"garbage", kMain, {600, 400, 212, 184}},
        PlacementRow{"640;480,20,30", kMain, {640, 400, 212, 184}},
        // Blanks before numbers are read past; digits that overflow count as no number.
        PlacementRow{" 640, 480, 20, 30", kMain, {640, 480, 20, 30}},
        PlacementRow{"640,99999999999999999999,20,30", kMain, {640, 400, 212, 184}},
        // Exactly at the screen's size and edges.
        PlacementRow{"1024,768,0,0", kPanel, {1024, 768, 0, 0}},
        PlacementRow{"40,40,984,728", kMain, {40, 40, 984, 728}},
        PlacementRow{"39,39,10,10", kPanel, {600, 400, 10, 10}}));

TEST(RectangleToStore, WritesWidthHeightLeftTop) {
    EXPECT_EQ(rectangleToStore({600, 400, 10, 20}), "600,400,10,20");
}

TEST(RectangleToStore, KeepsTheStoredValueForAWindowAtOrPastTheEdge) {
    EXPECT_FALSE(rectangleToStore({600, 400, 0, 20}));
    EXPECT_FALSE(rectangleToStore({600, 400, 10, 0}));
    EXPECT_FALSE(rectangleToStore({600, 400, -32000, -32000}));
    EXPECT_FALSE(rectangleToStore({100, 100, -150, 10}));
}

}  // namespace
}  // namespace brevik2::shell
