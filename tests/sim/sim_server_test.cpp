// The simulator on a real pty, seen from a host that opens the slave with plain termios.
//
// Timing: the simulator answers within a few milliseconds, so kReplyWait is only a generous
// upper bound; kSilence is how long a host listens before it calls a unit silent (the host's own
// read time-out is one second, but nothing the simulator does takes more than a few
// milliseconds unless a fault delays it).

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "pty_host.h"
#include "sim/sim_server.h"

namespace brevik2::sim {
namespace {

using namespace std::chrono_literals;
using link::Parity;
using link::StopBits;
using test::PtyHost;
using Clock = std::chrono::steady_clock;

constexpr auto kReplyWait = 1000ms;
constexpr auto kSilence = 300ms;

std::string uniqueLinkPath() {
    static int counter = 0;
    return "/tmp/brevik2-sim-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
}

bool pathExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

template <typename Predicate>
bool waitFor(Predicate done, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (!done()) {
        if (Clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

// A short reply as the unit frames it.
std::string framed(const std::string& text) {
    return "\x02" + text + "\r\n\x03";
}

SimOptions withFault(const char* fault) {
    SimOptions options;
    options.fault = fault;
    return options;
}

SimOptions withTestLinesEvery(std::chrono::milliseconds period) {
    SimOptions options;
    options.testLinePeriod = period;
    return options;
}

class SimServerTest : public ::testing::Test {
protected:
    // Starts a server on a fresh link path; the options' linkPath is filled in.
    SimServer& startServer(SimOptions options = {}) {
        options.linkPath = uniqueLinkPath();
        m_server = std::make_unique<SimServer>(options);
        std::string error;
        EXPECT_TRUE(m_server->start(&error)) << error;
        return *m_server;
    }

    std::string exchange(PtyHost& host, const char* code, const char* parameter = "") {
        EXPECT_TRUE(host.send(code, parameter));
        return host.readUntil('\x03', kReplyWait);
    }

    void TearDown() override { m_server.reset(); }

    std::unique_ptr<SimServer> m_server;
};

TEST_F(SimServerTest, AnswersTheStartUpSequenceAndRecordsIt) {
    SimServer& server = startServer();
    PtyHost host(server.linkPath());
    ASSERT_TRUE(host.isOpen());
    EXPECT_EQ(exchange(host, "A15", "0"), framed("A15 OK"));
    ASSERT_TRUE(host.send("T*2"));
    const std::string constants = exchange(host, "D*2");
    EXPECT_EQ(constants.size(), 145u);
    EXPECT_EQ(constants.substr(0, 5), "\x02\r\nID");
    EXPECT_EQ(exchange(host, "D*1").size(), 250u);
    EXPECT_EQ(exchange(host, "D*5").size(), 152u);
    const std::vector<std::string> expected{"A15 0", "T*2", "D*2", "D*1", "D*5"};
    EXPECT_EQ(server.requestsSeen(), expected);
    EXPECT_EQ(server.state().requestCounts.at("T*2"), 1);
    EXPECT_EQ(server.slaveName().rfind("/dev/pts/", 0), 0u);
}

// A script answers in the unit's place when it has something to say: the unit still hears the
// request (its state changes), and the bytes go as given, even bytes no reply has.
TEST_F(SimServerTest, AScriptedReplyReplacesTheUnitsOwn) {
    const std::string scripted("\x02\xFF\x00\x03", 4);
    SimOptions options;
    options.linkPath = uniqueLinkPath();
    m_server = std::make_unique<SimServer>(options);
    m_server->setReplyScript(
        [scripted](const Request& r, int before) -> std::optional<SimServer::ScriptedReply> {
            if (r.code == "W01" && before == 1) {
                return SimServer::ScriptedReply{scripted};
            }
            return std::nullopt;
        });
    ASSERT_TRUE(m_server->start());
    PtyHost host(options.linkPath);
    EXPECT_EQ(exchange(host, "W01", "5"), "\x02W01 OK\r\n\x03");
    EXPECT_EQ(exchange(host, "W01", "7"), scripted);
    EXPECT_EQ(m_server->state().frequencyOffset, 7);
    EXPECT_EQ(exchange(host, "W01", "9"), "\x02W01 OK\r\n\x03");
}

class LineMismatchTest : public SimServerTest,
                         public ::testing::WithParamInterface<PtyHost::Line> {};

TEST_P(LineMismatchTest, UnitStaysSilentUntilTheHostMatches) {
    SimServer& server = startServer();  // 9600 8N1
    PtyHost host(server.linkPath(), GetParam());
    ASSERT_TRUE(host.send("D*2"));
    EXPECT_EQ(host.readFor(kSilence), "");
    EXPECT_TRUE(server.requestsSeen().empty());

    ASSERT_TRUE(host.configure({}));
    EXPECT_EQ(exchange(host, "D*2").size(), 145u);
    EXPECT_EQ(server.requestsSeen(), std::vector<std::string>{"D*2"});
}

INSTANTIATE_TEST_SUITE_P(HostSettings, LineMismatchTest,
                         ::testing::Values(PtyHost::Line{19200, Parity::None, StopBits::One, 8},
                                           PtyHost::Line{9600, Parity::None, StopBits::Two, 8},
                                           PtyHost::Line{9600, Parity::Odd, StopBits::One, 7},
                                           PtyHost::Line{9600, Parity::Mark, StopBits::One, 8},
                                           PtyHost::Line{2400, Parity::Odd, StopBits::Two, 7}));

TEST_F(SimServerTest, SevenBitUnitSendsItsParityBitOnTop) {
    SimOptions options;
    options.line = {9600, link::Parity::Even, link::StopBits::One, 7};
    SimServer& server = startServer(options);
    PtyHost host(server.linkPath());  // 8N1 looks the same as 7E1 on a pty
    ASSERT_TRUE(host.send("W22"));
    // The ETX itself may arrive with its top bit set, so read by length.
    std::string reply = host.readFor(kSilence);
    const std::string expected = "\x02W22 1PPS SYNC OK\r\n\x03";
    ASSERT_EQ(reply.size(), expected.size());
    EXPECT_NE(reply, expected) << "an 8-bit host sees the parity bits";
    for (char& c : reply) {
        c = static_cast<char>(c & 0x7F);
    }
    EXPECT_EQ(reply, expected) << "a 7-bit host masks them off";
}

TEST_F(SimServerTest, SerialParametersAnswerAtOldSettingsThenSwitch) {
    SimServer& server = startServer();
    PtyHost host(server.linkPath());
    EXPECT_EQ(exchange(host, "C05", "19200,8,N,1"), framed("C05 OK"));
    ASSERT_TRUE(host.send("D*2"));
    EXPECT_EQ(host.readFor(kSilence), "");
    ASSERT_TRUE(host.configure({19200, Parity::None, StopBits::One, 8}));
    EXPECT_EQ(exchange(host, "D*2").size(), 145u);
    EXPECT_EQ(server.state().line.baudRate, 19200);
}

TEST_F(SimServerTest, PacedReplyTakesItsWireTime) {
    SimOptions options;
    options.pace = true;
    SimServer& server = startServer(options);
    PtyHost host(server.linkPath());
    const auto start = Clock::now();
    const std::string reply = exchange(host, "D*1");
    const auto took = Clock::now() - start;
    EXPECT_EQ(reply.size(), 250u);
    // 250 characters of 10 bits at 9600 baud: 260 ms.
    EXPECT_GE(took, 240ms);
    EXPECT_LT(took, 800ms);
}

TEST_F(SimServerTest, TestModeLinesFlowUntilTheModeEnds) {
    SimServer& server = startServer(withTestLinesEvery(50ms));
    PtyHost host(server.linkPath());
    EXPECT_EQ(exchange(host, "A01", "1"), framed("A01 1"));
    // Three lines, however long the machine takes to bring them.
    std::string lines;
    for (int i = 0; i < 3; ++i) {
        lines += host.readUntil('\n', kReplyWait);
    }
    EXPECT_GE(std::count(lines.begin(), lines.end(), '\n'), 3) << lines;
    EXPECT_EQ(lines.find('\x03'), std::string::npos);
    const std::string end = exchange(host, "A01", "0");
    EXPECT_EQ(end.substr(end.size() - 9), framed("A01 0"));
    EXPECT_EQ(host.readFor(200ms), "");
}

TEST_F(SimServerTest, StaleOutputIsNotHandedToTheNextHost) {
    SimServer& server = startServer(withTestLinesEvery(20ms));
    unsigned departures = 0;
    {
        PtyHost host(server.linkPath());
        EXPECT_EQ(exchange(host, "A02", "3"), framed("A02 3"));
        departures = server.hostDepartures();
        ASSERT_TRUE(host.send("D*1"));
    }  // closed with a reply and test lines on their way
    ASSERT_TRUE(waitFor([&] { return server.hostDepartures() > departures; }, kReplyWait));
    PtyHost next(server.linkPath());
    // The test mode still runs, so lines keep coming; but no reply from before.
    const std::string received = next.readFor(kSilence);
    EXPECT_EQ(received.find("ID01010"), std::string::npos) << received;
}

TEST_F(SimServerTest, StopRemovesTheLinkAndHangsUp) {
    SimServer& server = startServer();
    const std::string link = server.linkPath();
    PtyHost host(link);
    EXPECT_EQ(exchange(host, "W22").size(), 20u);
    const auto start = Clock::now();
    server.stop();
    EXPECT_LT(Clock::now() - start, 500ms);
    EXPECT_FALSE(pathExists(link));
    host.readFor(100ms);
    EXPECT_TRUE(host.hungUp());
    server.stop();  // again: nothing happens
}

TEST_F(SimServerTest, ReplacesAnOldLinkButNeverAFile) {
    const std::string path = uniqueLinkPath();
    ASSERT_EQ(::symlink("/dev/null", path.c_str()), 0);
    SimOptions options;
    options.linkPath = path;
    {
        SimServer server(options);
        ASSERT_TRUE(server.start());
        char target[256] = {};
        ASSERT_GT(::readlink(path.c_str(), target, sizeof target - 1), 0);
        EXPECT_EQ(server.slaveName(), target);
    }
    EXPECT_FALSE(pathExists(path));

    FILE* file = std::fopen(path.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    SimServer refused(options);
    std::string error;
    EXPECT_FALSE(refused.start(&error));
    EXPECT_NE(error.find("not a symbolic link"), std::string::npos) << error;
    EXPECT_TRUE(pathExists(path));
    ::unlink(path.c_str());
}

TEST_F(SimServerTest, RefusesBadOptions) {
    for (auto change :
         {+[](SimOptions& o) { o.model = 403; }, +[](SimOptions& o) { o.fault = "melting"; },
          +[](SimOptions& o) { o.line.baudRate = 1234; }}) {
        SimOptions options;
        options.linkPath = uniqueLinkPath();
        change(options);
        SimServer server(options);
        std::string error;
        EXPECT_FALSE(server.start(&error));
        EXPECT_FALSE(error.empty());
        EXPECT_FALSE(pathExists(options.linkPath));
    }
}

// ---- faults

TEST_F(SimServerTest, SilentUnitHearsButNeverAnswers) {
    SimServer& server = startServer(withFault("silent"));
    PtyHost host(server.linkPath());
    ASSERT_TRUE(host.send("D*2"));
    EXPECT_EQ(host.readFor(kSilence), "");
    EXPECT_EQ(server.requestsSeen(), std::vector<std::string>{"D*2"});
}

TEST_F(SimServerTest, TruncatedUnitSendsHalfAReply) {
    SimServer& server = startServer(withFault("truncated"));
    PtyHost host(server.linkPath());
    ASSERT_TRUE(host.send("D*2"));
    const std::string reply = host.readFor(kSilence);
    EXPECT_EQ(reply.size(), 72u);
    EXPECT_EQ(reply.find('\x03'), std::string::npos);
}

TEST_F(SimServerTest, GarbageUnitKeepsLengthAndSpoilsFields) {
    SimServer& server = startServer(withFault("garbage"));
    PtyHost host(server.linkPath());
    const std::string reply = exchange(host, "D*2");
    ASSERT_EQ(reply.size(), 145u);
    EXPECT_EQ(reply.substr(0, 5), "\x02\r\nID");
    EXPECT_EQ(reply.substr(48, 3), "000");
}

TEST_F(SimServerTest, SlowUnitMissesTheOneSecondReadTimeOut) {
    SimServer& server = startServer(withFault("slow"));
    PtyHost host(server.linkPath());
    ASSERT_TRUE(host.send("D*2"));
    EXPECT_EQ(host.readFor(1000ms), "");
    EXPECT_EQ(host.readUntil('\x03', kReplyWait).size(), 145u);
}

TEST_F(SimServerTest, FlakyUnitDropsEveryNthReply) {
    SimOptions options;
    options.fault = "flaky";
    options.faultEvery = 2;
    SimServer& server = startServer(options);
    PtyHost host(server.linkPath());
    std::vector<bool> answered;
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(host.send("A24"));
        answered.push_back(!host.readUntil('\x03', kSilence).empty());
    }
    EXPECT_EQ(answered, (std::vector<bool>{true, false, true, false}));
    EXPECT_EQ(server.requestsSeen().size(), 4u);
}

TEST_F(SimServerTest, StreamingUnitNeverStops) {
    SimServer& server = startServer(withFault("stream"));
    PtyHost host(server.linkPath());
    ASSERT_TRUE(host.send("D*2"));
    // A host's read ends when 100 ms pass without a byte; the stream never leaves such a gap.
    std::size_t total = 0;
    for (int window = 0; window < 12; ++window) {
        const std::string bytes = host.readFor(100ms);
        ASSERT_FALSE(bytes.empty()) << "window " << window;
        EXPECT_EQ(bytes.find('\x03'), std::string::npos);
        total += bytes.size();
    }
    // 1.2 s at 9600 baud is about 1150 characters.
    EXPECT_GT(total, 800u);
    EXPECT_LT(total, 1600u);
}

TEST_F(SimServerTest, VanishingUnitLeavesAfterItsPollsAndComesBack) {
    SimOptions options;
    options.fault = "vanish";
    options.vanishAfter = 2;
    options.reappearAfterSeconds = 0.3;
    SimServer& server = startServer(options);
    {
        PtyHost host(server.linkPath());
        EXPECT_EQ(exchange(host, "D*1").size(), 250u);
        EXPECT_EQ(exchange(host, "D*2").size(), 145u);
        EXPECT_EQ(exchange(host, "D*1").size(), 250u);
        ASSERT_TRUE(host.send("D*1"));
        EXPECT_EQ(host.readUntil('\x03', kReplyWait), "");
        EXPECT_TRUE(host.hungUp());
    }
    EXPECT_FALSE(server.isPresent());
    EXPECT_FALSE(pathExists(server.linkPath()));
    ASSERT_TRUE(waitFor([&] { return server.isPresent(); }, 3000ms));
    ASSERT_TRUE(pathExists(server.linkPath()));
    PtyHost again(server.linkPath());
    ASSERT_TRUE(again.isOpen());
    EXPECT_EQ(exchange(again, "D*1").size(), 250u);
}

TEST_F(SimServerTest, FaultCanChangeWhileRunning) {
    SimServer& server = startServer();
    PtyHost host(server.linkPath());
    EXPECT_EQ(exchange(host, "W22").size(), 20u);
    ASSERT_TRUE(server.setFault("silent"));
    ASSERT_TRUE(host.send("W22"));
    EXPECT_EQ(host.readFor(kSilence), "");
    EXPECT_FALSE(server.setFault("melting"));
    ASSERT_TRUE(server.setFault(""));
    EXPECT_EQ(exchange(host, "W22").size(), 20u);
}

TEST_F(SimServerTest, JunkFromTheHostNeverStopsTheUnit) {
    SimServer& server = startServer();
    PtyHost host(server.linkPath());
    std::string junk;
    for (int i = 0; i < 20000; ++i) {
        junk += static_cast<char>((i * 7919) & 0xFF);
    }
    ASSERT_TRUE(host.sendRaw(junk));
    host.readFor(kSilence);  // whatever the junk happened to ask for
    EXPECT_EQ(exchange(host, "W22").substr(0, 5), "\x02W22 ");
}

}  // namespace
}  // namespace brevik2::sim
