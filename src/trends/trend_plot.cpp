#include "trends/trend_plot.h"

#include "trends/trace_item.h"

#include <QChart>
#include <QGraphicsLineItem>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QMouseEvent>
#include <QPainter>
#include <QValueAxis>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <limits>

namespace brevik2::trends {

namespace {

constexpr double kZoomPerWheelStep = 0.8;
constexpr double kWheelStep = 120.0;  // angle delta of one notch
constexpr double kValuePadding = 0.05;
constexpr double kPixelsPerValueTick = 30;
const QColor kGridColor(225, 225, 225);

}  // namespace

TrendPlot::TrendPlot(int column, const QString& name, const QColor& color, QWidget* parent)
    : QChartView(parent), m_column(column), m_name(name), m_color(color) {
    auto* chart = new QChart();
    chart->legend()->hide();
    chart->setMargins(QMargins(0, 0, 0, 0));
    chart->setBackgroundRoundness(0);
    chart->setBackgroundVisible(false);
    chart->setPlotAreaBackgroundVisible(false);
    // Every change of the trace is drawn at once; animating them would lag behind the mouse.
    chart->setAnimationOptions(QChart::NoAnimation);

    m_timeAxis = new QValueAxis(chart);
    m_timeAxis->setVisible(false);  // the grid and labels of time are drawn by the window
    chart->addAxis(m_timeAxis, Qt::AlignBottom);
    m_valueAxis = new QValueAxis(chart);
    m_valueAxis->setLabelFormat(QStringLiteral("%.5g"));
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    m_valueAxis->setLabelsFont(small);
    m_valueAxis->setGridLineColor(kGridColor);
    m_valueAxis->setMinorGridLineVisible(false);
    m_valueAxis->setTickType(QValueAxis::TicksDynamic);
    chart->addAxis(m_valueAxis, Qt::AlignLeft);
    setChart(chart);

    setRenderHint(QPainter::Antialiasing, true);
    setFrameShape(QFrame::NoFrame);
    setMouseTracking(true);
    setMinimumHeight(70);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    m_nameBackground = new QGraphicsRectItem();
    m_nameBackground->setBrush(QColor(255, 255, 255, 210));
    m_nameBackground->setPen(Qt::NoPen);
    m_nameBackground->setZValue(20);
    scene()->addItem(m_nameBackground);
    m_nameLabel = new QGraphicsSimpleTextItem(m_name);
    QFont bold = font();
    bold.setBold(true);
    m_nameLabel->setFont(bold);
    m_nameLabel->setBrush(m_color.darker(130));
    m_nameLabel->setZValue(21);
    scene()->addItem(m_nameLabel);

    m_trace = new TraceItem(m_color);
    m_trace->setZValue(10);
    scene()->addItem(m_trace);

    m_cursorLine = new QGraphicsLineItem();
    m_cursorLine->setPen(QPen(QColor(60, 60, 60), 1, Qt::DashLine));
    m_cursorLine->setZValue(30);
    m_cursorLine->hide();
    scene()->addItem(m_cursorLine);
}

QRectF TrendPlot::plotRect() const {
    return QRectF(kLeftMargin, kTopMargin, std::max(1, width() - kLeftMargin - kRightMargin),
                  std::max(1, height() - kTopMargin - kBottomMargin));
}

int TrendPlot::plotWidth() const {
    return static_cast<int>(plotRect().width());
}

double TrendPlot::fractionAt(double x) const {
    const QRectF area = plotRect();
    return (x - area.left()) / area.width();
}

double TrendPlot::xOf(double time) const {
    const QRectF area = plotRect();
    return area.left() + (time - m_start) / (m_end - m_start) * area.width();
}

void TrendPlot::showTrace(engine::DecimatedTrace trace, double start, double end,
                          std::vector<double> gridTimes) {
    m_start = start;
    m_end = end > start ? end : start + 1;
    m_gridTimes = std::move(gridTimes);

    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    for (const engine::TracePoint& p : trace.points) {
        if (p.time >= m_start && p.time < m_end) {
            low = std::min(low, static_cast<double>(p.value));
            high = std::max(high, static_cast<double>(p.value));
        }
    }
    // Zoomed in between two polls, only the records just outside the window are there.
    if (!(low <= high)) {
        for (const engine::TracePoint& p : trace.points) {
            low = std::min(low, static_cast<double>(p.value));
            high = std::max(high, static_cast<double>(p.value));
        }
    }

    m_timeAxis->setRange(m_start, m_end);
    applyValueRange(low, high);
    m_trace->setTrace(std::move(trace), m_start, m_end, m_valueAxis->min(), m_valueAxis->max());
    placeCursor();
    viewport()->update();
}

// The value axis fits the trace with a little room; its ticks fall on round values, no closer
// than the labels have room for: the axis elides a label that would touch its neighbour.
void TrendPlot::applyValueRange(double low, double high) {
    if (!(low <= high)) {
        low = 0;
        high = 1;
    } else if (high - low < 1e-9 * std::max(1.0, std::abs(high))) {
        const double room = std::max(std::abs(high) * 1e-3, 0.5);
        low -= room;
        high += room;
    } else {
        const double pad = (high - low) * kValuePadding;
        low -= pad;
        high += pad;
    }
    const double ticks = std::clamp(plotRect().height() / kPixelsPerValueTick, 1.5, 8.0);
    const double rough = (high - low) / ticks;
    const double magnitude = std::pow(10.0, std::floor(std::log10(rough)));
    double step = magnitude * 10;
    for (const double nice : {1.0, 2.0, 2.5, 5.0}) {
        if (magnitude * nice >= rough) {
            step = magnitude * nice;
            break;
        }
    }
    m_valueAxis->setRange(low, high);
    m_valueAxis->setTickAnchor(std::ceil(low / step) * step);
    m_valueAxis->setTickInterval(step);
}

void TrendPlot::setCursorTime(std::optional<double> time) {
    m_cursorTime = time;
    placeCursor();
}

void TrendPlot::placeCursor() {
    const QRectF area = plotRect();
    if (!m_cursorTime || *m_cursorTime < m_start || *m_cursorTime > m_end) {
        m_cursorLine->hide();
        return;
    }
    const double x = xOf(*m_cursorTime);
    m_cursorLine->setLine(x, area.top(), x, area.bottom());
    m_cursorLine->show();
}

qsizetype TrendPlot::drawnPointCount() const {
    return m_trace->pointCount();
}

qsizetype TrendPlot::drawnRunCount() const {
    return m_trace->runCount();
}

double TrendPlot::valueMin() const {
    return m_valueAxis->min();
}

double TrendPlot::valueMax() const {
    return m_valueAxis->max();
}

void TrendPlot::resizeEvent(QResizeEvent* event) {
    QChartView::resizeEvent(event);
    const QRectF area = plotRect();
    chart()->setPlotArea(area);
    m_trace->setArea(area);
    const QRectF text = m_nameLabel->boundingRect();
    m_nameLabel->setPos(area.left() + 6, area.top() + 1);
    m_nameBackground->setRect(area.left() + 3, area.top() + 1, text.width() + 6, text.height());
    placeCursor();
    emit resized();
}

void TrendPlot::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_dragX = event->position().x();
        setCursor(Qt::ClosedHandCursor);
        event->accept();
        return;
    }
    QChartView::mousePressEvent(event);
}

