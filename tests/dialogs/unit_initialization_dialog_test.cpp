// The unit initialization dialog on the offscreen platform: the form as it opens from the
// records and the settings file, the request each button queues, and when a button may queue.

#include "dialogs/unit_initialization_dialog.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <cstring>

#include "dialogs/entry_list.h"
#include "setup_dialog_fixture.h"

using brevik2::dialogs::EntryList;
using brevik2::dialogs::UnitInitializationDialog;
using brevik2::engine::NvRecord;
using brevik2::testing::SetupDialogFixture;
namespace engine = brevik2::engine;

namespace {

const char* const kButtonNames[] = {"unitIdButton",          "serialParametersButton",
                                    "timeConstantButton",    "frequencyOffsetButton",
                                    "customerMessageButton", "nominalsButton",
                                    "eventLogButton",        "daylightSavingsButton",
                                    "leapSecondButton",      "restartFaultLevelButton"};

QPushButton* button(const QDialog& dialog, const QString& name) {
    auto* found = dialog.findChild<QPushButton*>(name);
    if (found == nullptr) {
        qFatal("no button %s", qPrintable(name));
    }
    return found;
}

// What a field or list shows: a field's text, a list's selected entry ("" for none).
QString shown(const QDialog& dialog, const QString& name) {
    if (auto* list = dialog.findChild<EntryList*>(name)) {
        return list->selectedEntry().value_or(QString());
    }
    if (auto* field = dialog.findChild<QLineEdit*>(name)) {
        return field->text();
    }
    qFatal("no input %s", qPrintable(name));
}

// Types into a field, or picks the entry of a list.
void enter(const QDialog& dialog, const QString& name, const QString& value) {
    if (auto* list = dialog.findChild<EntryList*>(name)) {
        QVERIFY(list->selectByPrefix(value));
    } else if (auto* field = dialog.findChild<QLineEdit*>(name)) {
        field->setText(value);
    } else {
        QFAIL(qPrintable("no input " + name));
    }
}

void setRecords(engine::UnitRecords& records, int unitId, int freqTune, float tau, const char* txt,
                int daylight, int leap, int restart) {
    records.variables.setSigned(engine::kVarUnitId, unitId);
    records.variables.setSigned(engine::kVarFreqTune, freqTune);
    records.variables.setFloat(engine::kVarOcxoTau, tau);
    std::strncpy(records.constants.txt.data(), txt, records.constants.txt.size() - 1);
    records.nvram.setSigned(NvRecord::kDaylightSavings, daylight);
    records.nvram.setSigned(NvRecord::kLeapSecondArmed, leap);
    records.nvram.setSigned(NvRecord::kRestartFaultLevel, restart);
}

// Most cases' start: nothing stored, unit 1010 with these read-outs and the same value in each
// of the three switches.
void prepareUnit(SetupDialogFixture& f, int freqTune, const char* txt, int switches) {
    f.writeSettings("");
    setRecords(f.records, 1010, freqTune, 1.0f, txt, switches, switches, switches);
}

}  // namespace

class UnitInitializationDialogTest : public QObject {
    Q_OBJECT
private slots:
    void opensFromRecordsAndSettings_data();
    void opensFromRecordsAndSettings();
    void eachButtonQueuesItsRequest_data();
    void eachButtonQueuesItsRequest();
    void serialParametersStoreTheLineFirst();
    void aListWithoutAnEntryQueuesNothing_data();
    void aListWithoutAnEntryQueuesNothing();
    void aPendingRequestBlocksEveryButton();
    void aDoneButtonWaitsForItsInputToChange();
    void reopeningClearsEveryDoneFlag();
    void enterClosesWithoutSending_data();
    void enterClosesWithoutSending();
};

