#include "trends/trends_window.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QWheelEvent>
#include <QtTest>
#include <memory>

#include "engine/status_records.h"
#include "engine/telemetry_file_reader.h"
#include "engine/telemetry_format.h"
#include "link/settings_file.h"
#include "support/scripted_user_prompts.h"
#include "support/temp_folder.h"
#include "trends/alarm_strip.h"
#include "trends/trend_plot.h"

using namespace brevik2;

namespace {

constexpr double kFirst = 1.7e9;
constexpr int kRecords = 600;  // ten hours a minute apart
const int kVEm = *engine::telemetryColumnIndex("V_EM");
const int kVMs = *engine::telemetryColumnIndex("V_MS");

float vEmAt(int i) {
    return 1450.0f + static_cast<float>(i % 50) * 0.5f;
}

std::string recordLine(int i, int unitId = 5, float vEm = -1) {
    engine::UnitRecords records;
    records.variables.setSigned(engine::kVarUnitId, unitId);
    records.variables.setFloat(engine::kVarVEm, vEm >= 0 ? vEm : vEmAt(i));
    records.variables.setFloat(engine::kVarVMs, 1.9f + static_cast<float>(i) * 0.001f);
    // A major fault for ten minutes in the fifth hour.
    records.variables.setUnsigned(engine::kVarAlarmState, i >= 240 && i < 250
                                                              ? engine::kAlarmMajorFault
                                                              : engine::kAlarmOperating);
    return engine::formatTelemetryLine(records, engine::LocalDateTime{},
                                       engine::modifiedJulianDate(kFirst + 60.0 * i));
}

void append(const std::filesystem::path& path, const std::string& text) {
    QFile file(QString::fromStdString(path.string()));
    QVERIFY(file.open(QIODevice::Append));
    file.write(text.data(), static_cast<qint64>(text.size()));
}

}  // namespace

class TrendsWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void plotsTheDefaultColumnsWithFaultsMarked();
    void followsRecordsAppendedAfterEachPoll();
    void waitsForTheUnitIdAndFollowsItsChange();
    void choosingAColumnReadsItThen();
    void exportsThePictureAndTheVisibleRecords();
    void mouseZoomsPansAndReadsOutValues();

private:
    std::filesystem::path dataFile(int unitId = 5) const {
        return m_folder->path() / ("Unit" + std::to_string(unitId) + "_Data.txt");
    }

    std::unique_ptr<testing::TempFolder> m_folder;
    std::unique_ptr<link::SettingsFile> m_settings;
    engine::UnitRecords m_records;
    testing::ScriptedUserPrompts m_prompts;
    std::unique_ptr<trends::TrendsWindow> m_window;
};

void TrendsWindowTest::init() {
    m_folder = std::make_unique<testing::TempFolder>();
    m_settings = std::make_unique<link::SettingsFile>(m_folder->path() / "Brevik2.ini");
    m_settings->writeString("OnlineDatafileDirectory", m_folder->path().string());
    m_settings->writeString("TelemetryFilenameTemplate", "Unit%ld_Data.txt");
    m_records = engine::UnitRecords{};
    m_records.variables.setSigned(engine::kVarUnitId, 5);
    m_records.variables.valid[engine::kVarUnitId] = 1;
    m_prompts = testing::ScriptedUserPrompts{};

    std::string text = engine::telemetryHeaderLine();
    for (int i = 0; i < kRecords; ++i) {
        text += recordLine(i);
        if (i == 100) {
            text += recordLine(i, 9);  // another unit writing into the same folder's file
        }
    }
    testing::writeWholeFile(dataFile(), text);
    m_window = std::make_unique<trends::TrendsWindow>(*m_settings, m_records, m_prompts);
    m_window->resize(900, 700);
}

void TrendsWindowTest::cleanup() {
    m_window.reset();
    m_folder.reset();
}

