#pragma once

#include <QDialog>

namespace brevik2::dialogs {

// A dialog created once at program start and shown modally many times. Its dialog-open flag is
// 1 only while it is shown; the main frame tests it before routing a status message to it.
class LongLivedDialog : public QDialog {
    Q_OBJECT
public:
    using QDialog::QDialog;

    bool dialogOpen() const { return m_dialogOpen; }

    // Shows the dialog modally with the dialog-open flag set around it.
    int showModal() {
        m_dialogOpen = true;
        const int result = exec();
        m_dialogOpen = false;
        return result;
    }

private:
    bool m_dialogOpen = false;
};

}  // namespace brevik2::dialogs