void UnitInitializationDialogTest::opensFromRecordsAndSettings_data() {
    QTest::addColumn<int>("unitId");
    QTest::addColumn<int>("freqTune");
    QTest::addColumn<float>("tau");
    QTest::addColumn<QString>("txt");
    QTest::addColumn<int>("nvFlags");  // the same value in fields 11, 14 and 21
    QTest::addColumn<QString>("lines");
    // unit ID, frequency offset, time constant, message, baud, data, parity, stop,
    // daylight savings, leap second, restart fault level
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("nothing parsed yet")
        << 0 << 77 << 0.0f << "" << 0 << ""
        << QStringList{"", "", " 0.00", "", "9600", "8", "None", "1", "Off", "Disarm", "Warning"};
    QTest::newRow("unit 1010, offset -25, unusual line")
        << 1010 << -25 << 1.333f << "SIMULATOR" << -1 << "Parity=n\nStopBits=2\nBaudRate=115200\n"
        << QStringList{"01010", "-000025", " 1.33", "SIMULATOR", "",        "8",
                       "None",  "2",       "On",    "Arm",       "Critical"};
    QTest::newRow("prefixes, comments, no match")
        << 7 << 150 << 12.5f << "HELLO" << 1 << "Parity=e ; even\nDataBits=7\nStopBits=1.5\n"
        << QStringList{"00007", "+000150", "12.50", "HELLO", "9600",    "7",
                       "Even",  "",        "On",    "Arm",   "Critical"};
}

void UnitInitializationDialogTest::opensFromRecordsAndSettings() {
    QFETCH(int, unitId);
    QFETCH(int, freqTune);
    QFETCH(float, tau);
    QFETCH(QString, txt);
    QFETCH(int, nvFlags);
    QFETCH(QString, lines);
    QFETCH(QStringList, expected);
    SetupDialogFixture f;
    f.writeSettings(lines.toStdString());
    setRecords(f.records, unitId, freqTune, tau, qPrintable(txt), nvFlags, nvFlags, nvFlags);
    UnitInitializationDialog dialog(f.context);
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QString("Unit Initialization"));
    QStringList actual;
    for (const char* name :
         {"unitIdField", "frequencyOffsetField", "timeConstantField", "customerMessageField",
          "baudRateList", "dataBitsList", "parityList", "stopBitsList", "daylightSavingsList",
          "leapSecondList", "restartFaultLevelList"}) {
        actual << shown(dialog, name);
    }
    QCOMPARE(actual, expected);
}

void UnitInitializationDialogTest::eachButtonQueuesItsRequest_data() {
    QTest::addColumn<QString>("buttonName");
    QTest::addColumn<QString>("input");  // "" = the button has none
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("parameter");
    QTest::addColumn<QString>("caption");
    const QStringList rows[] = {
        {"unitIdButton", "unitIdField", "01234", "C01", "01234", "done"},
        {"timeConstantButton", "timeConstantField", "1.333", "W10", "1 1.33", "Done"},
        {"frequencyOffsetButton", "frequencyOffsetField", "150", "W01", "+000150  ", "done"},
        {"customerMessageButton", "customerMessageField", "ABC", "C06", "ABC______", "done"},
        {"nominalsButton", "", "", "C02", "", "done"},
        {"eventLogButton", "", "", "W18", "", "done"},
        {"daylightSavingsButton", "daylightSavingsList", "On", "A09", "1", "Done"},
        {"leapSecondButton", "leapSecondList", "Disarm", "A11", "0", "Done"},
        {"restartFaultLevelButton", "restartFaultLevelList", "Critical", "A18", "1", "Done"},
    };
    for (const QStringList& row : rows) {
        QTest::newRow(qPrintable(row[0]))
            << row[0] << row[1] << row[2] << row[3] << row[4] << row[5];
    }
}

void UnitInitializationDialogTest::eachButtonQueuesItsRequest() {
    QFETCH(QString, buttonName);
    QFETCH(QString, input);
    QFETCH(QString, value);
    QFETCH(QString, code);
    QFETCH(QString, parameter);
    QFETCH(QString, caption);
    SetupDialogFixture f;
    prepareUnit(f, 0, "", 0);
    UnitInitializationDialog dialog(f.context);
    dialog.show();
    if (!input.isEmpty()) {
        enter(dialog, input, value);
    }
    const std::string before = f.fileText();
    QPushButton* pressed = button(dialog, buttonName);
    pressed->click();

    QVERIFY(f.shared.slot.isPending());
    const auto& request = f.shared.slot.take();
    QCOMPARE(QString::fromStdString(request.code), code);
    QCOMPARE(QString::fromStdString(request.parameter), parameter);
    QCOMPARE(request.replyLimit, 64);
    QCOMPARE(request.completionCode, 0);
    QCOMPARE(pressed->text(), caption);
    QCOMPARE(f.fileText(), before);  // only the serial parameters touch the settings
    QVERIFY(dialog.findChild<QLabel*>("message")->text().isEmpty());
}

