#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <string>

#include "dialogs/dialog_context.h"
#include "dialogs/queued_delivery.h"
#include "engine/station.h"
#include "engine/status_records.h"
#include "link/settings_file.h"
#include "support/scripted_user_prompts.h"
#include "support/temp_folder.h"

namespace brevik2::testing {

// What a setup dialog needs in a test: a settings file in a fresh folder, a station that is not
// started (the test plays its thread through the shared state), the main frame's copy of the
// records, prompts answered from a script and the status bar's texts.
struct SetupDialogFixture {
    explicit SetupDialogFixture(engine::MonitorThread::Options options = {})
        : station(folder / "Brevik2.ini", dialogs::queuedOnto(receiver), std::move(options)) {}
    SetupDialogFixture(const SetupDialogFixture&) = delete;
    SetupDialogFixture& operator=(const SetupDialogFixture&) = delete;

    // The settings file's whole text, for checking what was (not) written.
    std::string fileText() const { return readWholeFile(settings.path()); }

    // Replaces the settings file with the given lines under the section header.
    void writeSettings(const std::string& lines) const {
        writeWholeFile(settings.path(), "[Brevik2]\n" + lines);
    }

    TempFolder folder;
    QObject receiver;
    engine::Station station;
    const link::SettingsFile& settings = station.settings();
    engine::MonitorSharedState& shared = station.sharedState();
    engine::UnitRecords records;
    ScriptedUserPrompts prompts;
    QStringList statusTexts;
    dialogs::DialogContext context{settings, station, records, prompts,
                                   [this](const QString& text) { statusTexts << text; }};
};

}  // namespace brevik2::testing
