#include "telemetry_schema.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <utility>

#include "unit_snapshot.h"

namespace brevik2::engine {

namespace {

using K = TelemetryColumnKind;
using R = FieldRecord;
using T = FieldType;
using C = FieldCheck;

constexpr double kFullDacGain = 256.0;
constexpr double kHertzPerMegahertz = 1e6;
constexpr double kVoltsPerMillivolt = 0.001;

std::string printed(const char* pattern, auto... values) {
    char text[128];
    std::snprintf(text, sizeof text, pattern, values...);
    return text;
}

// A byte from the unit that would break the line's columns (comma, line end, NUL, other
// control bytes) or is not plain ASCII shows as "?", so every line keeps its 51 columns.
char printableOrQuestionMark(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte >= 0x7F || c == ',') {
        return '?';
    }
    return c;
}

// The mode slot is read like the unit's zero-terminated text: it ends at the first NUL, so
// "R\0Z" is logged as "  R". At most three characters, padded on the left to three.
TelemetryCell modeFile(const UnitSnapshot& s) {
    std::string mode = s.asText(R::kVariables, kVarMode);
    if (const auto nul = mode.find('\0'); nul != std::string::npos) {
        mode.resize(nul);
    }
    if (mode.size() > 3) {
        mode.resize(3);
    }
    for (char& c : mode) {
        c = printableOrQuestionMark(c);
    }
    return std::string(3 - mode.size(), ' ') + mode;
}

char versionLetter(const UnitSnapshot& s) {
    return s.asChar(R::kVersion, 0);
}
std::int32_t versionNumber(const UnitSnapshot& s) {
    return s.asSigned(R::kVersion, 1);
}

// The version letter is 0 until the unit has answered "C03"; it must not put a NUL into the
// file.
TelemetryCell versionFile(const UnitSnapshot& s) {
    return std::string(1, printableOrQuestionMark(versionLetter(s))) + ' ' +
           std::to_string(versionNumber(s));
}

// Kept: a zero letter (nothing read yet) ends the panel's text, so the read-out stays empty.
std::string versionPanel(const UnitSnapshot& s) {
    return versionLetter(s) == '\0' ? std::string()
                                    : printed("%c %d", versionLetter(s), versionNumber(s));
}

// Kept: the report leaves a zero letter out rather than writing a zero byte.
std::string versionReport(const UnitSnapshot& s) {
    std::string line = "\tFirmware Version ";
    if (versionLetter(s) != '\0') {
        line += versionLetter(s);
    }
    return line + printed(" %lld\n", static_cast<long long>(versionNumber(s)));
}

std::string ovenText(const UnitSnapshot& s) {
    return s.asChar(R::kVariables, kVarOscStat) == 'c' ? "Ready" : "Cold";
}
TelemetryCell ovenFile(const UnitSnapshot& s) {
    return ovenText(s);
}

std::int32_t dacGainSetting(const UnitSnapshot& s) {
    return s.asSigned(R::kConstants, kConDacGain);
}

// Kept: the data file shows the full gain for a setting of 0, the panel divides by the setting
// plus 0.0001 (which keeps it finite before the first valid reply): two forms of one value.
TelemetryCell dacGainFile(const UnitSnapshot& s) {
    const std::int32_t setting = dacGainSetting(s);
    return setting == 0 ? kFullDacGain : kFullDacGain / setting;
}
std::string dacGainPanel(const UnitSnapshot& s) {
    return printed("%5.2f", kFullDacGain / (dacGainSetting(s) + 0.0001));
}

std::string faultListPanel(const UnitSnapshot& s) {
    const auto byte = [&](int field) { return s.asUnsigned(R::kVariables, field); };
    return printed("%02X,%02X,%02X,%02X,%02X,", byte(kVarAlrm1), byte(kVarAlrm2), byte(kVarAlrm3),
                   byte(kVarAlrm4), byte(kVarAlrm5));
}

template <int First>
std::string counterPairPanel(const UnitSnapshot& s) {
    return printed("%d,%d", s.asSigned(R::kCounters, First), s.asSigned(R::kCounters, First + 1));
}

std::string daylightSavingsPanel(const UnitSnapshot& s) {
    return s.asSigned(R::kNvram, NvRecord::kDaylightSavings) != 0 ? "On" : "Off";
}
std::string leapSecondPanel(const UnitSnapshot& s) {
    return s.asSigned(R::kNvram, NvRecord::kLeapSecondArmed) != 0 ? "Armed" : "Inactive";
}

std::string manufactureDateReport(const UnitSnapshot& s) {
    return printed("\tManufacture Date %02d/%02d/%02u\n",
                   s.asSigned(R::kNvram, NvRecord::kManufactureMonth),
                   s.asSigned(R::kNvram, NvRecord::kManufactureDay),
                   (s.asUnsigned(R::kNvram, NvRecord::kManufactureYear) & 0xFFFFu) % 100u);
}

constexpr FieldRule range(double low, double high) {
    return {C::kRange, low, high, false};
}
// A field whose validity decides whether its reply is taken.
constexpr FieldRule deciding(double low, double high) {
    return {C::kRange, low, high, true};
}

// Units: only where the unit's own replies state one ("Vs %fV", "Fo:%f MHZ") or the quantity
// is plainly a supply voltage or a temperature; other fields keep their raw scale.
// clang-format off
constexpr UnitField kFields[] = {
    // The data file's columns, in the order of its header line.
    {.name = "MJD", .record = R::kStamp, .slot = 0, .type = T::kReal,
     .description = "Modified Julian Date of the record", .kind = K::Time, .format = "%.6lf"},
    {.name = "Month", .record = R::kStamp, .slot = 1, .type = T::kSigned,
     .description = "local month", .kind = K::Time, .format = "%02d"},
    {.name = "Day", .record = R::kStamp, .slot = 2, .type = T::kSigned,
     .description = "local day", .kind = K::Time, .format = "%02d"},
    {.name = "Year", .record = R::kStamp, .slot = 3, .type = T::kSigned,
     .description = "local year", .kind = K::Time, .format = "%4d"},
    {.name = "Hour", .record = R::kStamp, .slot = 4, .type = T::kSigned,
     .description = "local hour", .kind = K::Time, .format = "%02d"},
    {.name = "Minute", .record = R::kStamp, .slot = 5, .type = T::kSigned,
     .description = "local minute", .kind = K::Time, .format = "%02d"},
    {.name = "Second", .record = R::kStamp, .slot = 6, .type = T::kSigned,
     .description = "local second", .kind = K::Time, .format = "%02d"},
    {.name = "ID", .record = R::kVariables, .slot = kVarUnitId, .type = T::kUnsigned,
     .reply = {5, 5, "%u"}, .rule = deciding(0, 99999), .description = "unit ID",
     .kind = K::Integer, .format = "%d", .reportFormat = "\tUnit ID = %lld\n"},
    {.name = "MODE", .record = R::kVariables, .slot = kVarMode, .type = T::kText,
     .reply = {28, 3, "%3s"}, .rule = {C::kMode}, .description = "operating mode",
     .kind = K::Text, .format = "%3s", .fileForm = modeFile},
    {.name = "ALARM", .record = R::kVariables, .slot = kVarAlarmState, .type = T::kUnsigned,
     .reply = {36, 2, "%u"}, .rule = deciding(0, 17), .description = "alarm state",
     .kind = K::Integer, .format = "%2u", .panelId = 1054, .panelFormat = "%02d"},
    {.name = "ALRM1", .record = R::kVariables, .slot = kVarAlrm1, .type = T::kUnsigned,
     .reply = {39, 2, "%x"}, .rule = deciding(0, 255), .description = "alarm byte 1",
     .kind = K::Hex, .format = "%2x", .panelId = 1055, .panelForm = faultListPanel},
    {.name = "ALRM2", .record = R::kVariables, .slot = kVarAlrm2, .type = T::kUnsigned,
     .reply = {42, 2, "%x"}, .rule = deciding(0, 255), .description = "alarm byte 2",
     .kind = K::Hex, .format = "%2x"},
    {.name = "ALRM3", .record = R::kVariables, .slot = kVarAlrm3, .type = T::kUnsigned,
     .reply = {45, 2, "%x"}, .rule = deciding(0, 255), .description = "alarm byte 3",
     .kind = K::Hex, .format = "%2x"},
    {.name = "ALRM4", .record = R::kVariables, .slot = kVarAlrm4, .type = T::kUnsigned,
     .reply = {48, 2, "%x"}, .rule = deciding(0, 255), .description = "alarm byte 4",
     .kind = K::Hex, .format = "%2x"},
    {.name = "ALRM5", .record = R::kVariables, .slot = kVarAlrm5, .type = T::kUnsigned,
     .reply = {51, 2, "%x"}, .rule = deciding(0, 255), .description = "alarm byte 5",
     .kind = K::Hex, .format = "%2x"},
    {.name = "STDDEV", .record = R::kVariables, .slot = kVarStdDev, .type = T::kSigned,
     .reply = {240, 4, "%d"}, .rule = deciding(-999, 999), .description = "signal variance",
     .kind = K::Integer, .format = "%d", .panelId = 1066, .panelFormat = "% 4d",
     .metricName = "brevik2_stddev"},
    {.name = "CRAM_ERR", .record = R::kVariables, .slot = kVarCramErr, .type = T::kSigned,
     .reply = {86, 4, "%d"}, .rule = range(-999, 999),
     .description = "VCXO servo difference signal", .kind = K::Integer, .format = "%d",
     .panelId = 1061, .panelFormat = "% 4d", .metricName = "brevik2_cram_err"},
    {.name = "CRAB_ERR", .record = R::kVariables, .slot = kVarCrabErr, .type = T::kSigned,
     .reply = {93, 5, "%d"}, .rule = range(-9999, 9999), .description = "clock pedestal",
     .kind = K::Integer, .format = "%d", .panelId = 1064, .panelFormat = "% 4d",
     .metricName = "brevik2_crab_err"},
    {.name = "CLVL", .record = R::kVariables, .slot = kVarClvl, .type = T::kSigned,
     .reply = {120, 4, "%d"}, .rule = range(0, 9999), .description = "clock fringe to background",
     .kind = K::Integer, .format = "%d", .panelId = 1067, .panelFormat = "% 4d",
     .metricName = "brevik2_clvl"},
    {.name = "V_VCXO", .record = R::kVariables, .slot = kVarVVcxo, .type = T::kSigned,
     .reply = {113, 5, "%d"}, .rule = range(-9999, 9999), .unit = "mV",
     .description = "VCXO control signal", .kind = K::Integer, .format = "%d", .panelId = 1045,
     .panelFormat = "%+6.3f", .panelScale = kVoltsPerMillivolt, .metricName = "brevik2_v_vcxo"},
    {.name = "ZRAM_ERR", .record = R::kVariables, .slot = kVarZramErr, .type = T::kSigned,
     .reply = {99, 4, "%d"}, .rule = range(-999, 999),
     .description = "C-field servo difference signal", .kind = K::Integer, .format = "%d",
     .panelId = 1063, .panelFormat = "% 4d", .metricName = "brevik2_zram_err"},
    {.name = "ZRAB_ERR", .record = R::kVariables, .slot = kVarZrabErr, .type = T::kSigned,
     .reply = {106, 5, "%d"}, .rule = range(-9999, 9999), .description = "Z+1 pedestal",
     .kind = K::Integer, .format = "%d", .panelId = 1065, .panelFormat = "% 4d",
     .metricName = "brevik2_zrab_err"},
    {.name = "ZLVL", .record = R::kVariables, .slot = kVarZlvl, .type = T::kSigned,
     .reply = {133, 4, "%d"}, .rule = range(0, 9999), .description = "Z+1 fringe to background",
     .kind = K::Integer, .format = "%d", .panelId = 1068, .panelFormat = "% 4d",
     .metricName = "brevik2_zlvl"},
    {.name = "V_CFLD", .record = R::kVariables, .slot = kVarVCfld, .type = T::kSigned,
     .reply = {126, 5, "%d"}, .rule = range(-9999, 9999), .unit = "mV",
     .description = "C-field control signal", .kind = K::Integer, .format = "%d",
     .panelId = 1047, .panelFormat = "%+6.3f", .panelScale = kVoltsPerMillivolt,
     .metricName = "brevik2_v_cfld"},
    {.name = "I_CFLD", .record = R::kVariables, .slot = kVarICfld, .type = T::kFloat,
     .reply = {222, 4, "%f"}, .rule = range(0, 99.9), .description = "C-field current",
     .kind = K::Fixed3, .format = "%.3f", .panelId = 1044, .panelFormat = "%5.2f",
     .metricName = "brevik2_i_cfld"},
    {.name = "V_uW", .record = R::kVariables, .slot = kVarVuW, .type = T::kSigned,
     .reply = {160, 5, "%d"}, .rule = range(-9999, 9999), .unit = "mV",
     .description = "microwave control signal", .kind = K::Integer, .format = "%d",
     .panelId = 1046, .panelFormat = "%+6.3f", .panelScale = kVoltsPerMillivolt,
     .metricName = "brevik2_v_uw"},
    {.name = "DC_LVL", .record = R::kVariables, .slot = kVarDcLvl, .type = T::kSigned,
     .reply = {139, 5, "%d"}, .unit = "mV", .description = "DC level", .kind = K::Integer,
     .format = "%d", .panelId = 1069, .panelFormat = "%+.3f", .panelScale = kVoltsPerMillivolt,
     .metricName = "brevik2_dc_lvl"},
    {.name = "DAC_GN", .record = R::kConstants, .slot = kConDacGain, .type = T::kSigned,
     .reply = {48, 3, "%d"}, .rule = deciding(1, 256), .description = "DAC gain",
     .kind = K::Fixed2, .format = "%.2f", .fileForm = dacGainFile, .panelId = 1049,
     .panelForm = dacGainPanel, .metricName = "brevik2_dac_gn"},
    {.name = "NUM_GN", .record = R::kVariables, .slot = kVarNumGn, .type = T::kFloat,
     .reply = {147, 4, "%f"}, .rule = range(0.1, 9.99), .description = "numeric gain",
     .kind = K::Fixed3, .format = "%.3f", .panelId = 1048, .panelFormat = "%5.2f",
     .metricName = "brevik2_num_gn"},
    {.name = "T_CHASIS", .record = R::kVariables, .slot = kVarTChasis, .type = T::kFloat,
     .reply = {175, 5, "%f"}, .rule = range(-99.9, 99.9), .unit = "\u00b0C",
     .description = "chassis temperature", .kind = K::Fixed3, .format = "%.3f",
     .panelId = 1043, .panelFormat = "%5.2f", .metricName = "brevik2_t_chasis_celsius"},
    {.name = "V_CS", .record = R::kVariables, .slot = kVarVCs, .type = T::kFloat,
     .reply = {201, 4, "%f"}, .rule = range(0, 99.9), .description = "cesium oven monitor",
     .kind = K::Fixed3, .format = "%.3f", .panelId = 1036, .panelFormat = "%5.2f",
     .metricName = "brevik2_v_cs"},
    {.name = "OSC_STAT", .record = R::kVariables, .slot = kVarOscStat, .type = T::kChar,
     .reply = {197, 1, "%c"}, .rule = {C::kOscState}, .description = "VCXO oven state",
     .kind = K::Text, .format = "%s", .fileForm = ovenFile, .panelId = 1035,
     .panelForm = ovenText},
    {.name = "V_EM", .record = R::kVariables, .slot = kVarVEm, .type = T::kFloat,
     .reply = {229, 4, "%f"}, .rule = range(0, 99.9),
     .description = "electron multiplier voltage monitor", .kind = K::Fixed3, .format = "%.3f",
     .panelId = 1039, .panelFormat = "%5.2f", .metricName = "brevik2_v_em"},
    {.name = "I_IP", .record = R::kVariables, .slot = kVarIIp, .type = T::kSigned,
     .reply = {236, 3, "%d"}, .rule = range(0, 999), .description = "ion pump current monitor",
     .kind = K::Integer, .format = "%d", .panelId = 1040, .panelFormat = "% 4d",
     .metricName = "brevik2_i_ip"},
    {.name = "V_MS", .record = R::kVariables, .slot = kVarVMs, .type = T::kFloat,
     .reply = {208, 4, "%f"}, .rule = range(0, 99.9), .unit = "V",
     .description = "mass spectrometer voltage", .kind = K::Fixed3, .format = "%.3f",
     .panelId = 1042, .panelFormat = "%5.2f", .metricName = "brevik2_v_ms_volts"},
    {.name = "V_ION", .record = R::kVariables, .slot = kVarVIon, .type = T::kFloat,
     .reply = {215, 4, "%f"}, .rule = range(0, 9.99), .unit = "V",
     .description = "ionizer voltage", .kind = K::Fixed3, .format = "%.3f", .panelId = 1041,
     .panelFormat = "%5.2f", .metricName = "brevik2_v_ion_volts"},
    {.name = "NOM_MS", .record = R::kConstants, .slot = kConNomMs, .type = T::kFloat,
     .reply = {28, 4, "%f"}, .rule = deciding(0, 99.9), .unit = "V",
     .description = "mass spectrometer nominal voltage", .kind = K::Fixed3, .format = "%.3f",
     .panelId = 1052, .panelFormat = "%5.2f", .metricName = "brevik2_nom_ms_volts"},
    {.name = "NOM_ION", .record = R::kConstants, .slot = kConNomIon, .type = T::kFloat,
     .reply = {37, 3, "%f"}, .rule = deciding(0, 9.99), .unit = "V",
     .description = "ionizer nominal voltage", .kind = K::Fixed3, .format = "%.3f",
     .panelId = 1053, .panelFormat = "%5.2f", .metricName = "brevik2_nom_ion_volts"},
    {.name = "NOM_ZRAB", .record = R::kConstants, .slot = kConNomZrab, .type = T::kSigned,
     .reply = {95, 5, "%d"}, .rule = deciding(-9999, 9999),
     .description = "Z+1 pedestal asymmetry nominal", .kind = K::Integer, .format = "%d",
     .panelId = 1070, .panelFormat = "%.0f", .metricName = "brevik2_nom_zrab"},
    {.name = "OCXO_TAU", .record = R::kVariables, .slot = kVarOcxoTau, .type = T::kFloat,
     .reply = {79, 4, "%f"}, .rule = range(0.1, 100),
     .description = "VCXO servo loop time constant", .kind = K::Fixed3, .format = "%.3f",
     .panelId = 1050, .panelFormat = "%5.1f", .metricName = "brevik2_ocxo_tau"},
    {.name = "FREQTUNE", .record = R::kVariables, .slot = kVarFreqTune, .type = T::kSigned,
     .reply = {61, 7, "%d"}, .rule = range(-999999, 999999),
     .description = "programmed frequency offset", .kind = K::Integer, .format = "%d",
     .panelId = 1051, .panelFormat = "%+07d", .metricName = "brevik2_freqtune",
     .reportFormat = "\tProgrammed Frequency Offset %+07lld\n"},
    {.name = "AUX_FREQ", .record = R::kConstants, .slot = kConAuxFreq, .type = T::kFloat,
     .reply = {104, 4, "%f"}, .rule = deciding(0, 999), .unit = "MHz",
     .description = "auxiliary output frequency", .kind = K::Fixed3, .format = "%.3f",
     .metricName = "brevik2_aux_freq_hertz", .metricScale = kHertzPerMegahertz},
    {.name = "POS24V", .record = R::kVariables, .slot = kVarPos24V, .type = T::kFloat,
     .reply = {69, 6, "%f"}, .rule = range(-100, 100), .unit = "V", .description = "+24 V supply",
     .kind = K::Fixed3, .format = "%.3f", .panelId = 1031, .panelFormat = "%5.2f",
     .metricName = "brevik2_pos24v_volts"},
    {.name = "POS5V", .record = R::kVariables, .slot = kVarPos5V, .type = T::kFloat,
     .reply = {167, 5, "%f"}, .rule = range(-9.99, 9.99), .unit = "V", .description = "+5 V supply",
     .kind = K::Fixed3, .format = "%.3f", .panelId = 1034, .panelFormat = "%5.2f",
     .metricName = "brevik2_pos5v_volts"},
    {.name = "POS15V", .record = R::kVariables, .slot = kVarPos15V, .type = T::kFloat,
     .reply = {181, 5, "%f"}, .rule = range(-99.9, 99.9), .unit = "V",
     .description = "+15 V supply", .kind = K::Fixed3, .format = "%.3f", .panelId = 1032,
     .panelFormat = "%5.2f", .metricName = "brevik2_pos15v_volts"},
    {.name = "NEG15V", .record = R::kVariables, .slot = kVarNeg15V, .type = T::kFloat,
     .reply = {188, 5, "%f"}, .rule = range(-99.9, 99.9), .unit = "V",
     .description = "-15 V supply", .kind = K::Fixed3, .format = "%.3f", .panelId = 1033,
     .panelFormat = "%5.2f", .metricName = "brevik2_neg15v_volts"},
    {.name = "VERSION", .record = R::kVersion, .slot = 0, .type = T::kChar,
     .description = "firmware version", .kind = K::Text, .format = "%s",
     .fileForm = versionFile, .panelId = 1071, .panelForm = versionPanel,
     .reportForm = versionReport},
    {.name = "CBT_D", .record = R::kCounters, .slot = 0, .type = T::kSigned,
     .description = "CBT outliers, first counter", .kind = K::Integer, .format = "%d",
     .panelId = 1072, .panelForm = counterPairPanel<0>, .metricName = "brevik2_cbt_d"},
    {.name = "CBT_T", .record = R::kCounters, .slot = 1, .type = T::kSigned,
     .description = "CBT outliers, second counter", .kind = K::Integer, .format = "%d",
     .metricName = "brevik2_cbt_t"},
    {.name = "OCXO_D", .record = R::kCounters, .slot = 2, .type = T::kSigned,
     .description = "OCXO outliers, first counter", .kind = K::Integer, .format = "%d",
     .panelId = 1073, .panelForm = counterPairPanel<2>, .metricName = "brevik2_ocxo_d"},
    {.name = "OCXO_T", .record = R::kCounters, .slot = 3, .type = T::kSigned,
     .description = "OCXO outliers, second counter", .kind = K::Integer, .format = "%d",
     .metricName = "brevik2_ocxo_t"},

    // The variables record's other fields.
    {.name = "DAY", .record = R::kVariables, .slot = kVarDayNumber, .type = T::kUnsigned,
     .reply = {11, 3, "%u"}, .rule = deciding(0, 999), .description = "unit's day number"},
    {.name = "HOUR", .record = R::kVariables, .slot = kVarHour, .type = T::kUnsigned,
     .reply = {15, 2, "%u"}, .rule = deciding(0, 23), .description = "unit's hour"},
    {.name = "MINUTE", .record = R::kVariables, .slot = kVarMinute, .type = T::kUnsigned,
     .reply = {18, 2, "%u"}, .rule = deciding(0, 59), .description = "unit's minute"},
    {.name = "SECOND", .record = R::kVariables, .slot = kVarSecond, .type = T::kUnsigned,
     .reply = {22, 2, "%u"}, .rule = deciding(0, 59), .description = "unit's second"},
    {.name = "MODE_DIGIT", .record = R::kVariables, .slot = kVarModeDigit, .type = T::kUnsigned,
     .reply = {26, 1, "%u"}, .rule = deciding(1, 2), .description = "operating mode number"},
    {.name = "C", .record = R::kVariables, .slot = kVarC, .type = T::kSigned,
     .reply = {55, 4, "%d"}, .rule = range(-999, 999), .description = "C value"},
    {.name = "LA", .record = R::kVariables, .slot = kVarLa, .type = T::kSigned,
     .reply = {153, 5, "%d"}, .rule = range(-9999, 9999), .description = "LA value"},

    // The constants record's other fields.
    {.name = "CONST_ID", .record = R::kConstants, .slot = kConUnitId, .type = T::kUnsigned,
     .reply = {5, 5, "%u"}, .rule = deciding(0, 99999), .description = "unit ID"},
    {.name = "CONST_DAY", .record = R::kConstants, .slot = kConDayNumber, .type = T::kUnsigned,
     .reply = {11, 3, "%u"}, .rule = deciding(0, 999), .description = "unit's day number"},
    {.name = "CONST_HOUR", .record = R::kConstants, .slot = kConHour, .type = T::kUnsigned,
     .reply = {15, 2, "%u"}, .rule = deciding(0, 23), .description = "unit's hour"},
    {.name = "CONST_MINUTE", .record = R::kConstants, .slot = kConMinute, .type = T::kUnsigned,
     .reply = {18, 2, "%u"}, .rule = deciding(0, 59), .description = "unit's minute"},
    {.name = "CONST_SECOND", .record = R::kConstants, .slot = kConSecond, .type = T::kUnsigned,
     .reply = {22, 2, "%u"}, .rule = deciding(0, 59), .description = "unit's second"},
    {.name = "MINUS15", .record = R::kConstants, .slot = kConMinus15, .type = T::kSigned,
     .reply = {56, 3, "%d"}, .rule = deciding(-99, 99), .description = "-15 V trim"},
    {.name = "PLUS15", .record = R::kConstants, .slot = kConPlus15, .type = T::kSigned,
     .reply = {64, 3, "%d"}, .rule = deciding(-99, 99), .description = "+15 V trim"},
    {.name = "PLUS45", .record = R::kConstants, .slot = kConPlus45, .type = T::kSigned,
     .reply = {72, 3, "%d"}, .rule = deciding(-99, 99), .description = "+45 V trim"},
    {.name = "PLUS75", .record = R::kConstants, .slot = kConPlus75, .type = T::kSigned,
     .reply = {80, 3, "%d"}, .rule = deciding(-99, 99), .description = "+75 V trim"},
    {.name = "PI", .record = R::kConstants, .slot = kConPi, .type = T::kSigned,
     .reply = {87, 5, "%d"}, .rule = deciding(-9999, 9999), .description = "Pi value"},
    {.name = "CDU", .record = R::kConstants, .slot = kConCdu, .type = T::kText,
     .reply = {117, 2, "%2s"}, .description = "CDU text"},
    {.name = "TXT", .record = R::kConstants, .slot = kConTxt, .type = T::kText,
     .reply = {124, 10, "%10s"}, .description = "the unit's text"},
    {.name = "MODEL", .record = R::kConstants, .slot = kConModelCode, .type = T::kSigned,
     .reply = {135, 3, "%3d"}, .description = "model code: 400, 401 or 402"},
    {.name = "CONST_LAST", .record = R::kConstants, .slot = kConLastValue, .type = T::kFloat,
     .reply = {139, 3, "%f"}, .rule = deciding(0, 999), .description = "last value"},

    // The other replies.
    {.name = "VERSION_NUMBER", .record = R::kVersion, .slot = 1, .type = T::kSigned,
     .description = "firmware version number"},
    {.name = "DATE_TIME", .record = R::kDateTime, .slot = 0, .type = T::kText,
     .description = "the unit's date and time", .panelId = 1060, .panelFormat = "%s"},
    {.name = "POWERED_HOURS", .record = R::kNvram, .slot = NvRecord::kPoweredHours,
     .type = T::kSigned, .description = "hours powered", .panelId = 1057, .panelFormat = "%d",
     .reportFormat = "\tTotal hours powered %lld\n"},
    {.name = "DAYLIGHT_SAVINGS", .record = R::kNvram, .slot = NvRecord::kDaylightSavings,
     .type = T::kSigned, .description = "daylight savings mode", .panelId = 1058,
     .panelForm = daylightSavingsPanel},
    {.name = "LEAP_SECOND", .record = R::kNvram, .slot = NvRecord::kLeapSecondArmed,
     .type = T::kSigned, .description = "leap second armed", .panelId = 1059,
     .panelForm = leapSecondPanel},
    {.name = "MANUFACTURE_YEAR", .record = R::kNvram, .slot = NvRecord::kManufactureYear,
     .type = T::kUnsigned, .description = "year of manufacture",
     .reportForm = manufactureDateReport},
    {.name = "MANUFACTURE_MONTH", .record = R::kNvram, .slot = NvRecord::kManufactureMonth,
     .type = T::kSigned, .description = "month of manufacture"},
    {.name = "MANUFACTURE_DAY", .record = R::kNvram, .slot = NvRecord::kManufactureDay,
     .type = T::kSigned, .description = "day of manufacture"},
};
// clang-format on

}  // namespace

