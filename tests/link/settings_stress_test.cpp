// The settings file under stress: two writers and a reader at once, a file and folder the
// program may not write, and files no careless editor should be able to break the program with.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>
#include <ostream>
#include <sstream>
#include <thread>
#include <vector>

#include "engine/monitor_shared_state.h"
#include "engine/monitor_thread.h"
#include "engine/telemetry_recorder.h"
#include "link/serial_port.h"
#include "link/settings_defaults.h"
#include "link/settings_file.h"
#include "link/settings_value.h"
#include "sim/sim_server.h"
#include "support/pty_pair.h"
#include "support/recording_reporter.h"
#include "support/recording_status_output.h"
#include "support/temp_folder.h"

namespace brevik2::link {
namespace {

// A replacement leaves no "<settings>.tmp<pid>" behind.
bool noTemporaryFileLeft(const std::filesystem::path& folder) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().filename().string().find(".tmp") != std::string::npos) {
            return false;
        }
    }
    return true;
}

using namespace std::chrono_literals;
using testing::readWholeFile;
using testing::TempFolder;
using testing::writeWholeFile;

// The keys of the [Brevik2] section as another program reading the raw file would find them;
// nothing when the file has no such section.
std::optional<std::map<std::string, std::string>> parseSection(const std::string& content) {
    std::map<std::string, std::string> keys;
    bool inSection = false;
    bool found = false;
    std::istringstream lines(content);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty() && line.front() == '[') {
            inSection = line == "[Brevik2]";
            found = found || inSection;
        } else if (inSection && !line.empty() && line.front() != ';') {
            const auto equals = line.find('=');
            if (equals == std::string::npos) {
                return std::nullopt;  // a line that is neither key, comment nor section: torn
            }
            keys[line.substr(0, equals)] = line.substr(equals + 1);
        }
    }
    if (!found) {
        return std::nullopt;
    }
    return keys;
}

