#include "trends/alarm_strip.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "trends/trend_plot.h"

namespace brevik2::trends {

namespace {

constexpr int kBandHeight = 12;
constexpr int kTickLength = 4;

}  // namespace

AlarmStrip::AlarmStrip(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize AlarmStrip::sizeHint() const {
    return QSize(400,
                 TrendPlot::kTopMargin + kBandHeight + kTickLength + fontMetrics().height() + 4);
}

QRect AlarmStrip::bandRect() const {
    return QRect(TrendPlot::kLeftMargin, TrendPlot::kTopMargin, bandWidth(), kBandHeight);
}

int AlarmStrip::bandWidth() const {
    return std::max(1, width() - TrendPlot::kLeftMargin - TrendPlot::kRightMargin);
}

void AlarmStrip::showLevels(std::vector<engine::AlarmLevel> levels, double start, double end,
                            std::vector<TimeTick> ticks) {
    m_levels = std::move(levels);
    m_start = start;
    m_end = end > start ? end : start + 1;
    m_ticks = std::move(ticks);
    update();
}

void AlarmStrip::setCursorTime(std::optional<double> time) {
    m_cursorTime = time;
    update();
}

QColor AlarmStrip::colorOf(engine::AlarmLevel level) {
    using engine::AlarmLevel;
    switch (level) {
        case AlarmLevel::Operating:
            return QColor(70, 170, 80);
        case AlarmLevel::WarmingUp:
            return QColor(240, 200, 40);
        case AlarmLevel::MinorFault:
            return QColor(245, 130, 30);
        case AlarmLevel::MajorFault:
            return QColor(215, 40, 40);
        case AlarmLevel::Unknown:
            return QColor(150, 150, 150);
        case AlarmLevel::None:
            break;
    }
    return QColor(245, 245, 245);
}

QString AlarmStrip::nameOf(engine::AlarmLevel level) {
    using engine::AlarmLevel;
    switch (level) {
        case AlarmLevel::Operating:
            return tr("Operating");
        case AlarmLevel::WarmingUp:
            return tr("Warming up");
        case AlarmLevel::MinorFault:
            return tr("Minor fault");
        case AlarmLevel::MajorFault:
            return tr("Major fault");
        case AlarmLevel::Unknown:
            return tr("Unknown state");
        case AlarmLevel::None:
            break;
    }
    return tr("No record");
}

void AlarmStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    const QRect band = bandRect();
    painter.fillRect(band, colorOf(engine::AlarmLevel::None));
    // Neighbouring columns of one state are painted as one rectangle.
    const int columns = static_cast<int>(m_levels.size());
    const double columnWidth = columns > 0 ? static_cast<double>(band.width()) / columns : 0;
    for (int c = 0; c < columns;) {
        int next = c + 1;
        while (next < columns &&
               m_levels[static_cast<std::size_t>(next)] == m_levels[static_cast<std::size_t>(c)]) {
            ++next;
        }
        const engine::AlarmLevel level = m_levels[static_cast<std::size_t>(c)];
        if (level != engine::AlarmLevel::None) {
            painter.fillRect(QRectF(band.left() + c * columnWidth, band.top(),
                                    (next - c) * columnWidth, band.height()),
                             colorOf(level));
        }
        c = next;
    }
    painter.setPen(QColor(170, 170, 170));
    painter.drawRect(band.adjusted(0, 0, -1, -1));

    painter.setPen(palette().windowText().color());
    const QFontMetrics metrics = fontMetrics();
    int lastRight = -1;
    for (const TimeTick& tick : m_ticks) {
        const double x = band.left() + (tick.time - m_start) / (m_end - m_start) * band.width();
        const int px = static_cast<int>(std::round(x));
        painter.drawLine(px, band.bottom() + 1, px, band.bottom() + kTickLength);
        const int textWidth = metrics.horizontalAdvance(tick.label);
        const int left = std::clamp(px - textWidth / 2, 0, std::max(0, width() - textWidth));
        if (left > lastRight + 4) {
            painter.drawText(left, band.bottom() + kTickLength + metrics.ascent() + 1, tick.label);
            lastRight = left + textWidth;
        }
    }
    if (m_cursorTime && *m_cursorTime >= m_start && *m_cursorTime <= m_end) {
        const double x = band.left() + (*m_cursorTime - m_start) / (m_end - m_start) * band.width();
        painter.setPen(QPen(QColor(60, 60, 60), 1, Qt::DashLine));
        painter.drawLine(QPointF(x, band.top()), QPointF(x, band.bottom()));
    }
}

}  // namespace brevik2::trends
