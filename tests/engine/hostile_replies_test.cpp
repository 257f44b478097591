// The monitor thread against a unit that answers with hostile bytes: replies of every size
// without their terminators, every byte value, a reply dripping in just under the interval
// time-out, a flood that never stops. The program must not crash, every bounded loop must end,
// a stop must end the thread whatever read is under way, and the records may change only as the
// parsing rules say.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <sstream>
#include <thread>

#include "engine/monitor_shared_state.h"
#include "engine/monitor_thread.h"
#include "engine/reply_frame.h"
#include "engine/reply_parsing.h"
#include "link/request_framing.h"
#include "link/settings_file.h"
#include "sim/sim_server.h"
#include "sim/simulated_unit.h"
#include "support/recording_reporter.h"
#include "support/temp_folder.h"

namespace brevik2::engine {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// What the unit sends for one request, instead of its own reply.
using Answer = sim::SimServer::ScriptedReply;
// code, parameter, how often the code came before; nothing = the healthy reply.
using Script = std::function<std::optional<Answer>(const std::string&, const std::string&, int)>;

// Every byte value in turn, starting after STX; without the terminators when asked.
std::string everyByteValue(std::size_t length, bool withoutTerminators) {
    std::string bytes;
    for (unsigned i = 1; bytes.size() < length; ++i) {
        const char c = static_cast<char>(i & 0xFF);
        if (!withoutTerminators || (c != link::kEtx && c != link::kLineFeed)) {
            bytes += c;
        }
    }
    return bytes;
}

// The instrument's own read time-outs (100 ms between bytes) where a test is about them; short
// ones elsewhere, which change no rule but the waiting. The drain keeps its own limits, so that
// what is left of a 40 kB reply goes in one reset, as it would on the instrument.
MonitorThread::Options options(bool instrumentTimeouts = false) {
    MonitorThread::Options o;
    if (!instrumentTimeouts) {
        o.timeouts = link::SerialTimeouts{50, 10, 150, 64 * 1024, 2000};
    }
    o.telemetryTiming.retryDelay = 10ms;
    o.onStuck = [] { ADD_FAILURE() << "monitor thread did not stop"; };
    return o;
}

class HostileUnit : public ::testing::Test {
protected:
    // The simulated unit on a pty, its replies as the script says.
    void start(Script script, MonitorThread::Options o = options(), int interval = 0) {
        sim::SimOptions unitOptions;
        unitOptions.linkPath = (folder / "com1").string();
        unit = std::make_unique<sim::SimServer>(unitOptions);
        unit->setReplyScript([script = std::move(script)](const sim::Request& request, int before) {
            return script(request.code, request.parameter, before);
        });
        std::string error;
        ASSERT_TRUE(unit->start(&error)) << error;
        settings.writeString("ComPort", unit->slaveName());
        settings.writeString("BaudRate", "9600");
        settings.writeString("DataBits", "8");
        settings.writeString("Parity", "n");
        settings.writeString("StopBits", "1");
        settings.writeString("MonitoringEnabled", "true");
        shared.samplingInterval = interval;  // 0: a poll on every online cycle
        monitor = std::make_unique<MonitorThread>(settings, shared, reporter, std::move(o));
        monitor->start();
    }

    // Stops the monitor and tells how long that took.
    std::chrono::milliseconds stopMonitor() {
        shared.shuttingDown = true;
        const auto begin = Clock::now();
        EXPECT_TRUE(monitor->stop());
        const auto took =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - begin);
        monitor.reset();
        return took;
    }

    void TearDown() override {
        if (monitor) {
            stopMonitor();
        }
    }

    bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
        const auto deadline = Clock::now() + timeout;
        while (!condition()) {
            if (Clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(10ms);
        }
        return true;
    }

    std::size_t countMessages(int code) const {
        std::size_t n = 0;
        for (const auto& m : reporter.messages()) {
            n += m.code == code ? 1 : 0;
        }
        return n;
    }

