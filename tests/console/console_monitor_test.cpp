#include "console/console_monitor.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "link/settings_file.h"
#include "support/sim_station.h"

namespace brevik2::console {
namespace {

using namespace std::chrono_literals;

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// The console's output as it goes out: calls onCue once a line holding the cue has been written.
class CuedOutput : public std::stringbuf {
public:
    std::string cue;
    std::function<void()> onCue;

private:
    int sync() override {
        if (onCue && !cue.empty() && str().find(cue) != std::string::npos) {
            std::exchange(onCue, nullptr)();
        }
        return 0;
    }
};

struct RunSetup {
    // A silent unit costs each contact attempt the whole read time-out of a status reply; a
    // small per-byte time-out keeps the give-up bound at about three seconds.
    link::SerialTimeouts timeouts{50, 1, 150, 4096, 300};
    std::chrono::milliseconds repeatWindow = RepeatFilter::kWindow;
    // Once a line holding the cue is out, onCue runs; by default it interrupts the run.
    std::string cue;
    std::function<void()> onCue;
};

class ConsoleAgainstSim : public ::testing::Test {
protected:
    void SetUp() override { startSim({}); }

    void startSim(sim::SimOptions options, sim::SimServer::ReplyScript script = {}) {
        std::string error;
        options.linkPath = (folder / "com1").string();
        server = std::make_unique<sim::SimServer>(options);
        server->setReplyScript(std::move(script));
        ASSERT_TRUE(server->start(&error)) << error;
        link::SettingsFile settings(folder / "Brevik2.ini");
        testing::writeSimLineSettings(settings);
        settings.writeString("SamplingInterval", "1");
    }

    struct Run {
        int status;
        std::vector<std::string> out;
        std::string err;
    };

    Run runWithStatus(std::vector<std::string> args, RunSetup setup = {}) {
        args.insert(args.begin(), {"--settings", (folder / "Brevik2.ini").string()});
        std::string error;
        auto options = parseConsoleOptions(args, error);
        EXPECT_TRUE(options) << error;
        engine::MonitorThread::Options engine;
        engine.timeouts = setup.timeouts;
        std::atomic<bool> interrupted{false};
        CuedOutput cued;
        cued.cue = setup.cue;
        cued.onCue = setup.onCue ? setup.onCue : [&interrupted] { interrupted = true; };
        std::ostream out(&cued);
        std::ostringstream err;
        ConsoleMonitor monitor(*options, out, err, engine, setup.repeatWindow);
        const int status = monitor.run(interrupted);
        return {status, linesOf(cued.str()), err.str()};
    }

    std::vector<std::string> run(std::vector<std::string> args, const std::string& errors = "") {
        Run result = runWithStatus(std::move(args));
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.err, errors);
        return result.out;
    }

    testing::TempFolder folder;
    std::unique_ptr<sim::SimServer> server;
};

TEST_F(ConsoleAgainstSim, PrintsStatusAndMessagesAndStopsAfterThePolls) {
    const auto lines = run({"--polls", "2"});
    const auto count = [&](const std::string& line) {
        return std::count(lines.begin(), lines.end(), line);
    };
    EXPECT_EQ(count("message: 10"), 2);
    EXPECT_GE(count("message: 24"), 1);
    EXPECT_GE(count("status: Com port Open OK"), 1);
    EXPECT_GE(count("status: Unit Online"), 1);
    EXPECT_EQ(count("message: 0"), 0);
    // The online text repeats every cycle; it is printed only after some other text.
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (lines[i].starts_with("status: Unit online")) {
            EXPECT_NE(lines[i], lines[i - 1]);
        }
    }
    EXPECT_EQ(lines.back(), "message: 10");
}

TEST_F(ConsoleAgainstSim, RequestsAreAnsweredInOrderAndEndTheRun) {
    const auto lines = run({"--request", "C03", "--request", "A09 1"});
    std::vector<std::string> replies;
    for (const auto& line : lines) {
        if (line.starts_with("reply: ")) {
            replies.push_back(line);
        }
    }
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_NE(replies[0].find("Version"), std::string::npos);
    EXPECT_NE(replies[1].find("A09"), std::string::npos);
    EXPECT_TRUE(server->state().daylightSavings);
}

// A hand-kept settings file holding every key comes out of a run byte for byte.
TEST_F(ConsoleAgainstSim, LeavesACompleteSettingsFileAsItWas) {
    const std::string handWritten =
        "[Brevik2]\r\nComPort = Com1\r\nMonitoringEnabled = true\r\nSamplingInterval = 1\r\n"
        "WindowRectangle = 600,200,0,0\r\nBaudRate = 9600\r\nStopBits = 1\r\n"
        "DataBits = 8\r\nParity = n\r\nTelemetryFilenameTemplate = Unit%ld_Data.txt\r\n"
        "OnlineDatafileDirectory = " +
        folder.path().string() +
        "/\r\nMultiUnitSupport = false\r\nSerialSwitchControlCode = 22\r\n"
        "SerialSwitchPorts = 16\r\nSerialSwitchCodeRepeatFactor = 8\r\n";
    testing::writeWholeFile(folder / "Brevik2.ini", handWritten);
    const auto lines = run({"--polls", "1"});
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "message: 10"), 1);
    EXPECT_EQ(testing::readWholeFile(folder / "Brevik2.ini"), handWritten);
}

