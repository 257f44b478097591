#include "dialogs/command_dialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "engine/reply_lines.h"
#include "engine/station.h"
#include "engine/status_message.h"
#include "link/command_catalogue.h"

namespace brevik2::dialogs {
namespace {

constexpr int kParameterChars = 254;
constexpr int kLinesInView = 5;

QString fromView(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QLabel* makeCaption(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return label;
}

}  // namespace

CommandDialog::CommandDialog(DialogContext& context, QWidget* parent)
    : LongLivedDialog(parent), m_context(context) {
    setWindowTitle(QStringLiteral("Orrery Commands"));

    m_commands = new QComboBox(this);
    m_commands->setObjectName(QStringLiteral("commands"));
    m_commands->setEditable(true);
    m_commands->setInsertPolicy(QComboBox::NoInsert);
    m_commands->setCompleter(nullptr);
    m_commands->setMaxVisibleItems(12);
    m_commands->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_commands->setMinimumContentsLength(24);

    m_parameter = new QLineEdit(this);
    m_parameter->setObjectName(QStringLiteral("parameter"));
    m_parameter->setMaxLength(kParameterChars);
    // The field keeps its place while hidden, so the controls around it do not move.
    QSizePolicy keepSpace = m_parameter->sizePolicy();
    keepSpace.setRetainSizeWhenHidden(true);
    m_parameter->setSizePolicy(keepSpace);

    m_description = new QLabel(this);
    m_description->setObjectName(QStringLiteral("description"));
    m_description->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_description->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_description->setWordWrap(true);
    m_description->setMinimumSize(280, 90);

    m_transcript = new QListWidget(this);
    m_transcript->setObjectName(QStringLiteral("transcript"));
    m_transcript->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_transcript->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_transcript->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    m_transcript->setSelectionMode(QAbstractItemView::SingleSelection);
    m_transcript->setMinimumSize(600, 180);

    auto* sendButton = new QPushButton(QStringLiteral("Send Command"), this);
    sendButton->setObjectName(QStringLiteral("send"));
    sendButton->setAutoDefault(false);
    auto* closeButton = new QPushButton(QStringLiteral("Close"), this);
    closeButton->setObjectName(QStringLiteral("close"));
    closeButton->setDefault(true);

    connect(m_commands, &QComboBox::activated, this, [this](int row) { selectRow(row); });
    // Typed text counts only when it names a row; anything else leaves no row chosen.
    connect(m_commands->lineEdit(), &QLineEdit::textEdited, this,
            [this](const QString& text) { selectTyped(text); });
    connect(sendButton, &QPushButton::clicked, this, [this] { sendCommand(); });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* top = new QGridLayout;
    top->addWidget(makeCaption(QStringLiteral("Orr Commands"), this), 0, 0);
    top->addWidget(m_commands, 1, 0);
    top->addWidget(makeCaption(QStringLiteral("Command Parameters"), this), 2, 0);
    top->addWidget(m_parameter, 3, 0);
    top->addWidget(makeCaption(QStringLiteral("Description"), this), 0, 1);
    top->addWidget(m_description, 1, 1, 3, 1);
    top->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(sendButton);
    buttons->addStretch();
    buttons->addWidget(closeButton);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_transcript, 1);
    layout->addLayout(buttons);

    setTabOrder(m_commands, m_parameter);
    setTabOrder(m_parameter, m_transcript);
    setTabOrder(m_transcript, sendButton);
    setTabOrder(sendButton, closeButton);
}

int CommandDialog::rowNamed(const QString& text) {
    const auto& rows = link::commandCatalogue();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (text.compare(fromView(rows[i].displayName), Qt::CaseInsensitive) == 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void CommandDialog::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        m_commands->clear();
        for (const link::CommandRow& row : link::commandCatalogue()) {
            m_commands->addItem(fromView(row.displayName));
        }
        m_commands->setCurrentIndex(0);
        selectRow(0);
        m_transcript->clear();
        m_commands->setFocus();
    }
    LongLivedDialog::showEvent(event);
}

void CommandDialog::selectRow(int row) {
    const auto& rows = link::commandCatalogue();
    m_selectedRow = row >= 0 && row < static_cast<int>(rows.size()) ? row : -1;
    if (m_selectedRow < 0) {
        m_description->clear();
        m_parameter->hide();
        return;
    }
    const link::CommandRow& chosen = rows[static_cast<std::size_t>(m_selectedRow)];
    m_description->setText(fromView(chosen.description));
    if (chosen.takesParameter()) {
        // Whatever was typed for another row is replaced by this row's default.
        m_parameter->setText(fromView(chosen.defaultParameter));
        m_parameter->show();
    } else {
        m_parameter->hide();
    }
}

void CommandDialog::selectTyped(const QString& text) {
    const int row = rowNamed(text);
    if (row >= 0 && row != m_commands->currentIndex()) {
        // The list follows, so its popup opens at the named row; the typed text stays as typed.
        QLineEdit* edit = m_commands->lineEdit();
        const int cursor = edit->cursorPosition();
        const QSignalBlocker blocker(m_commands);
        m_commands->setCurrentIndex(row);
        edit->setText(text);
        edit->setCursorPosition(cursor);
    }
    selectRow(row);
}

void CommandDialog::sendCommand() {
    if (m_selectedRow < 0) {
        return;
    }
    const link::CommandRow& row = link::commandCatalogue()[static_cast<std::size_t>(m_selectedRow)];
    // Sent exactly as typed: not checked against the mask, not trimmed, possibly empty.
    const std::string parameter =
        row.takesParameter() ? m_parameter->text().left(kParameterChars).toLatin1().toStdString()
                             : std::string();
    const auto result =
        m_context.station.request(row.code, parameter, {engine::kStatusCommandAnswered, 0},
                                  [self = QPointer(this)](const engine::RequestOutcome& outcome) {
                                      if (self && outcome.completed && self->dialogOpen()) {
                                          self->showReply(outcome.reply);
                                      }
                                  });
    if (result == link::PendingRequestSlot::FillResult::Accepted) {
        m_replyLimit = row.replyLimit;
    }
    // The line shows the request as it goes on the wire, without its start and end bytes; it is
    // added even when the slot dropped the request, and then no reply follows it.
    m_transcript->addItem(
        fromView(row.code) + QStringLiteral(" 00000 ") +
        QString::fromLatin1(parameter.data(), static_cast<qsizetype>(parameter.size())));
}

void CommandDialog::showReply(const std::string& reply) {
    const std::vector<std::string> lines = engine::splitReplyLines(reply, m_replyLimit);
    if (lines.empty()) {
        return;
    }
    for (const std::string& line : lines) {
        m_transcript->addItem(
            QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size())));
    }
    scrollToNewest();
}

void CommandDialog::scrollToNewest() {
    const int count = m_transcript->count();
    const int top = count > kLinesInView ? count - kLinesInView : 0;
    m_transcript->scrollToItem(m_transcript->item(top), QAbstractItemView::PositionAtTop);
}

}  // namespace brevik2::dialogs
