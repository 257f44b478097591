#pragma once

#include <QChartView>
#include <QColor>
#include <QString>
#include <optional>
#include <vector>

#include "engine/trace_decimation.h"

class QGraphicsLineItem;
class QGraphicsSimpleTextItem;
class QGraphicsRectItem;
class QValueAxis;

namespace brevik2::trends {

// One of the stacked plots: one column of the data file against time. Its plot area keeps fixed
// margins, so all plots of the window (and the alarm strip below them) share one time axis pixel
// for pixel; the window draws every plot for the same time window.
//
// The mouse on a plot moves the cursor, drags to pan, wheels to zoom and double-clicks back to
// the chosen range, for the whole window: the plot only reports it.
class TraceItem;

class TrendPlot : public QChartView {
    Q_OBJECT
public:
    static constexpr int kLeftMargin = 76;  // room for the value labels
    static constexpr int kRightMargin = 16;
    static constexpr int kTopMargin = 4;
    static constexpr int kBottomMargin = 4;

    TrendPlot(int column, const QString& name, const QColor& color, QWidget* parent = nullptr);

    int column() const { return m_column; }
    const QString& name() const { return m_name; }
    int plotWidth() const;

    // Draws the trace for the window [start, end), with vertical grid lines at gridTimes; the
    // value axis is fitted to the part of the trace inside the window.
    void showTrace(engine::DecimatedTrace trace, double start, double end,
                   std::vector<double> gridTimes);
    void setCursorTime(std::optional<double> time);

    // What is drawn, for tests: points over all runs, and the value axis range.
    qsizetype drawnPointCount() const;
    qsizetype drawnRunCount() const;
    double valueMin() const;
    double valueMax() const;

signals:
    void cursorMoved(double fraction);
    void cursorLeft();
    void panned(double fraction);
    void zoomed(double fraction, double factor);
    void resetRequested();
    void resized();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void drawBackground(QPainter* painter, const QRectF& rect) override;

private:
    QRectF plotRect() const;
    double fractionAt(double x) const;
    double xOf(double time) const;
    void placeCursor();
    void applyValueRange(double low, double high);

    int m_column;
    QString m_name;
    QColor m_color;
    QValueAxis* m_timeAxis = nullptr;
    QValueAxis* m_valueAxis = nullptr;
    TraceItem* m_trace = nullptr;
    QGraphicsRectItem* m_nameBackground = nullptr;
    QGraphicsSimpleTextItem* m_nameLabel = nullptr;
    QGraphicsLineItem* m_cursorLine = nullptr;
    std::optional<double> m_cursorTime;
    double m_start = 0;
    double m_end = 1;
    std::vector<double> m_gridTimes;
    std::optional<double> m_dragX;
};

}  // namespace brevik2::trends
