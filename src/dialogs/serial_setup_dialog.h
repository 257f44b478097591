#pragma once

#include "dialogs/long_lived_dialog.h"

class QLabel;
class QPushButton;

namespace brevik2::dialogs {

struct DialogContext;
class EntryList;
class ScanningDialog;

// "Serial Communications Setup": the port and line settings the monitor thread uses. OK stores
// the chosen entries and asks the thread to reopen the port; Detect asks it to search for the
// unit while the "Scanning ..." dialog is shown. The dialog never touches the port.
//
// Thread safety: user-interface thread only. The scan's steps reach it through the station,
// delivered onto that thread.
class SerialSetupDialog : public LongLivedDialog {
    Q_OBJECT
public:
    explicit SerialSetupDialog(DialogContext& context, QWidget* parent = nullptr);
    ~SerialSetupDialog() override;

    // Selects in each list the entry the settings file names; a list whose stored value names
    // no entry keeps its selection. Each step of the scan calls it while the dialog is shown.
    void reloadFromSettings();

    // One step of the scan Detect started: code 19 (a trial), 20 (found) or 21 (not found). The
    // last two close the "Scanning ..." dialog and say how the scan ended.
    void scanStep(int code);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void store();
    void detect();
    void showPortFailure();

    DialogContext& m_context;
    EntryList* m_comPort;
    EntryList* m_baudRate;
    EntryList* m_dataBits;
    EntryList* m_stopBits;
    EntryList* m_parity;
    ScanningDialog* m_scanning;
    QLabel* m_portFailure;  // why the port would not open, while it will not
};

}  // namespace brevik2::dialogs
