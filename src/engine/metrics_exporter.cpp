#include "engine/metrics_exporter.h"

#include <CivetServer.h>
#include <prometheus/exposer.h>

#include <exception>
#include <vector>

#include "engine/unit_metrics.h"

namespace brevik2::engine {
namespace {

// The web server reports why it could not start (a port in use) through this callback, on the
// thread that starts it.
thread_local std::string t_serverError;

int keepServerError(const mg_connection*, const char* message) {
    if (t_serverError.empty() && message != nullptr) {
        t_serverError = message;
    }
    return 1;  // handled: nothing goes to the server's own log
}

}  // namespace

std::unique_ptr<MetricsExporter> MetricsExporter::start(const MetricsListen& listen,
                                                        MetricsLiveValues live,
                                                        std::string& error) {
    static const CivetCallbacks callbacks = [] {
        CivetCallbacks c;
        c.log_message = keepServerError;
        return c;
    }();
    // No document root: the server has no files to hand out, only the /metrics handler.
    std::vector<std::string> options{
        "listening_ports",    listen.text(),
        "num_threads",        std::to_string(kConnectionThreads),
        "request_timeout_ms", std::to_string(kRequestTimeoutMs),
        "enable_keep_alive",  "no",
    };
    t_serverError.clear();
    std::unique_ptr<prometheus::Exposer> exposer;
    try {
        exposer = std::make_unique<prometheus::Exposer>(std::move(options), &callbacks);
    } catch (const std::exception& e) {
        error = t_serverError.empty() ? "cannot listen on " + listen.text() + ": " + e.what()
                                      : t_serverError;
        return nullptr;
    }
    const std::vector<int> ports = exposer->GetListeningPorts();
    auto metrics = std::make_shared<UnitMetrics>(BREVIK2_VERSION, std::move(live));
    exposer->RegisterCollectable(metrics);
    return std::unique_ptr<MetricsExporter>(new MetricsExporter(
        std::move(exposer), std::move(metrics), ports.empty() ? listen.port : ports.front()));
}

MetricsExporter::MetricsExporter(std::shared_ptr<prometheus::Exposer> exposer,
                                 std::shared_ptr<UnitMetrics> metrics, int port)
    : m_metrics(std::move(metrics)), m_exposer(std::move(exposer)), m_port(port) {}

MetricsExporter::~MetricsExporter() = default;

void MetricsExporter::statusText(std::string_view text) {
    m_metrics->statusText(text);
}

void MetricsExporter::statusMessage(const StatusMessage& message) {
    m_metrics->statusMessage(message);
}

MetricsStartup startMetricsEndpoint(std::string_view listenValue, MetricsLiveValues live) {
    MetricsStartup startup;
    std::string error;
    const std::optional<MetricsListen> listen = parseMetricsListen(listenValue, error);
    if (listen) {
        startup.exporter = MetricsExporter::start(*listen, std::move(live), error);
    }
    if (startup.exporter) {
        MetricsListen bound = *listen;
        bound.port = startup.exporter->port();
        startup.statusText = "Metrics on http://" + bound.text() + "/metrics";
    } else if (!error.empty()) {
        startup.statusText = "Metrics off: " + error;
    }
    return startup;
}

}  // namespace brevik2::engine
