#include "shell/panel_readouts.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <utility>

namespace brevik2::shell {
namespace {

using namespace engine;

// The read-outs by control identifier, as the panel shows them.
void expectTexts(const std::map<int, std::string>& texts,
                 std::initializer_list<std::pair<int, const char*>> expected) {
    for (const auto& [id, text] : expected) {
        EXPECT_EQ(texts.at(id), text) << "control " << id;
    }
}

TEST(PanelReadouts, BeforeTheFirstPoll) {
    const UnitRecords zero;
    const auto texts = panelReadouts(zero);
    EXPECT_EQ(panelCaption(zero), "Unit 0 System Monitor");
    expectTexts(texts, {
                           {1049, "2560000.00"},  // DAC Gain: 256 / 0.0001
                           {1035, "Cold"},
                           {1059, "Inactive"},
                           {1058, "Off"},
                           {1071, ""},  // the zero version letter ends the text
                           {1055, "00,00,00,00,00,"},
                           {1051, "+000000"},
                           {1031, " 0.00"},
                           {1045, "+0.000"},
                           {1040, "   0"},
                       });
}

TEST(PanelReadouts, EveryRowButTheUnusedServoIsFedFromTheRecords) {
    std::set<int> rows;
    for (const PanelRow& row : panelRows()) {
        rows.insert(row.id);
    }
    std::set<int> fed;
    for (const auto& [id, text] : panelReadouts(UnitRecords{})) {
        fed.insert(id);
    }
    rows.erase(kUnusedServoReadout);
    EXPECT_EQ(fed, rows);
}

TEST(PanelReadouts, FormatsEachKindOfField) {
    UnitRecords r;
    r.variables.setUnsigned(kVarUnitId, 1010);
    r.variables.setSigned(kVarVVcxo, -1234);
    r.variables.setSigned(kVarVuW, 1800);
    r.variables.setSigned(kVarFreqTune, 42);
    r.variables.setSigned(kVarDcLvl, -5);
    r.variables.setUnsigned(kVarAlarmState, 1);
    const std::uint32_t alarms[] = {1, 0, 0, 16, 0};
    for (int i = 0; i < 5; ++i) {
        r.variables.setUnsigned(kVarAlrm1 + i, alarms[i]);
    }
    r.variables.setFloat(kVarPos24V, 24.126f);
    r.variables.setFloat(kVarNeg15V, -15.0f);
    r.variables.setFloat(kVarOcxoTau, 10.0f);
    r.variables.setChar(kVarOscStat, 'c');
    r.variables.setSigned(kVarIIp, 7);
    r.variables.setSigned(kVarCramErr, -12);
    r.variables.setSigned(kVarStdDev, 12345);
    r.constants.setSigned(kConDacGain, 128);
    r.constants.setSigned(kConNomZrab, -2700);
    r.nvram.setSigned(NvRecord::kPoweredHours, 87654);
    r.nvram.setSigned(NvRecord::kDaylightSavings, 1);
    r.nvram.setSigned(NvRecord::kLeapSecondArmed, 5);
    r.dateTime = "07/09/03 14:05:09";
    r.version = {'B', 12};
    r.counters = {3, 4, 5, -6};

    const auto t = panelReadouts(r);
    EXPECT_EQ(panelCaption(r), "Unit 1010 System Monitor");
    expectTexts(t, {
                       {1045, "-1.234"},
                       {1046, "+1.800"},
                       {1051, "+000042"},
                       {1069, "-0.005"},
                       {1054, "01"},
                       {1055, "01,00,00,10,00,"},
                       {1031, "24.13"},
                       {1033, "-15.00"},
                       {1050, " 10.0"},
                       {1035, "Ready"},
                       {1040, "   7"},
                       {1061, " -12"},
                       {1066, " 12345"},
                       {1049, " 2.00"},
                       {1070, "-2700"},
                       {1057, "87654"},
                       {1058, "On"},
                       {1059, "Armed"},
                       {1060, "07/09/03 14:05:09"},
                       {1071, "B 12"},
                       {1072, "3,4"},
                       {1073, "5,-6"},
                   });
}

TEST(PanelReadouts, OnlyTheLetterCMeansTheOvenIsReady) {
    UnitRecords r;
    r.variables.setChar(kVarOscStat, 'f');
    EXPECT_EQ(panelReadouts(r).at(1035), "Cold");
    r.variables.setChar(kVarOscStat, 'C');
    EXPECT_EQ(panelReadouts(r).at(1035), "Cold");
}

TEST(PanelReadouts, ExtremeFloatsAreShownWhole) {
    UnitRecords r;
    r.variables.setFloat(kVarVCs, 3.4e38f);
    r.variables.setFloat(kVarVMs, -3.4e38f);
    EXPECT_EQ(panelReadouts(r).at(1036).size(), 39u + 3u);
    EXPECT_EQ(panelReadouts(r).at(1042).front(), '-');
}

TEST(PanelRows, TheTwoOutlierRowsAreHiddenAndCarryLabelIdentifiers) {
    std::vector<int> hidden;
    for (const PanelRow& row : panelRows()) {
        if (row.hidden) {
            hidden.push_back(row.id);
            EXPECT_STREQ(row.group, "Other Signals");
        }
    }
    EXPECT_EQ(hidden, (std::vector<int>{1072, 1073}));
}

TEST(EventLogItems, CountThenEachMainLineFollowedByItsContinuations) {
    EventTable table;
    table.count = 2;
    table.entries = {{"03/07/09 12:00:00 Power on", {"         continued"}},
                     {"03/07/09 12:05:00 Warm", {}}};
    EXPECT_EQ(eventLogItems(table),
              (std::vector<std::string>{"Event Count is 2", "03/07/09 12:00:00 Power on",
                                        "         continued", "03/07/09 12:05:00 Warm"}));
}

TEST(EventLogItems, AnEmptyLogIsTheCountAlone) {
    EventTable table;
    table.count = 0;
    EXPECT_EQ(eventLogItems(table), std::vector<std::string>{"Event Count is 0"});
}

}  // namespace
}  // namespace brevik2::shell
