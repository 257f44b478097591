#include "dialogs/test_diagnostics_dialog.h"

#include <optional>

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

#include "dialogs/diagnostics_parameters.h"
#include "engine/station.h"
#include "engine/status_message.h"

namespace brevik2::dialogs {
namespace {

// The unit answers these requests in one short line.
constexpr int kReplyLimit = 64;
constexpr int kFieldChars = 254;

QPushButton* makeButton(const QString& text, const QString& name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QComboBox* makeList(const QStringList& entries, const QString& name, QWidget* parent) {
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    list->setCompleter(nullptr);
    list->addItems(entries);
    return list;
}

// The entry the list's text names; an empty text is no entry chosen (""), any other text that
// names no entry is nothing, so the previous entry is never sent in its place.
std::optional<std::string> chosenEntry(const QComboBox* list) {
    const QString text = list->currentText();
    if (text.isEmpty() || list->findText(text, Qt::MatchExactly) >= 0) {
        return text.toStdString();
    }
    return std::nullopt;
}

}  // namespace

TestDiagnosticsDialog::TestDiagnosticsDialog(DialogContext& context, QWidget* parent)
    : LongLivedDialog(parent),
      m_context(context),
      m_testLines(context.station.onStatusMessage([this](const engine::StatusMessage& message) {
          if (message.code == engine::kStatusTestModeLine && dialogOpen()) {
              addResultLine(message.reply);
          }
      })) {
    setWindowTitle(QStringLiteral("Test and Diagnostics"));

    m_test1Button = makeButton(QStringLiteral("Start Test"), QStringLiteral("test1"), this);
    // The lists are sorted in their display order already.
    m_ddsList = makeList({"1", "2", "3", "4", "5", "6", "7", "8", "9", "End Test"},
                         QStringLiteral("ddsList"), this);
    m_ddsButton = makeButton(QStringLiteral("Set DDS"), QStringLiteral("setDds"), this);
    m_gainList = makeList(
        {"01h", "02h", "04h", "08h", "10h", "20h", "40h", "80h", "AlignGainPot", "End Test"},
        QStringLiteral("gainList"), this);
    m_gainButton = makeButton(QStringLiteral("Set Gain DAC"), QStringLiteral("setGainDac"), this);
    m_timeField = new QLineEdit(QStringLiteral("+0020"), this);
    m_timeField->setObjectName(QStringLiteral("timeField"));
    m_timeField->setMaxLength(kFieldChars);
    m_timeButton = makeButton(QStringLiteral("Start"), QStringLiteral("timeUpdating"), this);
    m_syncButton = makeButton(QStringLiteral("Enable"), QStringLiteral("ppsSync"), this);
    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("message"));
    m_message->setWordWrap(true);
    m_results = new QListWidget(this);
    m_results->setObjectName(QStringLiteral("results"));
    m_results->setMinimumSize(360, 160);
    auto* closeButton = new QPushButton(QStringLiteral("Close"), this);
    closeButton->setObjectName(QStringLiteral("close"));
    closeButton->setDefault(true);

    connect(m_test1Button, &QPushButton::clicked, this, [this] { test1(); });
    connect(m_ddsButton, &QPushButton::clicked, this, [this] { setDds(); });
    connect(m_gainButton, &QPushButton::clicked, this, [this] { setGainDac(); });
    connect(m_timeButton, &QPushButton::clicked, this, [this] { timeUpdating(); });
    connect(m_syncButton, &QPushButton::clicked, this, [this] { ppsSync(); });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* grid = new QGridLayout;
    int row = 0;
    grid->addWidget(new QLabel(QStringLiteral("Test 1 DAC / ADC loopback"), this), row, 0);
    grid->addWidget(m_test1Button, row++, 2);
    grid->addWidget(new QLabel(QStringLiteral("Test 2 DDS"), this), row, 0);
    grid->addWidget(m_ddsList, row, 1);
    grid->addWidget(m_ddsButton, row++, 2);
    grid->addWidget(new QLabel(QStringLiteral("Test 3 Gain DAC"), this), row, 0);
    grid->addWidget(m_gainList, row, 1);
    grid->addWidget(m_gainButton, row++, 2);
    grid->addWidget(new QLabel(QStringLiteral("Time Updating"), this), row, 0);
    grid->addWidget(m_timeField, row, 1);
    grid->addWidget(m_timeButton, row++, 2);
    grid->addWidget(new QLabel(QStringLiteral("PPS Sync Enable"), this), row, 0);
    grid->addWidget(m_syncButton, row++, 2);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(closeButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(m_message);
    layout->addWidget(m_results, 1);
    layout->addLayout(buttons);
}

void TestDiagnosticsDialog::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        // The test mode flags are left alone: the thread may still be ending a mode.
        m_ddsList->setCurrentIndex(0);
        m_gainList->setCurrentIndex(0);
        m_test1Button->setText(QStringLiteral("Start"));
        m_syncButton->setText(QStringLiteral("Sync"));
        m_timeButton->setText(QStringLiteral("Start"));
        m_ddsButton->setText(QStringLiteral("Set DDS"));
        m_gainButton->setText(QStringLiteral("Set Gain DAC"));
        m_timeField->setText(QStringLiteral("+0020"));
        m_test1Running = false;
        m_syncSent = false;
        m_timeUpdating = false;
        m_results->clear();
        m_message->clear();
    }
    LongLivedDialog::showEvent(event);
}

