#include "shell/panel_readouts.h"

namespace brevik2::shell {

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

}  // namespace brevik2::shell
