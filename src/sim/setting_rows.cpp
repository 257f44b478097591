#include "sim/setting_rows.h"

#include <limits>

namespace brevik2::sim {
namespace {

// A switch takes any whole number: 0 is off, anything else on.
constexpr long kAnyLow = std::numeric_limits<long>::min();
constexpr long kAnyHigh = std::numeric_limits<long>::max();

constexpr SettingRow kRows[] = {
    {"W01", -999999, 999999, 0, [](UnitState& s, long v) { s.frequencyOffset = v; }},
    {"W07", 1, 4, 402, [](UnitState& s, long v) { s.ttlFrequency = static_cast<int>(v); }},
    {"W11", -999999, 999999, 0, [](UnitState& s, long v) { s.temporaryOffset = v; }},
    {"A09", kAnyLow, kAnyHigh, 0, [](UnitState& s, long v) { s.daylightSavings = v != 0; }},
    {"A11", kAnyLow, kAnyHigh, 0, [](UnitState& s, long v) { s.leapSecondArmed = v != 0; }},
    {"A15", 0, 1, 0, [](UnitState& s, long v) { s.responseMode = static_cast<int>(v); }},
    {"A18", 0, 9, 0, [](UnitState& s, long v) { s.restartFaultLevel = static_cast<int>(v); }},
};

}  // namespace

std::span<const SettingRow> settingRows() {
    return kRows;
}

const SettingRow* settingRowFor(std::string_view code) {
    for (const SettingRow& row : kRows) {
        if (row.code == code) {
            return &row;
        }
    }
    return nullptr;
}

}  // namespace brevik2::sim
