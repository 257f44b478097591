#pragma once

#include <span>
#include <string_view>

#include "sim/unit_state.h"

namespace brevik2::sim {

// A request that sets one whole number in a range: the unit stores it and answers "OK", or
// answers "ERR" and keeps what it had. A new such request is one more row.
struct SettingRow {
    std::string_view code;
    long low;
    long high;
    int onlyModel;  // the one model that has the setting; 0 = every model
    void (*store)(UnitState& state, long value);
};

std::span<const SettingRow> settingRows();
// The row of a request code; nullptr for a code that is no such request.
const SettingRow* settingRowFor(std::string_view code);

}  // namespace brevik2::sim