void UnitInitializationDialogTest::serialParametersStoreTheLineFirst() {
    SetupDialogFixture f;
    f.writeSettings("");
    UnitInitializationDialog dialog(f.context);
    dialog.show();
    enter(dialog, "baudRateList", "19200");
    enter(dialog, "dataBitsList", "8");
    enter(dialog, "parityList", "Even");
    enter(dialog, "stopBitsList", "1");
    button(dialog, "serialParametersButton")->click();

    QCOMPARE(QString::fromStdString(f.fileText()),
             QString("[Brevik2]\nParity=Even\nDataBits=8\nStopBits=1\nBaudRate=19200\n"));
    const auto& request = f.shared.slot.take();
    QCOMPARE(QString::fromStdString(request.code), QString("C05"));
    QCOMPARE(QString::fromStdString(request.parameter), QString("19200,8,E,1"));
    QCOMPARE(request.replyLimit, 64);
    QCOMPARE(request.completionCode, 14);
    QCOMPARE(button(dialog, "serialParametersButton")->text(), QString("done"));

    // The port is reset only once the unit has answered at the old line settings.
    QVERIFY(!f.shared.portReconfigure.load());
    brevik2::engine::StatusMessage answered;
    answered.code = request.completionCode;
    answered.outcome = brevik2::engine::RequestOutcome{request.ticket, true,
                                                       "\x02"
                                                       "C05 OK\x03",
                                                       ""};
    f.shared.slot.release();
    f.station.threadReporter().statusMessage(answered);
    QTRY_VERIFY(f.shared.portReconfigure.load());
}

void UnitInitializationDialogTest::aListWithoutAnEntryQueuesNothing_data() {
    QTest::addColumn<QString>("lines");
    QTest::addColumn<QString>("list");  // a list to type into; "" = none
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("buttonName");
    const QStringList rows[] = {
        {"stored baud rate names no entry", "BaudRate=115200\n", "", "", "serialParametersButton"},
        {"typed parity", "", "parityList", "Ev", "serialParametersButton"},
        {"typed stop bits", "", "stopBitsList", "1.5", "serialParametersButton"},
        {"typed daylight savings", "", "daylightSavingsList", "Maybe", "daylightSavingsButton"},
        {"emptied leap second", "", "leapSecondList", "", "leapSecondButton"},
        {"typed restart level", "", "restartFaultLevelList", "critical", "restartFaultLevelButton"},
    };
    for (const QStringList& row : rows) {
        QTest::newRow(qPrintable(row[0])) << row[1] << row[2] << row[3] << row[4];
    }
}

void UnitInitializationDialogTest::aListWithoutAnEntryQueuesNothing() {
    QFETCH(QString, lines);
    QFETCH(QString, list);
    QFETCH(QString, typed);
    QFETCH(QString, buttonName);
    SetupDialogFixture f;
    f.writeSettings(lines.toStdString());
    UnitInitializationDialog dialog(f.context);
    dialog.show();
    if (!list.isEmpty()) {
        dialog.findChild<EntryList*>(list)->setEditText(typed);
    }
    const std::string before = f.fileText();
    button(dialog, buttonName)->click();
    QVERIFY(!f.shared.slot.isPending());
    QCOMPARE(button(dialog, buttonName)->text(), QString("Set"));
    QCOMPARE(f.fileText(), before);
    // Said in the dialog itself, which covers the status bar.
    QVERIFY(dialog.findChild<QLabel*>("message")->text().startsWith("Not sent"));
}

void UnitInitializationDialogTest::aPendingRequestBlocksEveryButton() {
    SetupDialogFixture f;
    prepareUnit(f, 5, "MSG", 1);
    UnitInitializationDialog dialog(f.context);
    dialog.show();
    QCOMPARE(f.shared.slot.fill("W00", "", 64, 11),
             brevik2::link::PendingRequestSlot::FillResult::Accepted);
    const std::string before = f.fileText();
    for (const char* name : kButtonNames) {
        const QString caption = button(dialog, name)->text();
        button(dialog, name)->click();
        QCOMPARE(button(dialog, name)->text(), caption);
    }
    QCOMPARE(QString::fromStdString(f.shared.slot.take().code), QString("W00"));
    QCOMPARE(f.shared.slot.take().completionCode, 11);
    QCOMPARE(f.fileText(), before);
    for (int b = 0; b < UnitInitializationDialog::kButtonCount; ++b) {
        QVERIFY(!dialog.isDone(static_cast<UnitInitializationDialog::Button>(b)));
    }
}

