#pragma once

#include <map>
#include <string>
#include <vector>

#include "status_records.h"
#include "telemetry_schema.h"

namespace brevik2::engine {

class UnitSnapshot;

// The texts of the unit status panel, for any front end: pure functions of the records, through
// the field table. The window only places them.

// The panel's caption: "Unit %d System Monitor" with the unit ID of the variables record.
std::string panelCaption(const UnitRecords& records);

// A field's read-out text; empty for a field the panel does not show.
std::string panelText(const UnitField& field, const UnitSnapshot& snapshot);

// The text of every read-out fed by the records, by identifier. Fields are shown as they stand,
// valid or not: zeros before the first poll.
std::map<int, std::string> panelReadouts(const UnitRecords& records);

// The event log list: "Event Count is %d", then each entry's main line followed by its
// continuation lines.
std::vector<std::string> eventLogItems(const EventTable& table);

}  // namespace brevik2::engine