    // What a script keeps between requests. Members, not locals of the test: the unit's thread
    // may still run a script after the test body has ended, until the fixture goes.
    std::atomic<std::size_t> served{0};
    std::atomic<bool> flag{false};
    Clock::time_point flaggedAt{};  // written before flag is set

    testing::TempFolder folder;
    link::SettingsFile settings{folder / "Brevik2.ini"};
    MonitorSharedState shared;
    testing::RecordingReporter reporter;
    std::unique_ptr<sim::SimServer> unit;
    std::unique_ptr<MonitorThread> monitor;
};

// ---- one hostile reply, then silence: the record it reaches is what the rules make of it

enum class Exchange { kVariables, kConstants, kNvram, kDateTime, kVersion, kCounters };

struct HostileReply {
    const char* name;
    Exchange exchange;
    std::string bytes;
};

const char* codeOf(Exchange exchange) {
    switch (exchange) {
        case Exchange::kVariables:
            return "D*1";
        case Exchange::kConstants:
            return "D*2";
        case Exchange::kNvram:
            return "D*5";
        case Exchange::kDateTime:
            return "A08";
        case Exchange::kVersion:
            return "C03";
        case Exchange::kCounters:
            return "A24";
    }
    return "";
}

ReplyFrame frameOf(Exchange exchange) {
    switch (exchange) {
        case Exchange::kVariables:
            return ReplyFrame::Variables;
        case Exchange::kConstants:
            return ReplyFrame::Constants;
        case Exchange::kNvram:
            return ReplyFrame::Nvram;
        case Exchange::kCounters:
            return ReplyFrame::Counters;
        default:
            return ReplyFrame::Text;
    }
}

// What the host reads of the reply: the fixed length of a status reply, or up to the ETX within
// 256 bytes; nothing when the read fails or what came cannot be the request's reply (the poll
// then fails before converting).
std::optional<std::string> hostRead(Exchange exchange, const std::string& bytes) {
    const std::size_t fixed = exchange == Exchange::kVariables   ? kVariablesReplyLength
                              : exchange == Exchange::kConstants ? kConstantsReplyLength
                              : exchange == Exchange::kNvram     ? kNvramReplyLength
                                                                 : 0;
    std::string read;
    if (fixed != 0) {
        if (bytes.size() < fixed && exchange != Exchange::kNvram) {
            return std::nullopt;
        }
        read = bytes.substr(0, fixed);
    } else {
        const auto etx = bytes.find(link::kEtx);
        if (etx == std::string::npos || etx >= 256) {
            return std::nullopt;
        }
        read = bytes.substr(0, etx + 1);
    }
    if (!fitsReplyFrame(frameOf(exchange), read)) {
        return std::nullopt;
    }
    return read;
}

std::vector<HostileReply> hostileReplies() {
    sim::SimulatedUnit healthy(401, 1010, link::LineSettings{});
    std::vector<HostileReply> rows;
    for (Exchange e : {Exchange::kVariables, Exchange::kConstants, Exchange::kNvram,
                       Exchange::kDateTime, Exchange::kVersion, Exchange::kCounters}) {
        const std::string reply = *healthy.handle(codeOf(e), "");
        std::string topBit = reply;
        for (char& c : topBit) {
            c = static_cast<char>(c | 0x80);
        }
        std::string nulInside = reply;
        nulInside[std::min<std::size_t>(20, reply.size() - 2)] = '\0';
        std::string nines(reply.size(), '9');
        nines.back() = reply.back();
        rows.push_back({"EveryByteValue", e, everyByteValue(reply.size(), false)});
        rows.push_back({"NoTerminator", e, everyByteValue(300, true)});
        rows.push_back({"AllNines", e, nines});
        rows.push_back({"TopBitSet", e, topBit});
        rows.push_back({"NulInside", e, nulInside});
        rows.push_back({"HalfOfIt", e, reply.substr(0, reply.size() / 2)});
    }
    return rows;
}

