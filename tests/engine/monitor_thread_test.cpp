// The monitor thread against the simulated unit on a pseudo-terminal, through the real serial
// code and a "Com1" link beside the settings file.

#include "engine/monitor_thread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "engine/monitor_shared_state.h"
#include "link/request_framing.h"
#include "link/settings_file.h"
#include "support/sim_monitor.h"

namespace brevik2::engine {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::size_t countFields(const std::string& line) {
    return static_cast<std::size_t>(std::count(line.begin(), line.end(), ',')) + 1;
}

class MonitorAgainstSim : public ::testing::Test, protected testing::SimMonitor {};

TEST_F(MonitorAgainstSim, StartSequenceThenContactThenAnImmediatePoll) {
    ASSERT_TRUE(startUnit());
    writeSettings(true, 3600);
    startMonitor();
    StatusMessage polled;
    ASSERT_TRUE(reporter.waitForMessage(kStatusPollCompleted, 10s, &polled));
    const auto seen = unit->requestsSeen();
    ASSERT_GE(seen.size(), 4u);
    EXPECT_EQ(seen[0], "A15 0");
    EXPECT_EQ(seen[1], "T*2");
    EXPECT_EQ(seen[2], "D*2");  // the contact test
    EXPECT_EQ(seen[3], "D*1");  // the first online cycle polls at once, interval or not
    const auto messages = reporter.messages();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.front().code, kStatusUnitOnline);
    EXPECT_GE(reporter.countText("Unit Online"), 1u);
    EXPECT_GE(reporter.countText("Unit online             Status = Operating"), 1u);
}

class MonitorPollsEachModel : public MonitorAgainstSim,
                              public ::testing::WithParamInterface<int> {};

TEST_P(MonitorPollsEachModel, FillsEveryRecord) {
    sim::SimOptions options;
    options.model = GetParam();
    options.unitId = 4321;
    ASSERT_TRUE(startUnit(options));
    writeSettings(true, 3600);
    startMonitor();
    StatusMessage polled;
    ASSERT_TRUE(reporter.waitForMessage(kStatusPollCompleted, 10s, &polled));
    const UnitRecords& r = polled.records;
    EXPECT_EQ(r.constants.modelCode(), GetParam());
    EXPECT_EQ(r.variables.asUnsigned(kVarUnitId), 4321u);
    for (int i = 0; i < kVariableFieldCount; ++i) {
        EXPECT_EQ(r.variables.valid[i], 1) << "variables field " << i;
    }
    for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 18}) {
        EXPECT_EQ(r.constants.valid[i], 1) << "constants field " << i;
    }
    EXPECT_EQ(r.variables.modeText(), "R+Z");
    EXPECT_GT(r.nvram.asSigned(NvRecord::kManufactureYear), 1990);
    EXPECT_FALSE(r.dateTime.empty());
    EXPECT_NE(r.version.letter, '\0');
    EXPECT_NE(r.counters[0], 0);
    for (const char* step :
         {"Polling", "D1 OK", "D2 OK", "NVRAM OK", "Date and Time OK", "Version OK", "Ready"}) {
        EXPECT_GE(reporter.countText(step), 1u) << step;
    }
}

INSTANTIATE_TEST_SUITE_P(Models, MonitorPollsEachModel, ::testing::Values(400, 401, 402));

TEST_F(MonitorAgainstSim, MonitoringOffStillRunsRequests) {
    ASSERT_TRUE(startUnit());
    writeSettings(false, 0);
    startMonitor();
    ASSERT_TRUE(reporter.waitForText("Polling Disabled", 5s));
    ASSERT_EQ(shared.slot.fill("W00", "", 12, kStatusResetAlarmsDone),
              link::PendingRequestSlot::FillResult::Accepted);
    StatusMessage answered;
    ASSERT_TRUE(reporter.waitForMessage(kStatusResetAlarmsDone, 5s, &answered));
    EXPECT_EQ(answered.reply.rfind("\x02W00", 0), 0u);
    EXPECT_FALSE(shared.slot.isPending());
    EXPECT_EQ(reporter.waitForMessage(kStatusPollCompleted, 0ms), false);
}

