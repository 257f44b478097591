#include "dialogs/telecom_outputs_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "engine/station.h"
#include "engine/status_message.h"
#include "engine/status_records.h"
#include "engine/telecom_names.h"
#include "link/command_catalogue.h"

namespace brevik2::dialogs {
namespace {

using E1Box = TelecomControls::E1Box;
using T1Box = TelecomControls::T1Box;
using ChannelBox = TelecomControls::ChannelBox;

template <std::size_t N>
QStringList entries(const std::array<std::string_view, N>& names) {
    QStringList list;
    for (const std::string_view name : names) {
        list.append(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
    }
    return list;
}

const QStringList kSaChannels{"4", "5", "6", "7", "8"};

QComboBox* makeList(const QStringList& entries, const QString& name, QWidget* parent) {
    auto* list = new QComboBox(parent);
    list->addItems(entries);
    list->setObjectName(name);
    return list;
}

QCheckBox* makeBox(const QString& text, const QString& name, QWidget* parent) {
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(name);
    return box;
}

QPushButton* makeSendButton(const QString& name, QWidget* parent) {
    auto* button = new QPushButton(QStringLiteral("Send"), parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

TelecomOutputsDialog::TelecomOutputsDialog(DialogContext& context, QWidget* parent)
    : LongLivedDialog(parent), m_context(context) {
    setWindowTitle(QStringLiteral("Configure VRX-80 Telecomunications Outputs"));

    auto* groups = new QGridLayout;
    groups->addWidget(buildE1Group(), 0, 0);
    groups->addWidget(buildT1Group(), 0, 1);
    groups->addWidget(buildChannelGroup(0), 1, 0);
    groups->addWidget(buildChannelGroup(1), 1, 1);

    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("message"));
    m_message->setWordWrap(true);

    auto* applyAllButton = new QPushButton(QStringLiteral("Apply All"), this);
    applyAllButton->setObjectName(QStringLiteral("applyAll"));
    applyAllButton->setDefault(true);
    auto* closeButton = new QPushButton(QStringLiteral("Close"), this);
    closeButton->setObjectName(QStringLiteral("close"));
    closeButton->setAutoDefault(false);
    connect(applyAllButton, &QPushButton::clicked, this, [this] { applyAll(); });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(applyAllButton);
    buttons->addWidget(closeButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addWidget(m_message);
    layout->addLayout(buttons);
}

QWidget* TelecomOutputsDialog::buildE1Group() {
    auto* group = new QGroupBox(QStringLiteral("E1 Framing Pattern Generator"), this);
    m_e1Format = makeList(entries(engine::kE1FormatNames), QStringLiteral("e1Format"), group);
    m_e1SaChannel = makeList(kSaChannels, QStringLiteral("e1SaChannel"), group);

    auto* strategy = new QGroupBox(QStringLiteral("Fault Strategy"), group);
    m_e1Mute = makeBox(QStringLiteral("Mute"), QStringLiteral("e1Mute"), strategy);
    m_e1Ssm = makeBox(QStringLiteral("SSM"), QStringLiteral("e1Ssm"), strategy);
    m_e1Crc4 = makeBox(QStringLiteral("CRC-4"), QStringLiteral("e1Crc4"), strategy);
    m_e1Ts16 = makeBox(QStringLiteral("TS-16"), QStringLiteral("e1Ts16"), strategy);
    auto* strategyLayout = new QVBoxLayout(strategy);
    for (auto [box, kind] : {std::pair{m_e1Mute, E1Box::Mute}, std::pair{m_e1Ssm, E1Box::Ssm},
                             std::pair{m_e1Crc4, E1Box::Crc4}, std::pair{m_e1Ts16, E1Box::Ts16}}) {
        strategyLayout->addWidget(box);
        connect(box, &QCheckBox::clicked, this, [this, kind] { clickE1(kind); });
    }

    auto* send = makeSendButton(QStringLiteral("e1Send"), group);
    connect(send, &QPushButton::clicked, this, [this] { sendGroup(Group::E1); });

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Format"), m_e1Format);
    form->addRow(QStringLiteral("SSM on SA Channel"), m_e1SaChannel);
    auto* layout = new QVBoxLayout(group);
    layout->addLayout(form);
    layout->addWidget(strategy);
    layout->addWidget(send, 0, Qt::AlignRight);
    return group;
}

QWidget* TelecomOutputsDialog::buildT1Group() {
    auto* group = new QGroupBox(QStringLiteral("T1 Framing Pattern Generator"), this);
    m_t1Format = makeList(entries(engine::kT1FormatNames), QStringLiteral("t1Format"), group);

    auto* strategy = new QGroupBox(QStringLiteral("Fault Strategy"), group);
    m_t1Mute = makeBox(QStringLiteral("Mute"), QStringLiteral("t1Mute"), strategy);
    m_t1Ssm = makeBox(QStringLiteral("SSM"), QStringLiteral("t1Ssm"), strategy);
    m_t1Ais = makeBox(QStringLiteral("AIS"), QStringLiteral("t1Ais"), strategy);
    auto* strategyLayout = new QVBoxLayout(strategy);
    for (auto [box, kind] : {std::pair{m_t1Mute, T1Box::Mute}, std::pair{m_t1Ssm, T1Box::Ssm},
                             std::pair{m_t1Ais, T1Box::Ais}}) {
        strategyLayout->addWidget(box);
        connect(box, &QCheckBox::clicked, this, [this, kind] { clickT1(kind); });
    }

    auto* send = makeSendButton(QStringLiteral("t1Send"), group);
    connect(send, &QPushButton::clicked, this, [this] { sendGroup(Group::T1); });

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Format"), m_t1Format);
    auto* layout = new QVBoxLayout(group);
    layout->addLayout(form);
    layout->addWidget(strategy);
    layout->addStretch();
    layout->addWidget(send, 0, Qt::AlignRight);
    return group;
}

QWidget* TelecomOutputsDialog::buildChannelGroup(int index) {
    const QString number = QString::number(index + 1);
    const QString prefix = QStringLiteral("channel%1").arg(number);
    auto* group = new QGroupBox(QStringLiteral("Telecom Output Channel %1").arg(number), this);
    ChannelWidgets& w = m_channel[index];
    w.clocked = makeBox(QStringLiteral("Clocked"), prefix + "Clocked", group);
    w.framed = makeBox(QStringLiteral("Framed"), prefix + "Framed", group);
    w.t1 = makeBox(QStringLiteral("T1"), prefix + "T1", group);
    w.e1 = makeBox(QStringLiteral("E1"), prefix + "E1", group);
    w.balanced = makeBox(QStringLiteral("Bal"), prefix + "Bal", group);
    w.unbalanced = makeBox(QStringLiteral("Unbal"), prefix + "Unbal", group);
    w.liu = makeList(entries(engine::kLiuSettingNames), prefix + "Liu", group);

    auto* boxes = new QGridLayout;
    const std::pair<QCheckBox*, ChannelBox> pairs[] = {{w.clocked, ChannelBox::Clocked},
                                                       {w.framed, ChannelBox::Framed},
                                                       {w.t1, ChannelBox::T1},
                                                       {w.e1, ChannelBox::E1},
                                                       {w.balanced, ChannelBox::Balanced},
                                                       {w.unbalanced, ChannelBox::Unbalanced}};
    for (int i = 0; i < 6; ++i) {
        auto [box, kind] = pairs[i];
        boxes->addWidget(box, i / 2, i % 2);
        connect(box, &QCheckBox::clicked, this, [this, index, kind] { clickChannel(index, kind); });
    }

    auto* send = makeSendButton(prefix + "Send", group);
    const Group sendsGroup = index == 0 ? Group::Channel1 : Group::Channel2;
    connect(send, &QPushButton::clicked, this, [this, sendsGroup] { sendGroup(sendsGroup); });

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("LIU setting"), w.liu);
    auto* layout = new QVBoxLayout(group);
    layout->addLayout(boxes);
    layout->addLayout(form);
    layout->addWidget(send, 0, Qt::AlignRight);
    return group;
}

TelecomControls TelecomOutputsDialog::controls() const {
    TelecomControls c;
    c.e1.formatIndex = m_e1Format->currentIndex();
    c.e1.saChannelIndex = m_e1SaChannel->currentIndex();
    c.e1.mute = m_e1Mute->isChecked();
    c.e1.ssm = m_e1Ssm->isChecked();
    c.e1.crc4 = m_e1Crc4->isChecked();
    c.e1.ts16 = m_e1Ts16->isChecked();
    c.t1.formatIndex = m_t1Format->currentIndex();
    c.t1.mute = m_t1Mute->isChecked();
    c.t1.ssm = m_t1Ssm->isChecked();
    c.t1.ais = m_t1Ais->isChecked();
    for (std::size_t i = 0; i < m_channel.size(); ++i) {
        const ChannelWidgets& w = m_channel[i];
        TelecomControls::Channel& channel = c.channel[i];
        channel.clocked = w.clocked->isChecked();
        channel.framed = w.framed->isChecked();
        channel.t1 = w.t1->isChecked();
        channel.e1 = w.e1->isChecked();
        channel.balanced = w.balanced->isChecked();
        channel.unbalanced = w.unbalanced->isChecked();
        channel.liuIndex = w.liu->currentIndex();
    }
    return c;
}

void TelecomOutputsDialog::setControls(const TelecomControls& c) {
    // An index outside a list selects no entry, as -1 does.
    auto select = [](QComboBox* list, int index) {
        list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
    };
    select(m_e1Format, c.e1.formatIndex);
    select(m_e1SaChannel, c.e1.saChannelIndex);
    m_e1Mute->setChecked(c.e1.mute);
    m_e1Ssm->setChecked(c.e1.ssm);
    m_e1Crc4->setChecked(c.e1.crc4);
    m_e1Ts16->setChecked(c.e1.ts16);
    select(m_t1Format, c.t1.formatIndex);
    m_t1Mute->setChecked(c.t1.mute);
    m_t1Ssm->setChecked(c.t1.ssm);
    m_t1Ais->setChecked(c.t1.ais);
    for (std::size_t i = 0; i < m_channel.size(); ++i) {
        const ChannelWidgets& w = m_channel[i];
        const TelecomControls::Channel& channel = c.channel[i];
        w.clocked->setChecked(channel.clocked);
        w.framed->setChecked(channel.framed);
        w.t1->setChecked(channel.t1);
        w.e1->setChecked(channel.e1);
        w.balanced->setChecked(channel.balanced);
        w.unbalanced->setChecked(channel.unbalanced);
        select(w.liu, channel.liuIndex);
    }
}

QString TelecomOutputsDialog::message() const {
    return m_message->text();
}

void TelecomOutputsDialog::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        // A sequence that stalled (a failed exchange, or closed before its last step) would
        // otherwise keep Apply All locked for the rest of the run.
        m_applyStep = 0;
        m_applyBusy = false;
        m_message->clear();
        setControls(TelecomControls::fromRecord(m_context.records.nvram));
    }
    LongLivedDialog::showEvent(event);
}

void TelecomOutputsDialog::clickE1(E1Box box) {
    TelecomControls c = controls();
    TelecomControls::clickE1(c.e1, box);
    setControls(c);
}

void TelecomOutputsDialog::clickT1(T1Box box) {
    TelecomControls c = controls();
    TelecomControls::clickT1(c.t1, box);
    setControls(c);
}

void TelecomOutputsDialog::clickChannel(int index, ChannelBox box) {
    TelecomControls c = controls();
    TelecomControls::clickChannel(c.channel[static_cast<std::size_t>(index)], box);
    setControls(c);
}

std::optional<std::string> TelecomOutputsDialog::parameterFor(Group group,
                                                              const TelecomControls& c) {
    switch (group) {
        case Group::E1:
            return TelecomControls::e1Parameter(c.e1);
        case Group::T1:
            return TelecomControls::t1Parameter(c.t1);
        case Group::Channel1:
            return TelecomControls::channelParameter(1, c.channel[0]);
        case Group::Channel2:
            return TelecomControls::channelParameter(2, c.channel[1]);
    }
    return std::nullopt;
}

const char* TelecomOutputsDialog::codeFor(Group group) {
    switch (group) {
        case Group::E1:
            return "A20";
        case Group::T1:
            return "A21";
        case Group::Channel1:
        case Group::Channel2:
            break;
    }
    return "A22";
}

QString TelecomOutputsDialog::missingEntryText(Group group) {
    switch (group) {
        case Group::E1:
            return QStringLiteral(
                "E1 Framing Pattern Generator not sent: choose a Format and an SSM on SA "
                "Channel entry.");
        case Group::T1:
            return QStringLiteral("T1 Framing Pattern Generator not sent: choose a Format entry.");
        case Group::Channel1:
            return QStringLiteral("Telecom Output Channel 1 not sent: choose an LIU setting.");
        case Group::Channel2:
            return QStringLiteral("Telecom Output Channel 2 not sent: choose an LIU setting.");
    }
    return {};
}

void TelecomOutputsDialog::sendGroup(Group group) {
    const std::optional<std::string> parameter = parameterFor(group, controls());
    if (!parameter) {
        m_message->setText(missingEntryText(group));
        return;
    }
    m_message->clear();
    // A single Send wants no answer; a request already pending makes the slot drop it.
    m_context.station.request(codeFor(group), *parameter, {});
}

void TelecomOutputsDialog::applyAll() {
    if (m_applyBusy) {
        return;
    }
    const TelecomControls c = controls();
    for (Group group : {Group::E1, Group::T1, Group::Channel1, Group::Channel2}) {
        if (!parameterFor(group, c)) {
            m_message->setText(QStringLiteral("Apply All not started. ") + missingEntryText(group));
            return;
        }
    }
    m_message->clear();
    m_applyStep = 0;
    advance();
}

void TelecomOutputsDialog::advanceApplyAll() {
    if (m_applyBusy) {
        advance();
    }
}

void TelecomOutputsDialog::advance() {
    m_applyBusy = true;
    ++m_applyStep;
    Group group = Group::E1;
    switch (m_applyStep) {
        case 1:
            group = Group::E1;
            break;
        case 2:
            group = Group::T1;
            break;
        case 3:
            group = Group::Channel1;
            break;
        case 4:
            group = Group::Channel2;
            break;
        default:
            endApplyAll();
            return;
    }
    // Each step is built from the controls as they are now.
    const std::optional<std::string> parameter = parameterFor(group, controls());
    if (!parameter) {
        m_message->setText(QStringLiteral("Apply All stopped. ") + missingEntryText(group));
        endApplyAll();
        return;
    }
    const bool last = m_applyStep == 4;
    engine::Station::OnDone onDone;
    if (!last) {
        onDone = [self = QPointer(this)](const engine::RequestOutcome& outcome) {
            if (!self) {
                return;
            }
            if (!outcome.completed) {
                // Without an answer the next step would wait for ever: end here instead.
                self->m_message->setText(
                    QStringLiteral("Apply All stopped: the unit did not answer. Press Apply All "
                                   "again."));
                self->endApplyAll();
            } else if (self->dialogOpen()) {
                self->advanceApplyAll();
            }
        };
    }
    const auto result = m_context.station.request(
        codeFor(group), *parameter,
        {last ? engine::kStatusNothing : engine::kStatusTelecomAnswered, 0}, std::move(onDone));
    if (result != link::PendingRequestSlot::FillResult::Accepted) {
        // A dropped step would never be answered: end here so Apply All can be pressed again.
        m_message->setText(
            QStringLiteral("Apply All stopped: another request was waiting. Press Apply All "
                           "again."));
        endApplyAll();
        return;
    }
    if (last) {
        endApplyAll();
    }
}

void TelecomOutputsDialog::endApplyAll() {
    m_applyStep = 0;
    m_applyBusy = false;
}

}  // namespace brevik2::dialogs
