#include "shell/clock_snapshot.h"

#include <QDir>

#include "dialogs/user_prompts.h"
#include "engine/station.h"
#include "shell/snapshot_report.h"

namespace brevik2::shell {

ClockSnapshot::ClockSnapshot(dialogs::UserPrompts& prompts, engine::Station& station)
    : m_prompts(prompts), m_station(station) {}

void ClockSnapshot::start(QWidget* parent, const engine::UnitRecords& records,
                          const std::function<LocalTime()>& clock) {
    const QString chosen =
        m_prompts.saveFileName(parent, QString::fromStdString(snapshotDefaultName(records)),
                               QString::fromLatin1(kFilter), QString::fromLatin1(kSuffix));
    if (chosen.isEmpty()) {
        return;
    }
    // Only one report can wait for the log; the earlier one is closed whole rather than left
    // open for good.
    endPendingWithoutEventLog(parent);

    if (!m_file.open(chosen)) {
        failed(parent, QStringLiteral("could not open"));
        return;
    }
    if (!m_file.write(snapshotFirstSection(records, clock()))) {
        m_file.close();
        failed(parent, QStringLiteral("could not write"));
        return;
    }
    m_pending = true;
    m_station.requestEventLog();
}

void ClockSnapshot::finish(QWidget* parent, const engine::EventTable& table) {
    if (!m_pending) {
        return;
    }
    m_pending = false;
    if (!m_file.isOpen()) {
        m_prompts.information(parent, QString::fromLatin1(kTitle),
                              QStringLiteral("File Snapshot fails (file pointer is null)"));
        return;
    }
    const bool written = m_file.write(snapshotEventLogSection(table));
    const bool closed = m_file.close();
    if (!written || !closed) {
        failed(parent, QStringLiteral("could not write"));
        return;
    }
    m_prompts.information(parent, QString::fromLatin1(kTitle),
                          QStringLiteral("Closing shapshot file, Operation complete"));
}

void ClockSnapshot::endPendingWithoutEventLog(QWidget* parent) {
    if (!m_pending) {
        return;
    }
    m_pending = false;
    if (!m_file.isOpen()) {
        return;
    }
    const bool written = m_file.write(snapshotNotRetrievedSection());
    if (!m_file.close() || !written) {
        failed(parent, QStringLiteral("could not write"));
    }
}

void ClockSnapshot::failed(QWidget* parent, const QString& what) {
    m_prompts.information(parent, QString::fromLatin1(kTitle),
                          QStringLiteral("Snapshot failed: %1 %2")
                              .arg(what, QDir::toNativeSeparators(m_file.path())));
}

}  // namespace brevik2::shell