void PrintTo(const HostileReply& reply, std::ostream* out) {
    *out << codeOf(reply.exchange) << ' ' << reply.name;
}

// The unit's own replies fit their own request's frame; a status or memory reply fits no other
// request's, nor does a read that took the end of one reply and the start of the next. (The
// short text replies may fit each other's frame: their conversions tell them apart.)
TEST(ReplyFrames, AReplyFitsOnlyTheRequestItAnswers) {
    sim::SimulatedUnit healthy(401, 1010, link::LineSettings{});
    const Exchange all[] = {Exchange::kVariables, Exchange::kConstants, Exchange::kNvram,
                            Exchange::kDateTime,  Exchange::kVersion,   Exchange::kCounters};
    auto isText = [](Exchange e) {
        return frameOf(e) == ReplyFrame::Text || e == Exchange::kCounters;
    };
    std::string stream;
    for (Exchange replied : all) {
        const std::string reply = *healthy.handle(codeOf(replied), "");
        stream += reply;
        for (Exchange asked : all) {
            EXPECT_EQ(fitsReplyFrame(frameOf(asked), reply),
                      asked == replied || (isText(asked) && isText(replied)))
                << codeOf(replied) << " read as the reply to " << codeOf(asked);
        }
    }
    // Every cut of the replies in a row at the fixed lengths that does not start a reply.
    for (std::size_t at = 1; at + kVariablesReplyLength <= stream.size(); ++at) {
        if (stream[at] == link::kStx) {
            continue;
        }
        EXPECT_FALSE(
            fitsReplyFrame(ReplyFrame::Variables, stream.substr(at, kVariablesReplyLength)));
        EXPECT_FALSE(
            fitsReplyFrame(ReplyFrame::Constants, stream.substr(at, kConstantsReplyLength)));
        EXPECT_FALSE(fitsReplyFrame(ReplyFrame::Nvram, stream.substr(at, kNvramReplyLength)));
    }
    EXPECT_FALSE(fitsReplyFrame(ReplyFrame::EventLog, std::string("\x02\r\n", 3)));
}

class HostileReplyChangesRecords : public HostileUnit,
                                   public ::testing::WithParamInterface<HostileReply> {};

TEST_P(HostileReplyChangesRecords, OnlyAsTheParsingRulesSay) {
    const HostileReply& hostile = GetParam();
    // Healthy until the first poll is complete; the reply of the second poll's exchange is the
    // hostile one; nothing at all after it.
    start([this, h = &hostile](const std::string& code, const std::string&,
                               int before) -> std::optional<Answer> {
        if (flag) {
            return Answer{};
        }
        if (code == codeOf(h->exchange) && before >= (code == "D*2" ? 2 : 1)) {
            flag = true;
            return Answer{h->bytes};
        }
        return std::nullopt;
    });
    StatusMessage polled;
    ASSERT_TRUE(reporter.waitForMessage(kStatusPollCompleted, 10s, &polled));
    ASSERT_TRUE(waitFor([&] { return flag.load(); }, 10s));
    ASSERT_TRUE(reporter.waitForText("Unit Not Responding", 10s));
    stopMonitor();
    // Every cycle's message carries a copy of the records; nothing changes them after the
    // failed poll, so the newest one holds what the hostile reply left.
    StatusMessage last;
    ASSERT_TRUE(reporter.waitForMessage(kStatusNothing, 0ms, &last));

    UnitRecords expected = polled.records;
    const auto read = hostRead(hostile.exchange, hostile.bytes);
    if (read) {
        switch (hostile.exchange) {
            case Exchange::kVariables:
                convertVariablesReply(*read, expected.variables);
                break;
            case Exchange::kConstants:
                convertConstantsReply(*read, expected.constants);
                break;
            case Exchange::kNvram:
                convertNvramReply(*read, expected.nvram);
                break;
            case Exchange::kDateTime:
                convertDateTimeReply(*read, expected.dateTime);
                break;
            case Exchange::kVersion:
                convertVersionReply(*read, expected.version);
                break;
            case Exchange::kCounters:
                convertCountersReply(*read, expected.counters);
                break;
        }
    }
    const UnitRecords& got = last.records;
    switch (hostile.exchange) {
        case Exchange::kVariables:
            EXPECT_EQ(got.variables.slot, expected.variables.slot);
            EXPECT_EQ(got.variables.valid, expected.variables.valid);
            break;
        case Exchange::kConstants:
            EXPECT_EQ(got.constants.slot, expected.constants.slot);
            EXPECT_EQ(got.constants.valid, expected.constants.valid);
            EXPECT_EQ(got.constants.cdu, expected.constants.cdu);
            EXPECT_EQ(got.constants.txt, expected.constants.txt);
            break;
        case Exchange::kNvram:
            EXPECT_EQ(got.nvram.slot, expected.nvram.slot);
            EXPECT_EQ(got.nvram.text19, expected.nvram.text19);
            break;
        case Exchange::kDateTime:
            EXPECT_EQ(got.dateTime, expected.dateTime);
            break;
        case Exchange::kVersion:
            EXPECT_EQ(got.version.letter, expected.version.letter);
            EXPECT_EQ(got.version.number, expected.version.number);
            break;
        case Exchange::kCounters:
            EXPECT_EQ(got.counters, expected.counters);
            break;
    }
}

