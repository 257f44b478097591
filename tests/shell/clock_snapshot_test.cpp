// The clock data snapshot with scripted file dialogs and message boxes: both stages, a second
// snapshot while one waits, and the failures of a file that cannot be written.

#include <signal.h>
#include <sys/resource.h>

#include <QtTest>

#include "engine/station.h"
#include "shell/clock_snapshot.h"
#include "shell/snapshot_report.h"
#include "support/scripted_user_prompts.h"
#include "support/temp_folder.h"

using namespace brevik2;
using namespace brevik2::shell;

namespace {

const LocalTime kJuly9{2003, 7, 9, 14, 5, 9};
LocalTime atJuly9() {
    return kJuly9;
}

engine::UnitRecords model402() {
    engine::UnitRecords records;
    records.constants.setSigned(engine::kConModelCode, 402);
    records.variables.setUnsigned(engine::kVarUnitId, 1234);
    return records;
}

QString text(const std::string& bytes) {
    return QString::fromStdString(bytes);
}

// Lowers the file size limit for one test and puts it back; writes past it fail with EFBIG
// rather than killing the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_savedHandler = signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = m_saved;
        lowered.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        signal(SIGXFSZ, m_savedHandler);
    }

private:
    rlimit m_saved{};
    void (*m_savedHandler)(int) = nullptr;
};

}  // namespace

class ClockSnapshotTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<testing::TempFolder> m_folder;
    // Not started: it only takes the snapshot's request for the event log.
    std::unique_ptr<engine::Station> m_station;
    engine::MonitorSharedState* m_shared = nullptr;
    testing::ScriptedUserPrompts m_prompts;

    QString pathOf(const char* name) { return QString::fromStdString((*m_folder / name).string()); }

