// The TTL output and 1PPS sync dialogs: their requests in the slot, and against the simulated
// unit the TTL frequency it takes and the sync result the main frame shows.

#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "dialogs/pps_sync_dialog.h"
#include "dialogs/ttl_output_dialog.h"
#include "engine/status_message.h"
#include "monitored_sim_session.h"

using brevik2::dialogs::PpsSyncDialog;
using brevik2::dialogs::TtlOutputDialog;
using brevik2::testing::MonitoredSimSession;
namespace engine = brevik2::engine;

namespace {

void click(const QWidget& dialog, const char* name) {
    dialog.findChild<QAbstractButton*>(QString::fromLatin1(name))->click();
}

brevik2::sim::SimOptions model(int code) {
    brevik2::sim::SimOptions options;
    options.model = code;
    return options;
}

// A simulated unit of the model, monitored, and a dialog over it, shown.
template <typename Dialog>
struct DialogOnUnit {
    explicit DialogOnUnit(int modelCode) : started(s.start(model(modelCode))), dialog(s.context) {
        dialog.show();
    }
    MonitoredSimSession s;
    bool started;
    Dialog dialog;
};

}  // namespace

class TtlPpsDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void ttlRequestAsQueued() {
        MonitoredSimSession s;  // no thread: the request stays in the slot
        TtlOutputDialog dialog(s.context);
        dialog.show();
        QCOMPARE(dialog.windowTitle(), "Program TTL Output");
        QVERIFY(dialog.findChild<QRadioButton*>("frequency4")->isChecked());
        QCOMPARE(dialog.findChild<QRadioButton*>("frequency1")->text(), "100 KHz");
        click(dialog, "setDevice");
        QVERIFY(dialog.isVisible());
        const auto& request = s.shared.slot.take();
        QCOMPARE(request.code, "W07");
        QCOMPARE(request.parameter, "4");
        QCOMPARE(request.replyLimit, 32);
        QCOMPARE(request.completionCode, 0);
    }

    void ttlFrequencyReachesTheUnitOncePerPress() {
        DialogOnUnit<TtlOutputDialog> unit(402);
        QVERIFY(unit.started);
        auto& [s, started, dialog] = unit;
        click(dialog, "setDevice");
        QVERIFY(s.waitForRequest("W07 4"));
        QVERIFY(s.waitUntilSlotFree());

        click(dialog, "frequency1");
        click(dialog, "setDevice");
        click(dialog, "setDevice");  // finds the first still waiting
        QVERIFY(s.waitUntilSlotFree());
        QCOMPARE(s.server->state().ttlFrequency, 1);
        QCOMPARE(s.timesSeen("W07 1"), 1);

        // Every showing starts at 10 MHz again.
        dialog.reject();
        dialog.show();
        QCOMPARE(dialog.selectedFrequency(), 4);
    }

    void syncWaitsWhileAnotherRequestIsPending() {
        MonitoredSimSession s;
        PpsSyncDialog dialog(s.context);
        dialog.show();
        QCOMPARE(dialog.windowTitle(), "Sync Q710 1PPS Output to External Source");
        QCOMPARE(s.shared.slot.fill("A08", "", 1024, 0),
                 brevik2::link::PendingRequestSlot::FillResult::Accepted);
        click(dialog, "sync");
        QVERIFY(dialog.isVisible());
        QCOMPARE(s.shared.slot.take().code, "A08");
        s.shared.slot.release();
        click(dialog, "sync");
        QVERIFY(!dialog.isVisible());
        QCOMPARE(s.shared.slot.take().code, "W22");
        QCOMPARE(s.shared.slot.take().replyLimit, 32);
        QCOMPARE(s.shared.slot.take().completionCode, engine::kStatusSyncAnswered);
    }

    void syncResultFromTheUnit() {
        DialogOnUnit<PpsSyncDialog> unit(400);
        QVERIFY(unit.started);
        auto& [s, started, dialog] = unit;
        click(dialog, "sync");
        QVERIFY(!dialog.isVisible());
        QVERIFY(s.waitFor([&] { return !s.prompts.shown.empty(); }));
        QCOMPARE(s.prompts.shown[0].title, "Command Status");
        QCOMPARE(s.prompts.shown[0].text, "Sync Complete\n Status = Completed");
    }
};

QTEST_MAIN(TtlPpsDialogsTest)
#include "ttl_pps_dialogs_test.moc"
