#include "panel_texts.h"

#include <cstdarg>
#include <cstdio>
#include <type_traits>
#include <variant>

#include "unit_snapshot.h"

namespace brevik2::engine {

namespace {

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

}  // namespace

std::string panelCaption(const UnitRecords& records) {
    return format("Unit %d System Monitor", records.variables.asSigned(kVarUnitId));
}

std::string panelText(const UnitField& field, const UnitSnapshot& snapshot) {
    if (field.panelForm != nullptr) {
        return field.panelForm(snapshot);
    }
    if (field.panelFormat == nullptr) {
        return {};
    }
    return std::visit(
        [&](const auto& value) {
            if constexpr (std::is_same_v<std::decay_t<decltype(value)>, std::string>) {
                return format(field.panelFormat, value.c_str());
            } else {
                return format(field.panelFormat, value);
            }
        },
        cellFor(conversionOf(field.panelFormat), snapshot[field], field.panelScale));
}

std::map<int, std::string> panelReadouts(const UnitRecords& records) {
    const UnitSnapshot snapshot(records);
    std::map<int, std::string> texts;
    for (const UnitField& field : unitFields()) {
        if (field.panelId != 0) {
            texts[field.panelId] = panelText(field, snapshot);
        }
    }
    return texts;
}

std::vector<std::string> eventLogItems(const EventTable& table) {
    std::vector<std::string> items;
    items.push_back(format("Event Count is %d", table.count));
    for (const EventEntry& entry : table.entries) {
        items.push_back(entry.mainLine);
        items.insert(items.end(), entry.continuation.begin(), entry.continuation.end());
    }
    return items;
}

}  // namespace brevik2::engine