std::span<const UnitField> unitFields() {
    return kFields;
}

std::span<const UnitField, kTelemetryColumnCount> telemetrySchema() {
    return std::span<const UnitField, kTelemetryColumnCount>(kFields, kTelemetryColumnCount);
}

const UnitField* unitField(FieldRecord record, int slot) {
    static const std::map<std::pair<FieldRecord, int>, const UnitField*> bySlot = [] {
        std::map<std::pair<FieldRecord, int>, const UnitField*> all;
        for (const UnitField& field : kFields) {
            all.emplace(std::pair{field.record, field.slot}, &field);
        }
        return all;
    }();
    const auto found = bySlot.find({record, slot});
    return found == bySlot.end() ? nullptr : found->second;
}

const std::array<std::string, kTelemetryColumnCount>& telemetryColumnNames() {
    static const std::array<std::string, kTelemetryColumnCount> names = [] {
        std::array<std::string, kTelemetryColumnCount> all;
        const auto columns = telemetrySchema();
        std::transform(columns.begin(), columns.end(), all.begin(),
                       [](const UnitField& c) { return std::string(c.name); });
        return all;
    }();
    return names;
}

TelemetryColumnKind telemetryColumnKind(int column) {
    if (column < 0 || column >= kTelemetryColumnCount) {
        return TelemetryColumnKind::Text;
    }
    return kFields[column].kind;
}

bool isPlottableTelemetryColumn(int column) {
    const TelemetryColumnKind kind = telemetryColumnKind(column);
    return kind != TelemetryColumnKind::Time && kind != TelemetryColumnKind::Text;
}

std::optional<int> telemetryColumnIndex(std::string_view name) {
    const auto columns = telemetrySchema();
    const auto found = std::find_if(columns.begin(), columns.end(),
                                    [name](const UnitField& c) { return c.name == name; });
    if (found == columns.end()) {
        return std::nullopt;
    }
    return static_cast<int>(found - columns.begin());
}

}  // namespace brevik2::engine
