#pragma once

namespace brevik2::shell {

// The main frame's command identifiers. Each menu action keeps its identifier as its data, so
// the numbers the operator's documentation and the dialogs speak of stay the same.
enum CommandId : int {
    kIdSelectCommand = 32771,
    kIdResetUnitAlarms = 32772,
    kIdUnitInitialization = 32775,
    kIdTestDiagnostics = 32776,
    kIdConfigureSerialPort = 32777,
    kIdConfigureMonitoring = 32778,
    kIdMonitors = 32780,
    kIdSetTimeFromPc = 32782,
    kIdSetDateFromPc = 32783,
    kIdConfigureTelecom = 32785,
    kIdResetEventLog = 32788,
    kIdSync1pps = 32789,
    kIdConfigureTtl = 32790,
    kIdSnapshot = 32791,
    kIdTrends = 32800,  // ours: View > Trends
    kIdPrintSetup = 57606,
    kIdAbout = 57664,
    kIdExit = 57665,
    kIdStatusBar = 59393,
};

}  // namespace brevik2::shell
