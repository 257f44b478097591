// The metrics endpoint of a monitor thread that polls the simulated unit, under clients that
// behave and clients that do not.

#include "engine/metrics_exporter.h"

#include <gtest/gtest.h>

#include <sys/socket.h>

#include <memory>
#include <thread>
#include <vector>

#include "engine/monitor_shared_state.h"
#include "engine/monitor_thread.h"
#include "link/settings_file.h"
#include "support/http_client.h"
#include "support/sim_monitor.h"

namespace brevik2::engine {
namespace {

using namespace std::chrono_literals;
using testing::HttpConnection;
using testing::httpGet;

// Every report reaches the exporter, on the monitor thread, and the recorder the test waits on.
class FeedingReporter final : public MonitorReporter {
public:
    explicit FeedingReporter(testing::RecordingReporter& recorder) : m_recorder(recorder) {}
    void feed(MetricsExporter* exporter) { m_exporter.store(exporter); }
    void statusText(std::string_view text) override {
        if (auto* exporter = m_exporter.load()) {
            exporter->statusText(text);
        }
        m_recorder.statusText(text);
    }
    void statusMessage(StatusMessage message) override {
        if (auto* exporter = m_exporter.load()) {
            exporter->statusMessage(message);
        }
        m_recorder.statusMessage(std::move(message));
    }

private:
    testing::RecordingReporter& m_recorder;
    std::atomic<MetricsExporter*> m_exporter{nullptr};
};

// Long enough for a poll of the simulator under a loaded machine; polls take about 50 ms.
constexpr auto kPollWait = 20s;
// A response of the server; the time-out only bounds a failure.
constexpr auto kResponseWait = 5s;

class MetricsEndpoint : public ::testing::Test, protected testing::SimMonitor {
protected:
    void SetUp() override {
        sim::SimOptions options;
        options.unitId = 4321;
        ASSERT_TRUE(startUnit(options));
        writeSettings(true, 0);  // a poll every cycle

        std::string error;
        exporter = MetricsExporter::start(MetricsListen{"127.0.0.1", 0},
                                          {[this] { return shared.online.load(); },
                                           [this] { return shared.samplingInterval.load(); }},
                                          error);
        ASSERT_TRUE(exporter) << error;
        feeding.feed(exporter.get());

        // The instrument's own time-outs: a poll must not fail because the load of the clients
        // slowed the simulated unit's answer.
        startMonitor(MonitorThread::Options{}, &feeding);
        ASSERT_TRUE(reporter.waitForMessage(kStatusPollCompleted, kPollWait));
    }

    void TearDown() override {
        stopMonitor();
        feeding.feed(nullptr);
    }

    // Waits for more completed polls than now; the monitor keeps polling meanwhile.
    bool pollsGoOn(std::size_t more) {
        const std::size_t now = polls();
        return reporter.waitForMessage(kStatusPollCompleted, kPollWait, nullptr, now + more);
    }

    std::size_t polls() const { return reporter.countMessages(kStatusPollCompleted); }

    int port() const { return exporter->port(); }

