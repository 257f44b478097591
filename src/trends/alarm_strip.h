#pragma once

#include <QWidget>
#include <optional>
#include <vector>

#include "engine/trace_decimation.h"
#include "trends/time_axis_ticks.h"

namespace brevik2::trends {

// The unit's alarm state along the time axis, one colour per pixel column, with the time labels
// under it; aligned with the plots above through their margins.
class AlarmStrip : public QWidget {
    Q_OBJECT
public:
    explicit AlarmStrip(QWidget* parent = nullptr);

    // The width in pixels the levels are computed for: the plots' plot area.
    int bandWidth() const;
    void showLevels(std::vector<engine::AlarmLevel> levels, double start, double end,
                    std::vector<TimeTick> ticks);
    void setCursorTime(std::optional<double> time);

    const std::vector<engine::AlarmLevel>& levels() const { return m_levels; }

    static QColor colorOf(engine::AlarmLevel level);
    static QString nameOf(engine::AlarmLevel level);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect bandRect() const;

    std::vector<engine::AlarmLevel> m_levels;
    std::vector<TimeTick> m_ticks;
    double m_start = 0;
    double m_end = 1;
    std::optional<double> m_cursorTime;
};

}  // namespace brevik2::trends
