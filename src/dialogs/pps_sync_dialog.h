#pragma once

#include <QString>
#include <string>

#include "dialogs/dialog_context.h"
#include "dialogs/long_lived_dialog.h"

namespace brevik2::dialogs {

// Tells the operator how to attach an external 1 PPS source and sends the sync command. The
// unit's answer is shown with syncResultText() over the main window once it comes, after the
// dialog has closed.
//
// Thread safety: user-interface thread only.
class PpsSyncDialog : public LongLivedDialog {
    Q_OBJECT
public:
    explicit PpsSyncDialog(DialogContext& context, QWidget* parent = nullptr);

private:
    void sync();

    DialogContext& m_context;
};

// The text of the "Command Status" box for the reply to "W22": "Completed" only when the unit
// echoed the request code, STX followed by "W22 ".
QString syncResultText(const std::string& reply);

}  // namespace brevik2::dialogs
