#include "dialogs/unit_initialization_dialog.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <cstring>
#include <initializer_list>
#include <tuple>

#include "dialogs/dialog_context.h"
#include "dialogs/entry_list.h"
#include "dialogs/unit_request_parameters.h"
#include "engine/station.h"
#include "engine/status_message.h"
#include "engine/status_records.h"
#include "link/settings_file.h"
#include "link/settings_keys.h"
#include "link/settings_value.h"

namespace brevik2::dialogs {

namespace keys = link::settings_keys;
namespace {

using engine::NvRecord;

// The unit's replies to these requests are short acknowledgements.
constexpr int kReplyLimit = 64;
// Serial settings are read with room for 31 characters.
constexpr std::size_t kSerialValueChars = 31;

struct ButtonRequest {
    const char* objectName;
    const char* caption;
    const char* code;
    int completionCode;
    const char* doneCaption;
};

// In the order of UnitInitializationDialog::Button.
constexpr ButtonRequest kButtons[] = {
    {"unitIdButton", "Set", "C01", 0, "done"},
    // The port is reset once the unit has answered at the old settings.
    {"serialParametersButton", "Set", "C05", 14, "done"},
    {"timeConstantButton", "Set", "W10", 0, "Done"},
    {"frequencyOffsetButton", "Set", "W01", 0, "done"},
    {"customerMessageButton", "Set", "C06", 0, "done"},
    {"nominalsButton", "Set", "C02", 0, "done"},
    {"eventLogButton", "Clear", "W18", 0, "done"},
    {"daylightSavingsButton", "Set", "A09", 0, "Done"},
    {"leapSecondButton", "Set", "A11", 0, "Done"},
    {"restartFaultLevelButton", "Set", "A18", 0, "Done"},
};
static_assert(std::size(kButtons) == UnitInitializationDialog::kButtonCount);

// The bytes sent for a field: one per character, as the unit reads them.
std::string wireText(const QLineEdit* field) {
    return field->text().left(static_cast<qsizetype>(kFieldTextChars)).toLatin1().toStdString();
}

// A one-line field wide enough to show the given number of characters.
QLineEdit* makeField(const char* name, int visibleChars, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setMinimumWidth(field->fontMetrics().horizontalAdvance(QLatin1Char('0')) *
                           (visibleChars + 2));
    return field;
}

EntryList* makeList(const char* name, const QStringList& entries, QWidget* parent) {
    auto* list = new EntryList(entries, EntryList::Typing::Allowed, parent);
    list->setObjectName(QString::fromLatin1(name));
    return list;
}

}  // namespace

UnitInitializationDialog::UnitInitializationDialog(DialogContext& context, QWidget* parent)
    : QDialog(parent), m_context(context) {
    setWindowTitle(QStringLiteral("Unit Initialization"));

    // Created in the order the Tab key visits them.
    auto button = [this](Button b) {
        auto* pushButton = new QPushButton(QString::fromLatin1(kButtons[b].caption), this);
        pushButton->setObjectName(QString::fromLatin1(kButtons[b].objectName));
        connect(pushButton, &QPushButton::clicked, this, [this, b] { press(b); });
        m_buttons[b] = pushButton;
        return pushButton;
    };
    m_unitId = makeField("unitIdField", 9, this);
    button(kUnitId);
    m_baudRate = makeList("baudRateList",
                          {"300", "600", "1200", "2400", "4800", "9600", "19200", "38400"}, this);
    m_dataBits = makeList("dataBitsList", {"7", "8"}, this);
    m_parity = makeList("parityList", {"Odd", "Even", "Mark", "Space", "None"}, this);
    m_stopBits = makeList("stopBitsList", {"1", "2"}, this);
    button(kSerialParameters);
    m_timeConstant = makeField("timeConstantField", 6, this);
    button(kTimeConstant);
    m_frequencyOffset = makeField("frequencyOffsetField", 11, this);
    button(kFrequencyOffset);
    m_customerMessage = makeField("customerMessageField", 11, this);
    button(kCustomerMessage);
    button(kNominals);
    button(kEventLog);
    m_daylightSavings = makeList("daylightSavingsList", {"On", "Off"}, this);
    button(kDaylightSavings);
    m_leapSecond = makeList("leapSecondList", {"Arm", "Disarm"}, this);
    button(kLeapSecond);
    m_restartFaultLevel = makeList("restartFaultLevelList", {"Critical", "Warning"}, this);
    button(kRestartFaultLevel);
    auto* done = new QPushButton(QStringLiteral("Done"), this);
    done->setObjectName(QStringLiteral("doneButton"));
    done->setDefault(true);
    connect(done, &QPushButton::clicked, this, &UnitInitializationDialog::accept);

    for (auto [field, b] : {std::pair{m_unitId, kUnitId},
                            {m_timeConstant, kTimeConstant},
                            {m_frequencyOffset, kFrequencyOffset},
                            {m_customerMessage, kCustomerMessage}}) {
        connect(field, &QLineEdit::textChanged, this, [this, b = b] { inputChanged(b); });
    }
    for (auto [list, b] : {std::pair{m_baudRate, kSerialParameters},
                           {m_dataBits, kSerialParameters},
                           {m_parity, kSerialParameters},
                           {m_stopBits, kSerialParameters},
                           {m_daylightSavings, kDaylightSavings},
                           {m_leapSecond, kLeapSecond},
                           {m_restartFaultLevel, kRestartFaultLevel}}) {
        connect(list, &QComboBox::currentTextChanged, this, [this, b = b] { inputChanged(b); });
    }

    // Left: the unit's identity, line and servo settings; right: the switches.
    auto label = [this](const char* text) { return new QLabel(QString::fromLatin1(text), this); };
    // One row a setting: its caption, its entry field (if any) and its button.
    auto addRows = [&](QGridLayout* grid, int firstRow,
                       std::initializer_list<std::tuple<const char*, QWidget*, int>> rows) {
        int row = firstRow;
        for (const auto& [caption, field, button] : rows) {
            grid->addWidget(label(caption), row, 0);
            if (field != nullptr) {
                grid->addWidget(field, row, 1);
            }
            grid->addWidget(m_buttons[button], row, 2);
            ++row;
        }
    };
    auto* left = new QGridLayout;
    addRows(left, 0, {{"Set Unit ID", m_unitId, kUnitId}});
    left->addWidget(label("Serial Port Parameters"), 1, 0, 1, 2);
    auto* serialLists = new QHBoxLayout;
    for (EntryList* list : {m_baudRate, m_dataBits, m_parity, m_stopBits}) {
        serialLists->addWidget(list);
    }
    left->addLayout(serialLists, 2, 0, 1, 2);
    left->addWidget(m_buttons[kSerialParameters], 2, 2);
    addRows(left, 3,
            {{"Servo  Loop Time Constant", m_timeConstant, kTimeConstant},
             {"Frequency Offset (parts e-15)", m_frequencyOffset, kFrequencyOffset},
             {"Customer Message (11 chars max)", m_customerMessage, kCustomerMessage}});
    left->setColumnStretch(1, 1);

    auto* right = new QGridLayout;
    addRows(right, 0,
            {{"Nominals", nullptr, kNominals},
             {"Event Log", nullptr, kEventLog},
             {"Daylight Savings Mode", m_daylightSavings, kDaylightSavings},
             {"Leap Second Insertion", m_leapSecond, kLeapSecond},
             {"Restart Fault Level", m_restartFaultLevel, kRestartFaultLevel}});
    // Refusals are said here: the status bar is overwritten by the monitor thread within a
    // cycle, and this dialog covers it anyway.
    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("message"));
    m_message->setWordWrap(true);
    right->addWidget(m_message, 5, 0, 1, 3, Qt::AlignTop);
    right->setRowStretch(5, 1);
    right->addWidget(done, 6, 1, 1, 2, Qt::AlignRight);

    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::VLine);
    divider->setFrameShadow(QFrame::Sunken);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addWidget(divider);
    layout->addLayout(right);
}