void TrendsWindowTest::plotsTheDefaultColumnsWithFaultsMarked() {
    QCOMPARE(m_window->series(), nullptr);  // nothing is read before the window is shown
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_window->redrawNow();

    QCOMPARE(m_window->windowTitle(), QStringLiteral("Trends"));
    std::vector<int> expected;
    for (const char* name : {"V_EM", "I_IP", "V_CS", "I_CFLD", "T_CHASIS", "V_VCXO", "STDDEV"}) {
        expected.push_back(*engine::telemetryColumnIndex(name));
    }
    QVERIFY(m_window->plottedColumns() == expected);
    QVERIFY(m_window->series() != nullptr);
    QCOMPARE(m_window->series()->size(), std::size_t{kRecords});
    QVERIFY(m_window->statusText().contains(QStringLiteral("600 records")));
    QVERIFY(m_window->statusText().contains(QStringLiteral("1 records of other units")));

    // The last day is shown: every record, and the axis spans the values.
    trends::TrendPlot* plot = m_window->plot(kVEm);
    QVERIFY(plot != nullptr);
    QVERIFY(plot->drawnPointCount() > 100);
    QVERIFY(plot->valueMin() <= 1450.0 && plot->valueMax() >= 1474.5);
    QVERIFY(m_window->viewRange().end() > kFirst + 60.0 * (kRecords - 1));

    const auto& levels = m_window->alarmStrip()->levels();
    QVERIFY(std::count(levels.begin(), levels.end(), engine::AlarmLevel::MajorFault) > 0);
    QVERIFY(std::count(levels.begin(), levels.end(), engine::AlarmLevel::Operating) >
            std::count(levels.begin(), levels.end(), engine::AlarmLevel::MajorFault));
    QVERIFY(m_window->readoutText().startsWith(QStringLiteral("Latest: ")));
}

void TrendsWindowTest::followsRecordsAppendedAfterEachPoll() {
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_window->redrawNow();

    append(dataFile(), recordLine(kRecords, 5, 1500.0f) + recordLine(kRecords + 1, 5, 1501.0f) +
                           recordLine(kRecords + 2).substr(0, 50));
    m_window->onPollCompleted();
    m_window->redrawNow();
    QCOMPARE(m_window->series()->size(), std::size_t{kRecords + 2});
    QVERIFY(m_window->viewRange().end() > kFirst + 60.0 * (kRecords + 1));
    QVERIFY(m_window->plot(kVEm)->valueMax() >= 1501.0);
    QVERIFY(m_window->readoutText().contains(QStringLiteral("V_EM 1501.000")));

    // While hidden nothing is read; showing the window catches up.
    m_window->hide();
    append(dataFile(), recordLine(kRecords + 2).substr(50) + recordLine(kRecords + 3));
    m_window->onPollCompleted();
    QCOMPARE(m_window->series()->size(), std::size_t{kRecords + 2});
    m_window->show();
    QCOMPARE(m_window->series()->size(), std::size_t{kRecords + 4});
    QCOMPARE(m_window->readCounts()->wrongColumnCount, std::size_t{0});
}

void TrendsWindowTest::waitsForTheUnitIdAndFollowsItsChange() {
    m_records.variables.valid[engine::kVarUnitId] = 0;
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QCOMPARE(m_window->series(), nullptr);
    QVERIFY(m_window->statusText().contains(QStringLiteral("not known yet")));

    m_records.variables.valid[engine::kVarUnitId] = 1;
    m_window->onPollCompleted();
    QCOMPARE(m_window->series()->size(), std::size_t{kRecords});

    // The unit reports another ID: its own file is followed from then on.
    testing::writeWholeFile(dataFile(7), engine::telemetryHeaderLine() + recordLine(0, 7));
    m_records.variables.setSigned(engine::kVarUnitId, 7);
    m_window->onPollCompleted();
    QCOMPARE(m_window->series()->size(), std::size_t{1});

    m_records.variables.setSigned(engine::kVarUnitId, 8);  // recording not started yet
    m_window->onPollCompleted();
    QCOMPARE(m_window->series()->size(), std::size_t{0});
    QVERIFY(m_window->statusText().contains(QStringLiteral("No records")));
}

void TrendsWindowTest::choosingAColumnReadsItThen() {
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QVERIFY(!m_window->series()->slotOf(kVMs));  // only the plotted columns are held

    m_window->setColumnPlotted(kVMs, true);
    m_window->redrawNow();
    QVERIFY(m_window->plot(kVMs) != nullptr);
    const auto slot = m_window->series()->slotOf(kVMs);
    QVERIFY(slot.has_value());
    QCOMPARE(m_window->series()->values[*slot][10], 1.91f);
    QVERIFY(m_window->plot(kVMs)->drawnPointCount() > 0);

    m_window->setColumnPlotted(kVEm, false);
    QCOMPARE(m_window->plot(kVEm), nullptr);
    QCOMPARE(m_window->plottedColumns().size(), std::size_t{7});
    m_window->setColumnPlotted(*engine::telemetryColumnIndex("MODE"), true);  // text: refused
    QCOMPARE(m_window->plottedColumns().size(), std::size_t{7});
}

