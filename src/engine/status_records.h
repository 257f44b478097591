#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <string>
#include <vector>

namespace brevik2::engine {

// The records the poll fills from the unit's replies. Every numeric field is a 32-bit slot
// holding the bit pattern of its type (unsigned, signed or single-precision float), exactly as
// the conversions leave it; the accessors read it back as each type. A conversion that finds
// nothing leaves a slot as it was, so the records start zeroed. What each field is, where it
// sits in its reply and how it is shown is the field table's (telemetry_schema.h); the typed
// view of a whole poll is UnitSnapshot.

// Field numbers of the variables record (the "D*1" reply).
enum VariableField : int {
    kVarUnitId = 0,
    kVarDayNumber,
    kVarHour,
    kVarMinute,
    kVarSecond,
    kVarModeDigit,
    kVarMode,  // three characters in the slot
    kVarAlarmState,
    kVarAlrm1,
    kVarAlrm2,
    kVarAlrm3,
    kVarAlrm4,
    kVarAlrm5,
    kVarC,
    kVarFreqTune,
    kVarPos24V,
    kVarOcxoTau,
    kVarCramErr,
    kVarCrabErr,
    kVarZramErr,
    kVarZrabErr,
    kVarVVcxo,
    kVarClvl,
    kVarVCfld,
    kVarZlvl,
    kVarDcLvl,
    kVarNumGn,
    kVarLa,
    kVarVuW,
    kVarPos5V,
    kVarTChasis,
    kVarPos15V,
    kVarNeg15V,
    kVarOscStat,  // one character in the slot
    kVarVCs,
    kVarVMs,
    kVarVIon,
    kVarICfld,
    kVarVEm,
    kVarIIp,
    kVarStdDev,
    kVariableFieldCount
};

// Field numbers of the constants record (the "D*2" reply).
enum ConstantField : int {
    kConUnitId = 0,
    kConDayNumber,
    kConHour,
    kConMinute,
    kConSecond,
    kConNomMs,
    kConNomIon,
    kConDacGain,
    kConMinus15,
    kConPlus15,
    kConPlus45,
    kConPlus75,
    kConPi,
    kConNomZrab,
    kConAuxFreq,
    kConCdu,  // text, kept in ConstantsRecord::cdu
    kConTxt,  // text, kept in ConstantsRecord::txt
    kConModelCode,
    kConLastValue,
    kConstantFieldCount
};

// Alarm states the unit reports in the variables record.
enum AlarmState : std::uint32_t {
    kAlarmOperating = 0,
    kAlarmWarmingUp = 1,
    kAlarmMinorFault = 10,
    kAlarmMajorFault = 11,
};

// Slots of 32 bits read back as the type their field has.
template <std::size_t N>
struct SlotArray {
    std::array<std::uint32_t, N> slot{};

    std::uint32_t asUnsigned(int i) const { return slot[i]; }
    std::int32_t asSigned(int i) const { return static_cast<std::int32_t>(slot[i]); }
    float asFloat(int i) const { return std::bit_cast<float>(slot[i]); }
    char asChar(int i) const { return static_cast<char>(slot[i] & 0xFF); }

    void setUnsigned(int i, std::uint32_t v) { slot[i] = v; }
    void setSigned(int i, std::int32_t v) { slot[i] = static_cast<std::uint32_t>(v); }
    void setFloat(int i, float v) { slot[i] = std::bit_cast<std::uint32_t>(v); }
    void setChar(int i, char c) { slot[i] = static_cast<unsigned char>(c); }
};

// A float's characters as the unit sent them (at most 6, zero-terminated), kept beside its slot.
using PrintedFloat = std::array<char, 8>;

struct VariablesRecord : SlotArray<kVariableFieldCount> {
    std::array<std::uint8_t, kVariableFieldCount> valid{};
    std::array<PrintedFloat, kVariableFieldCount> printed{};

    // The mode text ("R+Z", "R+T"): up to three characters kept in the mode slot.
    std::string modeText() const;
    void setModeText(const std::string& text);
};

struct ConstantsRecord : SlotArray<kConstantFieldCount> {
    std::array<std::uint8_t, kConstantFieldCount> valid{};
    std::array<PrintedFloat, kConstantFieldCount> printed{};
    std::array<char, 16> cdu{};  // zero-terminated, at most 2 characters
    std::array<char, 16> txt{};  // zero-terminated, at most 10 characters

    // 400, 401 or 402 once the unit has answered; 0 before.
    int modelCode() const { return asSigned(kConModelCode); }
};

// The non-volatile memory record (the "D*5" reply): 36 values addressed by their field number,
// 1 to 36. Fields 17 and 18 are floats, 19 is a text kept in text19, 22 to 26, 30 and 34 are
// unsigned, 27 to 29 and 31 to 33 are characters; the rest are signed.
struct NvRecord : SlotArray<37> {   // index 0 unused
    std::array<char, 12> text19{};  // zero-terminated, at most 11 characters

    static constexpr int kManufactureYear = 2;
    static constexpr int kManufactureMonth = 3;
    static constexpr int kManufactureDay = 4;
    static constexpr int kPoweredHours = 5;
    static constexpr int kDaylightSavings = 11;
    static constexpr int kLeapSecondArmed = 14;
    static constexpr int kRestartFaultLevel = 21;
    static constexpr int kE1DataFormat = 22;
    static constexpr int kE1FaultStrategy = 23;
    static constexpr int kSsmOnSa = 24;
    static constexpr int kT1BitstreamFormat = 25;
    static constexpr int kT1FaultStrategy = 26;
    static constexpr int kChannel1Type = 27;
    static constexpr int kChannel1Format = 28;
    static constexpr int kChannel1Drive = 29;
    static constexpr int kChannel1Liu = 30;
    static constexpr int kChannel2Type = 31;
    static constexpr int kChannel2Format = 32;
    static constexpr int kChannel2Drive = 33;
    static constexpr int kChannel2Liu = 34;
};

struct FirmwareVersion {
    char letter = '\0';
    int number = 0;
};

// Everything one poll reads, copied as a whole when it crosses to the user interface.
struct UnitRecords {
    VariablesRecord variables;
    ConstantsRecord constants;
    NvRecord nvram;
    std::string dateTime;  // from the "A08" reply, at most 255 characters
    FirmwareVersion version;
    std::array<std::int32_t, 4> counters{};  // CBT_D, CBT_T, OCXO_D, OCXO_T
};

// The unit's event log as last retrieved.
struct EventEntry {
    std::string mainLine;                   // at most kEventLineChars characters
    std::vector<std::string> continuation;  // at most kMaxContinuationLines lines
};

struct EventTable {
    static constexpr std::size_t kEventLineChars = 63;  // a 64-byte line with its terminator
    static constexpr std::size_t kMaxContinuationLines = 32;
    static constexpr std::size_t kMaxEntries = 1000;

    std::int32_t count = -1;  // -1 until the log has been read once
    std::vector<EventEntry> entries;
};

}  // namespace brevik2::engine