void UnitInitializationDialog::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        fillForm();
    }
    QDialog::showEvent(event);
}

void UnitInitializationDialog::fillForm() {
    const engine::UnitRecords& records = m_context.records;

    // A unit ID of 0 means no variables reply has been read yet: nothing sensible to show.
    const std::int32_t unitId = records.variables.asSigned(engine::kVarUnitId);
    if (unitId != 0) {
        m_unitId->setText(QString::fromStdString(formatUnitId(unitId)));
        m_frequencyOffset->setText(QString::fromStdString(
            formatFrequencyOffset(records.variables.asSigned(engine::kVarFreqTune))));
    } else {
        m_unitId->clear();
        m_frequencyOffset->clear();
    }

    const struct {
        const link::SettingsKey& key;
        EntryList* list;
    } kSerial[] = {
        {keys::kBaudRate, m_baudRate},
        {keys::kParity, m_parity},
        {keys::kDataBits, m_dataBits},
        {keys::kStopBits, m_stopBits},
    };
    for (const auto& item : kSerial) {
        item.list->clearSelection();
        const std::string value = link::trimSettingsValue(m_context.settings.readString(
            item.key.name, item.key.dialogFallback, kSerialValueChars));
        item.list->selectByPrefix(QString::fromStdString(value));
    }

    const auto& txt = records.constants.txt;
    m_customerMessage->setText(
        QString::fromLatin1(txt.data(), static_cast<qsizetype>(strnlen(txt.data(), txt.size()))));
    m_timeConstant->setText(
        QString::fromStdString(formatTimeConstant(records.variables.asFloat(engine::kVarOcxoTau))));

    const NvRecord& nv = records.nvram;
    m_restartFaultLevel->selectByPrefix(nv.asSigned(NvRecord::kRestartFaultLevel) != 0
                                            ? QStringLiteral("Critical")
                                            : QStringLiteral("Warning"));
    m_leapSecond->selectByPrefix(nv.asSigned(NvRecord::kLeapSecondArmed) != 0
                                     ? QStringLiteral("Arm")
                                     : QStringLiteral("Disarm"));
    m_daylightSavings->selectByPrefix(nv.asSigned(NvRecord::kDaylightSavings) != 0
                                          ? QStringLiteral("On")
                                          : QStringLiteral("Off"));

    m_message->clear();
    m_done.fill(false);
    for (int b = 0; b < kButtonCount; ++b) {
        m_buttons[b]->setText(QString::fromLatin1(kButtons[b].caption));
    }
}

