#pragma once

#include <QDialog>
#include <array>
#include <optional>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace brevik2::dialogs {

struct DialogContext;
class EntryList;

// "Unit Initialization": one form of settings, each with its own button that queues exactly one
// request to the unit; there is no overall apply. It opens filled from the main frame's latest
// records and from the settings file. A button whose request was queued shows "done" or "Done"
// and does nothing more until its input changes or the form is opened again.
//
// Thread safety: user-interface thread only; requests go through the station.
class UnitInitializationDialog : public QDialog {
    Q_OBJECT
public:
    // The buttons, in the order of the form.
    enum Button {
        kUnitId,
        kSerialParameters,
        kTimeConstant,
        kFrequencyOffset,
        kCustomerMessage,
        kNominals,
        kEventLog,
        kDaylightSavings,
        kLeapSecond,
        kRestartFaultLevel,
        kButtonCount
    };

    explicit UnitInitializationDialog(DialogContext& context, QWidget* parent = nullptr);

    // Whether the button's request has been queued in this showing.
    bool isDone(Button button) const { return m_done[button]; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fillForm();
    void press(Button button);
    void inputChanged(Button button);
    // The button's parameter, or nothing when a list it needs has no entry selected.
    std::optional<std::string> parameterFor(Button button);
    std::optional<std::string> entryOf(const EntryList* list, const QString& name);

    DialogContext& m_context;
    QLineEdit* m_unitId;
    EntryList* m_baudRate;
    EntryList* m_dataBits;
    EntryList* m_parity;
    EntryList* m_stopBits;
    QLineEdit* m_timeConstant;
    QLineEdit* m_frequencyOffset;
    QLineEdit* m_customerMessage;
    EntryList* m_daylightSavings;
    EntryList* m_leapSecond;
    EntryList* m_restartFaultLevel;
    std::array<QPushButton*, kButtonCount> m_buttons{};
    std::array<bool, kButtonCount> m_done{};
    QLabel* m_message = nullptr;
};

}  // namespace brevik2::dialogs