    FeedingReporter feeding{reporter};
    std::unique_ptr<MetricsExporter> exporter;
};

TEST_F(MetricsEndpoint, ServesTheLastPollReadOnly) {
    const auto metrics = httpGet(port(), "/metrics", kResponseWait);
    ASSERT_TRUE(metrics);
    EXPECT_TRUE(metrics->starts_with("HTTP/1.1 200")) << *metrics;
    EXPECT_NE(metrics->find("\nbrevik2_online{model=\"401\",unit_id=\"4321\"} 1\n"),
              std::string::npos);
    EXPECT_NE(metrics->find("\nbrevik2_pos24v_volts{"), std::string::npos);
    // Nothing else is served, and nothing can be written.
    for (const char* request : {"GET / HTTP/1.0\r\n\r\n", "GET /../../etc/passwd HTTP/1.0\r\n\r\n",
                                "GET /metricsxx HTTP/1.0\r\n\r\n", "GET /Metrics HTTP/1.0\r\n\r\n",
                                "GET /metrics/anything HTTP/1.0\r\n\r\n",
                                "POST /metrics HTTP/1.0\r\nContent-Length: 2\r\n\r\nhi",
                                "PUT /metrics HTTP/1.0\r\nContent-Length: 2\r\n\r\nhi"}) {
        HttpConnection connection(port());
        ASSERT_TRUE(connection.send(request));
        const auto response = connection.readToClose(kResponseWait);
        ASSERT_TRUE(response) << request;
        EXPECT_FALSE(response->starts_with("HTTP/1.1 200")) << request << *response;
        EXPECT_EQ(response->find("brevik2_"), std::string::npos) << request;
    }
}

TEST_F(MetricsEndpoint, AnIdleOrDrippingClientIsDropped) {
    // Bounded by the request time-out; the extra second is for a loaded machine.
    const auto bound = std::chrono::milliseconds(MetricsExporter::kRequestTimeoutMs) + 3s;
    HttpConnection idle(port());
    HttpConnection dripping(port());
    ASSERT_TRUE(dripping.send("GET /metrics HTTP/1.1\r\n"));
    EXPECT_TRUE(idle.readToClose(bound));
    EXPECT_TRUE(dripping.readToClose(bound));
    EXPECT_TRUE(httpGet(port(), "/metrics", kResponseWait));
}

TEST_F(MetricsEndpoint, HostileClientsDoNotHoldUpThePolls) {
    // 100 connections that say nothing, and requests cut short or malformed.
    std::vector<std::unique_ptr<HttpConnection>> clients;
    for (int i = 0; i < 100; ++i) {
        clients.push_back(std::make_unique<HttpConnection>(port()));
        ASSERT_TRUE(clients.back()->connected());
    }
    for (const std::string& partial :
         {std::string("GET /metr"), std::string("GET /metrics HTTP/1.1\r\nHost: x"),
          std::string("\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03", 11),
          "GET /" + std::string(100000, 'a') + " HTTP/1.1\r\n\r\n",
          "GET /metrics HTTP/1.1\r\n" + std::string(100000, 'X') + ": y\r\n\r\n"}) {
        clients.push_back(std::make_unique<HttpConnection>(port()));
        clients.back()->send(partial);
    }
    EXPECT_TRUE(pollsGoOn(3));

    clients.clear();
    // 10,000 requests in a row, each answered with the metrics, while the unit is polled.
    const std::size_t pollsBefore = polls();
    int answered = 0;
    std::string firstBad;
    for (int i = 0; i < 10000; ++i) {
        const auto response = httpGet(port(), "/metrics", kResponseWait);
        if (response && response->find("brevik2_online") != std::string::npos) {
            ++answered;
        } else if (firstBad.empty()) {
            firstBad = response ? "request " + std::to_string(i) + ": " + response->substr(0, 200)
                                : "request " + std::to_string(i) + ": no response";
        }
    }
    EXPECT_EQ(answered, 10000) << firstBad;
    EXPECT_TRUE(pollsGoOn(1));
    EXPECT_GT(polls(), pollsBefore + 1);
    EXPECT_EQ(reporter.countText("error"), 0u) << "a poll failed";
}

TEST(MetricsStartup, ABadValueOrAPortInUseSaysWhyAndServesNothing) {
    const MetricsLiveValues kLive{[] { return true; }, [] { return 1; }};
    EXPECT_EQ(startMetricsEndpoint("", kLive).statusText, "");
    const MetricsStartup bad = startMetricsEndpoint("127.0.0.1:http", kLive);
    EXPECT_FALSE(bad.exporter);
    EXPECT_EQ(bad.statusText,
              "Metrics off: MetricsListen \"127.0.0.1:http\" has no port from 0 to 65535");

    MetricsStartup first = startMetricsEndpoint("127.0.0.1:0", kLive);
    ASSERT_TRUE(first.exporter) << first.statusText;
    const std::string where = "127.0.0.1:" + std::to_string(first.exporter->port());
    EXPECT_EQ(first.statusText, "Metrics on http://" + where + "/metrics");
    const MetricsStartup second = startMetricsEndpoint(where, kLive);
    EXPECT_FALSE(second.exporter);
    EXPECT_TRUE(second.statusText.starts_with("Metrics off: cannot bind to " + where))
        << second.statusText;
    EXPECT_NE(second.statusText.find("Address already in use"), std::string::npos);
}

}  // namespace
}  // namespace brevik2::engine
