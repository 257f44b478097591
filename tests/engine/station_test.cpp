// The station's own rules, against the simulated unit: a request's outcome comes once, after
// the status message of its cycle; after stop() nothing more is delivered.

#include "engine/station.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <thread>

#include "support/sim_station.h"

namespace brevik2::engine {
namespace {

using namespace std::chrono_literals;

// Far beyond the few short cycles any of these events takes; a bound, not a wait.
constexpr auto kBound = 10s;

bool pumpUntil(testing::SimStation& s, const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + kBound;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        s.queue.runNext(50ms);
    }
    return true;
}

class StationAgainstSim : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(s.startUnit({}, &error)) << error;
        s.station.settings().writeString("SamplingInterval", "3600");
        messages =
            s.station.onStatusMessage([this](const StatusMessage& m) { codes.push_back(m.code); });
        s.station.start();
        // The first poll follows contact at once; the tests begin once it has ended.
        ASSERT_TRUE(pumpUntil(s, [this] {
            return std::find(codes.begin(), codes.end(), kStatusPollCompleted) != codes.end();
        }));
    }

    testing::SimStation s;
    Station::Subscription messages;
    std::vector<int> codes;
};

TEST_F(StationAgainstSim, AnOutcomeComesOnceAfterItsStatusMessage) {
    std::vector<RequestOutcome> outcomes;
    std::size_t codesBeforeOutcome = 0;
    ASSERT_EQ(s.station.request("C03", "", {kStatusCommandAnswered, 0},
                                [&](const RequestOutcome& o) {
                                    outcomes.push_back(o);
                                    codesBeforeOutcome = codes.size();
                                }),
              link::PendingRequestSlot::FillResult::Accepted);
    ASSERT_TRUE(pumpUntil(s, [&] { return !outcomes.empty(); }));
    EXPECT_TRUE(outcomes[0].completed);
    EXPECT_NE(outcomes[0].reply.find("C03"), std::string::npos);
    EXPECT_EQ(codes.at(codesBeforeOutcome - 1), kStatusCommandAnswered);

    // Later cycles carry no second outcome.
    const std::size_t seen = codes.size();
    ASSERT_TRUE(pumpUntil(s, [&] { return codes.size() >= seen + 5; }));
    EXPECT_EQ(outcomes.size(), 1u);

    // A refused request never calls its onDone.
    int refused = 0;
    EXPECT_EQ(s.station.request("Q99", "", {}, [&](const RequestOutcome&) { ++refused; }),
              link::PendingRequestSlot::FillResult::BadCode);
    s.station.request("C03", "", {}, {});
    EXPECT_EQ(s.station.request("A08", "", {}, [&](const RequestOutcome&) { ++refused; }),
              link::PendingRequestSlot::FillResult::Busy);
    ASSERT_TRUE(pumpUntil(s, [&] { return !s.station.requestPending(); }));
    ASSERT_TRUE(pumpUntil(s, [&] { return codes.size() >= seen + 10; }));
    EXPECT_EQ(refused, 0);
}

TEST_F(StationAgainstSim, AFailedExchangeSaysWhy) {
    s.server->setFault("silent");
    std::optional<RequestOutcome> outcome;
    s.station.request("C03", "", {kStatusCommandAnswered, 0},
                      [&](const RequestOutcome& o) { outcome = o; });
    ASSERT_TRUE(pumpUntil(s, [&] { return outcome.has_value(); }));
    EXPECT_FALSE(outcome->completed);
    EXPECT_EQ(outcome->failure, "Cmd Receive Fail");
}

TEST_F(StationAgainstSim, NothingIsDeliveredAfterStop) {
    // Stopped from inside the delivery that also carries the outcome: the onDone must not run,
    // nor anything still queued behind it.
    int texts = 0;
    const auto textSubscription = s.station.onStatusText([&](std::string_view) { ++texts; });
    const auto stopper = s.station.onStatusMessage([&](const StatusMessage& m) {
        if (m.code == kStatusCommandAnswered) {
            EXPECT_TRUE(s.station.stop());
        }
    });
    bool done = false;
    s.station.request("C03", "", {kStatusCommandAnswered, 0},
                      [&](const RequestOutcome&) { done = true; });
    ASSERT_TRUE(pumpUntil(s, [&] { return !s.station.running(); }));
    const int textsAtStop = texts;
    const std::size_t codesAtStop = codes.size();
    while (s.queue.runNext(0ms)) {
    }
    EXPECT_FALSE(done);
    EXPECT_EQ(texts, textsAtStop);
    EXPECT_EQ(codes.size(), codesAtStop);
}

TEST(StationStuck, AThreadThatWillNotStopEndsTheProcessWithItsOwnStatus) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            testing::TempFolder folder;
            std::promise<void> never;
            const std::shared_future<void> forever = never.get_future().share();
            const auto testThread = std::this_thread::get_id();
            std::atomic<bool> blocked{false};
            MonitorThread::Options options;
            options.stopWait = 100ms;
            // The first report holds the thread for good, as a hung system call would.
            Station station(
                folder / "Brevik2.ini",
                [&](Station::Task) {
                    if (std::this_thread::get_id() != testThread) {
                        blocked = true;
                        forever.wait();
                    }
                },
                options);
            station.start();
            while (!blocked) {
                std::this_thread::yield();
            }
            station.stop();
            std::exit(0);
        },
        ::testing::ExitedWithCode(kStuckExitStatus), "");
}

}  // namespace
}  // namespace brevik2::engine
