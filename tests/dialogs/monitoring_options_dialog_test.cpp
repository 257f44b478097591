// The monitoring options dialog on the offscreen platform: what it shows from the settings
// file, what Ok stores and sets running, and what the check boxes do at once.

#include "dialogs/monitoring_options_dialog.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "link/settings_defaults.h"
#include "link/settings_value.h"
#include "setup_dialog_fixture.h"

using brevik2::dialogs::MonitoringOptionsDialog;
using brevik2::testing::SetupDialogFixture;

namespace {

QLineEdit* field(const QDialog& dialog, const char* name) {
    return dialog.findChild<QLineEdit*>(QString::fromLatin1(name));
}

QCheckBox* box(const QDialog& dialog, const char* name) {
    return dialog.findChild<QCheckBox*>(QString::fromLatin1(name));
}

QString home() {
    return QString::fromStdString(brevik2::link::defaultDataDirectory());
}

}  // namespace

class MonitoringOptionsDialogTest : public QObject {
    Q_OBJECT
private slots:
    void showsTheStoredOptions_data();
    void showsTheStoredOptions();
    void okStoresEveryKeyInOrder();
    void okTakesOnlyPollingRatesFrom1To99999_data();
    void okTakesOnlyPollingRatesFrom1To99999();
    void checkBoxesActAtOnceAndEscapeStoresNothing();
    void browsePutsThePickedFolderWithASeparator();
    void aPastedLineBreakCannotAddAKey();
};

void MonitoringOptionsDialogTest::showsTheStoredOptions_data() {
    QTest::addColumn<QString>("lines");  // "seeded" = the start-up defaults pass
    QTest::addColumn<bool>("monitoring");
    QTest::addColumn<bool>("recording");
    QTest::addColumn<QString>("interval");
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QString>("pattern");
    QTest::newRow("seeded") << "seeded" << false << false << "3600" << home() << "Unit%ld_Data.txt";
    QTest::newRow("missing keys") << "" << false << false << "13" << home() << "Unit%ld.CFM2";
    QTest::newRow("capitals and comments")
        << "MonitoringEnabled=TRUE \t; on\nRecordDataFile=True\nSamplingInterval=30 ; half\n"
           "OnlineDatafileDirectory=c:\\data\\ ; here\nTelemetryFilenameTemplate=U%ld.txt\n"
        << true << true << "30"
        << "c:\\data\\"
        << "U%ld.txt";
    QTest::newRow("other words and numbers")
        << "MonitoringEnabled=yes\nRecordDataFile=1\nSamplingInterval=100000\n"
        << false << false << "100000" << home() << "Unit%ld.CFM2";
    QTest::newRow("interval above range") << "SamplingInterval=100001\n"
                                          << false << false << "10" << home() << "Unit%ld.CFM2";
    QTest::newRow("interval below zero") << "SamplingInterval=-5\n"
                                         << false << false << "10" << home() << "Unit%ld.CFM2";
}

void MonitoringOptionsDialogTest::showsTheStoredOptions() {
    QFETCH(QString, lines);
    SetupDialogFixture f;
    if (lines == "seeded") {
        brevik2::link::applyStartupDefaults(f.settings);
    } else {
        f.writeSettings(lines.toStdString());
    }
    // The running flags say the opposite of the file: opening must not touch them.
    f.shared.monitoringEnabled = true;
    f.shared.recordDataFile = false;
    MonitoringOptionsDialog dialog(f.context);
    QCOMPARE(dialog.windowTitle(), QString("Unit Monitoring Options"));
    QTEST(box(dialog, "enableMonitoringBox")->isChecked(), "monitoring");
    QTEST(box(dialog, "createDataFileBox")->isChecked(), "recording");
    QTEST(field(dialog, "pollingRateField")->text(), "interval");
    QTEST(field(dialog, "outputDirectoryField")->text(), "directory");
    QTEST(field(dialog, "filenameTemplateField")->text(), "pattern");
    QVERIFY(f.shared.monitoringEnabled.load());
    QVERIFY(!f.shared.recordDataFile.load());
}

void MonitoringOptionsDialogTest::okStoresEveryKeyInOrder() {
    SetupDialogFixture f;
    f.writeSettings("");
    MonitoringOptionsDialog dialog(f.context);
    box(dialog, "enableMonitoringBox")->setChecked(true);
    field(dialog, "pollingRateField")->setText("15x");
    field(dialog, "outputDirectoryField")->setText("/srv/clock data/");
    field(dialog, "filenameTemplateField")->setText("Cs%ld.csv");
    dialog.findChild<QPushButton*>("okButton")->click();

    QCOMPARE(QString::fromStdString(f.fileText()),
             QString("[Brevik2]\nMonitoringEnabled=true\nRecordDataFile=false\n"
                     "SamplingInterval=15x\nOnlineDatafileDirectory=/srv/clock data/\n"
                     "TelemetryFilenameTemplate=Cs%ld.csv\n"));
    QCOMPARE(f.shared.samplingInterval.load(), 15);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
}