private slots:
    void init() {
        m_folder = std::make_unique<testing::TempFolder>();
        m_station = std::make_unique<engine::Station>(*m_folder / "station.ini",
                                                      [](engine::Station::Task) {});
        m_shared = &m_station->sharedState();
        m_prompts = {};
    }

    void cancelledDialogChangesNothing() {
        ClockSnapshot snapshot(m_prompts, *m_station);
        snapshot.start(nullptr, model402(), atJuly9);
        QCOMPARE(m_prompts.askedDefaultName, QStringLiteral("Harrowquill_Q520K_1234_status"));
        QCOMPARE(m_prompts.askedFilter, QStringLiteral("Text File (*.txt);;All Files (*.*)"));
        QCOMPARE(m_prompts.askedSuffix, QStringLiteral("txt"));
        QVERIFY(!snapshot.pending());
        QVERIFY(!m_shared->eventLogRequest.load());
        QVERIFY(m_prompts.shown.empty());
    }

    // The save dialog may stay open for minutes: the report says when it was written.
    void theTimeIsReadOnceTheFileIsChosen() {
        ClockSnapshot snapshot(m_prompts, *m_station);
        m_prompts.answers.push_back(pathOf("report.txt"));
        int readsAfterChoice = 0;
        snapshot.start(nullptr, model402(), [&] {
            readsAfterChoice += m_prompts.answers.empty() ? 1 : 0;
            return kJuly9;
        });
        QCOMPARE(readsAfterChoice, 1);
    }

    void bothStagesMakeOneWindowsTextReport() {
        ClockSnapshot snapshot(m_prompts, *m_station);
        m_prompts.answers.push_back(pathOf("report.txt"));
        snapshot.start(nullptr, model402(), atJuly9);
        QVERIFY(snapshot.pending());
        QVERIFY(m_shared->eventLogRequest.load());
        const std::string first = withCrLf(snapshotFirstSection(model402(), kJuly9));
        QCOMPARE(text(testing::readWholeFile(*m_folder / "report.txt")), text(first));

        snapshot.finish(nullptr, engine::EventTable{0, {}});
        QVERIFY(!snapshot.pending());
        QCOMPARE(text(testing::readWholeFile(*m_folder / "report.txt")),
                 text(first + "\r\nEventlog\r\nNo Events\r\n"));
        QCOMPARE(m_prompts.shown.size(), std::size_t{1});
        QCOMPARE(m_prompts.shown[0].title, QStringLiteral("Snapshot"));
        QCOMPARE(m_prompts.shown[0].text,
                 QStringLiteral("Closing shapshot file, Operation complete"));

        // A later retrieval for someone else is no snapshot's business.
        snapshot.finish(nullptr, engine::EventTable{0, {}});
        QCOMPARE(m_prompts.shown.size(), std::size_t{1});
    }

    void aSecondSnapshotClosesTheFirstWithANote() {
        ClockSnapshot snapshot(m_prompts, *m_station);
        m_prompts.answers = {pathOf("one.txt"), pathOf("two.txt")};
        snapshot.start(nullptr, model402(), atJuly9);
        snapshot.start(nullptr, model402(), atJuly9);
        QVERIFY(snapshot.pending());
        const std::string first = withCrLf(snapshotFirstSection(model402(), kJuly9));
        QCOMPARE(text(testing::readWholeFile(*m_folder / "one.txt")),
                 text(first + withCrLf(snapshotNotRetrievedSection())));

        snapshot.finish(nullptr, engine::EventTable{1, {{"event", {}}}});
        QCOMPARE(text(testing::readWholeFile(*m_folder / "two.txt")),
                 text(first + "\r\nEventlog\r\n\tevent\r\n"));
        QCOMPARE(m_prompts.shown.size(), std::size_t{1});
    }

    void aFileThatCannotBeOpenedIsReported() {
        ClockSnapshot snapshot(m_prompts, *m_station);
        const QString path = pathOf("missing-folder/report.txt");
        m_prompts.answers.push_back(path);
        snapshot.start(nullptr, model402(), atJuly9);
        QVERIFY(!snapshot.pending());
        QVERIFY(!m_shared->eventLogRequest.load());
        QCOMPARE(m_prompts.shown.size(), std::size_t{1});
        QCOMPARE(m_prompts.shown[0].title, QStringLiteral("Snapshot"));
        QVERIFY(m_prompts.shown[0].text.startsWith(QStringLiteral("Snapshot failed")));
        QVERIFY(m_prompts.shown[0].text.contains(path));
    }

    void aFullDiskAtTheFirstSectionIsReported() {
        ClockSnapshot snapshot(m_prompts, *m_station);
        m_prompts.answers.push_back(QStringLiteral("/dev/full"));
        snapshot.start(nullptr, model402(), atJuly9);
        QVERIFY(!snapshot.pending());
        QVERIFY(!m_shared->eventLogRequest.load());
        QCOMPARE(m_prompts.shown.size(), std::size_t{1});
        QVERIFY(m_prompts.shown[0].text.startsWith(QStringLiteral("Snapshot failed")));
        QVERIFY(m_prompts.shown[0].text.contains(QStringLiteral("/dev/full")));
    }

    void aFullDiskAtTheEventLogIsReportedInsteadOfSuccess() {
        ClockSnapshot snapshot(m_prompts, *m_station);
        m_prompts.answers.push_back(pathOf("report.txt"));
        const std::size_t firstSize = withCrLf(snapshotFirstSection(model402(), kJuly9)).size();
        {
            FileSizeLimit limit(firstSize + 4);  // room for the first section only
            snapshot.start(nullptr, model402(), atJuly9);
            QVERIFY(snapshot.pending());
            snapshot.finish(nullptr, engine::EventTable{1, {{"an event that does not fit", {}}}});
        }
        QVERIFY(!snapshot.pending());
        QCOMPARE(m_prompts.shown.size(), std::size_t{1});
        QVERIFY(m_prompts.shown[0].text.startsWith(QStringLiteral("Snapshot failed")));
        QVERIFY(m_prompts.shown[0].text.contains(pathOf("report.txt")));
    }
};

QTEST_MAIN(ClockSnapshotTest)
#include "clock_snapshot_test.moc"
