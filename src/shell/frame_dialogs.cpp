// The main frame's dialogs: created once with the frame (the monitoring options dialog for each
// showing), opened from the menus, and told of the status messages their requests bring back.

#include "dialogs/command_dialog.h"
#include "dialogs/monitoring_options_dialog.h"
#include "dialogs/pps_sync_dialog.h"
#include "dialogs/serial_setup_dialog.h"
#include "dialogs/telecom_outputs_dialog.h"
#include "dialogs/test_diagnostics_dialog.h"
#include "dialogs/ttl_output_dialog.h"
#include "dialogs/unit_initialization_dialog.h"
#include "dialogs/user_prompts.h"
#include "shell/c_main_frame.h"

namespace brevik2::shell {

using namespace brevik2::dialogs;

struct CMainFrame::Dialogs {
    SerialSetupDialog* serialSetup = nullptr;
    UnitInitializationDialog* unitInitialization = nullptr;
    CommandDialog* command = nullptr;
    TestDiagnosticsDialog* testDiagnostics = nullptr;
    TelecomOutputsDialog* telecomOutputs = nullptr;
    PpsSyncDialog* ppsSync = nullptr;
    TtlOutputDialog* ttlOutput = nullptr;
};

void CMainFrame::createDialogs() {
    m_dialogs = new Dialogs;
    m_dialogs->serialSetup = new SerialSetupDialog(m_context, this);
    m_dialogs->unitInitialization = new UnitInitializationDialog(m_context, this);
    m_dialogs->command = new CommandDialog(m_context, this);
    m_dialogs->testDiagnostics = new TestDiagnosticsDialog(m_context, this);
    m_dialogs->telecomOutputs = new TelecomOutputsDialog(m_context, this);
    m_dialogs->ppsSync = new PpsSyncDialog(m_context, this);
    m_dialogs->ttlOutput = new TtlOutputDialog(m_context, this);
}

void CMainFrame::destroyDialogs() {
    // The dialogs are the frame's children and go with it; they hold the context, which is a
    // member of the frame, so they must go first.
    if (m_dialogs) {
        delete m_dialogs->serialSetup;
        delete m_dialogs->unitInitialization;
        delete m_dialogs->command;
        delete m_dialogs->testDiagnostics;
        delete m_dialogs->telecomOutputs;
        delete m_dialogs->ppsSync;
        delete m_dialogs->ttlOutput;
        delete m_dialogs;
        m_dialogs = nullptr;
    }
}

void CMainFrame::openSerialSetup() {
    m_dialogs->serialSetup->showModal();
}

void CMainFrame::openMonitoringOptions() {
    MonitoringOptionsDialog dialog(m_context, this);
    dialog.exec();
}

void CMainFrame::openUnitInitialization() {
    m_dialogs->unitInitialization->exec();
}

void CMainFrame::openTestDiagnostics() {
    m_dialogs->testDiagnostics->showModal();
}

void CMainFrame::openCommandDialog() {
    m_dialogs->command->showModal();
}

void CMainFrame::openTelecomOutputs() {
    m_dialogs->telecomOutputs->showModal();
}

void CMainFrame::openPpsSync() {
    m_dialogs->ppsSync->showModal();
}

void CMainFrame::openTtlOutput() {
    m_dialogs->ttlOutput->showModal();
}

bool CMainFrame::routeToDialogs(const engine::StatusMessage& message) {
    switch (message.code) {
        case engine::kStatusTestModeLine:
        case engine::kStatusTestRequestAnswered:
            if (m_dialogs->testDiagnostics->dialogOpen()) {
                m_dialogs->testDiagnostics->addResultLine(message.reply);
            }
            return true;
        case engine::kStatusCommandAnswered:
            if (m_dialogs->command->dialogOpen()) {
                m_dialogs->command->showReply(message.reply);
            }
            return true;
        case engine::kStatusTelecomAnswered:
            if (m_dialogs->telecomOutputs->dialogOpen()) {
                m_dialogs->telecomOutputs->advanceApplyAll();
            }
            return true;
        case engine::kStatusScanTrial:
        case engine::kStatusScanFound:
        case engine::kStatusScanNotFound:
            if (m_dialogs->serialSetup->dialogOpen()) {
                m_dialogs->serialSetup->reloadFromSettings();
            }
            if (message.code == engine::kStatusScanTrial) {
                return true;
            }
            m_dialogs->serialSetup->endScanning();
            m_prompts.information(this, QStringLiteral("Scan Status"),
                                  message.code == engine::kStatusScanFound
                                      ? QStringLiteral("Cesium instrument located...")
                                      : QStringLiteral("Cesium instrument not detected..."));
            return true;
        default:
            return false;
    }
}

}  // namespace brevik2::shell