TEST_F(MonitorAgainstSim, PendingReplyComesWithItsCodeAndACopy) {
    ASSERT_TRUE(startUnit());
    writeSettings(true, 3600);
    startMonitor();
    ASSERT_TRUE(reporter.waitForMessage(kStatusPollCompleted, 10s));
    ASSERT_EQ(shared.slot.fill("C03", "", 1024, kStatusCommandAnswered),
              link::PendingRequestSlot::FillResult::Accepted);
    StatusMessage answered;
    ASSERT_TRUE(reporter.waitForMessage(kStatusCommandAnswered, 5s, &answered));
    EXPECT_NE(answered.reply.find("Version"), std::string::npos);
    EXPECT_EQ(answered.reply.back(), link::kEtx);
    EXPECT_GE(reporter.countText("Cmd Sent OK"), 1u);
}

// The unit is gone (its pty closed) when a request is sent: the send fails, the unit is
// offline, and no online text may follow before contact is tried again.
TEST_F(MonitorAgainstSim, FailedSendIsNotFollowedByTheOnlineText) {
    ASSERT_TRUE(startUnit());
    writeSettings(false, 3600);
    startMonitor();
    ASSERT_TRUE(reporter.waitForMessage(kStatusUnitOnline, 10s));
    unit->stop();
    settings.writeString("ComPort", (folder / "gone").string());
    ASSERT_EQ(shared.slot.fill("C03", "", 256, kStatusCommandAnswered),
              link::PendingRequestSlot::FillResult::Accepted);
    ASSERT_TRUE(reporter.waitForText("Unit Not Responding", 10s));
    const auto texts = reporter.texts();
    const auto failed = std::find(texts.begin(), texts.end(), "Cmd Send failure");
    ASSERT_NE(failed, texts.end());
    EXPECT_EQ(failed + 1 < texts.end() ? failed[1] : "", "Cmd Receive Fail");
    EXPECT_EQ(std::find_if(failed, texts.end(),
                           [](const std::string& t) { return t.starts_with("Unit online"); }),
              texts.end());
    EXPECT_FALSE(shared.online);
}

TEST_F(MonitorAgainstSim, SilentUnitFiveTimesNotRespondingThenResetting) {
    sim::SimOptions options;
    options.fault = "silent";
    ASSERT_TRUE(startUnit(options));
    writeSettings(true, 3600);
    startMonitor();
    ASSERT_TRUE(reporter.waitForText("Resetting", 20s));
    std::vector<std::string> contact;
    for (const auto& t : reporter.texts()) {
        if (t == "Unit Not Responding" || t == "Resetting") {
            contact.push_back(t);
        }
    }
    ASSERT_GE(contact.size(), 6u);
    EXPECT_EQ(std::count(contact.begin(), contact.begin() + 6, "Unit Not Responding"), 5);
    EXPECT_EQ(contact[5], "Resetting");
    EXPECT_FALSE(shared.online);
}

TEST_F(MonitorAgainstSim, FailedPollGoesOfflineAndComesBack) {
    ASSERT_TRUE(startUnit());
    writeSettings(true, 1);
    startMonitor();
    ASSERT_TRUE(reporter.waitForMessage(kStatusPollCompleted, 10s));
    unit->setFault("truncated");
    ASSERT_TRUE(reporter.waitForText("error", 10s));
    ASSERT_TRUE(reporter.waitForText("Unit Not Responding", 10s));
    const std::size_t pollsBefore = [&] {
        std::size_t n = 0;
        for (const auto& m : reporter.messages())
            n += m.code == kStatusPollCompleted;
        return n;
    }();
    unit->setFault("");
    ASSERT_TRUE(reporter.waitForMessage(kStatusPollCompleted, 15s, nullptr, pollsBefore + 1));
    EXPECT_GE(reporter.countText("Unit Online"), 2u);
}

TEST_F(MonitorAgainstSim, RecordsOneTelemetryLinePerPoll) {
    ASSERT_TRUE(startUnit());
    writeSettings(true, 1);
    settings.writeString("RecordDataFile", "true");
    settings.writeString("OnlineDatafileDirectory", folder.path().string());
    settings.writeString("TelemetryFilenameTemplate", "Unit%ld_Data.txt");
    startMonitor();
    ASSERT_TRUE(reporter.waitForMessage(kStatusPollCompleted, 15s, nullptr, 2));
    // No line while the file is read: a poll already under way when recording goes off ends
    // with the next completion.
    shared.recordDataFile = false;
    ASSERT_TRUE(reporter.waitForMessage(kStatusPollCompleted, 15s, nullptr, 3));
    const std::string content = testing::readWholeFile(folder / "Unit1010_Data.txt");
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = content.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
        lines.push_back(content.substr(start, end - start));
    }
    EXPECT_EQ(start, content.size());  // nothing after the last line end
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0].rfind("MJD, Month, Day, Year", 0), 0u);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        EXPECT_EQ(countFields(lines[i]), 51u) << lines[i];
    }
}

