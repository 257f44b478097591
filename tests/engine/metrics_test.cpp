#include <gtest/gtest.h>

#include <prometheus/text_serializer.h>

#include <atomic>
#include <map>
#include <sstream>

#include "engine/metrics_listen.h"
#include "engine/telemetry_format.h"
#include "engine/unit_metrics.h"

namespace brevik2::engine {
namespace {

struct ListenRow {
    const char* value;
    const char* text;  // empty: refused (or off, for the empty value)
};

class MetricsListenRows : public ::testing::TestWithParam<ListenRow> {};

TEST_P(MetricsListenRows, ParseAsTheReadmeSays) {
    std::string error;
    const auto listen = parseMetricsListen(GetParam().value, error);
    const std::string expected = GetParam().text;
    EXPECT_EQ(listen ? listen->text() : "", expected);
    // Off (blank) says nothing; a refusal always says why.
    const bool blank = std::string(GetParam().value).find_first_not_of(' ') == std::string::npos;
    EXPECT_EQ(error.empty(), listen.has_value() || blank);
}

INSTANTIATE_TEST_SUITE_P(
    Values, MetricsListenRows,
    ::testing::Values(ListenRow{"", ""}, ListenRow{"  ", ""}, ListenRow{"9100", "127.0.0.1:9100"},
                      ListenRow{" 127.0.0.1:9100 ", "127.0.0.1:9100"},
                      ListenRow{"localhost:0", "127.0.0.1:0"},
                      ListenRow{"0.0.0.0:9100", "0.0.0.0:9100"},
                      ListenRow{"[::1]:9100", "[::1]:9100"}, ListenRow{"::1:9100", ""},
                      ListenRow{"example.org:9100", ""}, ListenRow{"127.0.0.1:65536", ""},
                      ListenRow{"127.0.0.1:-1", ""}, ListenRow{"127.0.0.1:", ""},
                      ListenRow{":9100", ""}, ListenRow{"9100x", ""},
                      ListenRow{"127.0.0.1:9100,127.0.0.1:9101", ""}));

// Each sample line of the exposition, by its name and labels.
std::map<std::string, double> samples(const UnitMetrics& metrics) {
    std::ostringstream text;
    prometheus::TextSerializer().Serialize(text, metrics.Collect());
    std::map<std::string, double> found;
    std::istringstream lines(text.str());
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line[0] != '#') {
            const auto space = line.rfind(' ');
            found[line.substr(0, space)] = std::stod(line.substr(space + 1));
        }
    }
    return found;
}

UnitRecords polledRecords() {
    UnitRecords r;
    r.variables.setUnsigned(kVarUnitId, 1234);
    r.variables.setUnsigned(kVarAlarmState, kAlarmMinorFault);
    r.variables.setUnsigned(kVarAlrm2, 0x0A);
    r.variables.setFloat(kVarNumGn, 1.42f);
    r.variables.setFloat(kVarPos24V, 24.12f);
    r.variables.setSigned(kVarFreqTune, -42);
    r.constants.setUnsigned(kConUnitId, 1234);
    r.constants.setSigned(kConModelCode, 401);
    r.constants.setSigned(kConDacGain, 128);
    r.constants.setFloat(kConAuxFreq, 10.0f);
    r.counters = {1, 2, 3, 4};
    return r;
}

class UnitMetricsTest : public ::testing::Test {
protected:
    std::atomic<bool> online{false};
    UnitMetrics metrics{"9.8.7", {[this] { return online.load(); }, [] { return 13; }}};
};

