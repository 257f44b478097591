// The main frame on the offscreen platform: its menus, the enabling by model code, what it does
// with the station's status messages, the direct requests, the panel coupling and the window
// placement.

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <thread>

#include "dialogs/queued_delivery.h"
#include "engine/station.h"
#include "link/settings_file.h"
#include "shell/brevik2_application.h"
#include "shell/c_main_frame.h"
#include "shell/command_ids.h"
#include "shell/unit_status_panel.h"
#include "shell/window_geometry.h"
#include "support/scripted_user_prompts.h"
#include "support/temp_folder.h"

using namespace brevik2;
using namespace brevik2::shell;

namespace {

engine::StatusMessage messageFor(int code, int model = 0) {
    engine::StatusMessage message;
    message.code = code;
    message.records.constants.setSigned(engine::kConModelCode, model);
    return message;
}

struct MenuItem {
    QString text;
    int id;
    QString prompt;
};

// Triggers an action and closes whatever modal window it opened; tells its title, or an empty
// text when nothing modal came up.
QString titleOfModalOpenedBy(QAction* action) {
    QString title;
    QTimer closer;
    closer.setInterval(5);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            title = modal->windowTitle();
            modal->close();
        }
    });
    closer.start();
    action->trigger();
    return title;
}

// Triggers an action and, once its modal window is up, runs check on it, then closes it.
void whileModalOpen(QAction* action, const std::function<void(QWidget*)>& check) {
    bool done = false;
    QTimer closer;
    closer.setInterval(5);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && !done) {
            done = true;
            check(modal);
            modal->close();
        }
    });
    closer.start();
    action->trigger();
    QVERIFY(done);
}

int listItems(const QWidget* window) {
    int items = 0;
    for (const QListWidget* list : window->findChildren<QListWidget*>()) {
        items += list->count();
    }
    return items;
}

}  // namespace

class MainFrameTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<testing::TempFolder> m_folder;
    std::unique_ptr<link::SettingsFile> m_settings;
    QObject m_receiver;
    // Not started: the tests play its thread through the shared state and its reporter.
    std::unique_ptr<engine::Station> m_station;
    engine::MonitorSharedState* m_shared = nullptr;
    testing::ScriptedUserPrompts m_prompts;
    std::unique_ptr<CMainFrame> m_frame;

    // The station's defaults pass comes first, as at start-up.
    void makeFrame() {
        m_station =
            std::make_unique<engine::Station>(m_settings->path(), dialogs::queuedOnto(m_receiver));
        m_shared = &m_station->sharedState();
        m_frame = std::make_unique<CMainFrame>(*m_station, m_prompts);
        m_frame->setClock([] { return LocalTime{2003, 7, 9, 14, 5, 9}; });
    }

    QAction* action(int id) { return m_frame->commandAction(id); }

    QList<MenuItem> itemsOf(QMenu* menu) {
        QList<MenuItem> items;
        for (QAction* a : menu->actions()) {
            if (!a->isSeparator()) {
                items.push_back({a->text(), a->data().toInt(), a->statusTip()});
            }
        }
        return items;
    }

