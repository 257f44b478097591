#include "console/repeat_filter.h"

#include <gtest/gtest.h>

namespace brevik2::console {
namespace {

using namespace std::chrono_literals;

// A port that will not open, cycle after cycle, on a clock the test moves.
TEST(RepeatFilter, AFailureThatGoesOnIsToldOnceAWindowAndAChangeAtOnce) {
    RepeatFilter filter(60s);
    RepeatFilter::Clock::time_point now{};
    const auto cycle = [&](std::initializer_list<const char*> texts) {
        int passed = 0;
        for (const char* text : texts) {
            passed += filter.pass(text, now) ? 1 : 0;
        }
        now += 200ms;
        return passed;
    };
    EXPECT_EQ(cycle({"Com Port Failed to open", "Unit Not Responding"}), 2);
    int passed = 0;
    for (int i = 0; i < 299; ++i) {  // up to 60 s after the first repeat
        passed += cycle({"Com Port Failed to open", "Unit Not Responding"});
        EXPECT_FALSE(filter.due(now)) << i;
    }
    EXPECT_EQ(passed, 0);
    now += 200ms;
    EXPECT_EQ(filter.due(now),
              "299 x \"Com Port Failed to open\", 299 x \"Unit Not Responding\" in 60 s");
    EXPECT_FALSE(filter.due(now + 60s)) << "nothing repeated since";

    // A new text is told at once; the old ones still only count.
    EXPECT_EQ(cycle({"Com Port Failed to open", "Com port Open OK", "Unit Not Responding"}), 1);
    // Progress tells the repeats so far, and afterwards every text is new again.
    now += 5s;
    EXPECT_EQ(filter.progress(now),
              "1 x \"Com Port Failed to open\", 1 x \"Unit Not Responding\" in 5 s");
    EXPECT_FALSE(filter.progress(now));
    EXPECT_EQ(cycle({"Com Port Failed to open", "Unit Not Responding"}), 2);
}

}  // namespace
}  // namespace brevik2::console