void TestDiagnosticsDialog::done(int result) {
    // Close, Escape and the close box all end a running test mode, so polling resumes.
    if (m_context.station.testModes() != 0) {
        m_context.station.endTestModes();
    }
    LongLivedDialog::done(result);
}

bool TestDiagnosticsDialog::send(const char* code, const std::string& parameter) {
    auto onDone = [self = QPointer(this)](const engine::RequestOutcome& outcome) {
        if (self && outcome.completed && self->dialogOpen()) {
            self->addResultLine(outcome.reply);
        }
    };
    return m_context.station.request(code, parameter,
                                     {engine::kStatusTestRequestAnswered, kReplyLimit},
                                     onDone) == link::PendingRequestSlot::FillResult::Accepted;
}

bool TestDiagnosticsDialog::testModeFree(std::uint32_t allowedBit) const {
    if (m_context.station.requestPending()) {
        return false;
    }
    return (m_context.station.testModes() & ~allowedBit) == 0;
}

void TestDiagnosticsDialog::test1() {
    if (!testModeFree(engine::kTestMode1)) {
        return;
    }
    engine::Station& station = m_context.station;
    if (!m_test1Running) {
        station.startTestMode(engine::kTestMode1);
        if (!send("A01", "1")) {
            return;
        }
        m_test1Running = true;
        m_test1Button->setText(QStringLiteral("End Test"));
    } else {
        if (!send("A01", "0")) {
            return;
        }
        m_test1Running = false;
        m_test1Button->setText(QStringLiteral("Done"));
        station.endTestModes();
    }
}

void TestDiagnosticsDialog::setDds() {
    listTest(m_ddsList, "DDS setting", engine::kTestMode2, "A02", ddsParameter, m_ddsButton);
}

void TestDiagnosticsDialog::setGainDac() {
    listTest(m_gainList, "gain setting", engine::kTestMode3, "A03", gainParameter, m_gainButton);
}

void TestDiagnosticsDialog::listTest(const QComboBox* list, const char* what, std::uint32_t mode,
                                     const char* code, std::string (*parameter)(std::string_view),
                                     QPushButton* button) {
    if (!testModeFree(mode)) {
        return;
    }
    const std::optional<std::string> chosen = chosenEntry(list);
    if (!chosen) {
        m_message->setText(
            QStringLiteral("Not sent: choose the %1 from its list").arg(QLatin1String(what)));
        return;
    }
    m_message->clear();
    const std::string& entry = *chosen;
    engine::Station& station = m_context.station;
    station.startTestMode(mode);
    if (!send(code, parameter(entry))) {
        return;
    }
    if (entry.empty() || entry.front() == 'E') {
        button->setText(QStringLiteral("Done"));
        station.endTestModes();
    }
}

void TestDiagnosticsDialog::timeUpdating() {
    if (m_context.station.requestPending()) {
        return;
    }
    if (!m_timeUpdating) {
        const std::string field = m_timeField->text().left(kFieldChars).toStdString();
        if (!send("W03", timeUpdatingParameter(field))) {
            return;
        }
        m_timeUpdating = true;
        m_timeButton->setText(QStringLiteral("Stop"));
    } else {
        if (!send("W04", "")) {
            return;
        }
        m_timeUpdating = false;
        m_timeButton->setText(QStringLiteral("Restart"));
    }
}

void TestDiagnosticsDialog::ppsSync() {
    if (m_context.station.requestPending()) {
        return;
    }
    if (!m_syncSent) {
        if (!send("W22", "")) {
            return;
        }
        m_syncSent = true;
        m_syncButton->setText(QStringLiteral("Done"));
    } else {
        m_syncSent = false;
        m_syncButton->setText(QStringLiteral("Sync"));
    }
}

void TestDiagnosticsDialog::addResultLine(const std::string& reply) {
    const std::string text = resultLineText(reply);
    const QScrollBar* bar = m_results->verticalScrollBar();
    const bool following = bar->value() == bar->maximum();
    m_results->addItem(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
    while (m_results->count() > kMaxResultLines) {
        delete m_results->takeItem(0);
    }
    // Scrolling lays out the whole list, so a burst of lines scrolls once, after the burst; an
    // operator reading older lines is left where they are.
    if (following && !m_scrollPending) {
        m_scrollPending = true;
        QTimer::singleShot(0, this, [this] {
            m_scrollPending = false;
            m_results->scrollToBottom();
        });
    }
}

}  // namespace brevik2::dialogs