void TrendsWindowTest::exportsThePictureAndTheVisibleRecords() {
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    const QString folder = QString::fromStdString(m_folder->path().string());

    m_prompts.answers = {folder + "/view.png"};
    m_window->exportPng();
    QVERIFY(m_prompts.askedFilter.contains(QStringLiteral("*.png")));
    QVERIFY(m_prompts.askedDefaultName.endsWith(QStringLiteral("Unit5 Trends.png")));
    QImage picture(folder + "/view.png");
    QVERIFY(!picture.isNull());
    QVERIFY(picture.width() > 800 && picture.height() > 400);

    // Zoomed to the hour of the fault: just those records are written.
    const double faultStart = kFirst + 60.0 * 240;
    while (m_window->viewRange().end() - m_window->viewRange().start() > 3600) {
        m_window->zoomAt((faultStart + 300 - m_window->viewRange().start()) /
                             (m_window->viewRange().end() - m_window->viewRange().start()),
                         0.8);
    }
    m_prompts.answers = {folder + "/view.csv"};
    m_window->exportCsv();
    QFile csv(folder + "/view.csv");
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = csv.readAll().split('\n');
    QVERIFY(lines.front().startsWith("Local time,MJD,ALARM,V_EM,I_IP,V_CS,I_CFLD,T_CHASIS,"));
    QVERIFY(lines.front().endsWith("\r"));
    const double start = m_window->viewRange().start();
    const double end = m_window->viewRange().end();
    int inView = 0;
    for (int i = 0; i < kRecords; ++i) {
        const double t = kFirst + 60.0 * i;
        inView += t >= start && t <= end ? 1 : 0;
    }
    QCOMPARE(lines.size() - 2, inView);  // header, and nothing after the last CR LF
    QVERIFY(csv.readAll().isEmpty());
    QVERIFY(lines[1].contains(",11,") || lines[1].contains(",0,"));
    const QList<QByteArray> fields = lines[1].split(',');
    QCOMPARE(fields.size(), 3 + 7);
    QVERIFY(fields[3].contains('.'));  // V_EM as the data file prints it

    // Cancelled: nothing written, nothing said. Unwritable: said, no half file.
    m_prompts.answers = {QString()};
    m_window->exportCsv();
    QVERIFY(m_prompts.shown.empty());
    m_prompts.answers = {folder + "/missing/dir/view.csv"};
    m_window->exportCsv();
    QCOMPARE(m_prompts.shown.size(), std::size_t{1});
    QCOMPARE(m_prompts.shown.front().title, QStringLiteral("Trends"));
}

void TrendsWindowTest::mouseZoomsPansAndReadsOutValues() {
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_window->redrawNow();
    trends::TrendPlot* plot = m_window->plot(kVEm);
    QWidget* surface = plot->viewport();
    const int y = plot->height() / 2;
    const int left = trends::TrendPlot::kLeftMargin;
    const int width = plot->plotWidth();

    // The wheel zooms in about the time under the mouse.
    const double spanBefore = m_window->viewRange().end() - m_window->viewRange().start();
    const QPoint at(left + width / 2, y);
    QWheelEvent wheel(at, surface->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(surface, &wheel);
    const double span = m_window->viewRange().end() - m_window->viewRange().start();
    QVERIFY(span < spanBefore * 0.9);
    QVERIFY(!m_window->viewRange().following());
    for (QAbstractButton* button : m_window->findChildren<QAbstractButton*>()) {
        QVERIFY(!button->isChecked());
    }

    // Dragging to the left shows later times.
    const double startBefore = m_window->viewRange().start();
    QTest::mousePress(surface, Qt::LeftButton, Qt::NoModifier, QPoint(left + 300, y));
    QTest::mouseMove(surface, QPoint(left + 200, y));
    QTest::mouseRelease(surface, Qt::LeftButton, Qt::NoModifier, QPoint(left + 200, y));
    QVERIFY(m_window->viewRange().start() > startBefore);

    // The cursor reads out the record under it.
    const int record = 300;
    m_window->setCursorTime(kFirst + 60.0 * record + 20);
    const QString readout = m_window->readoutText();
    QVERIFY2(readout.contains(QStringLiteral("V_EM %1").arg(vEmAt(record), 0, 'f', 3)),
             qPrintable(readout));
    QVERIFY(readout.contains(QStringLiteral("Operating")));
    m_window->setCursorTime(kFirst - 86400);
    QVERIFY(m_window->readoutText().contains(QStringLiteral("no record")));

    // A double-click goes back to the chosen range.
    QTest::mouseDClick(surface, Qt::LeftButton, Qt::NoModifier, QPoint(left + 10, y));
    QVERIFY(m_window->viewRange().following());
}

QTEST_MAIN(TrendsWindowTest)
#include "trends_window_test.moc"
