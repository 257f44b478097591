#include "shell/snapshot_report.h"

#include <array>
#include <cstdio>
#include <string_view>

#include "engine/telecom_names.h"
#include "engine/telemetry_schema.h"
#include "engine/unit_snapshot.h"

namespace brevik2::shell {
namespace {

using engine::FieldRecord;
using engine::NvRecord;

std::string number(const char* pattern, long long value) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

// Kept: the report has always printed "??" for settings 6 and 7, which the dialog offers.
std::string_view lineInterfaceText(std::uint32_t setting) {
    return setting <= 5 ? engine::kLiuSettingNames[setting] : "??";
}

// A format numbered from 1 as the unit reports it; "??" outside the list.
template <std::size_t N>
std::string_view formatText(const std::array<std::string_view, N>& names, std::uint32_t value) {
    return value >= 1 && value <= N ? names[value - 1] : "??";
}

const char* pick(char c, char a, const char* textA, char b, const char* textB,
                 const char* otherwise) {
    if (c == a) {
        return textA;
    }
    return c == b ? textB : otherwise;
}

const char* t1FaultStrategyText(std::uint32_t value) {
    switch (value) {
        case 1:
            return "Signal Cutoff";
        case 2:
            return "SSM";
        case 3:
            return "AIS";
        default:
            return "??";
    }
}

// Only the lowest of the strategy bits is reported.
const char* e1FaultStrategyText(std::uint32_t bits) {
    if (bits & 0x1) {
        return "CRC 4 Alarm Bit, ";
    }
    if (bits & 0x2) {
        return "TS 16 Alarm Bit";
    }
    if (bits & 0x4) {
        return "SSM Alarm Bit";
    }
    if (bits & 0x8) {
        return "Signal Cutoff";
    }
    return "??";
}

std::string telecomSection(const NvRecord& n) {
    std::string s;
    s += "\nTelecommunications Subsystem\n";
    s += "\tOutput Channel 1\n";
    s += "\t\tType = \t";
    s += pick(n.asChar(NvRecord::kChannel1Type), 'E', "E1,", 'T', "T1,", " ?,");
    s += "\n\t\tFormat = ";
    s += pick(n.asChar(NvRecord::kChannel1Format), 'F', "Framed", 'C', "Clocked", "");
    s += "\n\t\tDrive = ";
    s += pick(n.asChar(NvRecord::kChannel1Drive), 'B', "Balanced", 'U', "UnBalanced,", "");
    s += "\n\t\tLIU setting = ";
    s += lineInterfaceText(n.asUnsigned(NvRecord::kChannel1Liu));
    s += "\n\tOutput Channel 2\n";
    s += "\t\tType = ";
    s += pick(n.asChar(NvRecord::kChannel2Type), 'E', "E1, ", 'T', "T1, ", " ?, ");
    s += "\n\t\tFormat = ";
    s += pick(n.asChar(NvRecord::kChannel2Format), 'F', "Framed, ", 'C', "Clocked, ", "");
    s += "\n\t\tDrive = ";
    s += pick(n.asChar(NvRecord::kChannel2Drive), 'B', "Balanced, ", 'U', "UnBalanced, ", "");
    s += "\n\t\tLIU setting = ";
    s += lineInterfaceText(n.asUnsigned(NvRecord::kChannel2Liu));
    s += "\n\tT1 FPG Settings\n";
    s += "\t\tFault Strategy = ";
    s += t1FaultStrategyText(n.asUnsigned(NvRecord::kT1FaultStrategy));
    s += "\n\t\tBitstream Format";
    s += formatText(engine::kT1FormatNames, n.asUnsigned(NvRecord::kT1BitstreamFormat));
    s += "\n\tE1 FPG Settings\n";
    s += "\t\tFault Strategy = ";
    s += e1FaultStrategyText(n.asUnsigned(NvRecord::kE1FaultStrategy));
    s += "\n";
    const std::uint32_t ssm = n.asUnsigned(NvRecord::kSsmOnSa);
    if (ssm >= 4) {
        s += number("\t\tSSM on Sa Channel = %lld\n", static_cast<std::int32_t>(ssm));
    }
    s += "\t\tFramed data format = ";
    s += formatText(engine::kE1FormatNames, n.asUnsigned(NvRecord::kE1DataFormat));
    s += "\n";
    return s;
}

// A field's line as the field table words it for the report.
std::string reportLine(const engine::UnitSnapshot& snapshot, FieldRecord record, int slot) {
    const engine::UnitField* field = engine::unitField(record, slot);
    if (field == nullptr) {
        return {};
    }
    if (field->reportForm != nullptr) {
        return field->reportForm(snapshot);
    }
    return number(field->reportFormat, snapshot.asSigned(record, slot));
}

}  // namespace

std::string snapshotDefaultName(const engine::UnitRecords& records) {
    const char* type = "Cesium";
    switch (records.constants.modelCode()) {
        case 400:
            type = "Q710";
            break;
        case 401:
            type = "VRX80";
            break;
        case 402:
            type = "Q520K";
            break;
        default:
            break;
    }
    return std::string("Harrowquill_") + type + "_" +
           std::to_string(records.variables.asSigned(engine::kVarUnitId)) + "_status";
}

std::string snapshotFirstSection(const engine::UnitRecords& records, const LocalTime& now) {
    const NvRecord& n = records.nvram;
    const int model = records.constants.modelCode();
    const engine::UnitSnapshot snapshot(records);

    char generated[96];
    std::snprintf(generated, sizeof generated, "%02d/%02d/%4d at %02d:%02d:%02d \n", now.month,
                  now.day, now.year, now.hour, now.minute, now.second);

    std::string s = "Harrowquill Cesium Instrument Configuration Settings\n\n";
    s += "This file was generated on ";
    s += generated;
    s += "General Information\n";
    s += reportLine(snapshot, FieldRecord::kVariables, engine::kVarUnitId);
    s += "\tSystem Type = ";
    // Any other model code leaves the line open; the next item continues on it.
    if (model == 401) {
        s += "VRX-80\n";
    } else if (model == 402) {
        s += "Q520K\n";
    } else if (model == 400) {
        s += "Q710\n";
    }
    s += reportLine(snapshot, FieldRecord::kVersion, 0);
    s += reportLine(snapshot, FieldRecord::kVariables, engine::kVarFreqTune);
    s += reportLine(snapshot, FieldRecord::kNvram, NvRecord::kPoweredHours);
    s += reportLine(snapshot, FieldRecord::kNvram, NvRecord::kManufactureYear);
    if (model == 401 || model == 402) {
        s += telecomSection(n);
    }
    return s;
}

std::string snapshotEventLogSection(const engine::EventTable& table) {
    std::string s = "\nEventlog\n";
    for (const engine::EventEntry& entry : table.entries) {
        s += "\t" + entry.mainLine + "\n";
        for (const std::string& line : entry.continuation) {
            s += "\t\t" + line + "\n";
        }
    }
    if (table.count == 0) {
        s += "No Events\n";
    }
    return s;
}

std::string snapshotNotRetrievedSection() {
    return "\nEventlog\nNot retrieved: another snapshot was started before the unit sent it\n";
}

std::string withCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') {
            out += '\r';
        }
        out += c;
    }
    return out;
}

}  // namespace brevik2::shell
