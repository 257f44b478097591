// The test and diagnostics dialog against the simulated unit: test modes started and ended
// through the shared flags, the requests of each button, and the result list.

#include "dialogs/test_diagnostics_dialog.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "engine/status_message.h"
#include "monitored_sim_session.h"

using brevik2::dialogs::TestDiagnosticsDialog;
using brevik2::testing::MonitoredSimSession;
namespace engine = brevik2::engine;

namespace {

QPushButton* button(const QWidget& dialog, const char* name) {
    return dialog.findChild<QPushButton*>(QString::fromLatin1(name));
}

QListWidget* results(const QWidget& dialog) {
    return dialog.findChild<QListWidget*>("results");
}

bool hasResult(const QWidget& dialog, const QString& text) {
    return !results(dialog)->findItems(text, Qt::MatchContains).isEmpty();
}

void chooseEntry(const QWidget& dialog, const char* list, const QString& entry) {
    auto* combo = dialog.findChild<QComboBox*>(QString::fromLatin1(list));
    combo->setCurrentIndex(combo->findText(entry));
}

// Test-mode lines come every two seconds: slower than the thread reads them, a byte a cycle.
brevik2::sim::SimOptions slowTestLines() {
    brevik2::sim::SimOptions options;
    options.testLinePeriod = std::chrono::milliseconds(2000);
    return options;
}

}  // namespace

class TestDiagnosticsDialogTest : public QObject {
    Q_OBJECT
private slots:
    void opensWithItsShownTexts() {
        MonitoredSimSession s;
        TestDiagnosticsDialog dialog(s.context);
        QCOMPARE(button(dialog, "test1")->text(), "Start Test");
        QCOMPARE(button(dialog, "ppsSync")->text(), "Enable");
        dialog.show();
        QCOMPARE(dialog.windowTitle(), "Test and Diagnostics");
        QCOMPARE(button(dialog, "test1")->text(), "Start");
        QCOMPARE(button(dialog, "ppsSync")->text(), "Sync");
        QCOMPARE(button(dialog, "timeUpdating")->text(), "Start");
        QCOMPARE(dialog.findChild<QLineEdit*>("timeField")->text(), "+0020");
        QCOMPARE(dialog.findChild<QComboBox*>("ddsList")->currentText(), "1");
        QCOMPARE(dialog.findChild<QComboBox*>("gainList")->currentText(), "01h");
        QCOMPARE(dialog.findChild<QComboBox*>("gainList")->itemText(8), "AlignGainPot");
    }

    // Typed text that names no entry is refused in the dialog, never sent as the entry before.
    void typedTextThatIsNoEntryIsRefused() {
        MonitoredSimSession s;  // not started: nothing may reach the slot anyway
        TestDiagnosticsDialog dialog(s.context);
        dialog.show();
        for (const char* list : {"ddsList", "gainList"}) {
            dialog.findChild<QComboBox*>(list)->setEditText("7x");
        }
        for (const char* name : {"setDds", "setGainDac"}) {
            button(dialog, name)->click();
            QVERIFY(!s.shared.slot.isPending());
            QCOMPARE(s.shared.testModeFlags.load(), 0u);
            QVERIFY(dialog.findChild<QLabel*>("message")->text().startsWith("Not sent"));
        }
        chooseEntry(dialog, "ddsList", "3");
        button(dialog, "setDds")->click();
        QCOMPARE(QString::fromStdString(s.shared.slot.take().parameter), "3");
        QVERIFY(dialog.findChild<QLabel*>("message")->text().isEmpty());
    }

    void resultListKeepsTheNewestLines() {
        MonitoredSimSession s;
        TestDiagnosticsDialog dialog(s.context);
        dialog.show();
        dialog.addResultLine("ok\r\n");
        dialog.addResultLine("x");
        for (int i = 0; i < TestDiagnosticsDialog::kMaxResultLines; ++i) {
            dialog.addResultLine("line " + std::to_string(i) + "\r\n");
        }
        QCOMPARE(results(dialog)->count(), TestDiagnosticsDialog::kMaxResultLines);
        QCOMPARE(results(dialog)->item(0)->text(), "line 0");
        QCOMPARE(results(dialog)->item(results(dialog)->count() - 1)->text(),
                 QStringLiteral("line %1").arg(TestDiagnosticsDialog::kMaxResultLines - 1));
        dialog.reject();
        dialog.show();
        QCOMPARE(results(dialog)->count(), 0);
    }

