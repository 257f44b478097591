#pragma once

#include "dialogs/long_lived_dialog.h"

class QPushButton;

namespace brevik2::dialogs {

struct DialogContext;
class EntryList;
class ScanningDialog;

// "Serial Communications Setup": the port and line settings the monitor thread uses. OK stores
// the chosen entries and asks the thread to reopen the port; Detect asks it to search for the
// unit while the "Scanning ..." dialog is shown. The dialog never touches the port.
//
// Thread safety: user-interface thread only. The monitor thread reaches it only through status
// messages that the main frame routes here (reloadFromSettings, endScanning).
class SerialSetupDialog : public LongLivedDialog {
    Q_OBJECT
public:
    explicit SerialSetupDialog(DialogContext& context, QWidget* parent = nullptr);
    ~SerialSetupDialog() override;

    // Selects in each list the entry the settings file names; a list whose stored value names
    // no entry keeps its selection. The scan's codes 19, 20 and 21 call it while it is shown.
    void reloadFromSettings();

    // Closes the "Scanning ..." dialog when the scan has ended (codes 20 and 21).
    void endScanning();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void store();
    void detect();

    DialogContext& m_context;
    EntryList* m_comPort;
    EntryList* m_baudRate;
    EntryList* m_dataBits;
    EntryList* m_stopBits;
    EntryList* m_parity;
    ScanningDialog* m_scanning;
};

}  // namespace brevik2::dialogs
