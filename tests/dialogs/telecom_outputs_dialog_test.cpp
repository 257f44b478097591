// The telecom outputs dialog: its controls and rules through the widgets, the requests it
// queues, and Apply All against the simulated unit with a real monitor thread.

#include "dialogs/telecom_outputs_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <algorithm>

#include "engine/status_message.h"
#include "monitored_sim_session.h"

using brevik2::dialogs::TelecomOutputsDialog;
using brevik2::engine::NvRecord;
using brevik2::testing::MonitoredSimSession;
using FillResult = brevik2::link::PendingRequestSlot::FillResult;

namespace {

template <typename T>
T* child(const QWidget& dialog, const char* name) {
    T* widget = dialog.findChild<T*>(QString::fromLatin1(name));
    if (widget == nullptr) {
        qFatal("no widget %s", name);
    }
    return widget;
}

void click(const QWidget& dialog, const char* name) {
    child<QAbstractButton>(dialog, name)->click();
}

bool checked(const QWidget& dialog, const char* name) {
    return child<QCheckBox>(dialog, name)->isChecked();
}

void select(const QWidget& dialog, const char* list, int index) {
    child<QComboBox>(dialog, list)->setCurrentIndex(index);
}

// Plays the monitor thread's part: takes the waiting request and frees the slot.
QString takeRequest(brevik2::link::PendingRequestSlot& slot, int* completion = nullptr) {
    if (!slot.isPending()) {
        return QStringLiteral("<nothing>");
    }
    const auto request = slot.take();
    if (completion != nullptr) {
        *completion = request.completionCode;
    }
    slot.release();
    return QString::fromStdString(request.code + " " + request.parameter);
}

}  // namespace

class TelecomOutputsDialogTest : public QObject {
    Q_OBJECT
private slots:
    void opensWithTheUnitsSettings() {
        MonitoredSimSession s;  // not started: the records are set by hand
        s.records.nvram.setUnsigned(NvRecord::kE1DataFormat, 4);
        s.records.nvram.setUnsigned(NvRecord::kE1FaultStrategy, 0x2);
        s.records.nvram.setUnsigned(NvRecord::kSsmOnSa, 7);
        s.records.nvram.setUnsigned(NvRecord::kT1BitstreamFormat, 3);
        s.records.nvram.setUnsigned(NvRecord::kT1FaultStrategy, 3);
        s.records.nvram.setChar(NvRecord::kChannel2Type, 'T');
        s.records.nvram.setChar(NvRecord::kChannel2Format, 'C');
        s.records.nvram.setChar(NvRecord::kChannel2Drive, 'B');
        s.records.nvram.setUnsigned(NvRecord::kChannel2Liu, 6);
        TelecomOutputsDialog dialog(s.context);
        dialog.show();
        QCOMPARE(dialog.windowTitle(), "Configure VRX-80 Telecomunications Outputs");
        QCOMPARE(child<QComboBox>(dialog, "e1Format")->currentText(), "CRC-4 and TS16");
        QCOMPARE(child<QComboBox>(dialog, "e1SaChannel")->currentText(), "7");
        QVERIFY(checked(dialog, "e1Ts16") && !checked(dialog, "e1Mute"));
        QCOMPARE(child<QComboBox>(dialog, "t1Format")->currentText(), "D4 1:7");
        QVERIFY(checked(dialog, "t1Ais") && !checked(dialog, "t1Mute"));
        QCOMPARE(child<QComboBox>(dialog, "channel2Liu")->currentText(), "6 (T1 399-533 feet)");
        QVERIFY(checked(dialog, "channel2T1") && checked(dialog, "channel2Clocked") &&
                checked(dialog, "channel2Bal") && !checked(dialog, "channel2Framed"));
        // Channel 1 was never reported: no box, only "0 (E1)".
        QVERIFY(!checked(dialog, "channel1E1") && !checked(dialog, "channel1T1"));
        QCOMPARE(child<QComboBox>(dialog, "channel1Liu")->currentText(), "0 (E1)");
    }