INSTANTIATE_TEST_SUITE_P(Replies, HostileReplyChangesRecords, ::testing::ValuesIn(hostileReplies()),
                         [](const ::testing::TestParamInfo<HostileReply>& info) {
                             return std::string(codeOf(info.param.exchange)).replace(1, 1, "") +
                                    "_" + info.param.name;
                         });

// ---- replies of every size without their terminator

// Around every size the host reads by: the status replies' 145, 152 and 250 bytes, the 256 of
// the short replies and event log lines, the request limits 1024 and 32000, the 32768-byte
// reply buffer, and past it.
const std::size_t kLengths[] = {0, 1, 145, 250, 256, 1024, 32000, 32768, 40960};

enum class Reader { kPendingRequest, kVariables, kDateTime, kEventLog };

struct LengthsCase {
    const char* name;
    Reader reader;
};

void PrintTo(const LengthsCase& lengths, std::ostream* out) {
    *out << lengths.name;
}

class RepliesOfEverySize : public HostileUnit, public ::testing::WithParamInterface<LengthsCase> {};

TEST_P(RepliesOfEverySize, WithoutTerminatorEndAndTheMonitorRecovers) {
    const Reader reader = GetParam().reader;
    // The operator's request is one the poll never sends, so only the request meets the reply.
    const char* code = reader == Reader::kPendingRequest ? "A14"
                       : reader == Reader::kVariables    ? "D*1"
                       : reader == Reader::kDateTime     ? "A08"
                                                         : "D*3";
    start([this, code](const std::string& c, const std::string&, int) -> std::optional<Answer> {
        if (c != code || flag || served >= std::size(kLengths)) {
            return std::nullopt;
        }
        // Every byte value after STX, but never the byte that would end the read.
        return Answer{"\x02" + everyByteValue(kLengths[served++], true)};
    });
    ASSERT_TRUE(reporter.waitForMessage(kStatusUnitOnline, 10s));
    if (reader == Reader::kPendingRequest || reader == Reader::kEventLog) {
        shared.samplingInterval = 100000;  // requests and the log go only when no poll is due
    }
    // Each reply must end for the next exchange to come: the monitor's own polls, or the
    // request and the log asked for again whenever the last one is done.
    while (served < std::size(kLengths)) {
        const std::size_t before = served;
        const bool next = waitFor(
            [&] {
                if (served == before && reader == Reader::kPendingRequest &&
                    !shared.slot.isPending()) {
                    shared.slot.fill("A14", "", 32000, kStatusCommandAnswered);
                } else if (served == before && reader == Reader::kEventLog) {
                    shared.eventLogRequest = true;
                }
                return served > before;
            },
            20s);
        ASSERT_TRUE(next) << "no exchange after the reply of "
                          << kLengths[before - (before > 0 ? 1 : 0)] << " bytes";
    }
    // The last hostile reply ends too, and then a healthy unit is polled again.
    flag = true;  // healthy from now on
    shared.samplingInterval = 0;
    const std::size_t polls = countMessages(kStatusPollCompleted);
    ASSERT_TRUE(reporter.waitForMessage(kStatusPollCompleted, 20s, nullptr, polls + 1));
    EXPECT_EQ(countMessages(kStatusCommandAnswered), 0u);  // no reply without ETX was taken
    for (const StatusMessage& m : reporter.messages()) {
        EXPECT_LE(m.reply.size(), 32000u);
    }
    if (reader == Reader::kPendingRequest) {
        EXPECT_GE(reporter.countText("Cmd Receive Fail"), std::size(kLengths));
    }
}

