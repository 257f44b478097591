// The serial setup dialog on the offscreen platform: what it selects from the settings file,
// what OK, Cancel and Enter store, and the Scanning dialog's part of Detect.

#include "dialogs/serial_setup_dialog.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "dialogs/entry_list.h"
#include "dialogs/scanning_dialog.h"
#include "link/port_name.h"
#include "link/serial_device_list.h"
#include "link/settings_defaults.h"
#include "setup_dialog_fixture.h"

using brevik2::dialogs::EntryList;
using brevik2::dialogs::ScanningDialog;
using brevik2::dialogs::SerialSetupDialog;
using brevik2::testing::SetupDialogFixture;

namespace {

const QStringList kListNames{"comPortList", "baudRateList", "dataBitsList", "stopBitsList",
                             "parityList"};

EntryList* list(const QDialog& dialog, const QString& name) {
    auto* found = dialog.findChild<EntryList*>(name);
    if (found == nullptr) {
        qFatal("no list %s", qPrintable(name));
    }
    return found;
}

// The selected entries in the order Com Port, Baud Rate, Data Bits, Stop Bits, Parity; "" for a
// list without one.
QStringList shown(const QDialog& dialog) {
    QStringList entries;
    for (const QString& name : kListNames) {
        entries << list(dialog, name)->selectedEntry().value_or(QString());
    }
    return entries;
}

void click(const QDialog& dialog, const char* button) {
    dialog.findChild<QPushButton*>(QString::fromLatin1(button))->click();
}

// Runs the check as soon as the Scanning dialog's own event loop runs, then lets the check
// close it; a check that forgets to close it still ends the test instead of hanging it.
void whileScanning(SerialSetupDialog& dialog, std::function<void(ScanningDialog&)> check) {
    QTimer::singleShot(0, &dialog, [&dialog, check] {
        auto* scanning = dialog.findChild<ScanningDialog*>();
        QVERIFY(scanning != nullptr);
        QVERIFY(scanning->isVisible());
        check(*scanning);
        if (scanning->isVisible()) {
            scanning->done(QDialog::Rejected);
            QFAIL("the Scanning dialog stayed open");
        }
    });
}

}  // namespace

class SerialSetupDialogTest : public QObject {
    Q_OBJECT
private slots:
    void opensWithTheStoredSettings_data();
    void opensWithTheStoredSettings();
    void portListOffersTheDevicesPresent();
    void okStoresTheEntriesInOrderThenAsksForAReopen();
    void okLeavesKeysOfListsWithoutAnEntry();
    void portListTakesATypedNetworkAddressOnly();
    void cancelAndEscapeStoreNothing();
    void enterInAnyListIsOk_data();
    void enterInAnyListIsOk();
    void reloadKeepsTheSelectionOfUnknownValues();
    void eachShowingStartsFromTheFile();
    void detectShowsScanningAndCancelWithdrawsTheRequest();
    void theScansEndClosesScanningAndShowsTheFileAndTheResult();
};

void SerialSetupDialogTest::opensWithTheStoredSettings_data() {
    QTest::addColumn<QString>("lines");  // "seeded" = the start-up defaults pass
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("seeded defaults") << "seeded" << QStringList{"Com1", "9600", "8", "1", "None"};
    QTest::newRow("no keys") << "" << QStringList{"Com1", "9600", "8", "1", "None"};
    QTest::newRow("lower case parity, port beyond Com4")
        << "ComPort=Com5\nParity=even\nBaudRate=2400\nDataBits=7\nStopBits=2\n"
        << QStringList{"", "2400", "7", "2", "Even"};
    QTest::newRow("capitals, comments and blanks")
        << "ComPort=COM3\nParity=ODD ; odd\nBaudRate=19200 \t; fast\n"
        << QStringList{"Com3", "19200", "8", "1", "Odd"};
    QTest::newRow("values naming no entry") << "BaudRate=14400\nStopBits=1.5\nParity=x\nDataBits=\n"
                                            << QStringList{"Com1", "", "", "", ""};
    QTest::newRow("prefixes") << "BaudRate=11\nParity=s\n"
                              << QStringList{"Com1", "115200", "8", "1", "Space"};
}

void SerialSetupDialogTest::opensWithTheStoredSettings() {
    QFETCH(QString, lines);
    QFETCH(QStringList, expected);
    SetupDialogFixture f;
    if (lines == "seeded") {
        brevik2::link::applyStartupDefaults(f.settings);
    } else {
        f.writeSettings(lines.toStdString());
    }
    SerialSetupDialog dialog(f.context);
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QString("Serial Communications Setup"));
    QCOMPARE(shown(dialog), expected);
}