TEST_F(UnitMetricsTest, BeforeThePollOnlyStateAndCountersThenTheFilesValues) {
    auto before = samples(metrics);
    EXPECT_EQ(before.at(R"(brevik2_build_info{model="",unit_id="",version="9.8.7"})"), 1);
    EXPECT_EQ(before.at(R"(brevik2_online{model="",unit_id=""})"), 0);
    EXPECT_EQ(before.count(R"(brevik2_polls_completed_total{model="",unit_id=""})"), 1u);
    for (const auto& [name, value] : before) {
        EXPECT_EQ(name.find("alarm"), std::string::npos) << name;
        EXPECT_EQ(name.find("volts"), std::string::npos) << name;
    }

    StatusMessage message{kStatusPollCompleted, {}, polledRecords(), {}, {}};
    metrics.statusMessage(message);
    online = true;
    const auto after = samples(metrics);
    const std::string labels = R"({model="401",unit_id="1234"})";
    EXPECT_EQ(after.at("brevik2_online" + labels), 1);
    EXPECT_EQ(after.at("brevik2_polls_completed_total" + labels), 1);
    EXPECT_EQ(after.at("brevik2_sampling_interval_seconds" + labels), 13);
    EXPECT_EQ(after.at("brevik2_alarm_state" + labels), kAlarmMinorFault);
    EXPECT_EQ(after.at(R"(brevik2_alarm{model="401",unit_id="1234",bit="ALRM2_1"})"), 1);
    EXPECT_EQ(after.at(R"(brevik2_alarm{model="401",unit_id="1234",bit="ALRM2_2"})"), 0);
    EXPECT_EQ(after.at(R"(brevik2_alarm{model="401",unit_id="1234",bit="ALRM2_3"})"), 1);
    EXPECT_EQ(after.at(R"(brevik2_alarm{model="401",unit_id="1234",bit="ALRM1_1"})"), 0);
    EXPECT_EQ(after.at("brevik2_aux_freq_hertz" + labels), 10e6);

    // Every column metric holds what the data file prints for the same poll.
    const std::string line = formatTelemetryLine(message.records, LocalDateTime{}, 0.0);
    std::istringstream fields(line);
    for (const TelemetryColumn& column : telemetrySchema()) {
        std::string field;
        std::getline(fields, field, ',');
        if (!column.metricName.empty()) {
            EXPECT_DOUBLE_EQ(after.at(std::string(column.metricName) + labels),
                             std::stod(field) * column.metricScale)
                << column.name;
        }
    }
}

TEST_F(UnitMetricsTest, CountersFollowTheEnginesTexts) {
    for (const char* text :
         {"error", "Serial Port Reset", "Serial Port Reset", "Cmd Sent OK", "Cmd Send failure",
          "Cmd Receive Fail", "File Open Failure while writing telemetry record",
          "File Write Failure while writing telemetry record", "Polling", "Ready"}) {
        metrics.statusText(text);
    }
    const UnitMetrics::Counts counts = metrics.counts();
    EXPECT_EQ(counts.pollsFailed, 1u);
    EXPECT_EQ(counts.portResets, 2u);
    EXPECT_EQ(counts.requestsSent, 1u);
    EXPECT_EQ(counts.requestsFailed, 1u);
    EXPECT_EQ(counts.telemetryWriteFailures, 2u);
    EXPECT_EQ(counts.pollsCompleted, 0u);
}

TEST_F(UnitMetricsTest, ContactNamesTheUnitAndOtherMessagesChangeNothing) {
    StatusMessage contact{kStatusUnitOnline, {}, polledRecords(), {}, {}};
    contact.records.constants.setUnsigned(kConUnitId, 77);
    metrics.statusMessage(contact);
    StatusMessage answer{kStatusCommandAnswered, {}, polledRecords(), {}, {}};
    metrics.statusMessage(answer);
    const auto found = samples(metrics);
    EXPECT_EQ(found.count(R"(brevik2_online{model="401",unit_id="77"})"), 1u);
    EXPECT_EQ(found.count(R"(brevik2_alarm_state{model="401",unit_id="77"})"), 0u);
    EXPECT_EQ(metrics.counts().pollsCompleted, 0u);
}

}  // namespace
}  // namespace brevik2::engine