INSTANTIATE_TEST_SUITE_P(Readers, RepliesOfEverySize,
                         ::testing::Values(LengthsCase{"PendingRequest", Reader::kPendingRequest},
                                           LengthsCase{"Variables", Reader::kVariables},
                                           LengthsCase{"DateTime", Reader::kDateTime},
                                           LengthsCase{"EventLog", Reader::kEventLog}),
                         [](const ::testing::TestParamInfo<LengthsCase>& info) {
                             return std::string(info.param.name);
                         });

// ---- a reply dripping in one byte at a time, under the 100 ms interval time-out
// 40 ms a byte leaves 60 ms for scheduling on a loaded machine; 90 ms did not, and a late byte
// ended the read at its interval time-out instead.

// A status reply read by length still ends at the read's total time-out, 1000 + 10 ms a byte:
// 3.5 s for the 250 bytes of "D*1", long before the drip (10 s at 40 ms a byte) is through.
TEST_F(HostileUnit, AFixedReadOfADripEndsAtItsTotalTimeOut) {
    start(
        [this](const std::string& code, const std::string&, int before) -> std::optional<Answer> {
            if (code == "D*1" && before >= 1 && !flag) {
                flaggedAt = Clock::now();
                flag = true;
                return Answer{everyByteValue(400, false), 40ms};
            }
            return std::nullopt;
        },
        options(true));
    ASSERT_TRUE(reporter.waitForMessage(kStatusPollCompleted, 10s));
    ASSERT_TRUE(waitFor([&] { return flag.load(); }, 10s));
    ASSERT_TRUE(reporter.waitForText("error", 10s));
    // Well past the 1 s constant (the bytes were taken one by one), never past the total.
    const auto took = Clock::now() - flaggedAt;
    EXPECT_GT(took, 2000ms);
    EXPECT_LT(took, 4500ms);
}

// A reply read until ETX takes a byte as long as bytes keep coming, up to its limit (32000
// bytes here, 21 minutes at this pace): only the stop ends it early, and at once.
TEST_F(HostileUnit, AStopEndsAReadUntilETXOfADripAtOnce) {
    start(
        [this](const std::string& code, const std::string&, int) -> std::optional<Answer> {
            if (code == "A14") {
                flag = true;
                return Answer{everyByteValue(40000, true), 40ms};
            }
            return std::nullopt;
        },
        options(true));
    ASSERT_TRUE(reporter.waitForMessage(kStatusPollCompleted, 10s));
    ASSERT_EQ(shared.slot.fill("A14", "", 32000, kStatusCommandAnswered),
              link::PendingRequestSlot::FillResult::Accepted);
    ASSERT_TRUE(waitFor([&] { return flag.load(); }, 10s));
    // Still reading well past the read's total time-out (1000 ms + 10 ms a byte).
    EXPECT_FALSE(waitFor([&] { return !shared.slot.isPending(); }, 1500ms));
    EXPECT_LT(stopMonitor(), 1000ms);
}

// ---- a unit that stalls in the middle of a poll and then answers everything that piled up