    void checkBoxRulesThroughTheWidgets() {
        MonitoredSimSession s;
        s.records.nvram.setUnsigned(NvRecord::kE1DataFormat, 1);
        s.records.nvram.setUnsigned(NvRecord::kSsmOnSa, 8);
        s.records.nvram.setUnsigned(NvRecord::kE1FaultStrategy, 0x1);  // CRC-4 alone
        s.records.nvram.setUnsigned(NvRecord::kT1BitstreamFormat, 2);
        TelecomOutputsDialog dialog(s.context);
        dialog.show();

        click(dialog, "e1Crc4");
        QVERIFY(!checked(dialog, "e1Crc4") && checked(dialog, "e1Mute"));
        click(dialog, "e1Ssm");
        QVERIFY(checked(dialog, "e1Ssm") && !checked(dialog, "e1Mute"));
        click(dialog, "e1Crc4");
        click(dialog, "e1Ts16");
        click(dialog, "e1Send");
        QCOMPARE(takeRequest(s.shared.slot), "A20 1,8,0111");

        click(dialog, "t1Send");  // no strategy box: sent as Mute
        QCOMPARE(takeRequest(s.shared.slot), "A21 2,1");

        click(dialog, "channel1T1");
        QCOMPARE(child<QComboBox>(dialog, "channel1Liu")->currentIndex(), 3);
        QVERIFY(checked(dialog, "channel1T1") && !checked(dialog, "channel1E1"));
        select(dialog, "channel1Liu", 5);
        click(dialog, "channel1T1");
        QCOMPARE(child<QComboBox>(dialog, "channel1Liu")->currentIndex(), 5);
        click(dialog, "channel1Framed");
        click(dialog, "channel1Unbal");
        click(dialog, "channel1Send");
        QCOMPARE(takeRequest(s.shared.slot), "A22 1,T,F,U,5");
        click(dialog, "channel1E1");
        QCOMPARE(child<QComboBox>(dialog, "channel1Liu")->currentIndex(), 0);
        click(dialog, "channel2Send");
        QCOMPARE(takeRequest(s.shared.slot), "A22 2,E,C,U,0");
    }

    void aListWithoutEntryIsNeverSent() {
        MonitoredSimSession s;  // zero record: before the unit's first "D*5" reply
        TelecomOutputsDialog dialog(s.context);
        dialog.show();
        click(dialog, "e1Send");
        QVERIFY(!s.shared.slot.isPending());
        QVERIFY(dialog.message().contains("E1 Framing Pattern Generator"));
        click(dialog, "applyAll");
        QVERIFY(!s.shared.slot.isPending());
        QVERIFY(!dialog.applyAllBusy());
        QVERIFY(dialog.message().startsWith("Apply All not started."));
        // The channels have their "0 (E1)" entry and go out.
        click(dialog, "channel2Send");
        QCOMPARE(takeRequest(s.shared.slot), "A22 2,E,C,U,0");
        QVERIFY(dialog.message().isEmpty());
    }

    void applyAllRunsOnceAndOnlyOnItsOwnAnswers() {
        MonitoredSimSession s;
        s.records.nvram.setUnsigned(NvRecord::kE1DataFormat, 2);
        s.records.nvram.setUnsigned(NvRecord::kSsmOnSa, 4);
        s.records.nvram.setUnsigned(NvRecord::kT1BitstreamFormat, 1);
        TelecomOutputsDialog dialog(s.context);
        dialog.show();
        dialog.advanceApplyAll();  // a stray answer starts nothing
        QVERIFY(!s.shared.slot.isPending());

        click(dialog, "applyAll");
        click(dialog, "applyAll");  // finds the sequence busy
        int completion = -1;
        QCOMPARE(takeRequest(s.shared.slot, &completion), "A20 2,4,0000");
        QCOMPARE(completion, brevik2::engine::kStatusTelecomAnswered);
        QVERIFY(!s.shared.slot.isPending());
        const char* const rest[] = {"A21 1,1", "A22 1,E,C,U,0", "A22 2,E,C,U,0"};
        for (int step = 0; step < 3; ++step) {
            dialog.advanceApplyAll();
            QCOMPARE(takeRequest(s.shared.slot, &completion), rest[step]);
            QCOMPARE(completion, step < 2 ? 18 : 0);
        }
        QVERIFY(!dialog.applyAllBusy());

        // A step the slot drops ends the sequence instead of locking the button.
        QCOMPARE(s.shared.slot.fill("A08", "", 1024, 0), FillResult::Accepted);
        click(dialog, "applyAll");
        QVERIFY(!dialog.applyAllBusy());
        QVERIFY(!dialog.message().isEmpty());
        QCOMPARE(takeRequest(s.shared.slot), "A08 ");
    }

