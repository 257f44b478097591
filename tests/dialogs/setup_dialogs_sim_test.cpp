// The setup dialogs against a simulated unit on a pseudo-terminal, with the real monitor thread
// between them: Detect finds the unit, and every unit initialization button changes the unit.

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "dialogs/entry_list.h"
#include "dialogs/scanning_dialog.h"
#include "dialogs/serial_setup_dialog.h"
#include "dialogs/unit_initialization_dialog.h"
#include "engine/station.h"
#include "setup_dialog_fixture.h"
#include "support/sim_station.h"

using brevik2::dialogs::EntryList;
using brevik2::dialogs::ScanningDialog;
using brevik2::dialogs::SerialSetupDialog;
using brevik2::dialogs::UnitInitializationDialog;
namespace engine = brevik2::engine;
namespace sim = brevik2::sim;

namespace {

// The codes of the status messages as the station delivers them onto the GUI thread, and the
// records of the last poll kept as the main frame keeps them.
class Codes {
public:
    Codes(engine::Station& station, engine::UnitRecords& records)
        : m_subscription(
              station.onStatusMessage([this, &records](const engine::StatusMessage& message) {
                  if (message.code == engine::kStatusPollCompleted) {
                      records = message.records;
                  }
                  if (message.code != engine::kStatusNothing) {
                      codes << message.code;
                  }
              })) {}

    // Whether code came after the first after.
    bool cameAfter(int code, int after) const {
        const auto first = codes.indexOf(after);
        return first >= 0 && codes.indexOf(code, first + 1) > first;
    }

    QList<int> codes;

private:
    engine::Station::Subscription m_subscription;
};

QStringList shown(const QDialog& dialog) {
    QStringList entries;
    for (const char* name :
         {"comPortList", "baudRateList", "dataBitsList", "stopBitsList", "parityList"}) {
        entries << dialog.findChild<EntryList*>(name)->selectedEntry().value_or(QString());
    }
    return entries;
}

}  // namespace

class SetupDialogsSimTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void detectFindsTheUnitAndOkReopensThePort();
    void everyUnitInitializationButtonReachesTheUnit();

private:
    void startUnit(brevik2::link::LineSettings line, brevik2::link::SerialTimeouts timeouts);

    std::unique_ptr<brevik2::testing::SetupDialogFixture> m_f;
    std::unique_ptr<Codes> m_frame;
    std::unique_ptr<sim::SimServer> m_unit;
};

void SetupDialogsSimTest::init() {}

void SetupDialogsSimTest::cleanup() {
    QVERIFY(m_f->station.stop());
    m_unit.reset();
    m_frame.reset();
    m_f.reset();
}

void SetupDialogsSimTest::startUnit(brevik2::link::LineSettings line,
                                    brevik2::link::SerialTimeouts timeouts) {
    engine::MonitorThread::Options monitor;
    monitor.timeouts = timeouts;
    monitor.onStuck = [] { qWarning("monitor thread did not stop"); };
    m_f = std::make_unique<brevik2::testing::SetupDialogFixture>(monitor);
    m_frame = std::make_unique<Codes>(m_f->station, m_f->records);
    sim::SimOptions options;
    options.line = line;
    std::string error;
    m_unit = brevik2::testing::startSimUnit(m_f->folder / "com1", options, &error);
    QVERIFY2(m_unit, error.c_str());
}

void SetupDialogsSimTest::detectFindsTheUnitAndOkReopensThePort() {
    // Three trials fail before the unit answers, each costing a drain and one read time-out.
    // 300 ms leaves the simulator's thread room on a loaded machine: with 40 ms it was seen to
    // miss the 9600 8N1 trial, and the scan then found a look-alike in phase 2.
    startUnit(brevik2::link::LineSettings{9600, brevik2::link::Parity::None,
                                          brevik2::link::StopBits::One, 8},
              brevik2::link::SerialTimeouts{50, 10, 300, 4096, 100});
    // The other ports are names whose open fails at once, never the machine's own ports.
    for (const char* name : {"com2", "com3", "com4"}) {
        std::filesystem::create_symlink(m_f->folder / "absent", m_f->folder / name);
    }
    m_f->writeSettings(
        "ComPort=Com4\nBaudRate=115200\nDataBits=7\nStopBits=2\nParity=Odd\n"
        "MonitoringEnabled=true\nSamplingInterval=3600\n");
    m_f->station.start();

    SerialSetupDialog dialog(m_f->context);
    dialog.show();
    QCOMPARE(shown(dialog), (QStringList{"Com4", "115200", "7", "2", "Odd"}));

    // Should the scan never end, close the Scanning dialog so that the test fails, not hangs.
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, &dialog, [&dialog] {
        if (auto* scanning = dialog.findChild<ScanningDialog*>(); scanning->isVisible()) {
            scanning->reject();
        }
    });
    guard.start(60000);
    dialog.findChild<QPushButton*>("detectButton")->click();
    QVERIFY(guard.isActive());
    QVERIFY(m_frame->codes.contains(engine::kStatusScanFound));
    // Com1 2400 7O2, 2400 8N1, 9600 7O2, then 9600 8N1 answers.
    QCOMPARE(m_frame->codes.count(engine::kStatusScanTrial), 4);
    QCOMPARE(shown(dialog), (QStringList{"Com1", "9600", "8", "1", "None"}));
    QTRY_VERIFY(!m_f->shared.scanRequest.load());

    // OK stores the same settings again and has the thread reopen the port and make contact.
    const int before = m_frame->codes.size();
    dialog.findChild<QPushButton*>("okButton")->click();
    QVERIFY(m_f->shared.portReconfigure.load());
    QTRY_VERIFY_WITH_TIMEOUT(m_frame->codes.mid(before).contains(engine::kStatusUnitOnline), 10000);
    QCOMPARE(m_f->settings.readString("ComPort", ""), std::string("Com1"));
    QCOMPARE(m_f->settings.readString("BaudRate", ""), std::string("9600"));
}