// The fields of each data line by the header's names.
std::vector<std::map<std::string, std::string>> dataLines(const std::string& content) {
    auto split = [](const std::string& line) {
        std::vector<std::string> fields;
        std::stringstream in(line);
        for (std::string field; std::getline(in, field, ',');) {
            const auto first = field.find_first_not_of(' ');
            fields.push_back(first == std::string::npos ? "" : field.substr(first));
        }
        return fields;
    };
    std::vector<std::map<std::string, std::string>> rows;
    std::stringstream in(content);
    std::vector<std::string> names;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const std::vector<std::string> fields = split(line);
        if (names.empty()) {
            names = fields;
            continue;
        }
        std::map<std::string, std::string> row;
        for (std::size_t i = 0; i < fields.size() && i < names.size(); ++i) {
            row[names[i]] = fields[i];
        }
        row["#fields"] = std::to_string(fields.size());
        rows.push_back(std::move(row));
    }
    return rows;
}

// Two stalls, each begun just after the unit heard a poll's "D*1": on resuming it answers every
// request the host sent meanwhile, its late "D*1" reply first.
// No record, line or message may carry another request's reply.
TEST_F(HostileUnit, AfterAStallLateRepliesNeverBecomeRecords) {
    settings.writeString("RecordDataFile", "true");
    settings.writeString("OnlineDatafileDirectory", folder.path().string());
    settings.writeString("TelemetryFilenameTemplate", "Unit%ld_Data.txt");
    start(
        [this](const std::string& code, const std::string&, int) -> std::optional<Answer> {
            if (code == "D*1" && flag.exchange(false)) {
                unit->setStalled(true);
            }
            return std::nullopt;
        },
        options(), 1);
    // A short and a long stall: 6 and 20 failed contact attempts, about 8 s and 26 s at the
    // instrument's time-outs.
    for (const std::size_t failures : {6u, 20u}) {
        const std::size_t polls = countMessages(kStatusPollCompleted);
        ASSERT_TRUE(reporter.waitForMessage(kStatusPollCompleted, 20s, nullptr, polls + 2));
        const std::size_t before = reporter.countText("Unit Not Responding");
        flag = true;
        ASSERT_TRUE(waitFor(
            [&] { return reporter.countText("Unit Not Responding") >= before + failures; }, 60s));
        unit->setStalled(false);
    }
    const std::size_t polls = countMessages(kStatusPollCompleted);
    ASSERT_TRUE(reporter.waitForMessage(kStatusPollCompleted, 30s, nullptr, polls + 3));
    stopMonitor();

    // What the panel is handed: the unit's ID or, before the first reply, nothing.
    for (const StatusMessage& m : reporter.messages()) {
        EXPECT_TRUE(m.records.variables.slot[0] == 1010u || m.records.variables.slot[0] == 0u)
            << m.code << ": " << m.records.variables.slot[0];
        EXPECT_TRUE(m.records.constants.slot[0] == 1010u || m.records.constants.slot[0] == 0u)
            << m.code << ": " << m.records.constants.slot[0];
        EXPECT_TRUE(m.records.constants.modelCode() == 401 || m.records.constants.modelCode() == 0)
            << m.code << ": " << m.records.constants.modelCode();
    }
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        files += entry.path().filename().string().ends_with("_Data.txt") ? 1 : 0;
    }
    EXPECT_EQ(files, 1u);
    const auto rows = dataLines(testing::readWholeFile(folder / "Unit1010_Data.txt"));
    EXPECT_GE(rows.size(), 7u);
    for (const auto& row : rows) {
        EXPECT_EQ(row.at("#fields"), "51");
        EXPECT_EQ(row.at("ID"), "1010");
        EXPECT_EQ(row.at("MODE"), "R+Z");
        EXPECT_EQ(row.at("ALARM"), "0");
    }
}

// ---- a flood that never stops

enum class FloodTrigger { kPoll, kPendingRequest, kEventLog };

struct FloodCase {
    const char* name;
    FloodTrigger trigger;
    bool withTerminators;
};