void UnitInitializationDialog::inputChanged(Button button) {
    if (m_done[button]) {
        m_done[button] = false;
        m_buttons[button]->setText(QString::fromLatin1(kButtons[button].caption));
    }
}

std::optional<std::string> UnitInitializationDialog::entryOf(const EntryList* list,
                                                             const QString& name) {
    if (const auto entry = list->selectedEntry()) {
        return entry->toStdString();
    }
    // Sending whatever text stands in the list would send a value the unit may not know.
    m_message->setText(QStringLiteral("Not sent: choose the %1 from its list").arg(name));
    return std::nullopt;
}

std::optional<std::string> UnitInitializationDialog::parameterFor(Button button) {
    auto switchOf = [this](const EntryList* list, const char* name, std::string_view onWord) {
        const auto entry = entryOf(list, QString::fromLatin1(name));
        return entry ? std::optional(switchParameter(*entry, onWord)) : std::nullopt;
    };
    switch (button) {
        case kUnitId:
            return unitIdParameter(wireText(m_unitId));
        case kSerialParameters: {
            const auto baudRate = entryOf(m_baudRate, QStringLiteral("baud rate"));
            const auto dataBits =
                baudRate ? entryOf(m_dataBits, QStringLiteral("data bits")) : std::nullopt;
            const auto parity =
                dataBits ? entryOf(m_parity, QStringLiteral("parity")) : std::nullopt;
            const auto stopBits =
                parity ? entryOf(m_stopBits, QStringLiteral("stop bits")) : std::nullopt;
            if (!stopBits) {
                return std::nullopt;
            }
            // Written before the request is queued, so the port reset that follows the answer
            // reads the new values.
            const link::SettingsFile& settings = m_context.settings;
            settings.writeString(keys::kParity.name, *parity);
            settings.writeString(keys::kDataBits.name, *dataBits);
            settings.writeString(keys::kStopBits.name, *stopBits);
            settings.writeString(keys::kBaudRate.name, *baudRate);
            return serialParameters(*baudRate, *dataBits, *parity, *stopBits);
        }
        case kTimeConstant:
            return timeConstantParameter(wireText(m_timeConstant));
        case kFrequencyOffset:
            return frequencyOffsetParameter(wireText(m_frequencyOffset));
        case kCustomerMessage:
            return customerMessageParameter(wireText(m_customerMessage));
        case kNominals:
        case kEventLog:
            return std::string();
        case kDaylightSavings:
            return switchOf(m_daylightSavings, "daylight savings mode", "on");
        case kLeapSecond:
            return switchOf(m_leapSecond, "leap second insertion", "arm");
        case kRestartFaultLevel:
            return switchOf(m_restartFaultLevel, "restart fault level", "critical");
        case kButtonCount:
            break;
    }
    return std::nullopt;
}

void UnitInitializationDialog::press(Button button) {
    // Only this thread fills the slot, so a slot free now is still free at fill() below.
    if (m_done[button] || m_context.station.requestPending()) {
        return;
    }
    const std::optional<std::string> parameter = parameterFor(button);
    if (!parameter) {
        return;
    }
    const ButtonRequest& request = kButtons[button];
    using Result = link::PendingRequestSlot::FillResult;
    engine::Station::OnDone onDone;
    if (request.completionCode == engine::kStatusSerialParametersAnswered) {
        onDone = [&station = m_context.station](const engine::RequestOutcome& outcome) {
            if (outcome.completed) {
                station.reconfigurePort();
            }
        };
    }
    if (m_context.station.request(request.code, *parameter, {request.completionCode, kReplyLimit},
                                  std::move(onDone)) != Result::Accepted) {
        return;  // dropped without a word, as any request made while another waits
    }
    m_message->clear();
    m_done[button] = true;
    m_buttons[button]->setText(QString::fromLatin1(request.doneCaption));
}

}  // namespace brevik2::dialogs
