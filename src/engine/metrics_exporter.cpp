#include "engine/metrics_exporter.h"

#include <CivetServer.h>
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <prometheus/exposer.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <exception>
#include <thread>
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

// The web server matches handlers by prefix and without case; only the page itself is served.
int refuseOtherPaths(mg_connection* connection) {
    const mg_request_info* info = mg_get_request_info(connection);
    if (info != nullptr && info->local_uri != nullptr &&
        std::strcmp(info->local_uri, "/metrics") == 0) {
        return 0;
    }
    mg_send_http_error(connection, 404, "%s", "Not found: only /metrics is served\n");
    return 404;
}

// Opens and closes a connection to the listening socket, which wakes the server's wait on it.
void knock(const MetricsListen& listen) {
    const bool v6 = listen.host.find(':') != std::string::npos;
    sockaddr_storage address{};
    socklen_t length = 0;
    if (v6) {
        auto* a = reinterpret_cast<sockaddr_in6*>(&address);
        a->sin6_family = AF_INET6;
        a->sin6_port = htons(static_cast<std::uint16_t>(listen.port));
        if (listen.host == "::" || inet_pton(AF_INET6, listen.host.c_str(), &a->sin6_addr) != 1) {
            a->sin6_addr = in6addr_loopback;
        }
        length = sizeof(sockaddr_in6);
    } else {
        auto* a = reinterpret_cast<sockaddr_in*>(&address);
        a->sin_family = AF_INET;
        a->sin_port = htons(static_cast<std::uint16_t>(listen.port));
        if (listen.host == "0.0.0.0" ||
            inet_pton(AF_INET, listen.host.c_str(), &a->sin_addr) != 1) {
            a->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        }
        length = sizeof(sockaddr_in);
    }
    const int fd = ::socket(v6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return;
    }
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 && errno == EINPROGRESS) {
        pollfd p{fd, POLLOUT, 0};
        ::poll(&p, 1, 50);
    }
    ::close(fd);
}

}  // namespace

std::unique_ptr<MetricsExporter> MetricsExporter::start(const MetricsListen& listen,
                                                        MetricsLiveValues live,
                                                        std::string& error) {
    static const CivetCallbacks callbacks = [] {
        CivetCallbacks c;
        c.log_message = keepServerError;
        c.begin_request = refuseOtherPaths;
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
    MetricsListen bound = listen;
    bound.port = ports.empty() ? listen.port : ports.front();
    return std::unique_ptr<MetricsExporter>(
        new MetricsExporter(std::move(exposer), std::move(metrics), std::move(bound)));
}

MetricsExporter::MetricsExporter(std::shared_ptr<prometheus::Exposer> exposer,
                                 std::shared_ptr<UnitMetrics> metrics, MetricsListen listen)
    : m_metrics(std::move(metrics)), m_exposer(std::move(exposer)), m_listen(std::move(listen)) {}

MetricsExporter::~MetricsExporter() {
    // The server looks at its stop flag only between waits of up to two seconds on the
    // listening socket; a connection ends the wait, so knock until it has stopped.
    std::atomic<bool> stopped{false};
    std::thread knocker([this, &stopped] {
        while (!stopped.load()) {
            knock(m_listen);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    m_exposer.reset();
    stopped.store(true);
    knocker.join();
}

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
