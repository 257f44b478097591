#include "engine/telemetry_recorder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "engine/telemetry_format.h"
#include "link/settings_file.h"
#include "link/status_output.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <csignal>
#endif

namespace brevik2::engine {
namespace {

namespace fs = std::filesystem;

constexpr const char* kOpenFailure = "File Open Failure while writing telemetry record";
constexpr const char* kWriteFailure = "File Write Failure while writing telemetry record";

class RecordingStatus final : public link::StatusOutput {
public:
    void statusText(std::string_view text) override { texts.emplace_back(text); }
    std::vector<std::string> texts;
};

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

fs::path makeTempDirectory() {
    std::random_device random;
    const fs::path dir =
        fs::temp_directory_path() / ("brevik2-telemetry-" + std::to_string(random()));
    fs::create_directories(dir);
    return dir;
}

// The record lines of a data file, each without its CR LF; fails unless the file starts with
// the header and every line ends with CR LF.
std::vector<std::string> recordLines(const std::string& text) {
    EXPECT_TRUE(text.starts_with(telemetryHeaderLine())) << text;
    EXPECT_TRUE(text.ends_with("\r\n")) << text;
    std::vector<std::string> lines;
    std::size_t start = telemetryHeaderLine().size();
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

class TelemetryRecorderTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_records.variables.setUnsigned(kVarUnitId, 42);
        setDirectory(m_dir.string());
        m_settings.writeString("TelemetryFilenameTemplate", "Unit%ld_Data.txt ; per unit");
    }
    void TearDown() override { fs::remove_all(m_dir); }

    void setDirectory(const std::string& directory) {
        m_settings.writeString("OnlineDatafileDirectory", directory);
    }
    TelemetryRecorder recorder(TelemetryRecorder::Timing timing = {3,
                                                                   std::chrono::milliseconds(1)}) {
        return TelemetryRecorder(m_settings, m_status, timing, [] { return kMillennium; });
    }
    fs::path dataFile() const { return m_dir / "Unit42_Data.txt"; }
    // The files in the folder, not counting the settings file's write lock.
    long filesInDirectory() const {
        long count = 0;
        for (const auto& entry : fs::directory_iterator(m_dir)) {
            count += entry.path().filename() == "Brevik2.ini.lock" ? 0 : 1;
        }
        return count;
    }

    // 2000-01-01 00:00 UTC, a moment whose MJD is known exactly.
    static constexpr std::chrono::system_clock::time_point kMillennium{
        std::chrono::seconds(946684800)};

    fs::path m_dir = makeTempDirectory();
    link::SettingsFile m_settings{m_dir / "Brevik2.ini"};
    RecordingStatus m_status;
    UnitRecords m_records;
};

TEST_F(TelemetryRecorderTest, FirstRecordWritesHeaderThenEachRecordAddsOneLine) {
    auto rec = recorder();
    ASSERT_TRUE(rec.writeRecord(m_records));
    m_records.counters = {1, 2, 3, 4};
    ASSERT_TRUE(rec.writeRecord(m_records));
    ASSERT_TRUE(rec.writeRecord(m_records));

    const std::time_t seconds = std::chrono::system_clock::to_time_t(kMillennium);
    const std::tm local = *std::localtime(&seconds);
    char localColumns[64];
    std::snprintf(localColumns, sizeof localColumns, ",%02d,%02d,%4d,%02d,%02d,%02d,",
                  local.tm_mon + 1, local.tm_mday, local.tm_year + 1900, local.tm_hour,
                  local.tm_min, local.tm_sec);

    const auto lines = recordLines(readFile(dataFile()));
    ASSERT_EQ(lines.size(), 3u);
    for (const auto& line : lines) {
        EXPECT_TRUE(line.starts_with(std::string("51544.000000") + localColumns)) << line;
    }
    EXPECT_TRUE(lines[0].ends_with(",0,0,0,0"));
    EXPECT_TRUE(lines[2].ends_with(",1,2,3,4"));
    EXPECT_TRUE(m_status.texts.empty());
}

TEST_F(TelemetryRecorderTest, DirectoryWithOrWithoutSeparatorIsTheSameFile) {
    auto rec = recorder();
    ASSERT_TRUE(rec.writeRecord(m_records));
    setDirectory(m_dir.string() + static_cast<char>(fs::path::preferred_separator) + "  ; note");
    ASSERT_TRUE(rec.writeRecord(m_records));

    EXPECT_EQ(recordLines(readFile(dataFile())).size(), 2u);
    EXPECT_EQ(filesInDirectory(), 2) << "expected the settings file and one data file";
}

TEST_F(TelemetryRecorderTest, FileOpenFailureWritesNothing) {
    struct Case {
        std::string directory;
        std::string nameTemplate;
        bool retried;
    };
    const Case cases[] = {
        {(m_dir / "missing").string(), "Unit%ld.txt", true},
        {m_dir.string(), "../Unit%ld.txt", false},
        {m_dir.string(), "sub/Unit%ld.txt", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.directory + " " + c.nameTemplate);
        setDirectory(c.directory);
        m_settings.writeString("TelemetryFilenameTemplate", c.nameTemplate);
        m_status.texts.clear();
        auto rec = recorder({4, std::chrono::milliseconds(20)});
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(rec.writeRecord(m_records));
        const auto elapsed = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(m_status.texts, std::vector<std::string>{kOpenFailure});
        if (c.retried) {
            EXPECT_GE(elapsed, std::chrono::milliseconds(60));  // three waits between 4 tries
        }
        EXPECT_FALSE(fs::exists(m_dir.parent_path() / "Unit42.txt"));
        EXPECT_EQ(filesInDirectory(), 1);
    }
}

#if !defined(_WIN32)

// Runs one record in a child process whose file size limit stops writes at limitBytes, the
// way a full disk does, and tells through the exit code whether the record was reported as a
// write failure.
void writeRecordWithFileSizeLimit(TelemetryRecorder& rec, const UnitRecords& records,
                                  RecordingStatus& status, rlim_t limitBytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{limitBytes, limitBytes};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) {
        _exit(2);
    }
    const bool written = rec.writeRecord(records);
    _exit(!written && status.texts == std::vector<std::string>{kWriteFailure} ? 0 : 1);
}