    void eachSendAndApplyAllReachTheUnit() {
        MonitoredSimSession s;
        QVERIFY(s.start());
        TelecomOutputsDialog dialog(s.context);
        dialog.show();
        // The simulated unit's own settings, read back through "D*5".
        QCOMPARE(child<QComboBox>(dialog, "e1Format")->currentText(), "CRC-4");
        QVERIFY(checked(dialog, "e1Crc4") && checked(dialog, "e1Ssm"));
        QVERIFY(checked(dialog, "channel2T1") && checked(dialog, "channel2Unbal"));
        QCOMPARE(child<QComboBox>(dialog, "channel2Liu")->currentIndex(), 3);

        select(dialog, "e1Format", 2);
        select(dialog, "e1SaChannel", 3);
        click(dialog, "e1Mute");
        click(dialog, "e1Send");
        QVERIFY(s.waitUntilSlotFree());
        QCOMPARE(s.server->state().telecom.e1Format, 3);
        QCOMPARE(s.server->state().telecom.ssmOnSa, 7);
        QCOMPARE(s.server->state().telecom.e1FaultBits, 0x8u);

        select(dialog, "t1Format", 2);
        click(dialog, "t1Ais");
        click(dialog, "t1Send");
        QVERIFY(s.waitUntilSlotFree());
        QCOMPARE(s.server->state().telecom.t1Format, 3);
        QCOMPARE(s.server->state().telecom.t1Strategy, 3);

        click(dialog, "channel1Clocked");
        click(dialog, "channel1Send");
        QVERIFY(s.waitUntilSlotFree());
        QCOMPARE(s.server->state().telecom.channel[0].format, 'C');

        click(dialog, "channel2E1");
        click(dialog, "channel2Send");
        QVERIFY(s.waitUntilSlotFree());
        QCOMPARE(s.server->state().telecom.channel[1].type, 'E');
        QCOMPARE(s.server->state().telecom.channel[1].liu, 0);

        // Closed after its first step, the sequence stalls; opening again clears it.
        const auto answers = [&] {
            return std::count_if(s.received.begin(), s.received.end(), [](const auto& m) {
                return m.code == brevik2::engine::kStatusTelecomAnswered;
            });
        };
        const auto answersBefore = answers();
        click(dialog, "applyAll");
        dialog.reject();
        // The step's answer reaches the closed dialog, which queues nothing more: T1 went out
        // once only, by its own Send.
        QVERIFY(s.waitFor([&] { return answers() > answersBefore; }));
        QVERIFY(!s.shared.slot.isPending());
        QCOMPARE(s.timesSeen("A21 3,3"), 1);
        dialog.show();
        QVERIFY(!dialog.applyAllBusy());

        select(dialog, "e1Format", 0);
        click(dialog, "t1Ssm");
        click(dialog, "channel1Bal");
        click(dialog, "channel1Framed");
        select(dialog, "channel1Liu", 1);
        click(dialog, "channel2T1");
        click(dialog, "applyAll");
        QVERIFY(s.waitFor([&] { return !dialog.applyAllBusy(); }));
        QVERIFY(s.waitUntilSlotFree());
        const auto telecom = s.server->state().telecom;
        QCOMPARE(telecom.e1Format, 1);
        QCOMPARE(telecom.t1Strategy, 2);
        QCOMPARE(telecom.channel[0].type, 'E');
        QCOMPARE(telecom.channel[0].format, 'F');
        QCOMPARE(telecom.channel[0].drive, 'B');
        QCOMPARE(telecom.channel[0].liu, 1);
        QCOMPARE(telecom.channel[1].type, 'T');
        QCOMPARE(telecom.channel[1].liu, 3);
    }
};

QTEST_MAIN(TelecomOutputsDialogTest)
#include "telecom_outputs_dialog_test.moc"
