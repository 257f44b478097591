#include "dialogs/ttl_output_dialog.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <string>

#include "engine/station.h"
#include "engine/status_message.h"

namespace brevik2::dialogs {
namespace {

// The unit answers "W07" in a short line; a limit this small keeps a runaway reply brief.
constexpr int kReplyLimit = 32;

}  // namespace

TtlOutputDialog::TtlOutputDialog(DialogContext& context, QWidget* parent)
    : LongLivedDialog(parent), m_context(context) {
    setWindowTitle(QStringLiteral("Program TTL Output"));

    auto* group = new QGroupBox(this);
    auto* exclusive = new QButtonGroup(this);
    auto* groupLayout = new QVBoxLayout(group);
    const char* const texts[] = {"100 KHz", "1MHz", "5MHz", "10MHz"};
    for (std::size_t i = 0; i < m_frequency.size(); ++i) {
        m_frequency[i] = new QRadioButton(QString::fromLatin1(texts[i]), group);
        m_frequency[i]->setObjectName(QStringLiteral("frequency%1").arg(i + 1));
        exclusive->addButton(m_frequency[i], static_cast<int>(i) + 1);
        groupLayout->addWidget(m_frequency[i]);
    }

    auto* setDeviceButton = new QPushButton(QStringLiteral("Set Device"), this);
    setDeviceButton->setObjectName(QStringLiteral("setDevice"));
    setDeviceButton->setAutoDefault(false);
    auto* okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("ok"));
    okButton->setDefault(true);
    auto* cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("cancel"));
    cancelButton->setAutoDefault(false);
    connect(setDeviceButton, &QPushButton::clicked, this, [this] { setDevice(); });
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(setDeviceButton);
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
}

int TtlOutputDialog::selectedFrequency() const {
    for (std::size_t i = 0; i < m_frequency.size(); ++i) {
        if (m_frequency[i]->isChecked()) {
            return static_cast<int>(i) + 1;
        }
    }
    return 0;
}

void TtlOutputDialog::selectFrequency(int number) {
    if (number >= 1 && number <= static_cast<int>(m_frequency.size())) {
        m_frequency[static_cast<std::size_t>(number) - 1]->setChecked(true);
    }
}

void TtlOutputDialog::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        selectFrequency(4);
    }
    LongLivedDialog::showEvent(event);
}

void TtlOutputDialog::setDevice() {
    const int number = selectedFrequency();
    if (number == 0 || m_context.station.requestPending()) {
        return;
    }
    m_context.station.request("W07", std::to_string(number), {engine::kStatusNothing, kReplyLimit});
}

}  // namespace brevik2::dialogs
