#include "engine/metrics_exporter.h"

namespace brevik2::engine {

std::unique_ptr<MetricsExporter> MetricsExporter::start(const MetricsListen&, MetricsLiveValues,
                                                        std::string& error) {
    error = "the metrics endpoint is not built on this platform";
    return nullptr;
}

MetricsExporter::~MetricsExporter() = default;

void MetricsExporter::statusText(std::string_view) {}

void MetricsExporter::statusMessage(const StatusMessage&) {}

MetricsStartup startMetricsEndpoint(std::string_view listenValue, MetricsLiveValues) {
    MetricsStartup startup;
    if (listenValue.find_first_not_of(" \t") != std::string_view::npos) {
        startup.statusText = "Metrics off: the metrics endpoint is not built on this platform";
    }
    return startup;
}

}  // namespace brevik2::engine
