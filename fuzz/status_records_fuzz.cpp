// The fixed-layout status replies ("D*1", "D*2", "D*5") as whatever bytes the line delivers:
// each conversion stays inside its record, a field flagged valid holds a usable value, a reply
// is taken only whole, and the telemetry line made from the result keeps its 51 columns.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>

#include "engine/reply_parsing.h"
#include "engine/telemetry_format.h"
#include "fuzz/fuzz_targets.h"

namespace brevik2::fuzz {
namespace {

using namespace engine;

template <std::size_t N>
bool endsWithinSlot(const std::array<char, N>& slot, std::size_t maxChars) {
    const void* nul = std::memchr(slot.data(), '\0', N);
    return nul != nullptr &&
           static_cast<std::size_t>(static_cast<const char*>(nul) - slot.data()) <= maxChars;
}

constexpr int kVariableFloats[] = {kVarPos24V,  kVarOcxoTau, kVarNumGn,  kVarPos5V,
                                   kVarTChasis, kVarPos15V,  kVarNeg15V, kVarVCs,
                                   kVarVMs,     kVarVIon,    kVarICfld,  kVarVEm};
constexpr int kVariablesDeciding[] = {0, 1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12, 40};
constexpr int kConstantFloats[] = {kConNomMs, kConNomIon, kConAuxFreq, kConLastValue};
constexpr int kConstantsDeciding[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 18};

void checkVariables(std::string_view reply, VariablesRecord& record) {
    const bool taken = convertVariablesReply(reply, record);
    if (taken) {
        BREVIK2_FUZZ_CHECK(reply.size() >= kVariablesReplyLength);
        for (int i : kVariablesDeciding) {
            BREVIK2_FUZZ_CHECK(record.valid[i] == 1);
        }
        BREVIK2_FUZZ_CHECK(record.asUnsigned(kVarAlarmState) <= 17);
    }
    for (int i : kVariableFloats) {
        BREVIK2_FUZZ_CHECK(record.valid[i] == 0 || std::isfinite(record.asFloat(i)));
    }
    if (record.valid[kVarMode] == 1) {
        BREVIK2_FUZZ_CHECK(record.modeText() == "R+Z" || record.modeText() == "R+T");
    }
    if (record.valid[kVarOscStat] == 1) {
        BREVIK2_FUZZ_CHECK(record.asChar(kVarOscStat) == 'c' || record.asChar(kVarOscStat) == 'f');
    }
    // A field depends on its own bytes alone, so the same bytes a second time change nothing.
    VariablesRecord again = record;
    BREVIK2_FUZZ_CHECK(convertVariablesReply(reply, again) == taken);
    BREVIK2_FUZZ_CHECK(again.slot == record.slot && again.valid == record.valid);
}

void checkConstants(std::string_view reply, ConstantsRecord& record) {
    const bool taken = convertConstantsReply(reply, record);
    if (taken) {
        BREVIK2_FUZZ_CHECK(reply.size() >= kConstantsReplyLength);
        for (int i : kConstantsDeciding) {
            BREVIK2_FUZZ_CHECK(record.valid[i] == 1);
        }
        // The telemetry divides by the DAC gain setting.
        BREVIK2_FUZZ_CHECK(record.asSigned(kConDacGain) >= 1 &&
                           record.asSigned(kConDacGain) <= 256);
    }
    for (int i : kConstantFloats) {
        BREVIK2_FUZZ_CHECK(record.valid[i] == 0 || std::isfinite(record.asFloat(i)));
    }
    BREVIK2_FUZZ_CHECK(endsWithinSlot(record.cdu, 2));
    BREVIK2_FUZZ_CHECK(endsWithinSlot(record.txt, 10));
    ConstantsRecord again = record;
    BREVIK2_FUZZ_CHECK(convertConstantsReply(reply, again) == taken);
    BREVIK2_FUZZ_CHECK(again.slot == record.slot && again.valid == record.valid &&
                       again.cdu == record.cdu && again.txt == record.txt);
}

void checkTelemetryLine(const UnitRecords& records) {
    const std::string line = formatTelemetryLine(records, LocalDateTime{}, 51544.0);
    BREVIK2_FUZZ_CHECK(std::count(line.begin(), line.end(), ',') == 50);
    BREVIK2_FUZZ_CHECK(line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0);
    BREVIK2_FUZZ_CHECK(line.find_first_of(std::string_view("\r\n\0", 3)) == line.size() - 2);
}

}  // namespace

int fuzzStatusRecords(const std::uint8_t* data, std::size_t size) {
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    UnitRecords records;
    checkVariables(reply, records.variables);
    checkConstants(reply, records.constants);
    convertNvramReply(reply, records.nvram);
    BREVIK2_FUZZ_CHECK(endsWithinSlot(records.nvram.text19, 11));
    // The version letter and the counters come from other replies; any value must print.
    records.version.letter = size > 0 ? static_cast<char>(data[size - 1]) : '\0';
    records.counters = {-1, 0x7FFFFFFF, static_cast<std::int32_t>(0x80000000u), 0};
    checkTelemetryLine(records);
    return 0;
}

}  // namespace brevik2::fuzz