void TrendPlot::mouseMoveEvent(QMouseEvent* event) {
    const double x = event->position().x();
    if (m_dragX) {
        const double moved = x - *m_dragX;
        m_dragX = x;
        if (moved != 0) {
            emit panned(-moved / plotRect().width());
        }
    }
    emit cursorMoved(fractionAt(x));
    event->accept();
}

void TrendPlot::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_dragX) {
        m_dragX.reset();
        unsetCursor();
        event->accept();
        return;
    }
    QChartView::mouseReleaseEvent(event);
}

void TrendPlot::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        emit resetRequested();
        event->accept();
    }
}

void TrendPlot::wheelEvent(QWheelEvent* event) {
    const double steps = event->angleDelta().y() / kWheelStep;
    if (steps != 0) {
        emit zoomed(fractionAt(event->position().x()), std::pow(kZoomPerWheelStep, steps));
    }
    event->accept();
}

void TrendPlot::leaveEvent(QEvent* event) {
    emit cursorLeft();
    QChartView::leaveEvent(event);
}

void TrendPlot::drawBackground(QPainter* painter, const QRectF& rect) {
    painter->fillRect(rect, Qt::white);
    const QRectF area = plotRect();
    painter->setPen(QPen(kGridColor, 1));
    for (const double t : m_gridTimes) {
        const double x = std::round(xOf(t)) + 0.5;
        painter->drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
    }
    painter->setPen(QPen(QColor(170, 170, 170), 1));
    painter->drawRect(area.adjusted(-0.5, -0.5, 0.5, 0.5));
}

}  // namespace brevik2::trends
