// brevik2-monitor as a process and the settings file. A scan that finds nothing, however it
// ends, leaves the file byte for byte as it was, so that the next start opens the port it
// opened before; a path that names no settings file is refused with its reason, at once.

#include <gtest/gtest.h>
#include <signal.h>

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/temp_folder.h"

namespace brevik2::engine {
namespace {

using namespace std::chrono_literals;

struct Ending {
    const char* name;
    bool unitThere;  // a silent unit at Com1; otherwise no port opens at all
    int signal;      // sent once this many trials have begun; 0: none
    int trials;
    std::vector<std::string> extraArguments;
    int status;
};

void PrintTo(const Ending& ending, std::ostream* out) {
    *out << ending.name;
}

// Every key the start-up pass would add is there, so the file the scan starts from is the one
// written here; CR LF, blanks and a comment, as a file kept by hand.
std::string handKeptFile(const std::filesystem::path& folder) {
    return "; bench unit, rack 2\r\n[Brevik2]\r\nWindowRectangle=600,200,0,0\r\n"
           "ComPort = Com4   ; moved on Monday\r\nBaudRate = 115200\r\nStopBits = 1\r\n"
           "DataBits = 8\r\nParity = n\r\nMonitoringEnabled=false\r\nSamplingInterval=3600\r\n"
           "TelemetryFilenameTemplate=Unit%ld_Data.txt\r\nOnlineDatafileDirectory=" +
           folder.string() +
           "/\r\nMultiUnitSupport=false\r\nSerialSwitchControlCode=22\r\nSerialSwitchPorts=16\r\n"
           "SerialSwitchCodeRepeatFactor=8\r\n\r\n[Notes]\r\nOwner=lab\r\n";
}

class InterruptedScan : public ::testing::TestWithParam<Ending> {};

TEST_P(InterruptedScan, LeavesTheSettingsFileAsItWas) {
    const Ending& ending = GetParam();
    testing::TempFolder folder;
    std::optional<testing::ChildProcess> unit;
    if (ending.unitThere) {
        unit.emplace(std::vector<std::string>{BREVIK2_SIM_PROGRAM, "--fault", "silent", "--link",
                                              (folder / "com1").string()});
        ASSERT_TRUE(unit->readLine(10s)) << "the simulator did not start";
    } else {
        std::filesystem::create_symlink(folder / "absent1", folder / "com1");
    }
    std::filesystem::create_symlink(folder / "absent2", folder / "com2");
    std::filesystem::create_symlink(folder / "absent3", folder / "com3");
    const auto path = folder / "Brevik2.ini";
    const std::string before = handKeptFile(folder.path());
    testing::writeWholeFile(path, before);

    std::vector<std::string> argv{BREVIK2_MONITOR_PROGRAM, "--settings", path.string(), "--scan"};
    argv.insert(argv.end(), ending.extraArguments.begin(), ending.extraArguments.end());
    testing::ChildProcess monitor(argv);
    ASSERT_TRUE(monitor.started());
    if (ending.signal != 0) {
        // A silent unit costs each trial the instrument's read time-outs, about two seconds.
        int begun = 0;
        while (begun < ending.trials) {
            const auto line = monitor.readLine(10s);
            ASSERT_TRUE(line) << "trial " << begun + 1 << " did not begin";
            begun += *line == "message: 19" ? 1 : 0;
        }
        ::kill(monitor.pid(), ending.signal);
    }
    // Read to the end, or a full pipe would stop the program. The scan without any port runs
    // through its 438 trials in a few seconds; a stop ends the trial under way at once.
    while (monitor.readLine(10s)) {
    }
    EXPECT_EQ(monitor.waitExit(10s), ending.status);
    EXPECT_EQ(testing::readWholeFile(path), before);
    if (unit) {
        ::kill(unit->pid(), SIGTERM);
        EXPECT_EQ(unit->waitExit(10s), 0);
    }
}

const Ending kEndings[] = {
    {"SigtermInTheFirstTrial", true, SIGTERM, 1, {}, 0},
    {"SigintInTheFourthTrial", true, SIGINT, 4, {}, 0},
    {"SecondsRunOutMidScan", true, 0, 0, {"--seconds", "3"}, 0},
    {"NoPortAnswersAtAll", false, 0, 0, {}, 1},
};

INSTANTIATE_TEST_SUITE_P(Endings, InterruptedScan, ::testing::ValuesIn(kEndings),
                         [](const ::testing::TestParamInfo<Ending>& info) {
                             return std::string(info.param.name);
                         });

// Standard error goes to a file: ChildProcess passes it through.
TEST(MonitorSettingsPath, ThatNamesNoSettingsFileIsRefusedAtOnce) {
    testing::TempFolder folder;
    ASSERT_EQ(::mkfifo((folder / "fifo.ini").c_str(), 0644), 0);
    const std::string large = "[Brevik2]\n" + std::string(3 << 20, ';') + "\n";
    testing::writeWholeFile(folder / "large.ini", large);
    const std::pair<std::string, const char*> paths[] = {
        {"/dev/zero", "is not a regular file"},
        {(folder / "fifo.ini").string(), "is not a regular file"},
        {(folder / "large.ini").string(), "is larger than 1 MiB, too large for a settings file"},
    };
    for (const auto& [path, reason] : paths) {
        SCOPED_TRACE(path);
        const auto err = folder / "err.txt";
        testing::ChildProcess monitor({"/bin/sh", "-c",
                                       std::string("exec \"$0\" --settings \"$1\" --seconds 1 "
                                                   "2>\"$2\""),
                                       BREVIK2_MONITOR_PROGRAM, path, err.string()});
        // One second of running on the fallbacks, then the stop within its bound.
        while (monitor.readLine(10s)) {
        }
        EXPECT_EQ(monitor.waitExit(10s), 0);
        EXPECT_NE(
            testing::readWholeFile(err).find("brevik2-monitor: the settings file " + path + " " +
                                             reason + "; going on with the built-in fallbacks\n"),
            std::string::npos)
            << testing::readWholeFile(err);
    }
    EXPECT_TRUE(std::filesystem::is_fifo(folder / "fifo.ini"));
    EXPECT_EQ(testing::readWholeFile(folder / "large.ini"), large);
}

}  // namespace
}  // namespace brevik2::engine