TEST_F(MonitorAgainstSim, AFailedPollWritesNoRecord) {
    sim::SimOptions options;
    options.fault = "garbage";  // the contact test passes, every poll fails
    ASSERT_TRUE(startUnit(options));
    writeSettings(true, 0);
    settings.writeString("RecordDataFile", "true");
    settings.writeString("OnlineDatafileDirectory", folder.path().string());
    startMonitor();
    ASSERT_TRUE(reporter.waitForText("error", 10s, 2));
    EXPECT_FALSE(reporter.waitForMessage(kStatusPollCompleted, 0ms));
    EXPECT_FALSE(std::filesystem::exists(folder / "Unit1010_Data.txt"));
}

TEST_F(MonitorAgainstSim, EventLogIsHandedOverOnceUntilTaken) {
    ASSERT_TRUE(startUnit());
    writeSettings(true, 3600);
    startMonitor();
    ASSERT_TRUE(reporter.waitForMessage(kStatusPollCompleted, 10s));
    shared.eventLogRequest = true;
    StatusMessage retrieved;
    ASSERT_TRUE(reporter.waitForMessage(kStatusEventLogRetrieved, 10s, &retrieved));
    ASSERT_TRUE(retrieved.eventTable.has_value());
    const auto expected = unit->state().eventLog;
    ASSERT_EQ(retrieved.eventTable->entries.size(), expected.size());
    EXPECT_EQ(retrieved.eventTable->count, static_cast<int>(expected.size()));
    EXPECT_TRUE(shared.eventTableRetrieved);

    // Not taken yet: the next request answers at once without reading the log again.
    shared.eventLogRequest = true;
    ASSERT_TRUE(reporter.waitForMessage(kStatusEventLogRetrieved, 10s, nullptr, 2));
    auto countLogReads = [&] {
        const auto seen = unit->requestsSeen();
        return std::count(seen.begin(), seen.end(), "D*3");
    };
    EXPECT_EQ(countLogReads(), 1);

    // Taken: the log is read again; its count is unchanged, so the table is not replaced and
    // none goes along, and the list on the screen stays as the operator left it.
    shared.eventTableRetrieved = false;
    shared.eventLogRequest = true;
    StatusMessage again;
    ASSERT_TRUE(reporter.waitForMessage(kStatusEventLogRetrieved, 10s, &again, 3));
    EXPECT_EQ(countLogReads(), 2);
    EXPECT_FALSE(shared.eventTableRetrieved);
    EXPECT_FALSE(again.eventTable.has_value());
}

TEST_F(MonitorAgainstSim, TestModeLinesAndTheirEnd) {
    sim::SimOptions options;
    options.testLinePeriod = 300ms;
    ASSERT_TRUE(startUnit(options));
    writeSettings(false, 3600);
    startMonitor();
    ASSERT_TRUE(reporter.waitForMessage(kStatusUnitOnline, 10s));
    ASSERT_EQ(shared.slot.fill("A01", "1", 64, kStatusTestRequestAnswered),
              link::PendingRequestSlot::FillResult::Accepted);
    ASSERT_TRUE(reporter.waitForMessage(kStatusTestRequestAnswered, 5s));
    shared.testModeFlags.fetch_or(kTestMode1 | kTestMode3);
    StatusMessage line;
    ASSERT_TRUE(reporter.waitForMessage(kStatusTestModeLine, 30s, &line));
    EXPECT_EQ(line.reply.back(), '\n');
    EXPECT_LE(line.reply.size(), 255u);
    EXPECT_GE(reporter.countText("Response Received"), 1u);

    // The flags clear once the end requests are written; the unit reads them a little later.
    shared.testModeFlags.fetch_or(kTestModesEnd);
    std::vector<std::string> seen;
    const auto heard = [&](const char* request) {
        return std::find(seen.begin(), seen.end(), request) != seen.end();
    };
    const auto deadline = Clock::now() + 10s;
    while ((shared.testModeFlags != 0 || !heard("A01 0") || !heard("A03 0")) &&
           Clock::now() < deadline) {
        std::this_thread::sleep_for(20ms);
        seen = unit->requestsSeen();
    }
    EXPECT_EQ(shared.testModeFlags, 0u);
    const auto a01 = std::find(seen.begin(), seen.end(), "A01 0");
    const auto a03 = std::find(seen.begin(), seen.end(), "A03 0");
    ASSERT_NE(a01, seen.end());
    ASSERT_NE(a03, seen.end());
    EXPECT_LT(a01, a03);
    EXPECT_EQ(std::find(seen.begin(), seen.end(), "A02 0"), seen.end());
}

