// The console's queue between the monitor thread and its loop, fed by a real station's relay:
// what may be dropped when the loop falls behind, and that nothing else ever is.

#include "engine/task_queue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/station.h"
#include "support/temp_folder.h"

namespace brevik2::engine {
namespace {

using namespace std::chrono_literals;

TEST(TaskQueue, ALoopThatFallsBehindKeepsTheRecordsAndOutcomesAndTheNewestTexts) {
    testing::TempFolder folder;
    TaskQueue queue;
    Station station(folder / "Brevik2.ini",
                    [&queue](Station::Task task) { queue.post(std::move(task)); });
    std::vector<std::string> texts;
    std::vector<int> codes;
    int outcomes = 0;
    const auto textSubscription =
        station.onStatusText([&](std::string_view t) { texts.emplace_back(t); });
    const auto messageSubscription = station.onStatusMessage([&](const StatusMessage& m) {
        codes.push_back(m.code);
        outcomes += m.outcome ? 1 : 0;
    });

    // An hour of cycles that nobody runs: texts and idle cycles, a poll and a request's outcome
    // now and then.
    MonitorReporter& thread = station.threadReporter();
    constexpr int kCycles = 18000;
    for (int i = 0; i < kCycles; ++i) {
        thread.statusText("text " + std::to_string(i));
        StatusMessage message;
        if (i % 100 == 0) {
            message.code = kStatusPollCompleted;
        } else if (i % 100 == 50) {
            message.outcome = RequestOutcome{static_cast<std::uint64_t>(i), false, "", "x"};
        }
        thread.statusMessage(std::move(message));
    }
    constexpr std::size_t kKept = 2 * kCycles / 100;
    EXPECT_EQ(queue.size(), TaskQueue::kDroppableBound + kKept);
    EXPECT_EQ(queue.takeDropped(), 2 * kCycles - TaskQueue::kDroppableBound - kKept);

    while (queue.runNext(0ms)) {
    }
    EXPECT_EQ(std::count(codes.begin(), codes.end(), kStatusPollCompleted), kCycles / 100);
    EXPECT_EQ(outcomes, kCycles / 100);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back(), "text " + std::to_string(kCycles - 1));
    EXPECT_LE(texts.size(), TaskQueue::kDroppableBound);
    EXPECT_EQ(queue.takeDropped(), 0u);
}

}  // namespace
}  // namespace brevik2::engine
