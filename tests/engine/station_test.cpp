// The station's own rules, against the simulated unit: a request's outcome comes once, after
// the status message of its cycle; after stop() nothing more is delivered.

#include "engine/station.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <optional>
#include <thread>

#include "link/platform_port.h"
#include "support/http_client.h"
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

TEST_F(StationAgainstSim, ServesMetricsOfItsPollsOrSaysWhyNot) {
    EXPECT_EQ(s.station.startMetrics("127.0.0.1:99999"),
              "Metrics off: MetricsListen \"127.0.0.1:99999\" has no port from 0 to 65535");
    EXPECT_EQ(s.station.metricsPort(), 0);
    EXPECT_EQ(s.station.startMetrics(""), "");

    const std::string text = s.station.startMetrics("127.0.0.1:0");
    const int port = s.station.metricsPort();
    ASSERT_NE(port, 0) << text;
    EXPECT_EQ(text, "Metrics on http://127.0.0.1:" + std::to_string(port) + "/metrics");
    // The endpoint is fed from the station's own deliveries: the next poll reaches it.
    const std::size_t seen = codes.size();
    s.station.setSamplingInterval(0);
    ASSERT_TRUE(pumpUntil(s, [&] {
        return std::find(codes.begin() + static_cast<std::ptrdiff_t>(seen), codes.end(),
                         kStatusPollCompleted) != codes.end();
    }));
    const auto page = testing::httpGet(port, "/metrics", kBound);
    ASSERT_TRUE(page);
    EXPECT_NE(page->find("brevik2_online{model=\""), std::string::npos) << *page;
    const auto line = page->find("\nbrevik2_polls_completed_total{");
    ASSERT_NE(line, std::string::npos) << *page;
    const auto end = page->find('\n', line + 1);
    EXPECT_GE(std::stod(page->substr(page->rfind(' ', end) + 1, end)), 1.0) << *page;
}

// A port that will not open is reported once per reason, not once per cycle, and forgotten
// when it opens.
TEST(StationPort, AFailureIsReportedOncePerReasonUntilThePortOpens) {
    testing::SimStation s;
    std::string error;
    ASSERT_TRUE(s.startUnit({}, &error)) << error;
    s.station.settings().writeString("ComPort", (s.folder / "absent").string());
    std::vector<PortFailure> failures;
    int failedTexts = 0;
    bool opened = false;
    const auto f = s.station.onPortFailure([&](const PortFailure& p) { failures.push_back(p); });
    const auto t = s.station.onStatusText([&](std::string_view text) {
        failedTexts += text == "Com Port Failed to open";
        opened = opened || text == "Com port Open OK";
    });
    s.station.start();
    ASSERT_TRUE(pumpUntil(s, [&] { return failedTexts >= 3; }));
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].device, (s.folder / "absent").string());
    EXPECT_EQ(failures[0].error, std::errc::no_such_file_or_directory);
    EXPECT_EQ(s.station.portFailure(), failures[0]);

    s.station.settings().writeString("ComPort", "Com1");
    s.station.reconfigurePort();
    ASSERT_TRUE(pumpUntil(s, [&] { return opened; }));
    EXPECT_FALSE(s.station.portFailure());
}

TEST(PortFailureText, NamesTheDeviceTheReasonAndWhatHelps) {
    const DeviceAccess dialout{"root", "dialout", 0660, false};
    const DeviceAccess member{"root", "dialout", 0660, true};
    const DeviceAccess terminal{"root", "tty", 0620, false};
    const struct {
        std::error_code error;
        std::optional<DeviceAccess> access;
        const char* hint;
        bool dialoutHint;
    } rows[] = {
        {std::make_error_code(std::errc::permission_denied), dialout, "root:dialout 0660", true},
        {std::make_error_code(std::errc::permission_denied), member, "root:dialout 0660", false},
        {std::make_error_code(std::errc::permission_denied), terminal, "root:tty 0620", false},
        {std::make_error_code(std::errc::no_such_file_or_directory), {}, "plugged in", false},
        {std::make_error_code(std::errc::device_or_resource_busy), {}, "another program", false},
        {link::notSerialDevice(), {}, "/dev/ttyS0 is not a serial device", false},
        {std::make_error_code(std::errc::io_error), {}, nullptr, false},
    };
    for (const auto& row : rows) {
        const std::string text = describePortFailure({"/dev/ttyS0", row.error}, row.access);
        EXPECT_TRUE(text.starts_with("cannot open /dev/ttyS0: ")) << text;
        EXPECT_EQ(text.find(';') != std::string::npos, row.hint != nullptr) << text;
        if (row.hint != nullptr) {
            EXPECT_NE(text.find(row.hint), std::string::npos) << text;
        }
        EXPECT_EQ(text.find("usermod -aG dialout") != std::string::npos, row.dialoutHint) << text;
    }
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
