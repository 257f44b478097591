// How close one complete poll comes to the time its reply bytes need on the wire: polls a
// simulated unit that writes its replies at the pace of 9600 baud 8N1 and divides the poll's
// time by the wire time of the bytes it received (request bytes cost nothing on a pty). Given a
// ComPort value, it polls the unit there instead (bench/run.sh puts a paced simulator behind
// ser2net for the network ports). With --scrape-ms the polls are served as metrics and scraped
// that often meanwhile; with --idle-connections that many clients connect to the endpoint and
// say nothing.
//
//   build/bench/bench_poll_wire_ratio [polls] [ComPort] [--scrape-ms MS] [--idle-connections N]

#include <curl/curl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/metrics_exporter.h"
#include "engine/status_queries.h"
#include "engine/status_records.h"
#include "link/serial_port.h"
#include "link/settings_file.h"
#include "link/status_output.h"
#include "sim/sim_server.h"

namespace {

// Adds up the reply bytes of a poll: each step's status text comes right after its exchange,
// while the reply is still in the buffer.
class StepCounter final : public brevik2::link::StatusOutput {
public:
    void watch(const std::string* reply) { m_reply = reply; }
    void statusText(std::string_view text) override {
        if (m_reply != nullptr &&
            (text == "D1 OK" || text == "D2 OK" || text == "NVRAM OK" ||
             text == "Date and Time OK" || text == "Version OK" || text == "Ready")) {
            bytes += m_reply->size();
        }
    }
    std::size_t bytes = 0;

private:
    const std::string* m_reply = nullptr;
};

std::size_t discard(char*, std::size_t size, std::size_t count, void*) {
    return size * count;
}

// Scrapes the endpoint every period until stopped.
class Scraper {
public:
    Scraper(int port, std::chrono::milliseconds period)
        : m_thread([this, port, period] { run(port, period); }) {}
    ~Scraper() {
        m_stop = true;
        m_thread.join();
    }
    int scrapes() const { return m_scrapes; }
    int failures() const { return m_failures; }

private:
    void run(int port, std::chrono::milliseconds period) {
        CURL* curl = curl_easy_init();
        const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/metrics";
        curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, discard);
        curl_easy_setopt(curl, CURLOPT_TIMEOUT, 10L);
        // The endpoint closes every connection after its answer.
        curl_easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L);
        auto next = std::chrono::steady_clock::now();
        while (!m_stop) {
            (curl_easy_perform(curl) == CURLE_OK ? m_scrapes : m_failures)++;
            next += period;
            std::this_thread::sleep_until(next);
        }
        curl_easy_cleanup(curl);
    }

    std::atomic<bool> m_stop{false};
    std::atomic<int> m_scrapes{0};
    std::atomic<int> m_failures{0};
    std::thread m_thread;
};

// A client that connects and sends nothing.
int idleConnection(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    return fd;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace brevik2;
    int polls = 10;
    int scrapeMs = 0;
    int idleConnections = 0;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--scrape-ms" && i + 1 < argc) {
            scrapeMs = std::atoi(argv[++i]);
        } else if (arg == "--idle-connections" && i + 1 < argc) {
            idleConnections = std::atoi(argv[++i]);
        } else {
            positional.push_back(arg);
        }
    }
    if (!positional.empty()) {
        polls = std::atoi(positional[0].c_str());
    }
    const bool simulated = positional.size() < 2;
    const auto folder = std::filesystem::temp_directory_path() / "brevik2-bench-poll";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);

    const std::string comPort = simulated ? "Com1" : positional[1];
    sim::SimOptions options;
    options.linkPath = (folder / "com1").string();
    options.pace = true;
    sim::SimServer server(options);
    std::string error;
    if (simulated && !server.start(&error)) {
        std::fprintf(stderr, "simulator: %s\n", error.c_str());
        return 1;
    }
    link::SettingsFile settings(folder / "Brevik2.ini");
    settings.writeString("ComPort", comPort);
    settings.writeString("BaudRate", "9600");
    settings.writeString("DataBits", "8");
    settings.writeString("Parity", "n");
    settings.writeString("StopBits", "1");

    link::NullStatusOutput quiet;
    link::SerialPort port(settings, quiet);
    engine::UnitRecords records;
    {
        // A server may still be closing the device for its last client: try contact as the
        // monitor does, a few times with a reset between.
        engine::StatusQueries contact(port, quiet);
        bool answered = false;
        for (int attempt = 0; attempt < 5 && !answered; ++attempt) {
            if (attempt > 0) {
                port.reset();
            }
            answered = contact.unitStatusQuery(records);
        }
        if (!answered) {
            std::fprintf(stderr, "the simulated unit did not answer\n");
            return 1;
        }
    }
    std::unique_ptr<engine::MetricsExporter> exporter;
    std::unique_ptr<Scraper> scraper;
    std::vector<int> idle;
    if (scrapeMs > 0 || idleConnections > 0) {
        exporter = engine::MetricsExporter::start(engine::MetricsListen{"127.0.0.1", 0},
                                                  {[] { return true; }, [] { return 1; }}, error);
        if (!exporter) {
            std::fprintf(stderr, "metrics: %s\n", error.c_str());
            return 1;
        }
        exporter->statusMessage({engine::kStatusPollCompleted, {}, records, {}, {}});
        for (int i = 0; i < idleConnections; ++i) {
            idle.push_back(idleConnection(exporter->port()));
        }
        if (scrapeMs > 0) {
            scraper =
                std::make_unique<Scraper>(exporter->port(), std::chrono::milliseconds(scrapeMs));
        }
    }
    StepCounter counting;
    engine::StatusQueries measured(port, counting);
    counting.watch(&measured.reply());

    double pollSeconds = 0;
    for (int i = 0; i < polls; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (!measured.poll(records, nullptr)) {
            std::fprintf(stderr, "poll %d failed\n", i);
            return 1;
        }
        pollSeconds +=
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (exporter) {
            exporter->statusMessage({engine::kStatusPollCompleted, {}, records, {}, {}});
        }
    }
    if (scraper) {
        std::printf("scrapes every %d ms: %d answered, %d failed\n", scrapeMs, scraper->scrapes(),
                    scraper->failures());
        scraper.reset();
    }
    if (!idle.empty()) {
        std::printf("idle connections held open: %zu\n", idle.size());
    }
    for (const int fd : idle) {
        ::close(fd);
    }
    const std::size_t replyBytes = counting.bytes;
    const double bitsPerChar = 10.0;  // start, 8 data, 1 stop
    const double wireSeconds = static_cast<double>(replyBytes) * bitsPerChar / 9600.0;
    std::printf("%s: polls %d, reply bytes per poll %.0f, poll %.1f ms, wire %.1f ms, ratio %.3f\n",
                comPort.c_str(), polls, static_cast<double>(replyBytes) / polls,
                1000.0 * pollSeconds / polls, 1000.0 * wireSeconds / polls,
                pollSeconds / wireSeconds);
    server.stop();
    std::filesystem::remove_all(folder);
    return 0;
}