TEST_F(TelemetryRecorderTest, FullDiskTakesThePartialRecordBack) {
    // Forked at the check, so the child writes to this test's own file.
    GTEST_FLAG_SET(death_test_style, "fast");
    auto rec = recorder();
    ASSERT_TRUE(rec.writeRecord(m_records));
    const std::string before = readFile(dataFile());

    // No room at all, then room for part of the line.
    for (const rlim_t spare : {rlim_t{0}, rlim_t{10}}) {
        SCOPED_TRACE(spare);
        EXPECT_EXIT(writeRecordWithFileSizeLimit(rec, m_records, m_status, before.size() + spare),
                    ::testing::ExitedWithCode(0), "");
        EXPECT_EQ(readFile(dataFile()), before);
    }
}

TEST_F(TelemetryRecorderTest, NewFileEmptiedByAFailedRecordStillGetsItsHeader) {
    // Forked at the check, so the child writes to this test's own file.
    GTEST_FLAG_SET(death_test_style, "fast");
    auto rec = recorder();
    EXPECT_EXIT(writeRecordWithFileSizeLimit(rec, m_records, m_status, 20),
                ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(readFile(dataFile()), "");

    ASSERT_TRUE(rec.writeRecord(m_records));
    EXPECT_TRUE(readFile(dataFile()).starts_with(telemetryHeaderLine()));
}

// What is not a regular file takes no record, and says so at once: a FIFO nobody reads would
// hold open() for ever, one that is read (or a device) would swallow the records.
TEST_F(TelemetryRecorderTest, ANameThatIsNoFileTakesNoRecordAndNeverBlocks) {
    GTEST_FLAG_SET(death_test_style, "fast");
    auto rec = recorder();
    const auto refused = [&] {
        m_status.texts.clear();
        return !rec.writeRecord(m_records) &&
               m_status.texts == std::vector<std::string>{kWriteFailure};
    };
    ASSERT_EQ(::mkfifo(dataFile().c_str(), 0644), 0);
    // In a child, so that a blocked open fails the test instead of hanging it.
    EXPECT_EXIT(
        {
            ::alarm(10);
            _exit(refused() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    const int reader = ::open(dataFile().c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_TRUE(refused());
    char received[64];
    EXPECT_LE(::read(reader, received, sizeof received), 0);
    ::close(reader);

    fs::remove(dataFile());
    fs::create_symlink("/dev/null", dataFile());
    EXPECT_TRUE(refused());
    fs::remove(dataFile());
    fs::create_directory(dataFile());
    EXPECT_TRUE(refused());
}

#endif

}  // namespace
}  // namespace brevik2::engine
