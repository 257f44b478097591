// Opens the Trends window on a data file and reports how long it took until the plots were
// painted, the resident memory, the time of each redraw while zooming and panning, and the time
// to add a column. With --screenshot it saves a picture of the window as well.
//
//   trends_open FILE [--unit N] [--size WxH] [--range day|week|month|all] [--steps N]
//               [--screenshot PNG]

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPixmap>
#include <QTemporaryDir>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <numeric>
#include <string>
#include <vector>

#include "dialogs/user_prompts.h"
#include "engine/status_records.h"
#include "engine/telemetry_file_reader.h"
#include "link/settings_file.h"
#include "trends/trends_window.h"

namespace {

using brevik2::trends::RangePreset;
using brevik2::trends::TrendsWindow;

long statusKiB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) {
            return std::stol(line.substr(std::string(field).size()));
        }
    }
    return -1;
}

// Repaints the window at once and waits for nothing else; a move of the cursor alone changes no
// plot, so it is only repainted.
void paintNow(TrendsWindow& window, bool redraw = true) {
    if (redraw) {
        window.redrawNow();
    }
    window.repaint();
    QCoreApplication::processEvents();
}

struct Timings {
    std::vector<double> ms;
    void print(const char* what) const {
        if (ms.empty()) {
            return;
        }
        const double mean = std::accumulate(ms.begin(), ms.end(), 0.0) / ms.size();
        std::printf("%-34s %3zu redraws: mean %6.1f ms, max %6.1f ms\n", what, ms.size(), mean,
                    *std::max_element(ms.begin(), ms.end()));
    }
};

template <typename Step>
Timings timeSteps(TrendsWindow& window, int steps, Step step, bool redraw = true) {
    Timings timings;
    for (int i = 0; i < steps; ++i) {
        QElapsedTimer timer;
        timer.start();
        step(i);
        paintNow(window, redraw);
        timings.ms.push_back(timer.nsecsElapsed() / 1e6);
    }
    return timings;
}

}  // namespace

int main(int argc, char** argv) {
    QElapsedTimer sinceStart;
    sinceStart.start();
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr,
                     "usage: trends_open FILE [--unit N] [--size WxH] "
                     "[--range day|week|month|all] [--steps N] [--screenshot PNG]\n");
        return 2;
    }
    const QFileInfo file(args[1]);
    long unit = 5;
    int width = 1200;
    int height = 800;
    int steps = 30;
    RangePreset range = RangePreset::All;
    QString screenshot;
    for (int i = 2; i + 1 < args.size(); i += 2) {
        const QString& key = args[i];
        const QString& value = args[i + 1];
        if (key == "--unit") {
            unit = value.toLong();
        } else if (key == "--size") {
            width = value.section('x', 0, 0).toInt();
            height = value.section('x', 1, 1).toInt();
        } else if (key == "--steps") {
            steps = value.toInt();
        } else if (key == "--screenshot") {
            screenshot = value;
        } else if (key == "--range") {
            range = value == "day"     ? RangePreset::LastDay
                    : value == "week"  ? RangePreset::LastWeek
                    : value == "month" ? RangePreset::LastMonth
                                       : RangePreset::All;
        }
    }

    // A settings file that points the recorder's keys at the file.
    QTemporaryDir folder;
    const brevik2::link::SettingsFile settings(
        QDir(folder.path()).filePath("Brevik2.ini").toStdString());
    settings.writeString("OnlineDatafileDirectory",
                         QDir::toNativeSeparators(file.absolutePath()).toStdString() + "/");
    settings.writeString("TelemetryFilenameTemplate", file.fileName().toStdString());
    brevik2::engine::UnitRecords records;
    records.variables.setSigned(brevik2::engine::kVarUnitId, static_cast<std::int32_t>(unit));
    records.variables.valid[brevik2::engine::kVarUnitId] = 1;
    brevik2::dialogs::QtUserPrompts prompts;

    const long residentBefore = statusKiB("VmRSS:");
    QElapsedTimer opening;
    opening.start();
    TrendsWindow window(settings, records, prompts);
    window.resize(width, height);
    window.setRangePreset(range);
    window.show();
    while (window.windowHandle() == nullptr || !window.windowHandle()->isExposed()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    paintNow(window);
    const double openSeconds = opening.nsecsElapsed() / 1e9;
    const auto* counts = window.readCounts();
    std::printf("file %s: %lld bytes, %zu records, %zu header lines, %zu skipped\n",
                qPrintable(file.fileName()), static_cast<long long>(file.size()),
                counts ? counts->records : 0, counts ? counts->headerLines : 0,
                counts ? counts->wrongColumnCount + counts->otherUnit + counts->unreadable : 0);
    std::printf("open with %zu plots until painted: %.3f s (%.3f s since the program started)\n",
                window.plottedColumns().size(), openSeconds, sinceStart.nsecsElapsed() / 1e9);
    std::printf("resident: %ld KiB before the window, %ld KiB after, peak %ld KiB\n",
                residentBefore, statusKiB("VmRSS:"), statusKiB("VmHWM:"));

    if (!screenshot.isEmpty()) {
        window.setCursorTime(window.viewRange().timeAt(0.62));
        paintNow(window);
        const bool saved = window.grab().save(screenshot, "PNG");
        std::printf("screenshot %s: %s\n", qPrintable(screenshot), saved ? "saved" : "FAILED");
        window.setCursorTime(std::nullopt);
    }

    if (steps > 0) {
        window.setRangePreset(RangePreset::All);
        paintNow(window);
        timeSteps(window, steps, [&](int i) {
            window.setCursorTime(window.viewRange().timeAt(i / 40.0));
        }).print("cursor moves, whole record");
        timeSteps(window, steps, [&](int) { window.panBy(0.01); }).print("pans, whole record");
        window.setRangePreset(RangePreset::All);
        timeSteps(window, steps, [&](int) {
            window.zoomAt(0.5, 0.8);
        }).print("wheel zoom-ins from the whole");
        window.setRangePreset(RangePreset::LastMonth);
        timeSteps(window, steps, [&](int) { window.panBy(-0.02); }).print("pans, one month");
        window.setRangePreset(RangePreset::LastDay);
        timeSteps(window, steps, [&](int) { window.panBy(-0.02); }).print("pans, one day");

        const auto extra = brevik2::engine::telemetryColumnIndex("V_MS");
        QElapsedTimer adding;
        adding.start();
        window.setColumnPlotted(*extra, true);
        paintNow(window);
        std::printf(
            "add the column V_MS (reads the file again): %.3f s; resident %ld KiB, "
            "peak %ld KiB\n",
            adding.nsecsElapsed() / 1e9, statusKiB("VmRSS:"), statusKiB("VmHWM:"));
    }
    return 0;
}