private slots:
    void init() {
        m_folder = std::make_unique<testing::TempFolder>();
        m_settings = std::make_unique<link::SettingsFile>(*m_folder / "Brevik2.ini");
        m_prompts = {};
    }

    void cleanup() {
        m_frame.reset();
        m_station.reset();
        m_settings.reset();
        m_folder.reset();
    }

    void menusHoldTheItemsWithTheirIdentifiersAndPrompts() {
        makeFrame();
        QList<QMenu*> menus;
        for (QAction* a : m_frame->menuBar()->actions()) {
            menus.push_back(a->menu());
        }
        QCOMPARE(menus.size(), 4);
        QCOMPARE(menus[0]->title(), QStringLiteral("&File"));
        QCOMPARE(menus[1]->title(), QStringLiteral("&View"));
        QCOMPARE(menus[2]->title(), QStringLiteral("Commands"));
        QCOMPARE(menus[3]->title(), QStringLiteral("&Help"));

        const QList<QList<MenuItem>> expected{
            {{"Configure Serial Port", 32777, "Set up the communications port"},
             {"Configure Unit Monitoring", 32778, "Configure General Program Options"},
             {"Snapshot Clock Data", 32791, ""},
             {"E&xit", 57665, "Quit the application; prompts to save documents"}},
            {{"Monitors", 32780, "Show or hide the Unit Status Panel"},
             {"Trends", 32800, "Plot the unit's telemetry over time"},
             {"&Status Bar", 59393, "Show or hide the status bar"}},
            {{"Reset Unit Alarms", 32772, "Send a Reset Alarms Command to the unit"},
             {"Set Time From PC", 32782, ""},
             {"Set Date From PC", 32783, "Set Date from PC"},
             {"Reset NV Eventlog", 32788, ""},
             {"Unit Initialization", 32775, "Open the unit initialization dialog"},
             {"Configure Telecom Outputs", 32785, ""},
             {"Sync 1pps System", 32789, ""},
             {"Configure TTL Output", 32790, ""}},
            {{"&About Brevik2...", 57664, ""}},
        };
        for (int m = 0; m < 4; ++m) {
            const QList<MenuItem> items = itemsOf(menus[m]);
            QCOMPARE(items.size(), expected[m].size());
            for (int i = 0; i < items.size(); ++i) {
                QCOMPARE(items[i].text, expected[m][i].text);
                QCOMPARE(items[i].id, expected[m][i].id);
                QCOMPARE(items[i].prompt, expected[m][i].prompt);
                QVERIFY(menus[m]->actions().contains(action(items[i].id)));
            }
        }
    }

    void trendsOpensItsWindow() {
        makeFrame();
        action(kIdTrends)->trigger();
        QWidget* trends = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible() && w->windowTitle() == QStringLiteral("Trends")) {
                trends = w;
            }
        }
        QVERIFY(trends != nullptr);
        QCOMPARE(trends->parentWidget(), static_cast<QWidget*>(m_frame.get()));
    }

    void theThreeRemovedItemsAreBoundButInNoMenu() {
        makeFrame();
        const QList<QPair<int, QString>> removed{{kIdPrintSetup, "P&rint Setup..."},
                                                 {kIdTestDiagnostics, "Test and Diagnostics"},
                                                 {kIdSelectCommand, "Select A Command..."}};
        for (const auto& [id, text] : removed) {
            QAction* a = action(id);
            QVERIFY(a != nullptr);
            QCOMPARE(a->text(), text);
            QCOMPARE(a->data().toInt(), id);
            for (QAction* top : m_frame->menuBar()->actions()) {
                QVERIFY(!top->menu()->actions().contains(a));
            }
        }
        QCOMPARE(titleOfModalOpenedBy(action(kIdTestDiagnostics)),
                 QStringLiteral("Test and Diagnostics"));
        QCOMPARE(titleOfModalOpenedBy(action(kIdSelectCommand)), QStringLiteral("Orrery Commands"));
    }

    void modelCodeEnablesTheOutputCommands_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<bool>("telecom");
        QTest::addColumn<bool>("sync");
        QTest::addColumn<bool>("ttl");
        QTest::newRow("before the first reply") << 0 << false << false << false;
        QTest::newRow("Q710") << 400 << false << true << false;
        QTest::newRow("VRX-80") << 401 << true << false << false;
        QTest::newRow("Q520K") << 402 << true << false << true;
    }

    void modelCodeEnablesTheOutputCommands() {
        QFETCH(int, model);
        QFETCH(bool, telecom);
        QFETCH(bool, sync);
        QFETCH(bool, ttl);
        makeFrame();
        // The contact query's reply carries the model code, so the items follow at once.
        m_frame->handleStatusMessage(messageFor(engine::kStatusUnitOnline, model));
        QCOMPARE(action(kIdConfigureTelecom)->isEnabled(), telecom);
        QCOMPARE(action(kIdSync1pps)->isEnabled(), sync);
        QCOMPARE(action(kIdConfigureTtl)->isEnabled(), ttl);
        QVERIFY(action(kIdUnitInitialization)->isEnabled());
        QVERIFY(action(kIdSnapshot)->isEnabled());
        QCOMPARE(m_frame->records().constants.modelCode(), model);
    }

    void modelCommandsCheckTheModelAgain() {
        makeFrame();
        m_frame->handleStatusMessage(messageFor(engine::kStatusPollCompleted, 400));
        action(kIdConfigureTtl)->setEnabled(true);  // as if the menu had missed the change
        QCOMPARE(titleOfModalOpenedBy(action(kIdConfigureTtl)), QString());
        QCOMPARE(titleOfModalOpenedBy(action(kIdSync1pps)),
                 QStringLiteral("Sync Q710 1PPS Output to External Source"));
        m_frame->handleStatusMessage(messageFor(engine::kStatusPollCompleted, 402));
        QCOMPARE(titleOfModalOpenedBy(action(kIdConfigureTtl)),
                 QStringLiteral("Program TTL Output"));
        QCOMPARE(titleOfModalOpenedBy(action(kIdConfigureTelecom)),
                 QStringLiteral("Configure VRX-80 Telecomunications Outputs"));
    }

    void menuItemsOpenTheirDialogs() {
        makeFrame();
        QCOMPARE(titleOfModalOpenedBy(action(kIdConfigureSerialPort)),
                 QStringLiteral("Serial Communications Setup"));
        QCOMPARE(titleOfModalOpenedBy(action(kIdUnitInitialization)),
                 QStringLiteral("Unit Initialization"));
        QVERIFY(!titleOfModalOpenedBy(action(kIdConfigureMonitoring)).isEmpty());
        QCOMPARE(titleOfModalOpenedBy(action(kIdAbout)), QStringLiteral("About Brevik2"));
    }

    void directRequestsFillTheSlot_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("parameter");
        QTest::addColumn<int>("replyLimit");
        QTest::addColumn<int>("completion");
        QTest::newRow("Reset Unit Alarms") << int(kIdResetUnitAlarms) << "W00"
                                           << "" << 12 << 11;
        QTest::newRow("Set Time From PC") << int(kIdSetTimeFromPc) << "A07"
                                          << "14:05:09" << 32 << 13;
        QTest::newRow("Set Date From PC") << int(kIdSetDateFromPc) << "A06"
                                          << "07/09/03" << 32 << 12;
        QTest::newRow("Reset NV Eventlog") << int(kIdResetEventLog) << "W18"
                                           << "" << 32 << 0;
    }

    void directRequestsFillTheSlot() {
        QFETCH(int, id);
        QFETCH(QString, code);
        QFETCH(QString, parameter);
        QFETCH(int, replyLimit);
        QFETCH(int, completion);
        makeFrame();
        action(id)->trigger();
        QVERIFY(m_shared->slot.isPending());
        const auto& request = m_shared->slot.take();
        QCOMPARE(QString::fromStdString(request.code), code);
        QCOMPARE(QString::fromStdString(request.parameter), parameter);
        QCOMPARE(request.replyLimit, replyLimit);
        QCOMPARE(request.completionCode, completion);
    }

    void aRequestWhileOneWaitsIsDropped() {
        makeFrame();
        action(kIdResetUnitAlarms)->trigger();
        action(kIdSetTimeFromPc)->trigger();
        action(kIdResetUnitAlarms)->trigger();
        QCOMPARE(QString::fromStdString(m_shared->slot.take().code), QStringLiteral("W00"));
        QCOMPARE(m_shared->slot.take().completionCode, 11);
        m_shared->slot.release();
        action(kIdSetDateFromPc)->trigger();
        QCOMPARE(QString::fromStdString(m_shared->slot.take().code), QStringLiteral("A06"));
    }

    void statusCodesWithNoActionChangeNothing_data() {
        QTest::addColumn<int>("code");
        for (int code : {0, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 24, 99}) {
            QTest::newRow(QByteArray::number(code).constData()) << code;
        }
    }

    void statusCodesWithNoActionChangeNothing() {
        QFETCH(int, code);
        makeFrame();
        action(kIdMonitors)->trigger();
        engine::StatusMessage message = messageFor(code, 401);
        message.records.variables.setUnsigned(engine::kVarUnitId, 55);
        m_frame->handleStatusMessage(message);
        QVERIFY(m_prompts.shown.empty());
        QVERIFY(!m_shared->portReconfigure.load());
        QCOMPARE(m_frame->unitStatusPanel()->windowTitle(),
                 QStringLiteral("Unit 0 System Monitor"));
        QCOMPARE(m_frame->records().variables.asUnsigned(engine::kVarUnitId), 55u);
    }

    void testLinesReachTheOpenDiagnosticsDialogOnly() {
        makeFrame();
        engine::StatusMessage line = messageFor(engine::kStatusTestModeLine);
        line.reply = "TEST 1 LINE\r\n";
        QWidget* diagnostics = nullptr;
        whileModalOpen(action(kIdTestDiagnostics), [&](QWidget* dialog) {
            diagnostics = dialog;
            m_station->threadReporter().statusMessage(line);
            QTRY_COMPARE(listItems(dialog), 1);
        });
        engine::StatusMessage later = messageFor(engine::kStatusTestModeLine, 402);
        later.reply = line.reply;
        m_station->threadReporter().statusMessage(later);
        QTRY_COMPARE(m_frame->records().constants.modelCode(), 402);  // delivered, not listed
        QCOMPARE(listItems(diagnostics), 1);
    }

    void pollCompletedRefreshesTheShownPanelOnly() {
        makeFrame();
        engine::StatusMessage message = messageFor(engine::kStatusPollCompleted, 401);
        message.records.variables.setUnsigned(engine::kVarUnitId, 1010);
        m_frame->handleStatusMessage(message);
        UnitStatusPanel* panel = m_frame->unitStatusPanel();
        QCOMPARE(panel->windowTitle(), QStringLiteral("Unit 0 System Monitor"));
        action(kIdMonitors)->trigger();
        QCOMPARE(panel->windowTitle(), QStringLiteral("Unit 0 System Monitor"));  // no refresh
        m_frame->handleStatusMessage(message);
        QCOMPARE(panel->windowTitle(), QStringLiteral("Unit 1010 System Monitor"));
    }

    void eventTableWaitsForTheShownPanelAndIsThenHandedBack() {
        makeFrame();
        UnitStatusPanel* panel = m_frame->unitStatusPanel();
        engine::StatusMessage retrieved = messageFor(engine::kStatusEventLogRetrieved);
        retrieved.eventTable = engine::EventTable{1, {{"first event", {}}}};
        m_shared->eventTableRetrieved = true;  // as the monitor thread leaves it
        m_frame->handleStatusMessage(retrieved);
        QVERIFY(panel->eventLogItems().isEmpty());

        // Hidden: the table waits and the monitor thread keeps off the log.
        m_frame->handleStatusMessage(messageFor(engine::kStatusPollCompleted));
        QVERIFY(m_shared->eventTableRetrieved.load());

        action(kIdMonitors)->trigger();
        m_frame->handleStatusMessage(messageFor(engine::kStatusPollCompleted));
        QCOMPARE(panel->eventLogItems(), QStringList({"Event Count is 1", "first event"}));
        QVERIFY(!m_shared->eventTableRetrieved.load());

        // Listed once: a later poll keeps the list as it is.
        panel->eventLogList()->setCurrentIndex(1);
        m_frame->handleStatusMessage(messageFor(engine::kStatusPollCompleted));
        QCOMPARE(panel->eventLogList()->currentIndex(), 1);
    }

    void statusTextsAndMessagesCrossFromAnotherThread() {
        makeFrame();
        engine::MonitorReporter& reporter = m_station->threadReporter();
        std::thread monitor([&] {
            reporter.statusText("Unit online             Status = Operating");
            reporter.statusMessage(messageFor(engine::kStatusPollCompleted, 400));
        });
        monitor.join();
        QCOMPARE(m_frame->records().constants.modelCode(), 0);  // nothing ran on that thread
        QTRY_COMPARE(m_frame->messagePaneText(),
                     QStringLiteral("Unit online             Status = Operating"));
        QTRY_COMPARE(m_frame->records().constants.modelCode(), 400);
    }

    // Why the port will not open shows without a modal box: in the message pane's tool tip and
    // in the serial setup dialog, until the port opens. The metrics endpoint has a pane.
    void portFailureReasonAndMetricsShowWithoutABox() {
        makeFrame();
        auto* pane = m_frame->findChild<QLabel*>(QStringLiteral("messagePane"));
        engine::MonitorReporter& reporter = m_station->threadReporter();
        // A device that is not there: the hint must not depend on the owner of this machine's
        // serial ports.
        const std::string device = "/dev/brevik2-absent-tty";
        reporter.portFailed(device, std::make_error_code(std::errc::permission_denied));
        reporter.statusText("Com Port Failed to open");
        QTRY_COMPARE(m_frame->messagePaneText(), QStringLiteral("Com Port Failed to open"));
        QVERIFY2(
            pane->toolTip().startsWith(QString::fromStdString("cannot open " + device + ": ")) &&
                pane->toolTip().contains("dialout"),
            qPrintable(pane->toolTip()));
        whileModalOpen(action(kIdConfigureSerialPort), [&](QWidget* dialog) {
            auto* line = dialog->findChild<QLabel*>(QStringLiteral("portFailureLine"));
            QVERIFY(line != nullptr && line->isVisible());
            QCOMPARE(line->text(), pane->toolTip());
        });
        reporter.portOpened(device);
        reporter.statusText("Com port Open OK");
        QTRY_COMPARE(m_frame->messagePaneText(), QStringLiteral("Com port Open OK"));
        QCOMPARE(pane->toolTip(), QString());

        const std::string metrics = m_station->startMetrics("127.0.0.1:0");
        m_frame->showMetricsState(QString::fromStdString(metrics), m_station->metricsPort() != 0);
        auto* metricsPane = m_frame->findChild<QLabel*>(QStringLiteral("metricsPane"));
        QVERIFY(metricsPane != nullptr);
        QCOMPARE(metricsPane->text(), QStringLiteral("Metrics"));
        QCOMPARE(metricsPane->toolTip(), QString::fromStdString(metrics));
    }

    void statusBarPanesAndTheIdlePrompt() {
        makeFrame();
        QCOMPARE(m_frame->messagePaneText(), QStringLiteral("Ready"));
        const QStringList locks{"CAP", "NUM", "SCRL"};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(m_frame->lockIndicator(i)->text(), locks[i]);
            // The offscreen platform cannot tell the lock keys: grey.
            QVERIFY(!m_frame->lockIndicator(i)->isEnabled());
        }
        m_frame->showStatusText(QStringLiteral("Polling"));
        QCOMPARE(m_frame->messagePaneText(), QStringLiteral("Polling"));
        QMenu* commands = m_frame->menuBar()->actions().at(2)->menu();
        // An item without a prompt: the pane stays empty, whatever the thread says meanwhile.
        emit commands->hovered(action(kIdConfigureTtl));
        QCOMPARE(m_frame->messagePaneText(), QString());
        m_frame->showStatusText(QStringLiteral("Unit online             Status = Operating"));
        QCOMPARE(m_frame->messagePaneText(), QString());
        emit commands->aboutToHide();
        QCOMPARE(m_frame->messagePaneText(), QStringLiteral("Ready"));

        m_frame->show();
        QVERIFY(m_frame->statusBar()->isVisible());
        action(kIdStatusBar)->trigger();
        QVERIFY(!m_frame->statusBar()->isVisible());
        action(kIdStatusBar)->trigger();
        QVERIFY(m_frame->statusBar()->isVisible());
    }

    void monitorsItemAndThePanelCloseBoxMoveTogether() {
        m_settings->writeString("UnitStatusVisible", "TRUE");
        makeFrame();
        UnitStatusPanel* panel = m_frame->unitStatusPanel();
        QVERIFY(action(kIdMonitors)->isChecked());
        QVERIFY(panel->panelVisible());
        QVERIFY(panel->isVisible());

        panel->close();
        QVERIFY(!action(kIdMonitors)->isChecked());
        QVERIFY(!panel->panelVisible());
        QVERIFY(!panel->isVisible());

        action(kIdMonitors)->trigger();
        QVERIFY(panel->isVisible());
        action(kIdMonitors)->trigger();
        QVERIFY(!panel->isVisible());
    }

    void minimisingHidesThePanelOnlyWhileMonitorsIsChecked() {
        makeFrame();
        m_frame->show();
        UnitStatusPanel* panel = m_frame->unitStatusPanel();
        action(kIdMonitors)->trigger();
        m_frame->setWindowState(Qt::WindowMinimized);
        QTRY_VERIFY(!panel->isVisible());
        QVERIFY(action(kIdMonitors)->isChecked());
        m_frame->setWindowState(Qt::WindowNoState);
        QTRY_VERIFY(panel->isVisible());
        m_frame->setWindowState(Qt::WindowMaximized);
        QTRY_VERIFY(m_frame->isMaximized());
        QVERIFY(panel->isVisible());

        action(kIdMonitors)->trigger();
        m_frame->setWindowState(Qt::WindowMinimized);
        QTRY_VERIFY(m_frame->isMinimized());
        m_frame->setWindowState(Qt::WindowNoState);
        QTRY_VERIFY(!m_frame->isMinimized());
        QVERIFY(!panel->isVisible());
    }

    void closingWhileMinimisedStoresThePanelHiddenAndKeepsTheWindowRectangle() {
        m_settings->writeString("WindowRectangle", "300,200,30,40");
        makeFrame();
        m_frame->show();
        action(kIdMonitors)->trigger();
        m_frame->setWindowState(Qt::WindowMinimized);
        QTRY_VERIFY(!m_frame->unitStatusPanel()->isVisible());
        m_settings->writeString("WindowRectangle", "x-marker");
        m_frame->close();
        m_frame.reset();
        QCOMPARE(m_settings->readString("UnitStatusVisible", ""), std::string("false"));
        QCOMPARE(m_settings->readString("WindowRectangle", ""), std::string("x-marker"));
    }

    void theWindowIsPlacedFromAndSavedToWindowRectangle() {
        m_settings->writeString("WindowRectangle", "300,200,30,40");
        makeFrame();
        QCOMPARE(outerRect(*m_frame), (WindowRect{300, 200, 30, 40}));
        // Once shown the window gets a frame; the outer rectangle stays the stored one, so the
        // window does not grow by its frame at every start.
        m_frame->show();
        QTRY_VERIFY(m_frame->frameGeometry() != m_frame->geometry());
        QTRY_COMPARE(outerRect(*m_frame), (WindowRect{300, 200, 30, 40}));
        m_frame->close();
        m_frame.reset();
        QCOMPARE(m_settings->readString("WindowRectangle", ""), std::string("300,200,30,40"));
        QCOMPARE(m_settings->readString("UnitStatusVisible", ""), std::string("false"));

        makeFrame();
        m_frame->show();
        moveToOuterRect(*m_frame, {320, 210, 50, 60});
        m_frame->close();
        m_frame.reset();
        QCOMPARE(m_settings->readString("WindowRectangle", ""), std::string("320,210,50,60"));
    }

    void theExitStepStoresTheWindowRectangleBeforeTheStationStops() {
        // Should the monitor thread never stop, the process ends inside the exit step: the
        // rectangle must be in the file by then, not only when the frame goes.
        qputenv("BREVIK2_SETTINGS", QByteArray::fromStdString(m_settings->path().string()));
        Brevik2Application program;
        program.start();
        moveToOuterRect(program.frame(), {320, 210, 50, 60});
        QCOMPARE(program.exitStep(), 0);
        QCOMPARE(m_settings->readString("WindowRectangle", ""), std::string("320,210,50,60"));
        qunsetenv("BREVIK2_SETTINGS");
    }

    void aWindowAtTheScreenEdgeIsNotSaved() {
        m_settings->writeString("WindowRectangle", "300,200,0,40");
        makeFrame();
        m_frame->show();
        m_frame->close();
        m_frame.reset();
        QCOMPARE(m_settings->readString("WindowRectangle", ""), std::string("300,200,0,40"));
    }

    void aFreshSettingsFileGetsItsDefaultsAndTheSeededRectangle() {
        makeFrame();
        QCOMPARE(m_settings->readString("WindowRectangle", ""), std::string("600,200,0,0"));
        QCOMPARE(outerRect(*m_frame), (WindowRect{600, 200, 0, 0}));
        QVERIFY(!action(kIdMonitors)->isChecked());
        QVERIFY(!m_frame->unitStatusPanel()->isVisible());
    }
};

QTEST_MAIN(MainFrameTest)
#include "main_frame_test.moc"