    void testModeOneStartsAndEnds() {
        MonitoredSimSession s;
        QVERIFY(s.start(slowTestLines()));
        TestDiagnosticsDialog dialog(s.context);
        dialog.show();

        button(dialog, "test1")->click();
        QCOMPARE(button(dialog, "test1")->text(), "End Test");
        QCOMPARE(s.shared.testModeFlags.load(), std::uint32_t{engine::kTestMode1});
        QVERIFY(s.waitFor([&] { return hasResult(dialog, "A01 1"); }));
        // A line of the running test, its line end cut off.
        QVERIFY(s.waitFor([&] { return hasResult(dialog, "DAC"); }, 20000));
        const auto lines = results(dialog)->findItems("DAC", Qt::MatchContains);
        QVERIFY(!lines.front()->text().endsWith('\n'));

        // Another test waits for this one.
        button(dialog, "setDds")->click();
        QVERIFY(!s.shared.slot.isPending());

        button(dialog, "test1")->click();
        QCOMPARE(button(dialog, "test1")->text(), "Done");
        QVERIFY(s.shared.testModeFlags.load() & engine::kTestModesEnd);
        QVERIFY(s.waitFor([&] { return s.shared.testModeFlags.load() == 0; }));
        QVERIFY(s.timesSeen("A01 0") >= 1);
        QCOMPARE(s.server->state().testModes[0], 0);
        button(dialog, "test1")->click();
        QCOMPARE(button(dialog, "test1")->text(), "End Test");
        QVERIFY(s.waitUntilSlotFree());
        dialog.accept();
        QVERIFY(s.waitFor([&] { return s.shared.testModeFlags.load() == 0; }));
    }

    void gainDacEntriesAndClosingWhileTestThreeRuns() {
        MonitoredSimSession s;
        QVERIFY(s.start(slowTestLines()));
        TestDiagnosticsDialog dialog(s.context);
        dialog.show();

        chooseEntry(dialog, "gainList", "AlignGainPot");
        button(dialog, "setGainDac")->click();
        QVERIFY(s.waitForRequest("A03 183"));
        QVERIFY(s.waitUntilSlotFree());
        chooseEntry(dialog, "gainList", "10h");
        button(dialog, "setGainDac")->click();
        QVERIFY(s.waitForRequest("A03 16"));
        QVERIFY(s.waitUntilSlotFree());
        QCOMPARE(s.server->state().dacGain, 16);

        button(dialog, "test1")->click();  // test mode 3 runs
        QVERIFY(!s.shared.slot.isPending());
        QCOMPARE(button(dialog, "test1")->text(), "Start");

        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
        QVERIFY(s.waitFor([&] { return s.shared.testModeFlags.load() == 0; }));
        QVERIFY(s.timesSeen("A03 0") >= 1);
        QCOMPARE(s.server->state().testModes[2], 0);
    }

    void timeUpdatingAndPpsSync() {
        MonitoredSimSession s;
        QVERIFY(s.start());
        TestDiagnosticsDialog dialog(s.context);
        dialog.show();
        QPushButton* time = button(dialog, "timeUpdating");
        auto* field = dialog.findChild<QLineEdit*>("timeField");

        time->click();
        QCOMPARE(time->text(), "Stop");
        time->click();  // still pending: ignored
        QCOMPARE(time->text(), "Stop");
        QVERIFY(s.waitForRequest("W03 +00020f"));
        QVERIFY(s.waitUntilSlotFree());
        time->click();
        QCOMPARE(time->text(), "Restart");
        QVERIFY(s.waitForRequest("W04"));
        QVERIFY(s.waitUntilSlotFree());
        field->setText("1500");
        time->click();
        QVERIFY(s.waitForRequest("W03 +01500f"));
        QVERIFY(s.waitUntilSlotFree());
        time->click();
        QVERIFY(s.waitUntilSlotFree());
        field->setText("abc");
        time->click();
        QVERIFY(s.waitForRequest("W03 +00000f"));
        QVERIFY(s.waitUntilSlotFree());

        QPushButton* sync = button(dialog, "ppsSync");
        sync->click();
        QCOMPARE(sync->text(), "Done");
        QVERIFY(s.waitUntilSlotFree());
        sync->click();
        QCOMPARE(sync->text(), "Sync");
        QVERIFY(!s.shared.slot.isPending());
        sync->click();
        QVERIFY(s.waitUntilSlotFree());
        QCOMPARE(s.timesSeen("W22"), 2);
        QCOMPARE(s.shared.testModeFlags.load(), 0u);
    }
};

QTEST_MAIN(TestDiagnosticsDialogTest)
#include "test_diagnostics_dialog_test.moc"