void PrintTo(const FloodCase& flood, std::ostream* out) {
    *out << flood.name;
}

class FloodingUnit : public HostileUnit, public ::testing::WithParamInterface<FloodCase> {};

TEST_P(FloodingUnit, TheReadEndsTheThreadGoesOnAndAStopEndsIt) {
    const FloodCase& flood = GetParam();
    const char* trigger = flood.trigger == FloodTrigger::kPoll             ? "D*1"
                          : flood.trigger == FloodTrigger::kPendingRequest ? "A14"
                                                                           : "D*3";
    start([this, trigger, withTerminators = flood.withTerminators](
              const std::string& code, const std::string&, int before) -> std::optional<Answer> {
        if (code == trigger && (code != std::string("D*1") || before >= 1)) {
            flag = true;
            Answer answer{everyByteValue(4096, !withTerminators)};
            answer.floodAfter = true;
            return answer;
        }
        return std::nullopt;
    });
    ASSERT_TRUE(reporter.waitForMessage(kStatusPollCompleted, 10s));
    if (flood.trigger != FloodTrigger::kPoll) {
        shared.samplingInterval = 100000;
    }
    if (flood.trigger == FloodTrigger::kPendingRequest) {
        ASSERT_EQ(shared.slot.fill("A14", "", 32000, kStatusCommandAnswered),
                  link::PendingRequestSlot::FillResult::Accepted);
    } else if (flood.trigger == FloodTrigger::kEventLog) {
        shared.eventLogRequest = true;
    }
    ASSERT_TRUE(waitFor([&] { return flag.load(); }, 10s));

    // The read that met the flood ends: the request is released (its reply cut at the first
    // ETX, or at its 32000 bytes), the log retrieval gives up, the poll fails.
    if (flood.trigger == FloodTrigger::kPendingRequest) {
        EXPECT_TRUE(waitFor([&] { return !shared.slot.isPending(); }, 15s));
    } else if (flood.trigger == FloodTrigger::kEventLog) {
        EXPECT_TRUE(waitFor(
            [&] {
                return reporter.countText("Serial Port Reset") > 0 ||
                       countMessages(kStatusEventLogRetrieved) > 0;
            },
            15s));
    } else {
        EXPECT_TRUE(reporter.waitForText("error", 15s));
    }
    // The flood goes on; so does the thread, a cycle at a time, polling into it, resetting the
    // port and trying for contact again.
    shared.samplingInterval = 0;
    const std::size_t messages = reporter.messageCount();
    const std::size_t resets = reporter.countText("Serial Port Reset");
    // A cycle into the flood takes at most a reset's drain (2 s) and the reads of a contact test
    // and a poll at these time-outs (under 6 s together): five of them, 40 s, and room for a
    // loaded machine.
    EXPECT_TRUE(waitFor(
        [&] {
            return reporter.messageCount() >= messages + 5 &&
                   reporter.countText("Serial Port Reset") > resets;
        },
        60s));
    EXPECT_LT(stopMonitor(), 1000ms);
    for (const StatusMessage& m : reporter.messages()) {
        EXPECT_LE(m.reply.size(), 32000u);
        if (m.eventTable) {
            EXPECT_LE(m.eventTable->entries.size(), EventTable::kMaxEntries);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Floods, FloodingUnit,
    ::testing::Values(FloodCase{"PollEveryByte", FloodTrigger::kPoll, true},
                      FloodCase{"PollNoTerminators", FloodTrigger::kPoll, false},
                      FloodCase{"RequestEveryByte", FloodTrigger::kPendingRequest, true},
                      FloodCase{"RequestNoTerminators", FloodTrigger::kPendingRequest, false},
                      FloodCase{"EventLogEveryByte", FloodTrigger::kEventLog, true},
                      FloodCase{"EventLogNoTerminators", FloodTrigger::kEventLog, false}),
    [](const ::testing::TestParamInfo<FloodCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace brevik2::engine
