#include "telemetry_format.h"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace brevik2::engine {

namespace {

constexpr const char* kLineEnd = "\r\n";

constexpr const char* kHeaderNames =
    "MJD, Month, Day, Year, Hour, Minute, Second, ID, MODE, ALARM, ALRM1, ALRM2, ALRM3, ALRM4, "
    "ALRM5, STDDEV, CRAM_ERR, CRAB_ERR, CLVL, V_VCXO, ZRAM_ERR, ZRAB_ERR, ZLVL, V_CFLD, I_CFLD, "
    "V_uW, DC_LVL, DAC_GN, NUM_GN, T_CHASIS, V_CS, OSC_STAT, V_EM, I_IP, V_MS, V_ION, NOM_MS, "
    "NOM_ION, NOM_ZRAB, OCXO_TAU, FREQTUNE, AUX_FREQ, POS24V, POS5V, POS15V, NEG15V, VERSION, "
    "CBT_D, CBT_T, OCXO_D, OCXO_T";

constexpr double kSecondsPerDay = 86400.0;
constexpr double kMjdOfUnixEpoch = 40587.0;
constexpr double kFullDacGain = 256.0;

// Appends one printf-formatted piece. The formats are all fixed strings of this file; the
// length is measured first so a float of any magnitude fits without truncation.
#if defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
void appendFormatted(std::string& out, const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::va_list measureArgs;
    va_copy(measureArgs, args);
    const int length = std::vsnprintf(nullptr, 0, format, measureArgs);
    va_end(measureArgs);
    if (length > 0) {
        const std::size_t start = out.size();
        out.resize(start + static_cast<std::size_t>(length) + 1);
        std::vsnprintf(out.data() + start, static_cast<std::size_t>(length) + 1, format, args);
        out.resize(start + static_cast<std::size_t>(length));
    }
    va_end(args);
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
std::string modeColumn(const VariablesRecord& variables) {
    std::string mode = variables.modeText();
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

double widened(float value) {
    return static_cast<double>(value);
}

}  // namespace

std::string telemetryHeaderLine() {
    return std::string(kHeaderNames) + kLineEnd;
}

std::string formatTelemetryLine(const UnitRecords& records, const LocalDateTime& local,
                                double mjd) {
    const VariablesRecord& v = records.variables;
    const ConstantsRecord& k = records.constants;

    const std::int32_t dacGain = k.asSigned(kConDacGain);
    const double dacGainColumn = dacGain == 0 ? kFullDacGain : kFullDacGain / dacGain;
    // The version letter is 0 until the unit has answered "C03"; it must not put a NUL into
    // the file.
    const char versionLetter = printableOrQuestionMark(records.version.letter);
    const std::string mode = modeColumn(v);

    std::string line;
    line.reserve(400);
    appendFormatted(line, "%.6lf,", mjd);
    appendFormatted(line, "%02d,%02d,%4d,%02d,%02d,%02d,", local.month, local.day, local.year,
                    local.hour, local.minute, local.second);
    appendFormatted(line, "%d,%3s,%2u,%2x,%2x,%2x,%2x,%2x,", v.asSigned(kVarUnitId), mode.c_str(),
                    v.asUnsigned(kVarAlarmState), v.asUnsigned(kVarAlrm1), v.asUnsigned(kVarAlrm2),
                    v.asUnsigned(kVarAlrm3), v.asUnsigned(kVarAlrm4), v.asUnsigned(kVarAlrm5));
    appendFormatted(line, "%d,%d,%d,%d,%d,", v.asSigned(kVarStdDev), v.asSigned(kVarCramErr),
                    v.asSigned(kVarCrabErr), v.asSigned(kVarClvl), v.asSigned(kVarVVcxo));
    appendFormatted(line, "%d,%d,%d,%d,%.3f,", v.asSigned(kVarZramErr), v.asSigned(kVarZrabErr),
                    v.asSigned(kVarZlvl), v.asSigned(kVarVCfld), widened(v.asFloat(kVarICfld)));
    appendFormatted(line, "%d,%d,%.2f,%.3f,%.3f,", v.asSigned(kVarVuW), v.asSigned(kVarDcLvl),
                    dacGainColumn, widened(v.asFloat(kVarNumGn)), widened(v.asFloat(kVarTChasis)));
    appendFormatted(line, "%.3f,", widened(v.asFloat(kVarVCs)));
    line += v.asChar(kVarOscStat) == 'c' ? "Ready," : "Cold,";
    appendFormatted(line, "%.3f,%d,%.3f,", widened(v.asFloat(kVarVEm)), v.asSigned(kVarIIp),
                    widened(v.asFloat(kVarVMs)));
    appendFormatted(line, "%.3f,%.3f,%.3f,%d,%.3f,", widened(v.asFloat(kVarVIon)),
                    widened(k.asFloat(kConNomMs)), widened(k.asFloat(kConNomIon)),
                    k.asSigned(kConNomZrab), widened(v.asFloat(kVarOcxoTau)));
    appendFormatted(line, "%d,%.3f,%.3f,%.3f,%.3f,", v.asSigned(kVarFreqTune),
                    widened(k.asFloat(kConAuxFreq)), widened(v.asFloat(kVarPos24V)),
                    widened(v.asFloat(kVarPos5V)), widened(v.asFloat(kVarPos15V)));
    appendFormatted(line, "%.3f,%c %d,", widened(v.asFloat(kVarNeg15V)), versionLetter,
                    records.version.number);
    appendFormatted(line, "%d,%d,%d,%d", records.counters[0], records.counters[1],
                    records.counters[2], records.counters[3]);
    line += kLineEnd;
    return line;
}

double modifiedJulianDate(double secondsSinceEpoch) {
    return secondsSinceEpoch / kSecondsPerDay + kMjdOfUnixEpoch;
}

std::optional<std::string> formatTelemetryFileName(std::string_view nameTemplate, long unitId) {
    // The template is typed by the operator, so it is never used as a printf format: only the
    // first "%ld" is a placeholder, everything else (a second "%ld" included) is kept as typed.
    constexpr std::string_view kPlaceholder = "%ld";
    std::string name;
    if (const auto at = nameTemplate.find(kPlaceholder); at == std::string_view::npos) {
        name = nameTemplate;
    } else {
        name = nameTemplate.substr(0, at);
        name += std::to_string(unitId);
        name += nameTemplate.substr(at + kPlaceholder.size());
    }
    // The name must stay a plain file name inside the data directory: no separators, no way
    // up, no drive prefix ("c:x" is relative to another folder on Windows), no embedded NUL
    // that would cut the path short, and not "." (the directory itself).
    if (name.empty() || name == "." ||
        name.find_first_of(std::string_view("/\\:\0", 4)) != std::string::npos ||
        name.find("..") != std::string::npos) {
        return std::nullopt;
    }
    return name;
}

}  // namespace brevik2::engine