void SerialSetupDialogTest::portListOffersTheDevicesPresent() {
    SetupDialogFixture f;
    // What Com1 to Com4 open (here no links, so /dev/ttyS0 to /dev/ttyS3) is not listed again.
    QStringList expected{"Com1", "Com2", "Com3", "Com4"};
    std::vector<std::string> named;
    for (const QString& port : expected) {
        named.push_back(
            brevik2::link::resolvePortName(port.toStdString(), f.settings.path().parent_path()));
    }
    for (const std::string& device : brevik2::link::listSerialDevices("/dev", named)) {
        expected << QString::fromStdString(device);
    }
    if (expected.size() > 4) {
        f.writeSettings("ComPort=" + expected.back().toStdString() + "\n");
    }
    SerialSetupDialog dialog(f.context);
    dialog.show();
    EntryList* ports = list(dialog, "comPortList");
    QStringList entries;
    for (int i = 0; i < ports->count(); ++i) {
        entries << ports->itemText(i);
    }
    QCOMPARE(entries, expected);
    QVERIFY(ports->isEditable());  // for a network address, typed
    QCOMPARE(ports->selectedEntry().value_or(QString()),
             expected.size() > 4 ? expected.back() : QString("Com1"));
}

void SerialSetupDialogTest::okStoresTheEntriesInOrderThenAsksForAReopen() {
    SetupDialogFixture f;
    f.writeSettings("");
    SerialSetupDialog dialog(f.context);
    dialog.show();
    list(dialog, "comPortList")->selectByPrefix("Com2");
    list(dialog, "baudRateList")->selectByPrefix("19200");
    list(dialog, "dataBitsList")->selectByPrefix("7");
    list(dialog, "stopBitsList")->selectByPrefix("2");
    list(dialog, "parityList")->selectByPrefix("Mark");
    click(dialog, "okButton");

    // New keys are added in the order they are written.
    QCOMPARE(QString::fromStdString(f.fileText()),
             QString("[Brevik2]\nBaudRate=19200\nParity=Mark\nDataBits=7\nComPort=Com2\n"
                     "StopBits=2\n"));
    QVERIFY(f.shared.portReconfigure.load());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
}

void SerialSetupDialogTest::portListTakesATypedNetworkAddressOnly() {
    // Longer than the 31 characters the other keys are read with.
    const std::string stored = "rfc2217://rack-7.station.example.org:40001";
    SetupDialogFixture f;
    f.writeSettings("ComPort=" + stored + " ; the rack\n");
    SerialSetupDialog dialog(f.context);
    dialog.show();
    EntryList* ports = list(dialog, "comPortList");
    QCOMPARE(ports->selectedEntry().value_or(QString()), QString::fromStdString(stored));

    for (const char* refused : {"tcp://host", "tcp://host:70000", "/dev/ttyS9", "Com9"}) {
        ports->setEditText(refused);
        QVERIFY2(!ports->selectedEntry(), refused);
    }
    ports->setEditText("tcp://10.1.2.3:4001");
    click(dialog, "okButton");
    QVERIFY(f.fileText().find("ComPort=tcp://10.1.2.3:4001\n") != std::string::npos);

    // Anything else typed leaves the key as it was.
    f.writeSettings("ComPort=Com2\n");
    dialog.show();
    list(dialog, "comPortList")->setEditText("telnet://10.1.2.3:23");
    click(dialog, "okButton");
    QVERIFY(f.fileText().find("ComPort=Com2\n") != std::string::npos);
}

void SerialSetupDialogTest::okLeavesKeysOfListsWithoutAnEntry() {
    SetupDialogFixture f;
    f.writeSettings("ComPort=Com7\nBaudRate=9600\nDataBits=8\nStopBits=1\nParity=n\n");
    SerialSetupDialog dialog(f.context);
    dialog.show();
    QCOMPARE(shown(dialog).front(), QString());
    list(dialog, "baudRateList")->setEditText("12345");  // typed, names no entry
    list(dialog, "dataBitsList")->setEditText("7");      // typed, but exactly an entry
    list(dialog, "parityList")->setEditText("Eve");
    click(dialog, "okButton");

    QCOMPARE(QString::fromStdString(f.fileText()),
             QString("[Brevik2]\nComPort=Com7\nBaudRate=9600\nDataBits=7\nStopBits=1\n"
                     "Parity=n\n"));
    QVERIFY(f.shared.portReconfigure.load());
}

