#pragma once

#include <QDialog>
#include <QHideEvent>
#include <QShowEvent>

namespace brevik2::dialogs {

// A dialog created once at program start and shown modally many times. Its dialog-open flag is
// 1 only while it is shown; replies and test lines reach it only then.
class LongLivedDialog : public QDialog {
    Q_OBJECT
public:
    using QDialog::QDialog;

    bool dialogOpen() const { return m_dialogOpen; }

    int showModal() { return exec(); }

protected:
    void showEvent(QShowEvent* event) override {
        m_dialogOpen = true;
        QDialog::showEvent(event);
    }

    void hideEvent(QHideEvent* event) override {
        // A minimised window is hidden for a while, not closed.
        if (!event->spontaneous()) {
            m_dialogOpen = false;
        }
        QDialog::hideEvent(event);
    }

private:
    bool m_dialogOpen = false;
};

}  // namespace brevik2::dialogs
