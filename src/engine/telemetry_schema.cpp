#include "telemetry_schema.h"

#include <algorithm>

namespace brevik2::engine {

namespace {

using K = TelemetryColumnKind;

constexpr double kFullDacGain = 256.0;
constexpr double kHertzPerMegahertz = 1e6;

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
TelemetryCell modeText(const TelemetrySource& s) {
    std::string mode = s.records.variables.modeText();
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

// The version letter is 0 until the unit has answered "C03"; it must not put a NUL into the
// file.
TelemetryCell versionText(const TelemetrySource& s) {
    return std::string(1, printableOrQuestionMark(s.records.version.letter)) + ' ' +
           std::to_string(s.records.version.number);
}

TelemetryCell oscillatorText(const TelemetrySource& s) {
    return std::string(s.records.variables.asChar(kVarOscStat) == 'c' ? "Ready" : "Cold");
}

TelemetryCell dacGain(const TelemetrySource& s) {
    const std::int32_t setting = s.records.constants.asSigned(kConDacGain);
    return setting == 0 ? kFullDacGain : kFullDacGain / setting;
}

TelemetryCell mjd(const TelemetrySource& s) {
    return s.mjd;
}

template <int LocalDateTime::*Field>
TelemetryCell local(const TelemetrySource& s) {
    return std::int32_t{s.local.*Field};
}

// A field of the variables or the constants record, read as its kind.
template <auto Record, int F>
TelemetryCell signedField(const TelemetrySource& s) {
    return (s.records.*Record).asSigned(F);
}

template <auto Record, int F>
TelemetryCell unsignedField(const TelemetrySource& s) {
    return (s.records.*Record).asUnsigned(F);
}

template <auto Record, int F>
TelemetryCell floatField(const TelemetrySource& s) {
    return static_cast<double>((s.records.*Record).asFloat(F));
}

constexpr auto kVariables = &UnitRecords::variables;
constexpr auto kConstants = &UnitRecords::constants;
template <int F>
constexpr auto varSigned = signedField<kVariables, F>;
template <int F>
constexpr auto varUnsigned = unsignedField<kVariables, F>;
template <int F>
constexpr auto varFloat = floatField<kVariables, F>;
template <int F>
constexpr auto conSigned = signedField<kConstants, F>;
template <int F>
constexpr auto conFloat = floatField<kConstants, F>;

template <std::size_t N>
TelemetryCell counter(const TelemetrySource& s) {
    return s.records.counters[N];
}

using L = LocalDateTime;

// Units: only where the unit's own replies state one ("Vs %fV", "Fo:%f MHZ") or the quantity
// is plainly a supply voltage or a temperature; other columns keep their raw scale.
const std::array<TelemetryColumn, kTelemetryColumnCount> kSchema{{
    {"MJD", K::Time, "%.6lf", mjd, "Modified Julian Date of the record", {}},
    {"Month", K::Time, "%02d", local<&L::month>, "local month", {}},
    {"Day", K::Time, "%02d", local<&L::day>, "local day", {}},
    {"Year", K::Time, "%4d", local<&L::year>, "local year", {}},
    {"Hour", K::Time, "%02d", local<&L::hour>, "local hour", {}},
    {"Minute", K::Time, "%02d", local<&L::minute>, "local minute", {}},
    {"Second", K::Time, "%02d", local<&L::second>, "local second", {}},
    {"ID", K::Integer, "%d", varSigned<kVarUnitId>, "unit ID", {}},
    {"MODE", K::Text, "%3s", modeText, "operating mode", {}},
    {"ALARM", K::Integer, "%2u", varUnsigned<kVarAlarmState>, "alarm state", {}},
    {"ALRM1", K::Hex, "%2x", varUnsigned<kVarAlrm1>, "alarm byte 1", {}},
    {"ALRM2", K::Hex, "%2x", varUnsigned<kVarAlrm2>, "alarm byte 2", {}},
    {"ALRM3", K::Hex, "%2x", varUnsigned<kVarAlrm3>, "alarm byte 3", {}},
    {"ALRM4", K::Hex, "%2x", varUnsigned<kVarAlrm4>, "alarm byte 4", {}},
    {"ALRM5", K::Hex, "%2x", varUnsigned<kVarAlrm5>, "alarm byte 5", {}},
    {"STDDEV", K::Integer, "%d", varSigned<kVarStdDev>, "signal variance", "brevik2_stddev"},
    {"CRAM_ERR", K::Integer, "%d", varSigned<kVarCramErr>, "VCXO servo difference signal",
     "brevik2_cram_err"},
    {"CRAB_ERR", K::Integer, "%d", varSigned<kVarCrabErr>, "clock pedestal", "brevik2_crab_err"},
    {"CLVL", K::Integer, "%d", varSigned<kVarClvl>, "clock fringe to background", "brevik2_clvl"},
    {"V_VCXO", K::Integer, "%d", varSigned<kVarVVcxo>, "VCXO control signal", "brevik2_v_vcxo"},
    {"ZRAM_ERR", K::Integer, "%d", varSigned<kVarZramErr>, "C-field servo difference signal",
     "brevik2_zram_err"},
    {"ZRAB_ERR", K::Integer, "%d", varSigned<kVarZrabErr>, "Z+1 pedestal", "brevik2_zrab_err"},
    {"ZLVL", K::Integer, "%d", varSigned<kVarZlvl>, "Z+1 fringe to background", "brevik2_zlvl"},
    {"V_CFLD", K::Integer, "%d", varSigned<kVarVCfld>, "C-field control signal", "brevik2_v_cfld"},
    {"I_CFLD", K::Fixed3, "%.3f", varFloat<kVarICfld>, "C-field current", "brevik2_i_cfld"},
    {"V_uW", K::Integer, "%d", varSigned<kVarVuW>, "microwave control signal", "brevik2_v_uw"},
    {"DC_LVL", K::Integer, "%d", varSigned<kVarDcLvl>, "DC level", "brevik2_dc_lvl"},
    {"DAC_GN", K::Fixed2, "%.2f", dacGain, "DAC gain", "brevik2_dac_gn"},
    {"NUM_GN", K::Fixed3, "%.3f", varFloat<kVarNumGn>, "numeric gain", "brevik2_num_gn"},
    {"T_CHASIS", K::Fixed3, "%.3f", varFloat<kVarTChasis>, "chassis temperature",
     "brevik2_t_chasis_celsius"},
    {"V_CS", K::Fixed3, "%.3f", varFloat<kVarVCs>, "cesium oven monitor", "brevik2_v_cs"},
    {"OSC_STAT", K::Text, "%s", oscillatorText, "VCXO oven state", {}},
    {"V_EM", K::Fixed3, "%.3f", varFloat<kVarVEm>, "electron multiplier voltage monitor",
     "brevik2_v_em"},
    {"I_IP", K::Integer, "%d", varSigned<kVarIIp>, "ion pump current monitor", "brevik2_i_ip"},
    {"V_MS", K::Fixed3, "%.3f", varFloat<kVarVMs>, "mass spectrometer voltage",
     "brevik2_v_ms_volts"},
    {"V_ION", K::Fixed3, "%.3f", varFloat<kVarVIon>, "ionizer voltage", "brevik2_v_ion_volts"},
    {"NOM_MS", K::Fixed3, "%.3f", conFloat<kConNomMs>, "mass spectrometer nominal voltage",
     "brevik2_nom_ms_volts"},
    {"NOM_ION", K::Fixed3, "%.3f", conFloat<kConNomIon>, "ionizer nominal voltage",
     "brevik2_nom_ion_volts"},
    {"NOM_ZRAB", K::Integer, "%d", conSigned<kConNomZrab>, "Z+1 pedestal asymmetry nominal",
     "brevik2_nom_zrab"},
    {"OCXO_TAU", K::Fixed3, "%.3f", varFloat<kVarOcxoTau>, "VCXO servo loop time constant",
     "brevik2_ocxo_tau"},
    {"FREQTUNE", K::Integer, "%d", varSigned<kVarFreqTune>, "programmed frequency offset",
     "brevik2_freqtune"},
    {"AUX_FREQ", K::Fixed3, "%.3f", conFloat<kConAuxFreq>, "auxiliary output frequency",
     "brevik2_aux_freq_hertz", kHertzPerMegahertz},
    {"POS24V", K::Fixed3, "%.3f", varFloat<kVarPos24V>, "+24 V supply", "brevik2_pos24v_volts"},
    {"POS5V", K::Fixed3, "%.3f", varFloat<kVarPos5V>, "+5 V supply", "brevik2_pos5v_volts"},
    {"POS15V", K::Fixed3, "%.3f", varFloat<kVarPos15V>, "+15 V supply", "brevik2_pos15v_volts"},
    {"NEG15V", K::Fixed3, "%.3f", varFloat<kVarNeg15V>, "-15 V supply", "brevik2_neg15v_volts"},
    {"VERSION", K::Text, "%s", versionText, "firmware version", {}},
    {"CBT_D", K::Integer, "%d", counter<0>, "CBT outliers, first counter", "brevik2_cbt_d"},
    {"CBT_T", K::Integer, "%d", counter<1>, "CBT outliers, second counter", "brevik2_cbt_t"},
    {"OCXO_D", K::Integer, "%d", counter<2>, "OCXO outliers, first counter", "brevik2_ocxo_d"},
    {"OCXO_T", K::Integer, "%d", counter<3>, "OCXO outliers, second counter", "brevik2_ocxo_t"},
}};

}  // namespace

const std::array<TelemetryColumn, kTelemetryColumnCount>& telemetrySchema() {
    return kSchema;
}

const std::array<std::string, kTelemetryColumnCount>& telemetryColumnNames() {
    static const std::array<std::string, kTelemetryColumnCount> names = [] {
        std::array<std::string, kTelemetryColumnCount> all;
        std::transform(kSchema.begin(), kSchema.end(), all.begin(),
                       [](const TelemetryColumn& c) { return std::string(c.name); });
        return all;
    }();
    return names;
}

TelemetryColumnKind telemetryColumnKind(int column) {
    if (column < 0 || column >= kTelemetryColumnCount) {
        return TelemetryColumnKind::Text;
    }
    return kSchema[static_cast<std::size_t>(column)].kind;
}

bool isPlottableTelemetryColumn(int column) {
    const TelemetryColumnKind kind = telemetryColumnKind(column);
    return kind != TelemetryColumnKind::Time && kind != TelemetryColumnKind::Text;
}

std::optional<int> telemetryColumnIndex(std::string_view name) {
    const auto found = std::find_if(kSchema.begin(), kSchema.end(),
                                    [name](const TelemetryColumn& c) { return c.name == name; });
    if (found == kSchema.end()) {
        return std::nullopt;
    }
    return static_cast<int>(found - kSchema.begin());
}

}  // namespace brevik2::engine