void SetupDialogsSimTest::everyUnitInitializationButtonReachesTheUnit() {
    startUnit(brevik2::link::LineSettings{9600, brevik2::link::Parity::None,
                                          brevik2::link::StopBits::One, 8},
              brevik2::link::SerialTimeouts{50, 10, 300, 4096, 300});
    // One poll at contact, then none in this test.
    m_f->writeSettings(
        "ComPort=Com1\nBaudRate=9600\nDataBits=8\nStopBits=1\nParity=None\n"
        "MonitoringEnabled=true\nSamplingInterval=3600\n");
    m_f->station.start();
    QTRY_VERIFY_WITH_TIMEOUT(m_frame->codes.contains(engine::kStatusPollCompleted), 10000);

    UnitInitializationDialog dialog(m_f->context);
    dialog.show();
    QCOMPARE(dialog.findChild<QLineEdit*>("unitIdField")->text(), QString("01010"));
    QCOMPARE(dialog.findChild<QLineEdit*>("customerMessageField")->text(), QString("SIMULATOR"));

    auto press = [&](const char* buttonName) {
        dialog.findChild<QPushButton*>(buttonName)->click();
        QVERIFY2(m_f->shared.slot.isPending(), buttonName);
        QTRY_VERIFY_WITH_TIMEOUT(!m_f->shared.slot.isPending(), 5000);
    };
    auto type = [&](const char* field, const char* text) {
        dialog.findChild<QLineEdit*>(field)->setText(text);
    };
    auto pick = [&](const char* list, const char* entry) {
        QVERIFY(dialog.findChild<EntryList*>(list)->selectByPrefix(entry));
    };
    const sim::UnitState initial = m_unit->state();
    QVERIFY(!initial.eventLog.empty());
    QVERIFY(!initial.daylightSavings && !initial.leapSecondArmed);
    QCOMPARE(initial.restartFaultLevel, 0);

    type("unitIdField", "01234");
    press("unitIdButton");
    type("timeConstantField", "2.5");
    press("timeConstantButton");
    type("frequencyOffsetField", "150");
    press("frequencyOffsetButton");
    type("customerMessageField", "HELLO");
    press("customerMessageButton");
    press("nominalsButton");
    press("eventLogButton");
    pick("daylightSavingsList", "On");
    press("daylightSavingsButton");
    pick("leapSecondList", "Arm");
    press("leapSecondButton");
    pick("restartFaultLevelList", "Critical");
    press("restartFaultLevelButton");

    QTRY_COMPARE_WITH_TIMEOUT(m_unit->state().requestCounts["A18"], 1, 5000);
    const sim::UnitState after = m_unit->state();
    QCOMPARE(after.unitId, 1234L);
    QCOMPARE(after.filterOrder, 1);
    QCOMPARE(after.oscillatorTau, 2.5);
    QCOMPARE(after.frequencyOffset, 150L);
    QCOMPARE(after.customerMessage, std::string("HELLO____"));
    QCOMPARE(after.requestCounts.at("C02"), 1);
    QVERIFY(after.eventLog.empty());
    QVERIFY(after.daylightSavings);
    QVERIFY(after.leapSecondArmed);
    QCOMPARE(after.restartFaultLevel, 1);

    // The serial parameters move the unit, then (once it has answered) the port, to the new line
    // settings; the unit answers only at its own, so contact again means both sides agree.
    pick("baudRateList", "19200");
    pick("dataBitsList", "8");
    pick("parityList", "Even");
    pick("stopBitsList", "1");
    press("serialParametersButton");
    QTRY_VERIFY_WITH_TIMEOUT(m_frame->codes.contains(engine::kStatusSerialParametersAnswered),
                             5000);
    QCOMPARE(m_unit->state().line, (brevik2::link::LineSettings{19200, brevik2::link::Parity::Even,
                                                                brevik2::link::StopBits::One, 8}));
    QTRY_VERIFY_WITH_TIMEOUT(
        m_frame->cameAfter(engine::kStatusUnitOnline, engine::kStatusSerialParametersAnswered),
        10000);
    QVERIFY(m_f->shared.online.load());
    QCOMPARE(m_f->settings.readString("BaudRate", ""), std::string("19200"));
    QCOMPARE(m_f->settings.readString("Parity", ""), std::string("Even"));
}

QTEST_MAIN(SetupDialogsSimTest)
#include "setup_dialogs_sim_test.moc"
