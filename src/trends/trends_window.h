#pragma once

#include <QString>
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

#include "engine/telemetry_file_reader.h"
#include "engine/trace_decimation.h"
#include "trends/trends_view_range.h"

class QAbstractButton;
class QLabel;
class QMenu;
class QScrollArea;
class QTimer;
class QVBoxLayout;

namespace brevik2::link {
class SettingsFile;
}
namespace brevik2::engine {
struct UnitRecords;
}
namespace brevik2::dialogs {
class UserPrompts;
}

namespace brevik2::trends {

class AlarmStrip;
class TrendPlot;

// The "Trends" window: the columns of the unit's telemetry data file as stacked plots over one
// time axis, the alarm state along it, a cursor read-out, and exports of what is shown.
//
// The file is the one the recorder writes, found from the settings and the unit ID of the
// frame's latest records at every read, so a change of either is followed. The whole file is
// read when the window is first shown; after that each poll reads only what was appended.
// Only the plotted columns are held in memory; a column chosen later is read then.
//
// Thread safety: user-interface thread only.
class TrendsWindow : public QWidget {
    Q_OBJECT
public:
    // latestRecords is the frame's copy, read for the unit ID at every read.
    TrendsWindow(const link::SettingsFile& settings, const engine::UnitRecords& latestRecords,
                 dialogs::UserPrompts& prompts, QWidget* parent = nullptr);
    ~TrendsWindow() override;

    // The frame calls this on status code 10. While the window is hidden it does nothing; showing
    // the window catches up.
    void onPollCompleted();

    // The plotted columns of the data file, top to bottom.
    std::vector<int> plottedColumns() const;
    void setColumnPlotted(int column, bool plotted);
    void setRangePreset(RangePreset preset);
    // Zooms and pans as the mouse does: fraction 0 is the left edge of the plots, 1 the right.
    void zoomAt(double fraction, double factor);
    void panBy(double fraction);
    const TrendsViewRange& viewRange() const { return m_range; }
    void setCursorTime(std::optional<double> time);

    void exportPng();
    void exportCsv();

    // Draws at once what would otherwise be drawn at the next turn of the event loop.
    void redrawNow();

    // What the window shows, for tests and the benchmark.
    const engine::TelemetrySeries* series() const;
    const engine::TelemetryReadCounts* readCounts() const;
    TrendPlot* plot(int column) const;
    AlarmStrip* alarmStrip() const { return m_strip; }
    QString readoutText() const;
    QString statusText() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct Location {
        std::optional<std::string> path;
        std::optional<long> unitId;
        QString problem;
    };

    Location locate() const;
    void refresh();
    void openReader(const std::string& path, std::optional<long> unitId);
    void addPlot(int column);
    void scheduleRedraw();
    void redraw();
    void afterViewChange();
    void updatePresetButtons();
    void updateReadout();
    void updateStatus(const QString& problem);
    QString defaultExportName(const QString& suffix) const;

    const link::SettingsFile& m_settings;
    const engine::UnitRecords& m_records;
    dialogs::UserPrompts& m_prompts;

    std::unique_ptr<engine::TelemetryFileReader> m_reader;
    engine::TraceDecimation m_decimation;
    TrendsViewRange m_range;
    std::vector<TrendPlot*> m_plots;
    std::optional<double> m_cursorTime;
    bool m_stale = true;

    QVBoxLayout* m_plotsLayout = nullptr;
    QWidget* m_plotsArea = nullptr;
    QScrollArea* m_scroll = nullptr;
    AlarmStrip* m_strip = nullptr;
    QMenu* m_columnMenu = nullptr;
    std::vector<QAbstractButton*> m_presetButtons;
    QLabel* m_readout = nullptr;
    QLabel* m_status = nullptr;
    QTimer* m_redrawTimer = nullptr;
};

}  // namespace brevik2::trends
