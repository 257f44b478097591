#pragma once

#include <QString>
#include <functional>

namespace brevik2::link {
class SettingsFile;
}
namespace brevik2::engine {
class Station;
struct UnitRecords;
}  // namespace brevik2::engine

namespace brevik2::dialogs {

class UserPrompts;

// What a dialog may use. It never touches the port: it reads and writes the settings file,
// sends requests and asks for scans, test modes and port resets through the station (hearing
// back through each request's onDone), and reads the main frame's latest copy of the records
// (never the monitor thread's own).
//
// Thread safety: user-interface thread only, the thread the station delivers onto.
struct DialogContext {
    const link::SettingsFile& settings;
    engine::Station& station;
    // The records as the last status message carried them; owned by the main frame.
    const engine::UnitRecords& records;
    UserPrompts& prompts;
    // Shows a text in the status bar's message pane.
    std::function<void(const QString&)> statusText;
};

}  // namespace brevik2::dialogs
