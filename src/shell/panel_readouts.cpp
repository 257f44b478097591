#include "shell/panel_readouts.h"

#include <cstdarg>
#include <cstdio>

namespace brevik2::shell {
namespace {

using engine::NvRecord;
using engine::UnitRecords;

// Wide enough for any float the unit can send printed in fixed notation (FLT_MAX has 39
// digits), so no read-out is ever cut.
std::string format(const char* pattern, ...) {
    char text[128];
    va_list args;
    va_start(args, pattern);
    std::vsnprintf(text, sizeof text, pattern, args);
    va_end(args);
    return text;
}

std::string fixed2(float value) {
    return format("%5.2f", static_cast<double>(value));
}
std::string signed4(std::int32_t value) {
    return format("% 4d", value);
}
// Control voltages come from the unit in millivolts.
std::string scaled(std::int32_t value, const char* pattern) {
    return format(pattern, value * 0.001);
}

}  // namespace

const std::vector<const char*>& panelGroups() {
    // Kept: "System Intormation" is the panel's caption as operators know it, misspelled.
    static const std::vector<const char*> groups{
        "Power Supplies",           "Monitors",           "Control Signals", "Operating Parameters",
        "Servo Difference Signals", "System Intormation", "Other Signals",
    };
    return groups;
}

const std::vector<PanelRow>& panelRows() {
    static const std::vector<PanelRow> rows{
        {"Power Supplies", "+21", 1031},
        {"Power Supplies", "+15", 1032},
        {"Power Supplies", "\u201315", 1033},
        {"Power Supplies", "+5", 1034},
        {"Monitors", "VCXO Oven", 1035},
        {"Monitors", "Cesium Oven", 1036},
        {"Monitors", "EM Voltage", 1039},
        {"Monitors", "Ion Pump", 1040},
        {"Monitors", "Ionizer", 1041},
        {"Monitors", "Mass Spec", 1042},
        {"Monitors", "Temp Sense", 1043},
        {"Monitors", "C-Field", 1044},
        {"Control Signals", "VCXO CV", 1045},
        {"Control Signals", "\u00b5wave CV", 1046},
        {"Control Signals", "C Field CV", 1047},
        {"Control Signals", "Numeric Gain", 1048},
        {"Control Signals", "DAC Gain", 1049},
        {"Operating Parameters", "VCXO Servo Loop Time Constant", 1050},
        {"Operating Parameters", "Programmed Frequency Offset", 1051},
        {"Operating Parameters", "Mass Spec Nominal", 1052},
        {"Operating Parameters", "Ionizer Voltage Nominal", 1053},
        {"Operating Parameters", "Z+1 Pedestal Asymmetry", 1070},
        {"Servo Difference Signals", "VCXO Servo", 1061},
        {"Servo Difference Signals", "\u00b5wave Servo", kUnusedServoReadout},
        {"Servo Difference Signals", "C Field Servo", 1063},
        {"Servo Difference Signals", "Clock Pedestal", 1064},
        {"Servo Difference Signals", "Z+1 Pedestal", 1065},
        {"Servo Difference Signals", "Clock Fringe to Bkgnd", 1067},
        {"Servo Difference Signals", "Z+1 Fringe to Bkgnd", 1068},
        {"System Intormation", "System State", 1054},
        {"System Intormation", "Fault List", 1055},
        {"System Intormation", "Power On Hours", 1057},
        {"System Intormation", "Daylight Savings Mode", 1058},
        {"System Intormation", "Leap Second Status", 1059},
        {"System Intormation", "Date and Time", 1060},
        {"System Intormation", "Version", 1071},
        {"Other Signals", "Signal Variance", 1066},
        {"Other Signals", "DC Level", 1069},
        {"Other Signals", "CBT_Outliers", 1072, 1139, true},
        {"Other Signals", "OCXO Outliers", 1073, 1140, true},
    };
    return rows;
}

std::string panelCaption(const UnitRecords& records) {
    return format("Unit %d System Monitor", records.variables.asSigned(engine::kVarUnitId));
}

std::map<int, std::string> panelReadouts(const UnitRecords& records) {
    using namespace engine;
    const VariablesRecord& v = records.variables;
    const ConstantsRecord& c = records.constants;
    const NvRecord& n = records.nvram;

    std::map<int, std::string> texts;
    texts[1031] = fixed2(v.asFloat(kVarPos24V));
    texts[1032] = fixed2(v.asFloat(kVarPos15V));
    texts[1033] = fixed2(v.asFloat(kVarNeg15V));
    texts[1034] = fixed2(v.asFloat(kVarPos5V));

    texts[1035] = v.asChar(kVarOscStat) == 'c' ? "Ready" : "Cold";
    texts[1036] = fixed2(v.asFloat(kVarVCs));
    texts[1039] = fixed2(v.asFloat(kVarVEm));
    texts[1040] = signed4(v.asSigned(kVarIIp));
    texts[1041] = fixed2(v.asFloat(kVarVIon));
    texts[1042] = fixed2(v.asFloat(kVarVMs));
    texts[1043] = fixed2(v.asFloat(kVarTChasis));
    texts[1044] = fixed2(v.asFloat(kVarICfld));

    texts[1045] = scaled(v.asSigned(kVarVVcxo), "%+6.3f");
    texts[1046] = scaled(v.asSigned(kVarVuW), "%+6.3f");
    texts[1047] = scaled(v.asSigned(kVarVCfld), "%+6.3f");
    texts[1048] = fixed2(v.asFloat(kVarNumGn));
    // The gain setting is never 0 in a valid reply; the small term keeps the division finite
    // before the first one arrives.
    texts[1049] = format("%5.2f", 256.0 / (c.asSigned(kConDacGain) + 0.0001));

    texts[1050] = format("%5.1f", static_cast<double>(v.asFloat(kVarOcxoTau)));
    texts[1051] = format("%+07d", v.asSigned(kVarFreqTune));
    texts[1052] = fixed2(c.asFloat(kConNomMs));
    texts[1053] = fixed2(c.asFloat(kConNomIon));
    texts[1070] = format("%.0f", static_cast<double>(c.asSigned(kConNomZrab)));

    texts[1061] = signed4(v.asSigned(kVarCramErr));
    texts[1063] = signed4(v.asSigned(kVarZramErr));
    texts[1064] = signed4(v.asSigned(kVarCrabErr));
    texts[1065] = signed4(v.asSigned(kVarZrabErr));
    texts[1067] = signed4(v.asSigned(kVarClvl));
    texts[1068] = signed4(v.asSigned(kVarZlvl));

    texts[1054] = format("%02d", v.asSigned(kVarAlarmState));
    texts[1055] =
        format("%02X,%02X,%02X,%02X,%02X,", v.asUnsigned(kVarAlrm1), v.asUnsigned(kVarAlrm2),
               v.asUnsigned(kVarAlrm3), v.asUnsigned(kVarAlrm4), v.asUnsigned(kVarAlrm5));
    texts[1057] = format("%d", n.asSigned(NvRecord::kPoweredHours));
    texts[1058] = n.asSigned(NvRecord::kDaylightSavings) != 0 ? "On" : "Off";
    texts[1059] = n.asSigned(NvRecord::kLeapSecondArmed) != 0 ? "Armed" : "Inactive";
    texts[1060] = records.dateTime.substr(0, records.dateTime.find('\0'));
    // A zero letter (nothing read yet) ends the text, so the read-out stays empty.
    texts[1071] = records.version.letter == '\0'
                      ? std::string()
                      : format("%c %d", records.version.letter, records.version.number);

    texts[1066] = signed4(v.asSigned(kVarStdDev));
    texts[1069] = scaled(v.asSigned(kVarDcLvl), "%+.3f");
    texts[1072] = format("%d,%d", records.counters[0], records.counters[1]);
    texts[1073] = format("%d,%d", records.counters[2], records.counters[3]);
    return texts;
}

std::vector<std::string> eventLogItems(const engine::EventTable& table) {
    std::vector<std::string> items;
    items.push_back(format("Event Count is %d", table.count));
    for (const engine::EventEntry& entry : table.entries) {
        items.push_back(entry.mainLine);
        items.insert(items.end(), entry.continuation.begin(), entry.continuation.end());
    }
    return items;
}

}  // namespace brevik2::shell
