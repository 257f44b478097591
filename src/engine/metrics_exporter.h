#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "engine/metrics_listen.h"
#include "engine/metrics_live_values.h"
#include "engine/status_message.h"

namespace prometheus {
class Exposer;
}

namespace brevik2::engine {

class UnitMetrics;

// Serves GET /metrics in the Prometheus text format on one address, read-only: the web server
// answers nothing else (any other path, /metrics/x or /Metrics included, is 404). It stops
// within a few milliseconds. Two connection threads at most; a client that sends no complete
// request within two seconds is dropped, so idle connections cannot hold the threads.
//
// Thread safety: statusText() and statusMessage() are for the one thread that receives the
// station's reports; the server's threads only read what those calls stored and call the live
// values.
class MetricsExporter {
public:
    static constexpr int kConnectionThreads = 2;
    static constexpr int kRequestTimeoutMs = 2000;

    // Starts serving; on failure returns nothing and says why in error.
    static std::unique_ptr<MetricsExporter> start(const MetricsListen& listen,
                                                  MetricsLiveValues live, std::string& error);
    ~MetricsExporter();
    MetricsExporter(const MetricsExporter&) = delete;
    MetricsExporter& operator=(const MetricsExporter&) = delete;

    void statusText(std::string_view text);
    void statusMessage(const StatusMessage& message);

    // The port listened on (the one chosen when 0 was asked for).
    int port() const { return m_listen.port; }

private:
    MetricsExporter(std::shared_ptr<prometheus::Exposer> exposer,
                    std::shared_ptr<UnitMetrics> metrics, MetricsListen listen);

    std::shared_ptr<UnitMetrics> m_metrics;
    std::shared_ptr<prometheus::Exposer> m_exposer;
    MetricsListen m_listen;  // with the port it listens on
};

// The metrics endpoint as a front end starts it from a MetricsListen value: no exporter and no
// text when the value is empty; otherwise the exporter, or none and a text that says why. The
// station goes on monitoring either way.
struct MetricsStartup {
    std::unique_ptr<MetricsExporter> exporter;
    std::string statusText;  // "Metrics on http://...", "Metrics off: ..." or empty
};
MetricsStartup startMetricsEndpoint(std::string_view listenValue, MetricsLiveValues live);

}  // namespace brevik2::engine