void MonitoringOptionsDialogTest::okTakesOnlyPollingRatesFrom1To99999_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("taken");
    QTest::addColumn<int>("seconds");
    QTest::newRow("0") << "0" << false << 0;
    QTest::newRow("100000") << "100000" << false << 0;
    QTest::newRow("99999") << "99999" << true << 99999;
    QTest::newRow("1") << "1" << true << 1;
    QTest::newRow("15x") << "15x" << true << 15;
    QTest::newRow("-5") << "-5" << false << 0;
    QTest::newRow("letters") << "often" << false << 0;
    QTest::newRow("huge") << "99999999999999999999" << false << 0;
}

void MonitoringOptionsDialogTest::okTakesOnlyPollingRatesFrom1To99999() {
    QFETCH(QString, typed);
    QFETCH(bool, taken);
    QFETCH(int, seconds);
    SetupDialogFixture f;
    f.writeSettings("SamplingInterval=3600\n");
    f.shared.samplingInterval = 3600;
    MonitoringOptionsDialog dialog(f.context);
    field(dialog, "pollingRateField")->setText(typed);
    dialog.findChild<QPushButton*>("okButton")->click();
    QCOMPARE(QString::fromStdString(f.settings.readString("SamplingInterval", "")),
             taken ? typed : QString("3600"));
    QCOMPARE(f.shared.samplingInterval.load(), taken ? seconds : 3600);
    // The other keys are stored either way.
    QCOMPARE(f.settings.readString("MonitoringEnabled", "missing"), std::string("false"));
}

void MonitoringOptionsDialogTest::checkBoxesActAtOnceAndEscapeStoresNothing() {
    SetupDialogFixture f;
    f.writeSettings("MonitoringEnabled=true\nRecordDataFile=false\nSamplingInterval=60\n");
    const std::string before = f.fileText();
    f.shared.monitoringEnabled = true;
    f.shared.samplingInterval = 60;
    MonitoringOptionsDialog dialog(f.context);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QTest::keyClick(box(dialog, "enableMonitoringBox"), Qt::Key_Space);
    QVERIFY(!f.shared.monitoringEnabled.load());
    QTest::keyClick(box(dialog, "createDataFileBox"), Qt::Key_Space);
    QVERIFY(f.shared.recordDataFile.load());
    field(dialog, "pollingRateField")->setText("5");
    QTest::keyClick(&dialog, Qt::Key_Escape);

    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(f.fileText(), before);
    QVERIFY(!f.shared.monitoringEnabled.load());
    QVERIFY(f.shared.recordDataFile.load());
    QCOMPARE(f.shared.samplingInterval.load(), 60);
}

void MonitoringOptionsDialogTest::browsePutsThePickedFolderWithASeparator() {
    SetupDialogFixture f;
    f.writeSettings("OnlineDatafileDirectory=/var/old/\n");
    MonitoringOptionsDialog dialog(f.context);
    QLineEdit* directory = field(dialog, "outputDirectoryField");
    auto* browse = dialog.findChild<QPushButton*>("browseButton");

    f.prompts.answers = {"/srv/data", "/", ""};
    browse->click();
    QCOMPARE(f.prompts.askedStartFolder, QString("/var/old/"));
    QCOMPARE(directory->text(), QDir::toNativeSeparators("/srv/data/"));
    browse->click();  // a root already ends with its separator
    QCOMPARE(directory->text(), QDir::toNativeSeparators("/"));
    browse->click();  // cancelled: the field keeps its text
    QCOMPARE(directory->text(), QDir::toNativeSeparators("/"));
    // Nothing is stored before Ok.
    QCOMPARE(f.settings.readString("OnlineDatafileDirectory", ""), std::string("/var/old/"));
}

void MonitoringOptionsDialogTest::aPastedLineBreakCannotAddAKey() {
    SetupDialogFixture f;
    f.writeSettings("");
    MonitoringOptionsDialog dialog(f.context);
    field(dialog, "filenameTemplateField")->setText("Unit%ld.txt\nSamplingInterval=1");
    field(dialog, "pollingRateField")->setText("30\n");
    dialog.findChild<QPushButton*>("okButton")->click();
    QCOMPARE(f.settings.readString("TelemetryFilenameTemplate", ""), std::string("Unit%ld.txt"));
    QCOMPARE(f.settings.readString("SamplingInterval", ""), std::string("30"));
}

QTEST_MAIN(MonitoringOptionsDialogTest)
#include "monitoring_options_dialog_test.moc"
