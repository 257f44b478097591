#pragma once

#include <string>

#include "dialogs/dialog_context.h"
#include "dialogs/long_lived_dialog.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace brevik2::dialogs {

// Sends any of the catalogued instrument commands by hand and keeps a transcript of the request
// lines sent and the reply lines that came back, for as long as the dialog stays open.
//
// Thread safety: user-interface thread only. showReply() runs when the station delivers a sent
// command's reply onto that thread while the dialog is open.
class CommandDialog : public LongLivedDialog {
    Q_OBJECT
public:
    explicit CommandDialog(DialogContext& context, QWidget* parent = nullptr);

    // Adds the lines of a reply to the transcript and brings the newest five into view.
    void showReply(const std::string& reply);

    // The catalogue row the next Send Command sends; -1 for none.
    int selectedRow() const { return m_selectedRow; }

    // The row whose display name is the text, ignoring case; -1 for none.
    static int rowNamed(const QString& text);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void selectRow(int row);
    void selectTyped(const QString& text);
    void sendCommand();
    void scrollToNewest();

    DialogContext& m_context;
    QComboBox* m_commands = nullptr;
    QLineEdit* m_parameter = nullptr;
    QLabel* m_description = nullptr;
    QListWidget* m_transcript = nullptr;

    int m_selectedRow = -1;
    // The reply limit of the last request this dialog queued: the reply is read against it.
    int m_replyLimit = 0;
};

}  // namespace brevik2::dialogs
