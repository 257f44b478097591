#include "dialogs/pps_sync_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <string_view>

#include "dialogs/user_prompts.h"
#include "engine/station.h"
#include "engine/status_message.h"

namespace brevik2::dialogs {
namespace {

constexpr int kReplyLimit = 32;

}  // namespace

PpsSyncDialog::PpsSyncDialog(DialogContext& context, QWidget* parent)
    : LongLivedDialog(parent), m_context(context) {
    setWindowTitle(QStringLiteral("Sync Q710 1PPS Output to External Source"));

    auto* text = new QVBoxLayout;
    for (const char* line :
         {"Attach a 1 PPS source (nominal 20 µsec pulse width)", "to the Sync input of the Q710.",
          "Click the Sync button to transmit the sync command."}) {
        text->addWidget(new QLabel(QString::fromUtf8(line), this));
    }

    auto* syncButton = new QPushButton(QStringLiteral("Sync"), this);
    syncButton->setObjectName(QStringLiteral("sync"));
    syncButton->setDefault(true);
    auto* cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("cancel"));
    cancelButton->setAutoDefault(false);
    connect(syncButton, &QPushButton::clicked, this, [this] { sync(); });
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(syncButton);
    buttons->addWidget(cancelButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(text);
    layout->addLayout(buttons);
}

void PpsSyncDialog::sync() {
    // While another request waits the dialog stays open, so Sync can be pressed again.
    if (m_context.station.requestPending()) {
        return;
    }
    QPointer<QWidget> frame = parentWidget();
    auto onDone = [&prompts = m_context.prompts, frame](const engine::RequestOutcome& outcome) {
        if (outcome.completed) {
            prompts.information(frame, QStringLiteral("Command Status"),
                                syncResultText(outcome.reply));
        }
    };
    if (m_context.station.request("W22", "", {engine::kStatusSyncAnswered, kReplyLimit}, onDone) ==
        link::PendingRequestSlot::FillResult::Accepted) {
        accept();
    }
}

QString syncResultText(const std::string& reply) {
    constexpr std::string_view kEcho = "\x02W22 ";
    const bool completed = std::string_view(reply).substr(0, kEcho.size()) == kEcho;
    return QStringLiteral("Sync Complete\n Status = ") +
           (completed ? QStringLiteral("Completed") : QStringLiteral("Did Not Complete"));
}

}  // namespace brevik2::dialogs
