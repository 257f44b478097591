// The unit status panel on the offscreen platform: its groups and hidden rows, the event log
// list, Retrieve, scrolling, placement and saving.

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QtTest>

#include "engine/station.h"
#include "link/settings_file.h"
#include "shell/unit_status_panel.h"
#include "shell/window_geometry.h"
#include "support/temp_folder.h"

using namespace brevik2;
using namespace brevik2::shell;

class UnitStatusPanelTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<testing::TempFolder> m_folder;
    std::unique_ptr<link::SettingsFile> m_settings;
    // Not started: it only takes the panel's requests. Its own file keeps its defaults pass
    // out of the panel's settings.
    std::unique_ptr<engine::Station> m_station;
    engine::MonitorSharedState* m_shared = nullptr;
    std::unique_ptr<UnitStatusPanel> m_panel;

    void makePanel() { m_panel = std::make_unique<UnitStatusPanel>(*m_settings, *m_station); }

private slots:
    void init() {
        m_folder = std::make_unique<testing::TempFolder>();
        m_settings = std::make_unique<link::SettingsFile>(*m_folder / "Brevik2.ini");
        m_station = std::make_unique<engine::Station>(*m_folder / "station.ini",
                                                      [](engine::Station::Task) {});
        m_shared = &m_station->sharedState();
    }

    void cleanup() {
        m_panel.reset();
        m_station.reset();
        m_settings.reset();
        m_folder.reset();
    }

    void groupsAndHiddenControlsAsLaidOut() {
        makePanel();
        QStringList titles;
        for (const QGroupBox* box : m_panel->findChildren<QGroupBox*>()) {
            titles << box->title();
        }
        titles.sort();
        QCOMPARE(titles, QStringList({"Control Signals", "Monitors", "Operating Parameters",
                                      "Other Signals", "Power Supplies", "Servo Difference Signals",
                                      "System Intormation"}));
        for (int id : {1139, 1140, 1072, 1073}) {
            QVERIFY2(m_panel->control(id)->isHidden(), qPrintable(QString::number(id)));
        }
        QCOMPARE(qobject_cast<QLabel*>(m_panel->control(1139))->text(),
                 QStringLiteral("CBT_Outliers"));
        auto* marker = qobject_cast<QLabel*>(m_panel->control(UnitStatusPanel::kExtentMarkerId));
        QCOMPARE(marker->text(), QStringLiteral("Do Not Remove!"));
        QVERIFY(marker->isHidden());
        QCOMPARE(m_panel->readoutText(1062), QStringLiteral("------"));
        QCOMPARE(qobject_cast<QPushButton*>(m_panel->control(UnitStatusPanel::kRetrieveButtonId))
                     ->text(),
                 QStringLiteral("Retrieve"));
        QCOMPARE(m_panel->windowTitle(), QStringLiteral("Harrowquill"));
    }

    void refreshFillsTheReadoutsAndTheCaption() {
        makePanel();
        engine::UnitRecords records;
        records.variables.setUnsigned(engine::kVarUnitId, 77);
        records.variables.setSigned(engine::kVarVVcxo, -1234);
        m_panel->refresh(records, nullptr);
        QCOMPARE(m_panel->windowTitle(), QStringLiteral("Unit 77 System Monitor"));
        QCOMPARE(m_panel->readoutText(1045), QStringLiteral("-1.234"));
        QCOMPARE(m_panel->readoutText(1049), QStringLiteral("2560000.00"));
        QCOMPARE(m_panel->readoutText(1062), QStringLiteral("------"));
        QCOMPARE(m_panel->readoutText(1072), QStringLiteral("0,0"));  // hidden, still filled
    }

    void aNewEventTableReplacesTheListAndSelectsItsFirstItem() {
        makePanel();
        engine::EventTable table{2, {{"first", {"         more"}}, {"second", {}}}};
        m_panel->refresh({}, &table);
        QCOMPARE(m_panel->eventLogItems(),
                 QStringList({"Event Count is 2", "first", "         more", "second"}));
        QCOMPARE(m_panel->eventLogList()->currentIndex(), 0);

        m_panel->refresh({}, nullptr);
        QCOMPARE(m_panel->eventLogItems().size(), 4);

        engine::EventTable empty{0, {}};
        m_panel->refresh({}, &empty);
        QCOMPARE(m_panel->eventLogItems(), QStringList({"Event Count is 0"}));
    }

    void retrieveAsksTheMonitorThreadForTheLog() {
        makePanel();
        QVERIFY(!m_shared->eventLogRequest.load());
        qobject_cast<QPushButton*>(m_panel->control(UnitStatusPanel::kRetrieveButtonId))->click();
        QVERIFY(m_shared->eventLogRequest.load());
    }

    void scrollBarsComeWhenSmallerAndTheContentReturnsToItsOriginWhenTheyGo() {
        makePanel();
        m_panel->showPanel();
        QScrollArea* area = m_panel->scrollArea();
        const QSize whole = area->widget()->sizeHint();
        m_panel->resize(whole.width() + 100, whole.height() + 100);
        QTRY_VERIFY(!area->verticalScrollBar()->isVisible());
        QVERIFY(!area->horizontalScrollBar()->isVisible());

        m_panel->resize(whole.width() / 2, whole.height() / 2);
        QTRY_VERIFY(area->verticalScrollBar()->isVisible());
        QVERIFY(area->horizontalScrollBar()->isVisible());
        QCOMPARE(area->verticalScrollBar()->value(), 0);
        QCOMPARE(area->widget()->pos(), QPoint(0, 0));

        area->verticalScrollBar()->setValue(area->verticalScrollBar()->maximum());
        area->horizontalScrollBar()->setValue(area->horizontalScrollBar()->maximum());
        QVERIFY(area->widget()->pos().y() < 0);
        QVERIFY(area->widget()->pos().x() < 0);

        m_panel->resize(whole.width() + 100, whole.height() + 100);
        QTRY_VERIFY(!area->verticalScrollBar()->isVisible());
        QCOMPARE(area->widget()->pos(), QPoint(0, 0));
    }

    void placedFromUnitStatusRectangle() {
        m_settings->writeString("UnitStatusRectangle", "420,300,25,35");
        makePanel();
        m_panel->placeFromSettings(QSize(1024, 768));
        QCOMPARE(outerRect(*m_panel), (WindowRect{420, 300, 25, 35}));
        m_panel->showPanel();
        QTRY_VERIFY(m_panel->frameGeometry() != m_panel->geometry());
        QTRY_COMPARE(outerRect(*m_panel), (WindowRect{420, 300, 25, 35}));
        m_panel->hidePanel();

        // A width that does not fit falls back to the panel's own, as with nothing stored.
        m_settings->writeString("UnitStatusRectangle", "x");
        m_panel->placeFromSettings(QSize(1024, 768));
        const int presetWidth = outerRect(*m_panel).width;
        m_settings->writeString("UnitStatusRectangle", "2000,300,10,10");
        m_panel->placeFromSettings(QSize(1024, 768));
        QCOMPARE(outerRect(*m_panel), (WindowRect{presetWidth, 300, 10, 10}));
    }

    // Nothing stored or nothing usable: on a 1024 x 768 screen every group shows at once.
    void firstShowingNeedsNoScrollBars() {
        for (const char* stored : {"x", "3000,2000,-5,-5"}) {
            m_settings->writeString("UnitStatusRectangle", stored);
            makePanel();
            m_panel->placeFromSettings(QSize(1024, 768));
            m_panel->showPanel();
            const WindowRect rect = outerRect(*m_panel);
            QVERIFY2(rect.width <= 1024 && rect.height <= 768, stored);
            QScrollArea* area = m_panel->scrollArea();
            const QSize whole = area->widget()->sizeHint();
            QTRY_VERIFY2(area->viewport()->width() >= whole.width() &&
                             area->viewport()->height() >= whole.height(),
                         stored);
            QVERIFY2(!area->verticalScrollBar()->isVisible(), stored);
            QVERIFY2(!area->horizontalScrollBar()->isVisible(), stored);
            m_panel->hidePanel();
        }
    }

    void saveStoresRectangleAndVisibility() {
        makePanel();
        m_panel->showPanel();
        moveToOuterRect(*m_panel, {420, 300, 25, 35});
        m_panel->save();
        QCOMPARE(m_settings->readString("UnitStatusRectangle", ""), std::string("420,300,25,35"));
        QCOMPARE(m_settings->readString("UnitStatusVisible", ""), std::string("true"));
        QVERIFY(!m_panel->panelVisible());

        moveToOuterRect(*m_panel, {420, 300, 0, 35});
        m_panel->save();
        QCOMPARE(m_settings->readString("UnitStatusRectangle", ""), std::string("420,300,25,35"));
        QCOMPARE(m_settings->readString("UnitStatusVisible", ""), std::string("false"));
    }

    void showAndHideKeepTheFlagAndShowingDoesNotRefresh() {
        makePanel();
        engine::UnitRecords records;
        records.variables.setUnsigned(engine::kVarUnitId, 5);
        m_panel->refresh(records, nullptr);
        m_panel->hidePanel();
        QVERIFY(!m_panel->panelVisible());
        m_panel->showPanel();
        QVERIFY(m_panel->panelVisible());
        QVERIFY(m_panel->isVisible());
        QCOMPARE(m_panel->windowTitle(), QStringLiteral("Unit 5 System Monitor"));
        m_panel->hidePanel();
        QVERIFY(!m_panel->isVisible());
    }
};

QTEST_MAIN(UnitStatusPanelTest)
#include "unit_status_panel_test.moc"
