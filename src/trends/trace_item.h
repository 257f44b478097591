#pragma once

#include <QColor>
#include <QGraphicsItem>
#include <QRectF>

#include "engine/trace_decimation.h"

namespace brevik2::trends {

// The line of one plot, drawn straight from the decimated points: a few thousand points per
// redraw, mapped and drawn as polylines. The chart's own line series would stroke their whole
// outline again on every change (for hit testing the plot never uses), which made each redraw
// several times slower.
class TraceItem : public QGraphicsItem {
public:
    explicit TraceItem(const QColor& color);

    // The plot area, in the scene's coordinates.
    void setArea(const QRectF& area);
    // The points of [start, end) against a value axis from low (bottom) to high (top).
    void setTrace(engine::DecimatedTrace trace, double start, double end, double low, double high);

    qsizetype pointCount() const { return static_cast<qsizetype>(m_trace.points.size()); }
    qsizetype runCount() const { return static_cast<qsizetype>(m_trace.runStarts.size()); }

    QRectF boundingRect() const override { return m_area; }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    QColor m_color;
    QRectF m_area;
    engine::DecimatedTrace m_trace;
    double m_start = 0;
    double m_end = 1;
    double m_low = 0;
    double m_high = 1;
};

}  // namespace brevik2::trends