TEST_F(MonitorAgainstSim, NothingIsReportedOnceShuttingDown) {
    ASSERT_TRUE(startUnit());
    writeSettings(true, 3600);
    // Shared with the thread, which the fixture stops only after this body has returned.
    struct Cycles {
        std::mutex mutex;
        std::condition_variable cycled;
        int count = 0;
    };
    auto cycles = std::make_shared<Cycles>();
    MonitorThread::Options options = quickOptions();
    options.onCycle = [cycles] {
        {
            std::lock_guard lock(cycles->mutex);
            ++cycles->count;
        }
        cycles->cycled.notify_all();
    };
    startMonitor(options);
    ASSERT_TRUE(reporter.waitForMessage(kStatusUnitOnline, 10s));
    shared.shuttingDown = true;
    const std::size_t texts = reporter.texts().size();
    const std::size_t messages = reporter.messageCount();
    // Four whole cycles, each of which would report without the gate; a cycle under way when
    // the flag was set may still finish its one report. A cycle takes 200 ms and the online
    // text; the bound is only for a thread that stopped cycling.
    std::unique_lock lock(cycles->mutex);
    const int seen = cycles->count;
    ASSERT_TRUE(cycles->cycled.wait_for(lock, 10s, [&] { return cycles->count >= seen + 5; }));
    EXPECT_LE(reporter.texts().size(), texts + 1);
    EXPECT_LE(reporter.messageCount(), messages + 1);
}

class MonitorStopsPromptly : public MonitorAgainstSim,
                             public ::testing::WithParamInterface<const char*> {};

TEST_P(MonitorStopsPromptly, WithTheInstrumentsOwnTimeOuts) {
    sim::SimOptions options;
    options.fault = GetParam();
    ASSERT_TRUE(startUnit(options));
    writeSettings(true, 1);
    MonitorThread::Options instrumentTimeouts = quickOptions();
    instrumentTimeouts.timeouts = link::SerialTimeouts{};
    startMonitor(instrumentTimeouts);
    // The unit has the first request: the thread now waits in the read or the drain of its
    // reply, up to the instrument's time-outs.
    const auto deadline = Clock::now() + 10s;
    while (unit->requestsSeen().empty() && Clock::now() < deadline) {
        std::this_thread::sleep_for(5ms);
    }
    ASSERT_FALSE(unit->requestsSeen().empty());
    shared.shuttingDown = true;
    const auto start = Clock::now();
    EXPECT_TRUE(monitor->stop());
    EXPECT_LT(Clock::now() - start, 1500ms);
    monitor.reset();
}

INSTANTIATE_TEST_SUITE_P(Faults, MonitorStopsPromptly, ::testing::Values("silent", "stream"));

TEST(SamplingInterval, OutOfRangeOrGarbageGivesTen) {
    testing::TempFolder folder;
    link::SettingsFile settings(folder / "Brevik2.ini");
    const std::pair<const char*, int> cases[] = {{"30   ; half a minute", 30},
                                                 {"-5", 10},
                                                 {"200000", 10},
                                                 {"100000", 100000},
                                                 {"0", 0},
                                                 {"15x", 15},
                                                 {"x", 0},
                                                 {"99999999999999999999", 10}};
    for (const auto& [stored, expected] : cases) {
        settings.writeString("SamplingInterval", stored);
        EXPECT_EQ(readSamplingInterval(settings), expected) << stored;
    }
}

}  // namespace
}  // namespace brevik2::engine