void UnitInitializationDialogTest::aDoneButtonWaitsForItsInputToChange() {
    // Each input, a new value for it, and the button it belongs to.
    const struct {
        const char* input;
        const char* changed;
        const char* buttonName;
    } kCases[] = {
        {"unitIdField", "00042", "unitIdButton"},
        {"baudRateList", "4800", "serialParametersButton"},
        {"dataBitsList", "7", "serialParametersButton"},
        {"parityList", "Odd", "serialParametersButton"},
        {"stopBitsList", "2", "serialParametersButton"},
        {"timeConstantField", "3", "timeConstantButton"},
        {"frequencyOffsetField", "-9", "frequencyOffsetButton"},
        {"customerMessageField", "NEW", "customerMessageButton"},
        {"daylightSavingsList", "On", "daylightSavingsButton"},
        {"leapSecondList", "Arm", "leapSecondButton"},
        {"restartFaultLevelList", "Critical", "restartFaultLevelButton"},
    };
    SetupDialogFixture f;
    prepareUnit(f, 5, "MSG", 0);
    UnitInitializationDialog dialog(f.context);
    dialog.show();
    for (const auto& c : kCases) {
        QPushButton* pressed = button(dialog, c.buttonName);
        if (pressed->text() == "Set") {  // the serial button is done already after its first list
            pressed->click();
            QVERIFY2(f.shared.slot.isPending(), c.input);
            f.shared.slot.release();  // the unit has answered
        }
        pressed->click();
        QVERIFY2(!f.shared.slot.isPending(), c.input);  // done: pressing again does nothing

        enter(dialog, c.input, c.changed);
        QCOMPARE(pressed->text(), QString("Set"));
        pressed->click();
        QVERIFY2(f.shared.slot.isPending(), c.input);
        f.shared.slot.release();
    }
    // Nominals and the event log have no input: once done, they stay done.
    for (const char* name : {"nominalsButton", "eventLogButton"}) {
        button(dialog, name)->click();
        QVERIFY(f.shared.slot.isPending());
        f.shared.slot.release();
        button(dialog, name)->click();
        QVERIFY(!f.shared.slot.isPending());
        QCOMPARE(button(dialog, name)->text(), QString("done"));
    }
}

void UnitInitializationDialogTest::reopeningClearsEveryDoneFlag() {
    SetupDialogFixture f;
    prepareUnit(f, 5, "MSG", 0);
    UnitInitializationDialog dialog(f.context);
    dialog.show();
    for (const char* name : kButtonNames) {
        button(dialog, name)->click();
        QVERIFY2(f.shared.slot.isPending(), name);
        f.shared.slot.release();
    }
    for (int b = 0; b < UnitInitializationDialog::kButtonCount; ++b) {
        QVERIFY(dialog.isDone(static_cast<UnitInitializationDialog::Button>(b)));
    }
    dialog.hide();
    dialog.show();
    for (const char* name : kButtonNames) {
        QCOMPARE(button(dialog, name)->text(),
                 QString(name == QString("eventLogButton") ? "Clear" : "Set"));
    }
    button(dialog, "nominalsButton")->click();
    QVERIFY(f.shared.slot.isPending());
}

void UnitInitializationDialogTest::enterClosesWithoutSending_data() {
    QTest::addColumn<QString>("input");
    QTest::newRow("unit ID field") << "unitIdField";
    QTest::newRow("customer message field") << "customerMessageField";
    QTest::newRow("baud rate list") << "baudRateList";
    QTest::newRow("daylight savings list") << "daylightSavingsList";
}

void UnitInitializationDialogTest::enterClosesWithoutSending() {
    QFETCH(QString, input);
    SetupDialogFixture f;
    prepareUnit(f, 5, "MSG", 0);
    UnitInitializationDialog dialog(f.context);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    dialog.findChild<QWidget*>(input)->setFocus();
    QWidget* focus = QApplication::focusWidget();
    QVERIFY(focus != nullptr);
    QTest::keyClick(focus, Qt::Key_Return);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!f.shared.slot.isPending());
}

QTEST_MAIN(UnitInitializationDialogTest)
#include "unit_initialization_dialog_test.moc"
