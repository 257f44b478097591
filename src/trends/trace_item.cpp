#include "trends/trace_item.h"

#include <QPainter>
#include <QPen>
#include <QPolygonF>
#include <cmath>

namespace brevik2::trends {

namespace {

// A run of a single record (a lone poll between gaps) is drawn as a dash this wide.
constexpr double kDashPixels = 3;

}  // namespace

TraceItem::TraceItem(const QColor& color) : m_color(color) {
    setFlag(QGraphicsItem::ItemClipsToShape, false);
    setAcceptedMouseButtons(Qt::NoButton);
    setAcceptHoverEvents(false);
}

void TraceItem::setArea(const QRectF& area) {
    prepareGeometryChange();
    m_area = area;
    update();
}

void TraceItem::setTrace(engine::DecimatedTrace trace, double start, double end, double low,
                         double high) {
    m_trace = std::move(trace);
    m_start = start;
    m_end = end > start ? end : start + 1;
    m_low = low;
    m_high = high > low ? high : low + 1;
    update();
}

void TraceItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
    if (m_trace.points.empty() || m_area.isEmpty()) {
        return;
    }
    const double xScale = m_area.width() / (m_end - m_start);
    const double yScale = m_area.height() / (m_high - m_low);
    const double left = m_area.left();
    const double bottom = m_area.bottom();

    painter->save();
    painter->setClipRect(m_area);
    QPen pen(m_color, 1);
    pen.setCosmetic(true);
    painter->setPen(pen);
    QPolygonF line;
    const std::size_t runs = m_trace.runStarts.size();
    for (std::size_t run = 0; run < runs; ++run) {
        const std::size_t first = m_trace.runStarts[run];
        const std::size_t last =
            run + 1 < runs ? m_trace.runStarts[run + 1] : m_trace.points.size();
        line.clear();
        line.reserve(static_cast<qsizetype>(last - first));
        for (std::size_t i = first; i < last; ++i) {
            const engine::TracePoint& p = m_trace.points[i];
            line.append(QPointF(left + (p.time - m_start) * xScale,
                                bottom - (static_cast<double>(p.value) - m_low) * yScale));
        }
        if (line.size() == 1) {
            const QPointF at = line.front();
            painter->drawLine(at - QPointF(kDashPixels / 2, 0), at + QPointF(kDashPixels / 2, 0));
        } else {
            painter->drawPolyline(line);
        }
    }
    painter->restore();
}

}  // namespace brevik2::trends