bool allDigits(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// ---- two writers and a reader

TEST(SettingsStress, TwoWritersTenThousandTimesEachWhileAThirdReads) {
    constexpr int kWrites = 10000;
    constexpr int kKeysEach = 10;
    TempFolder folder;
    const auto path = folder / "Brevik2.ini";
    writeWholeFile(path, "; bench unit\n[Other]\nKeep=this\n[Brevik2]\nComPort=Com1\n");
    const SettingsFile settings(path);

    std::atomic<int> progress[2] = {0, 0};
    std::atomic<int> failedWrites{0};
    auto writer = [&](int which, const char* prefix) {
        for (int i = 0; i < kWrites; ++i) {
            if (!settings.writeString(prefix + std::to_string(i % kKeysEach), std::to_string(i))) {
                ++failedWrites;
            }
            progress[which].store(i + 1, std::memory_order_release);
        }
    };
    // The last value a key must hold, at least, once `done` writes of its writer have returned.
    auto lowestExpected = [](int done, int key) {
        return key + kKeysEach * ((done - 1 - key) / 10);
    };

    int reads = 0;
    int unparseable = 0;
    int lost = 0;
    int stale = 0;
    std::thread alpha(writer, 0, "Alpha");
    std::thread beta(writer, 1, "Beta");
    std::thread reader([&] {
        const char* prefixes[2] = {"Alpha", "Beta"};
        while (progress[0].load() < kWrites || progress[1].load() < kWrites) {
            const int done[2] = {progress[0].load(std::memory_order_acquire),
                                 progress[1].load(std::memory_order_acquire)};
            // Half the reads through the program's own reader, half as another program would
            // read the file: straight from the disk, without the program's lock.
            std::map<std::string, std::string> seen;
            if (reads % 2 == 0) {
                const auto parsed = parseSection(readWholeFile(path));
                if (!parsed) {
                    ++unparseable;
                    ++reads;
                    continue;
                }
                seen = *parsed;
            } else {
                for (int w = 0; w < 2; ++w) {
                    for (int key = 0; key < kKeysEach; ++key) {
                        const std::string name = prefixes[w] + std::to_string(key);
                        const std::string value = settings.readString(name, "");
                        if (!value.empty()) {
                            seen[name] = value;
                        }
                    }
                }
            }
            for (int w = 0; w < 2; ++w) {
                for (int key = 0; key < kKeysEach && key < done[w]; ++key) {
                    const auto found = seen.find(prefixes[w] + std::to_string(key));
                    if (found == seen.end() || !allDigits(found->second)) {
                        ++lost;
                    } else if (std::stoi(found->second) < lowestExpected(done[w], key)) {
                        ++stale;
                    }
                }
            }
            ++reads;
        }
    });
    alpha.join();
    beta.join();
    reader.join();

    EXPECT_EQ(failedWrites.load(), 0);
    EXPECT_GT(reads, 10);
    EXPECT_EQ(unparseable, 0) << "of " << reads << " reads";
    EXPECT_EQ(lost, 0) << "of " << reads << " reads";
    EXPECT_EQ(stale, 0) << "of " << reads << " reads";
    for (int key = 0; key < kKeysEach; ++key) {
        const std::string last = std::to_string(kWrites - kKeysEach + key);
        EXPECT_EQ(settings.readString("Alpha" + std::to_string(key), "lost"), last);
        EXPECT_EQ(settings.readString("Beta" + std::to_string(key), "lost"), last);
    }
    const std::string content = readWholeFile(path);
    EXPECT_NE(content.find("; bench unit"), std::string::npos);
    EXPECT_NE(content.find("Keep=this"), std::string::npos);
    EXPECT_EQ(settings.readString("ComPort", ""), "Com1");
    EXPECT_TRUE(noTemporaryFileLeft(folder.path()));
}

// Two programs on one settings file (the window and brevik2-monitor beside it in the same
// folder find the same Brevik2.ini): without a lock between processes and with a shared
// temporary name, writes failed and keys written by one were lost to the other's replacement.
TEST(SettingsStress, TwoProcessesWritingAtOnceLoseNothing) {
    constexpr int kWrites = 2000;
    TempFolder folder;
    const SettingsFile settings(folder / "Brevik2.ini");
    ASSERT_TRUE(settings.writeString("ComPort", "Com1"));
    pid_t children[2];
    for (int w = 0; w < 2; ++w) {
        children[w] = ::fork();
        ASSERT_GE(children[w], 0);
        if (children[w] == 0) {
            int failed = 0;
            for (int i = 0; i < kWrites; ++i) {
                failed += settings.writeString((w == 0 ? "Alpha" : "Beta") + std::to_string(i % 10),
                                               std::to_string(i))
                              ? 0
                              : 1;
            }
            ::_exit(failed == 0 ? 0 : 1);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a write failed";
    }
    for (int key = 0; key < 10; ++key) {
        const std::string last = std::to_string(kWrites - 10 + key);
        EXPECT_EQ(settings.readString("Alpha" + std::to_string(key), "lost"), last);
        EXPECT_EQ(settings.readString("Beta" + std::to_string(key), "lost"), last);
    }
}

// ---- a file and folder the program may not write

constexpr const char* kReadOnlyChildVariable = "BREVIK2_READ_ONLY_SETTINGS_CHILD";

// Restores write permission on the way out, so the folders can be removed.
struct WritableAgain {
    std::vector<std::filesystem::path> folders;
    ~WritableAgain() {
        for (const auto& folder : folders) {
            ::chmod(folder.c_str(), 0700);
        }
    }
};

void checkReadOnlySettings() {
    ASSERT_NE(::geteuid(), 0u) << "as root the permission bits are ignored: this proves nothing";
    TempFolder folder;
    const auto path = folder / "Brevik2.ini";
    const auto data = folder / "data";
    std::filesystem::create_directory(data);
    testing::PtyPair pty;
    ASSERT_FALSE(pty.slaveName().empty());

    // A unit on Com1, so the monitor can run on the file too.
    sim::SimOptions simOptions;
    simOptions.linkPath = (folder / "com1").string();
    sim::SimServer unit(simOptions);
    std::string error;
    ASSERT_TRUE(unit.start(&error)) << error;

    // Invalid line settings the port would repair, if it could; none of the keys that have a
    // fallback on read.
    const std::string stored = "[Brevik2]\nComPort=" + pty.slaveName() +
                               "\nBaudRate=1234\nDataBits=6\nStopBits=3\nParity=x\n"
                               "OnlineDatafileDirectory=" +
                               data.string() + "\n";
    writeWholeFile(path, stored);
    WritableAgain restore{{folder.path(), data}};
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    ASSERT_EQ(::chmod(folder.path().c_str(), 0555), 0);
    const SettingsFile settings(path);

    EXPECT_FALSE(settings.writeString("ComPort", "Com2"));
    applyStartupDefaults(settings);
    EXPECT_EQ(settings.readString("SamplingInterval", "13"), "13");
    EXPECT_EQ(engine::readSamplingInterval(settings), 13);
    EXPECT_EQ(settings.readString("MonitoringEnabled", "false"), "false");

    // The port runs on what it would have written: 9600, 8 data bits for now, two stop bits.
    {
        testing::RecordingStatusOutput status;
        SerialPort port(settings, status, SerialTimeouts{50, 10, 200, 4096, 500});
        EXPECT_TRUE(port.isConfigured());
        EXPECT_EQ(port.lineSettings().baudRate, 9600);
        EXPECT_EQ(port.lineSettings().dataBits, 8);
        EXPECT_EQ(port.lineSettings().stopBits, StopBits::Two);
        EXPECT_TRUE(status.saw("Stop Bits Invalid in .ini file"));
        EXPECT_TRUE(status.saw("Data Bits Invalid in .ini file"));
    }

    // A data folder the recorder may not write: the record is reported lost, nothing crashes.
    {
        testing::RecordingStatusOutput status;
        const std::string lockedData =
            "[Brevik2]\nOnlineDatafileDirectory=" + folder.path().string() + "\n";
        const auto otherPath = data / "Locked.ini";
        writeWholeFile(otherPath, lockedData);
        const SettingsFile locked(otherPath);
        engine::TelemetryRecorder recorder(locked, status, {2, 1ms});
        EXPECT_FALSE(recorder.writeRecord(engine::UnitRecords{}));
        EXPECT_TRUE(status.saw("File Open Failure while writing telemetry record"));
    }

    // The monitor on the read-only file: monitoring and recording fall back to off; switched on
    // (as the monitoring options would), it records under the fallback file name.
    {
        const auto monitorPath = data / "Monitor.ini";
        writeWholeFile(monitorPath, "[Brevik2]\nComPort=" + unit.slaveName() +
                                        "\nBaudRate=9600\nDataBits=8\nParity=n\nStopBits=1\n"
                                        "OnlineDatafileDirectory=" +
                                        data.string() + "\n");
        ASSERT_EQ(::chmod(monitorPath.c_str(), 0444), 0);
        ASSERT_EQ(::chmod(data.c_str(), 0555), 0);
        const SettingsFile monitorSettings(monitorPath);
        engine::MonitorSharedState shared;
        shared.samplingInterval = engine::readSamplingInterval(monitorSettings);
        testing::RecordingReporter reporter;
        engine::MonitorThread::Options options;
        options.timeouts = SerialTimeouts{50, 10, 150, 4096, 300};
        options.onStuck = [] { ADD_FAILURE() << "monitor thread did not stop"; };
        engine::MonitorThread monitor(monitorSettings, shared, reporter, options);
        monitor.start();
        EXPECT_TRUE(reporter.waitForText("Polling Disabled", 10s));
        EXPECT_FALSE(shared.recordDataFile);
        ASSERT_EQ(::chmod(data.c_str(), 0755), 0);
        shared.recordDataFile = true;
        shared.samplingInterval = 0;
        shared.monitoringEnabled = true;
        EXPECT_TRUE(reporter.waitForMessage(engine::kStatusPollCompleted, 10s));
        shared.shuttingDown = true;
        EXPECT_TRUE(monitor.stop());
        const std::string recorded = readWholeFile(data / "Unit 1010.txt");
        EXPECT_EQ(recorded.rfind("MJD, Month", 0), 0u) << recorded.substr(0, 80);
    }
    unit.stop();
    EXPECT_EQ(readWholeFile(path), stored);
    EXPECT_TRUE(noTemporaryFileLeft(folder.path()));
}

// Runs only as the unprivileged child of the test below.
TEST(SettingsReadOnlyChild, FallsBackAndCrashesNothing) {
    if (std::getenv(kReadOnlyChildVariable) == nullptr) {
        GTEST_SKIP() << "run by SettingsReadOnly.EveryReaderFallsBackAsAnUnprivilegedUser";
    }
    checkReadOnlySettings();
}

TEST(SettingsReadOnly, EveryReaderFallsBackAsAnUnprivilegedUser) {
    if (::geteuid() != 0) {
        checkReadOnlySettings();
        return;
    }
    // Root ignores permission bits, so the case runs again as the user "nobody", from a copy of
    // this program in a folder that user can reach (the build tree may not be).
    if (::access("/usr/bin/setpriv", X_OK) != 0) {
        GTEST_SKIP() << "setpriv (util-linux) is needed to drop root";
    }
    TempFolder copy;
    ASSERT_EQ(::chmod(copy.path().c_str(), 0755), 0);
    const auto program = copy / "settings_stress_test";
    std::filesystem::copy_file("/proc/self/exe", program);
    ASSERT_EQ(::chmod(program.c_str(), 0755), 0);
    const auto output = copy / "child.txt";
    const std::string command =
        "/usr/bin/setpriv --reuid=nobody --regid=nogroup --clear-groups /usr/bin/env " +
        std::string(kReadOnlyChildVariable) + "=1 HOME=/tmp TMPDIR=/tmp " + program.string() +
        " --gtest_filter=SettingsReadOnlyChild.* >" + output.string() + " 2>&1";
    const int status = std::system(command.c_str());
    const std::string report = readWholeFile(output);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << report;
    EXPECT_NE(report.find("[  PASSED  ] 1 test."), std::string::npos) << report;
    EXPECT_EQ(report.find("SKIPPED"), std::string::npos) << report;
}

// ---- files a careless editor could leave

struct DamagedFile {
    const char* name;
    std::string (*make)(const std::string& comPort);  // the file, with this ComPort value
    std::string storedPort;
    std::string portRead;              // ComPort as read, cut to 255 characters
    int samplingInterval;              // as the start-up reads it
    std::optional<LineSettings> line;  // as the port runs; nothing when no port is named
};

// Just under the size bound, with the keys that count at its end.
std::string nearTheBound(const std::string& comPort) {
    std::string text = "[Brevik2]\nComPort=" + comPort + "\n";
    const std::string filler(1000, 'x');
    for (int i = 0; text.size() < SettingsFile::kMaxBytes - 4096; ++i) {
        text += "Filler" + std::to_string(i) + "=" + filler + "\n";
    }
    return text + "SamplingInterval=45\nBaudRate=19200\nParity=e\nDataBits=7\n";
}

std::string longLines(const std::string& comPort) {
    return "[Brevik2]\nComPort=" + comPort + "\nSamplingInterval=1" + std::string(100000, '9') +
           "\nBaudRate=" + std::string(100000, '7') + "\nParity=" + std::string(100000, 'o') +
           "\nStopBits=" + std::string(100000, '1') + "\n";
}

std::string binaryBytes(const std::string& comPort) {
    std::string junk;
    for (int i = 0; i < 64 * 1024; ++i) {
        junk += static_cast<char>((i * 131 + i / 7) & 0xFF);
    }
    return junk + "\n[Brevik2]\nComPort=" + comPort + "\r\nSamplingInterval=\xFF\xFE" + "7\n" +
           junk;
}

std::string missingSection(const std::string& comPort) {
    return "ComPort=" + comPort + "\nSamplingInterval=5\n[Other]\nBaudRate=300\n";
}

const DamagedFile kDamagedFiles[] = {
    {"NearTheSizeBound", nearTheBound, "Com3", "Com3", 45,
     LineSettings{19200, Parity::Even, StopBits::One, 7}},
    // An overlong number saturates, so it is out of range: 10 s, 9600 baud; the first letter of
    // a 100 kB word still counts; 100 kB of ones are not "1".
    {"LinesOf100kB", longLines, std::string(100000, 'A'), std::string(255, 'A'), 10,
     LineSettings{9600, Parity::Odd, StopBits::Two, 7}},
    {"BinaryBytes", binaryBytes, "Com2", "Com2", 0,
     LineSettings{2400, Parity::Odd, StopBits::One, 7}},
    {"MissingSection", missingSection, "/dev/elsewhere", "COM1", 13, std::nullopt},
};

void PrintTo(const DamagedFile& file, std::ostream* out) {
    *out << file.name;
}

class SettingsDamaged : public ::testing::TestWithParam<DamagedFile> {};

TEST_P(SettingsDamaged, ReadersFallBackAndTheDefaultsPassFillsTheRest) {
    const DamagedFile& file = GetParam();
    TempFolder folder;
    const auto path = folder / "Brevik2.ini";
    writeWholeFile(path, file.make(file.storedPort));
    const SettingsFile settings(path);
    EXPECT_EQ(settings.readString("ComPort", "COM1", 255), file.portRead);
    EXPECT_EQ(engine::readSamplingInterval(settings), file.samplingInterval);

    if (file.line) {
        // The same file naming a pty, so the port really opens and configures.
        testing::PtyPair pty;
        const auto withPty = folder / "WithPty.ini";
        writeWholeFile(withPty, file.make(pty.slaveName()));
        const SettingsFile portSettings(withPty);
        testing::RecordingStatusOutput status;
        SerialPort port(portSettings, status, SerialTimeouts{50, 10, 200, 4096, 500});
        EXPECT_TRUE(port.isConfigured());
        EXPECT_EQ(port.lineSettings(), *file.line);
    }

    applyStartupDefaults(settings);
    for (const char* key :
         {"WindowRectangle", "ComPort", "BaudRate", "StopBits", "DataBits", "Parity",
          "MonitoringEnabled", "SamplingInterval", "TelemetryFilenameTemplate",
          "OnlineDatafileDirectory", "MultiUnitSupport", "SerialSwitchControlCode",
          "SerialSwitchPorts", "SerialSwitchCodeRepeatFactor"}) {
        EXPECT_NE(settings.readString(key, "missing"), "missing") << key;
    }
    // What was there stays.
    EXPECT_EQ(settings.readString("ComPort", "COM1", 255),
              file.portRead == "COM1" ? std::string("Com1") : file.portRead);
}

INSTANTIATE_TEST_SUITE_P(Files, SettingsDamaged, ::testing::ValuesIn(kDamagedFiles),
                         [](const ::testing::TestParamInfo<DamagedFile>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace brevik2::link
