// How close one complete poll comes to the time its reply bytes need on the wire: polls a
// simulated unit that writes its replies at the pace of 9600 baud 8N1 and divides the poll's
// time by the wire time of the bytes it received (request bytes cost nothing on a pty). Given a
// ComPort value, it polls the unit there instead (bench/run.sh puts a paced simulator behind
// ser2net for the network ports).
//
//   build/bench/bench_poll_wire_ratio [polls] [ComPort]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

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

}  // namespace

int main(int argc, char** argv) {
    using namespace brevik2;
    const int polls = argc > 1 ? std::atoi(argv[1]) : 10;
    const auto folder = std::filesystem::temp_directory_path() / "brevik2-bench-poll";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);

    const std::string comPort = argc > 2 ? argv[2] : "Com1";
    sim::SimOptions options;
    options.linkPath = (folder / "com1").string();
    options.pace = true;
    sim::SimServer server(options);
    std::string error;
    if (argc <= 2 && !server.start(&error)) {
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
