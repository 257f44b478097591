// The main frame's dialogs: created once with the frame (the monitoring options dialog for each
// showing) and opened from the menus. Each hears of its own requests through their onDone.

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

}  // namespace brevik2::shell
