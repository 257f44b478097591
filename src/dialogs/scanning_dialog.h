#pragma once

#include <QDialog>

class QPushButton;

namespace brevik2::dialogs {

struct DialogContext;

// "Scanning ...": shown modally over the serial setup while the monitor thread searches for the
// unit. Cancel (or Escape, or the close box) withdraws the scan request; the scan notices after
// the trial under way and reports that nothing was found.
//
// Thread safety: user-interface thread only.
class ScanningDialog : public QDialog {
    Q_OBJECT
public:
    explicit ScanningDialog(DialogContext& context, QWidget* parent = nullptr);

    // Closes the dialog because the scan has ended; the scan request is the thread's to clear.
    void endScanning();

public slots:
    void reject() override;

private:
    DialogContext& m_context;
};

}  // namespace brevik2::dialogs
