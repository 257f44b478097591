#pragma once

#include <vector>

#include "engine/panel_texts.h"
#include "engine/status_records.h"

namespace brevik2::shell {

// One read-out of the unit status panel: its group box, its label, the identifier of the
// read-out (and of the label, where the label has one of its own) and whether the row is kept
// hidden.
struct PanelRow {
    const char* group;  // UTF-8
    const char* label;  // UTF-8
    int id;
    int labelId = 0;
    bool hidden = false;
};

// The panel's group boxes in layout order, with the titles as the operator knows them.
const std::vector<const char*>& panelGroups();

// Every read-out of the panel, grouped as panelGroups() orders them.
const std::vector<PanelRow>& panelRows();

// The identifier of the read-out that no record feeds; it keeps its template text.
inline constexpr int kUnusedServoReadout = 1062;
inline constexpr const char* kUnusedServoText = "------";

// The texts themselves come from the engine, so every front end shows the same.
using engine::eventLogItems;
using engine::panelCaption;
using engine::panelReadouts;

}  // namespace brevik2::shell