TEST_F(ConsoleAgainstSim, AMetricsEndpointThatCannotStartIsReportedAndMonitoringGoesOn) {
    link::SettingsFile(folder / "Brevik2.ini").writeString("MetricsListen", "127.0.0.1:99999");
    const std::string off =
        "Metrics off: MetricsListen \"127.0.0.1:99999\" has no port from 0 to 65535";
    auto lines = run({"--polls", "1"}, "brevik2-monitor: " + off + "\n");
    EXPECT_EQ(lines.front(), "status: " + off);
    EXPECT_EQ(lines.back(), "message: 10");
    // The option wins over the setting.
    lines = run({"--polls", "1", "--metrics", "127.0.0.1:0"});
    EXPECT_TRUE(lines.front().starts_with("status: Metrics on http://127.0.0.1:")) << lines.front();
}

TEST_F(ConsoleAgainstSim, ARequestNeverSentEndsTheRunWithItsOwnStatus) {
    server.reset();
    sim::SimOptions silent;
    silent.fault = "silent";
    startSim(silent);
    const Run result = runWithStatus({"--request", "C03", "--request", "A09 1"});
    EXPECT_EQ(result.status, kExitRequestNotDone);
    EXPECT_NE(result.err.find("request \"C03\" not sent"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("request \"A09 1\" not sent"), std::string::npos) << result.err;
    EXPECT_EQ(std::count_if(result.out.begin(), result.out.end(),
                            [](const std::string& l) { return l.starts_with("reply: "); }),
              0);
}

// The port is missing for a while, then appears: the failure is told once with its repeats
// (the window shortened to a second), the change at once.
TEST_F(ConsoleAgainstSim, APortThatWillNotOpenIsToldOnceWithItsRepeatsUntilItOpens) {
    const auto late = folder / "late";
    link::SettingsFile(folder / "Brevik2.ini").writeString("ComPort", late.string());
    RunSetup setup;
    setup.timeouts = {};  // the unit's: the give-up bound of about 17 s is far off
    setup.repeatWindow = 1s;
    setup.cue = "repeats: ";
    setup.onCue = [&] {
        std::filesystem::create_symlink(std::filesystem::read_symlink(folder / "com1"), late);
    };
    const Run result = runWithStatus({"--request", "C03"}, setup);
    EXPECT_EQ(result.status, kExitDone) << result.err;
    EXPECT_EQ(result.err, "brevik2-monitor: cannot open " + late.string() +
                              ": No such file or directory; check that the unit's adapter is "
                              "plugged in and that ComPort names it\n");
    const auto& out = result.out;
    const auto first = [&](const std::string& line) {
        return std::find(out.begin(), out.end(), line) - out.begin();
    };
    EXPECT_EQ(std::count(out.begin(), out.end(), "status: Com Port Failed to open"), 1);
    EXPECT_EQ(std::count(out.begin(), out.end(), "message: 24"), 1);
    const auto repeats = std::find_if(out.begin(), out.end(), [](const std::string& l) {
        return l.starts_with("repeats: ") && l.find(" x \"Com Port Failed to open\"") != l.npos;
    });
    ASSERT_NE(repeats, out.end());
    EXPECT_LT(repeats - out.begin(), first("status: Com port Open OK"));
    EXPECT_LT(first("status: Com port Open OK"), first("message: 24"));
    EXPECT_TRUE(out.back().starts_with("reply: ")) << out.back();
}

// The poll after the first contact fails; a request is sent, then the run is stopped while its
// reply is awaited.
TEST_F(ConsoleAgainstSim, ContactIsToldOnceAndAStoppedRequestSaysWhatBecameOfIt) {
    server.reset();
    startSim({}, [](const sim::Request& request, int before) {
        const bool drop = (request.code == "D*1" && before == 0) || request.code == "A09";
        return drop ? std::optional<sim::SimServer::ScriptedReply>(sim::SimServer::ScriptedReply{})
                    : std::nullopt;
    });
    auto lines = run({"--polls", "1"});
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "message: 24"), 2);  // one per contact
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "status: error"), 1);

    RunSetup setup;
    setup.timeouts = {};  // the unit's: ten seconds for the reply that never comes
    setup.cue = "status: Cmd Sent OK";
    const Run result = runWithStatus({"--request", "A09 1", "--request", "C03"}, setup);
    EXPECT_EQ(result.status, kExitRequestNotDone);
    EXPECT_EQ(result.err,
              "brevik2-monitor: request \"A09 1\" interrupted: sent, but the run ended before "
              "its reply came\n"
              "brevik2-monitor: request \"C03\" not sent: the run ended before its turn\n");
}

TEST(ConsoleOptions, RefusesWhatCannotBeSent) {
    std::string error;
    EXPECT_FALSE(parseConsoleOptions({"--request", "C06 " + std::string(1024, 'x')}, error));
    EXPECT_NE(error.find("1023"), std::string::npos);
    EXPECT_FALSE(parseConsoleOptions({"--request", "Q99"}, error));
    EXPECT_FALSE(parseConsoleOptions({"--polls", "0"}, error));
    EXPECT_FALSE(parseConsoleOptions({"--seconds"}, error));
    EXPECT_FALSE(parseConsoleOptions({"--bogus"}, error));
    const auto ok = parseConsoleOptions({"--polls", "3", "--request", "W01 +000150"}, error);
    ASSERT_TRUE(ok);
    EXPECT_EQ(*ok->polls, 3);
    EXPECT_EQ(ok->requests.at(0).parameter, "+000150");
}

}  // namespace
}  // namespace brevik2::console