void SerialSetupDialogTest::cancelAndEscapeStoreNothing() {
    for (const char* how : {"cancel", "escape"}) {
        SetupDialogFixture f;
        f.writeSettings("ComPort=Com1\nBaudRate=9600\n");
        const std::string before = f.fileText();
        SerialSetupDialog dialog(f.context);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        list(dialog, "comPortList")->selectByPrefix("Com4");
        list(dialog, "baudRateList")->selectByPrefix("300");
        if (QString(how) == "cancel") {
            click(dialog, "cancelButton");
        } else {
            QTest::keyClick(&dialog, Qt::Key_Escape);
        }
        QVERIFY2(!dialog.isVisible(), how);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(f.fileText(), before);
        QVERIFY(!f.shared.portReconfigure.load());
    }
}

void SerialSetupDialogTest::enterInAnyListIsOk_data() {
    QTest::addColumn<QString>("name");
    for (const QString& name : kListNames) {
        QTest::newRow(qPrintable(name)) << name;
    }
}

void SerialSetupDialogTest::enterInAnyListIsOk() {
    QFETCH(QString, name);
    SetupDialogFixture f;
    f.writeSettings("");
    SerialSetupDialog dialog(f.context);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    list(dialog, name)->setFocus();
    QWidget* focus = QApplication::focusWidget();
    QVERIFY(focus != nullptr);
    QTest::keyClick(focus, Qt::Key_Return);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(f.shared.portReconfigure.load());
    QCOMPARE(f.settings.readString("ComPort", ""), std::string("Com1"));
}

void SerialSetupDialogTest::reloadKeepsTheSelectionOfUnknownValues() {
    SetupDialogFixture f;
    f.writeSettings("ComPort=Com2\nBaudRate=9600\n");
    SerialSetupDialog dialog(f.context);
    dialog.show();
    f.writeSettings("ComPort=Com9\nBaudRate=4800\nDataBits=7\nStopBits=9\nParity=Odd\n");
    dialog.reloadFromSettings();
    QCOMPARE(shown(dialog), (QStringList{"Com2", "4800", "7", "1", "Odd"}));
}

void SerialSetupDialogTest::eachShowingStartsFromTheFile() {
    SetupDialogFixture f;
    f.writeSettings("ComPort=Com2\nBaudRate=4800\n");
    SerialSetupDialog dialog(f.context);
    dialog.show();
    list(dialog, "parityList")->selectByPrefix("Mark");
    dialog.hide();
    f.writeSettings("ComPort=Com9\nBaudRate=300\nStopBits=1.5\n");
    dialog.show();
    QCOMPARE(shown(dialog), (QStringList{"", "300", "8", "", "None"}));
}

void SerialSetupDialogTest::detectShowsScanningAndCancelWithdrawsTheRequest() {
    SetupDialogFixture f;
    f.writeSettings("");
    SerialSetupDialog dialog(f.context);
    dialog.show();
    bool checked = false;
    whileScanning(dialog, [&](ScanningDialog& scanning) {
        QCOMPARE(scanning.windowTitle(), QString("Scanning ..."));
        QVERIFY(scanning.isModal() || QApplication::activeModalWidget() == &scanning);
        QVERIFY(f.shared.scanRequest.load());
        scanning.findChild<QPushButton*>("cancelButton")->click();
        checked = true;
    });
    click(dialog, "detectButton");
    QVERIFY(checked);
    QVERIFY(!f.shared.scanRequest.load());
    QVERIFY(dialog.isVisible());
    QVERIFY(!f.shared.portReconfigure.load());
}

void SerialSetupDialogTest::theScansEndClosesScanningAndShowsTheFileAndTheResult() {
    SetupDialogFixture f;
    f.writeSettings("ComPort=Com1\nBaudRate=9600\n");
    SerialSetupDialog dialog(f.context);
    dialog.show();
    whileScanning(dialog, [&](ScanningDialog&) {
        // What the scan leaves behind when it finds the unit.
        f.writeSettings("ComPort=Com3\nBaudRate=2400\nDataBits=7\nStopBits=2\nParity=Odd\n");
        dialog.scanStep(brevik2::engine::kStatusScanFound);
    });
    click(dialog, "detectButton");
    QVERIFY(dialog.isVisible());
    // Clearing the request is the monitor thread's job once the scan has returned.
    QVERIFY(f.shared.scanRequest.load());
    QCOMPARE(shown(dialog), (QStringList{"Com3", "2400", "7", "2", "Odd"}));

    dialog.scanStep(brevik2::engine::kStatusScanNotFound);
    QCOMPARE(f.prompts.shown.size(), std::size_t{2});
    QCOMPARE(f.prompts.shown[0].title, QString("Scan Status"));
    QCOMPARE(f.prompts.shown[0].text, QString("Cesium instrument located..."));
    QCOMPARE(f.prompts.shown[1].text, QString("Cesium instrument not detected..."));
}

QTEST_MAIN(SerialSetupDialogTest)
#include "serial_setup_dialog_test.moc"
